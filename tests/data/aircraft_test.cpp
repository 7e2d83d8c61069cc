#include "data/aircraft.h"

#include <gtest/gtest.h>

using namespace tarnwell::data;

TEST(ModelTable, LimitsRiseFromOperatingToTaxiWeight) {
    for (const AircraftModel& model : Models) {
        SCOPED_TRACE(model.ModelName);
        EXPECT_LT(model.BasicOperatingWeight, model.MaxZeroFuelWeight);
        EXPECT_LT(model.MaxZeroFuelWeight, model.MaxLandingWeight);
        EXPECT_LT(model.MaxLandingWeight, model.MaxTakeoffWeight);
        EXPECT_EQ(model.MaxTaxiWeight, model.MaxTakeoffWeight + 500);
    }
}

TEST(ModelTable, EveryModelHoldsTheSameTanks) {
    for (const AircraftModel& model : Models) {
        SCOPED_TRACE(model.ModelName);
        EXPECT_EQ(FuelCapacity(model), 46063);
        EXPECT_GT(model.CenterTankCapacity, model.MainTankCapacity);
    }
}

TEST(ModelTable, ModelIndexOrderIsSixHundredToNineHundred) {
    EXPECT_EQ(Model(0).ModelName, "Boeing 737-600 NG");
    EXPECT_EQ(Model(1).ModelName, "Boeing 737-700 NG");
    EXPECT_EQ(Model(2).ModelName, "Boeing 737-800 NG");
    EXPECT_EQ(Model(3).ModelName, "Boeing 737-900 NG");
    EXPECT_EQ(Model(2).BasicOperatingWeight, 91300);
    EXPECT_EQ(Model(2).MaxTaxiWeight, 173500);
}
