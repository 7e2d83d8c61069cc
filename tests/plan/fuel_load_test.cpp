#include "plan/fuel_load.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "plan/plan_steps.h"

using namespace tarnwell::plan;

TEST(FuelLoad, NamesTheWeightEntriesBelowZero) {
    const struct {
        std::int32_t payload, holding, minimum, taxi;
        std::vector<Field> negative;
    } cases[] = {
        {0, 0, 0, 0, {}},
        {-1, 0, 0, 0, {Field::Payload}},
        {30000, -5, 3000, -44, {Field::HoldingFuel, Field::TaxiFuel}},
        {1, 2, INT32_MIN, 4, {Field::MinimumFuel}},
        {-1, -1, -1, -1, {Field::Payload, Field::HoldingFuel, Field::MinimumFuel, Field::TaxiFuel}},
    };
    for (const auto& c : cases) {
        PlanFigures figures;
        figures.payloadWeight = c.payload;
        figures.holdingFuel = c.holding;
        figures.minimumFuel = c.minimum;
        figures.taxiFuel = c.taxi;
        // Figures computed below zero (a large tailwind) are no entries.
        figures.enrouteFuel = -2790;
        figures.totalFuel = -500;
        EXPECT_EQ(NegativeEntries(figures), c.negative) << c.payload << " " << c.holding;
    }
}

TEST(FuelLoad, TellsTheFuelTheTanksDoNotTake) {
    const auto& model = tarnwell::data::Model(tarnwell::data::ModelId::B737_800);
    // 46063 lb fill both wings and the centre.
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {-500, 0},  {0, 0},     {6401, 0},  // half pounds in each wing
        {20980, 0}, {46063, 0}, {46064, 1}, {58980, 12917}, {INT32_MAX, INT32_MAX - 46063},
    };
    for (const auto& [total, left] : cases) {
        PlanFigures figures;
        figures.totalFuel = total;
        const TankSplit split = SplitTanks(total, model);
        figures.centerTankFuel = split.centerTankFuel;
        figures.mainTankFuel = split.mainTankFuel;
        EXPECT_EQ(FuelNotLoaded(figures), left) << total;
    }
}
