#pragma once

#include <cstdint>
#include <vector>

#include "plan/fuel_plan.h"

// What boarding needs to know of a plan before it writes the tanks.
namespace tarnwell::plan {

// The weight entries whose figure is below zero, in the order the window
// shows them: payload, holding fuel, minimum fuel, taxi fuel. Typing gives
// digits only, so such a figure was pasted or stored.
std::vector<Field> NegativeEntries(const PlanFigures& figures);

// The pounds of the plan's total fuel at taxi that the tanks do not take:
// the total less both wing tanks and the centre tank as split; 0 when it
// all fits.
std::int32_t FuelNotLoaded(const PlanFigures& figures);

}  // namespace tarnwell::plan
