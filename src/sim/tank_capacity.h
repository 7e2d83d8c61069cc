#pragma once

#include <array>
#include <optional>

#include "sim/simulator.h"

// What the simulator's own tanks hold against what the plan asks of them:
// a web simulator names each tank's capacity, and the planner boards no
// more than a tank holds, nor into tanks that are plainly another model's.
namespace tarnwell::sim {

// How far a simulator's tank may be from the model's capacity and still be
// taken for the model's tank: the same aircraft differs between
// simulators by a few per cent, another layout by far more.
inline constexpr double CapacityTolerance = 0.10;

// The first tank, in BoardingOrder, whose capacity in the simulator is not
// within CapacityTolerance of the model's (a capacity that is no usable
// weight counts as unlike); none when all three are the model's.
std::optional<Tank> UnlikeTank(const std::array<double, TankCount>& simulatorPounds,
                               const std::array<double, TankCount>& modelPounds);

// The order cut to what each tank holds.
std::array<double, TankCount> FittedPounds(const std::array<double, TankCount>& orderPounds,
                                           const std::array<double, TankCount>& capacityPounds);

}  // namespace tarnwell::sim
