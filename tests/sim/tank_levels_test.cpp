#include "sim/module/tank_levels.h"
#include "sim/usable_weight.h"

#include <gtest/gtest.h>

#include <limits>

namespace tarnwell::sim {
namespace {

TEST(TankLevel, FractionOfCapacityScaledToTheSimulatorsFullTank) {
    EXPECT_EQ(TankLevel(4315, 8630), 4194304);
    EXPECT_EQ(TankLevel(1000, 8630), 972029);
    EXPECT_EQ(TankLevel(2157.5, 8630), 2097152);
    EXPECT_EQ(TankLevel(28803, 28803), FullTankLevel);
    EXPECT_EQ(TankLevel(5000, 28803), 1456204);
    EXPECT_EQ(TankLevel(0, 28803), 0);
}

TEST(TankLevel, FuelOutsideTheTankIsNeverALevel) {
    EXPECT_EQ(TankLevel(-1, 28803), std::nullopt);
    EXPECT_EQ(TankLevel(-0.0001, 8630), 0);  // rounds to empty
    EXPECT_EQ(TankLevel(28804, 28803), std::nullopt);
    EXPECT_EQ(TankLevel(std::numeric_limits<double>::quiet_NaN(), 8630), std::nullopt);
    EXPECT_EQ(TankLevel(100, 0), std::nullopt);
}

// What Refresh reads back: the way back from a level, and nonsense as unknown.
TEST(TankPoundsAt, LevelsReadBackAsTheFuelBoarded) {
    for (const double pounds : {0.0, 2157.5, 4315.0, 8630.0}) {
        EXPECT_EQ(TankPoundsAt(TankLevel(pounds, 8630).value(), 8630), pounds);
    }
    EXPECT_NEAR(TankPoundsAt(1456204, 28803).value(), 5000, 0.01);
    EXPECT_EQ(TankPoundsAt(-1, 8630), std::nullopt);
    EXPECT_EQ(TankPoundsAt(FullTankLevel + 1, 8630), std::nullopt);
    EXPECT_EQ(TankPoundsAt(FullTankLevel, 0), std::nullopt);
}

TEST(UsableTankPounds, OnlyWhatTheTankCanHold) {
    EXPECT_EQ(UsableTankPounds(8630, 8630), 8630);
    EXPECT_EQ(UsableTankPounds(9000, 8630), 9000);  // another simulator's larger tank
    EXPECT_EQ(UsableTankPounds(9500, 8630), std::nullopt);
    EXPECT_EQ(UsableTankPounds(-1, 8630), std::nullopt);
    EXPECT_EQ(UsableTankPounds(std::numeric_limits<double>::quiet_NaN(), 8630), std::nullopt);
    EXPECT_EQ(UsableTankPounds(std::numeric_limits<double>::infinity(), 8630), std::nullopt);
}

TEST(AddStationWeight, RoundsEachStationHalfToEven) {
    std::int32_t total = 0;
    for (double weight : {150.4, 150.5, 151.5, 0.0}) {
        total = AddStationWeight(total, weight).value();
    }
    EXPECT_EQ(total, 452);
}

TEST(AddStationWeight, WeightsThatCannotCountAreRefused) {
    EXPECT_EQ(AddStationWeight(0, std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(AddStationWeight(0, std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(AddStationWeight(0, 1e300), std::nullopt);
    EXPECT_EQ(AddStationWeight(2000000000, 2000000000), std::nullopt);
    EXPECT_EQ(AddStationWeight(2147483000, 647), 2147483647);
    EXPECT_EQ(AddStationWeight(5100, -5000), std::nullopt);
    EXPECT_EQ(AddStationWeight(100, -0.5), 100);  // rounds to no weight at all
    EXPECT_EQ(AddStationWeight(100, -0.6), std::nullopt);
}

// What no tank takes is refused before any simulator is reached; a full
// tank and a half pound in a wing are boarded.
TEST(FitsTanks, OnlyWeightsEachTankCanTake) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        std::array<double, TankCount> pounds;
        bool fits;
    } cases[] = {
        {{4315.5, 4315.5, 0}, true}, {{8630, 8630, 28803}, true}, {{0, 0, 0}, true},
        {{-0.5, -0.5, 0}, false},    {{100, 100, -1}, false},     {{8630, 8630, 28804}, false},
        {{8631, 8631, 0}, false},    {{nan, nan, 0}, false},
    };
    for (const auto& c : cases) {
        FuelOrder order;
        order.pounds = c.pounds;
        order.capacityPounds = {8630, 8630, 28803};
        EXPECT_EQ(FitsTanks(order), c.fits) << c.pounds[0] << " " << c.pounds[2];
    }
}

}  // namespace
}  // namespace tarnwell::sim
