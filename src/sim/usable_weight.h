#pragma once

#include <cstdint>
#include <optional>

#include "sim/simulator.h"

// The rules every link holds a weight to, whichever simulator it came from
// or goes to: nothing that is not a weight reaches the plan, and nothing a
// tank cannot hold reaches the simulator.
namespace tarnwell::sim {

// The payload total after adding one station's weight, rounded to whole
// pounds with ties to even. Empty when the weight is not finite, is below
// zero (after rounding), or the total leaves the 32-bit range.
std::optional<std::int32_t> AddStationWeight(std::int32_t total, double stationPounds);

// Whether every tank of the order is a weight its tank can take: a number,
// not below zero, not above the model's capacity. An order that is not is
// refused before any simulator is reached.
bool FitsTanks(const FuelOrder& order);

// A tank's content as a simulator answered it, when it is one the tank can
// hold: a number, not below zero, not above the model's capacity by more
// than the simulators' own tanks differ from it (CapacityTolerance). Empty,
// "unknown", otherwise.
std::optional<double> UsableTankPounds(double pounds, double capacityPounds);

}  // namespace tarnwell::sim
