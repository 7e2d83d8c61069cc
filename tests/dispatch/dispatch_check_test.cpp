#include "dispatch/dispatch_check.h"

#include <gtest/gtest.h>

using namespace tarnwell;
using namespace tarnwell::dispatch;

namespace {

DispatchFigures Dispatch() {
    return {.tripFuel = 20000,
            .alternateFuel = 3500,
            .blockFuel = 28550,
            .zeroFuelWeight = 121300,
            .takeoffWeight = std::nullopt,
            .landingWeight = 128350};
}

plan::PlanFigures Planner() {
    plan::PlanFigures figures;
    figures.enrouteFuel = 21001;  // 1001 over: beyond 5 % of 20000
    figures.alternateFuel = 3500;
    figures.totalFuel = 27550;  // 1000 under: just within
    figures.zeroFuelWeight = 121300;
    figures.takeoffWeight = 149000;
    figures.landingWeight = 128000;
    return figures;
}

}  // namespace

TEST(DispatchCheck, RowsShowBothFiguresTheDifferenceAndMarkWhatIsBeyondTolerance) {
    const auto rows = CheckRows(Dispatch(), Planner(), true, plan::Unit::Pounds);
    const CheckRow expected[] = {
        {"Trip fuel", "20000", "21001", "+1001", "+5.0 %", true},
        {"Alternate fuel", "3500", "3500", "0", "+0.0 %", false},
        {"Block fuel", "28550", "27550", "-1000", "-3.5 %", false},
        {"Zero fuel weight", "121300", "121300", "0", "+0.0 %", false},
        {"Takeoff weight", "--", "149000", "--", "--", false},
        {"Landing weight", "128350", "128000", "-350", "-0.3 %", false},
    };
    for (std::size_t i = 0; i < CheckRowCount; ++i) {
        EXPECT_EQ(rows[i], expected[i]) << expected[i].label;
    }
    EXPECT_EQ(TolerancePounds(Dispatch()), 1000);
}

TEST(DispatchCheck, KilogramsAnIncompletePlanAndNoTripFuel) {
    const auto kilos = CheckRows(Dispatch(), Planner(), true, plan::Unit::Kilograms);
    EXPECT_EQ(kilos[0].dispatch, "9072");
    EXPECT_EQ(kilos[0].difference, "+454");
    EXPECT_EQ(kilos[0].percent, "+5.0 %");

    const auto incomplete = CheckRows(Dispatch(), Planner(), false, plan::Unit::Pounds);
    EXPECT_EQ(incomplete[0].planner, "--");
    EXPECT_EQ(incomplete[0].difference, "--");
    EXPECT_FALSE(incomplete[0].beyondTolerance);

    // Without a trip fuel each figure is measured against itself.
    DispatchFigures noTrip = Dispatch();
    noTrip.tripFuel.reset();
    const auto rows = CheckRows(noTrip, Planner(), true, plan::Unit::Pounds);
    EXPECT_FALSE(rows[2].beyondTolerance);  // 1000 of 28550: 3.5 %
    EXPECT_FALSE(rows[5].beyondTolerance);
    noTrip.alternateFuel = 3000;  // 500 of 3000
    EXPECT_TRUE(CheckRows(noTrip, Planner(), true, plan::Unit::Pounds)[1].beyondTolerance);
}

TEST(DispatchCheck, TheBlockFuelIsSplitAsThePlannersOwnTotal) {
    const data::AircraftModel& model = data::Model(data::ModelId::B737_800);
    const plan::PlanFigures figures = WithBlockFuel(Planner(), 28551, model);
    EXPECT_EQ(figures.totalFuel, 28551);
    EXPECT_EQ(figures.mainTankFuel, 8630);
    EXPECT_EQ(figures.centerTankFuel, 28551 - 2 * 8630);
    EXPECT_EQ(figures.enrouteFuel, 21001);  // the rest stays the planner's
    const plan::PlanFigures light = WithBlockFuel(Planner(), 9001, model);
    EXPECT_EQ(light.mainTankFuel, 4000.5);  // the centre keeps its first 1000
    EXPECT_EQ(light.centerTankFuel, 1000);
}
