#include "data/aircraft.h"

#include <gtest/gtest.h>

using namespace tarnwell::data;

TEST(ModelTable, LimitsRiseFromOperatingToTaxiWeight) {
    for (const AircraftModel& model : Models) {
        SCOPED_TRACE(model.modelName);
        EXPECT_LT(model.basicOperatingWeight, model.maxZeroFuelWeight);
        EXPECT_LT(model.maxZeroFuelWeight, model.maxLandingWeight);
        EXPECT_LT(model.maxLandingWeight, model.maxTakeoffWeight);
        EXPECT_EQ(model.maxTaxiWeight, model.maxTakeoffWeight + 500);
    }
}

TEST(ModelTable, EveryModelHoldsTheSameTanks) {
    for (const AircraftModel& model : Models) {
        SCOPED_TRACE(model.modelName);
        EXPECT_EQ(FuelCapacity(model), 46063);
        EXPECT_GT(model.centerTankCapacity, model.mainTankCapacity);
    }
}

TEST(ModelTable, ModelIndexOrderIsSixHundredToNineHundred) {
    EXPECT_EQ(Model(0).modelName, "Boeing 737-600 NG");
    EXPECT_EQ(Model(1).modelName, "Boeing 737-700 NG");
    EXPECT_EQ(Model(2).modelName, "Boeing 737-800 NG");
    EXPECT_EQ(Model(3).modelName, "Boeing 737-900 NG");
    EXPECT_EQ(Model(2).basicOperatingWeight, 91300);
    EXPECT_EQ(Model(2).maxTaxiWeight, 173500);
}
