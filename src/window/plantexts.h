#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plan/fuel_plan.h"
#include "plan/units.h"
#include "window/message.h"

// The words the window puts around a plan: the box of a calculation that
// stopped, and the tooltips of a complete one.
namespace tarnwell::window {

inline constexpr std::string_view NoDataTextStart =
    "Fuel consumption data for the selected cruise altitude and distance is unavailable for the ";
inline constexpr std::string_view NoDataTextEnd =
    ". This may suggest that the required fuel burn would be greater than the maximum fuel "
    "capacity of the aircraft. Please change either the cruise altitude or trip distance to try "
    "again.";
inline constexpr std::string_view OverflowText =
    "Invalid value entered, please enter a lower value.";

// The box a calculation that ended so shows once the fields are written:
// the trip tables' gap for the model named, or a figure too large. None for
// a complete plan or a list without a selection.
std::optional<Message> PlanEndMessage(plan::PlanEnd end, std::string_view modelName);

// Tooltip of the en-route fuel: the trip's flight time, h:mm as the trip
// table gives it.
std::string FlightTimeTip(std::string_view tripTime);

// Tooltip of a planned weight or the total fuel: how far its figure lies
// below the model's limit, or above it, both in pounds, told in the
// display unit.
std::string MarginTip(std::int32_t pounds, std::int32_t limitPounds, plan::Unit unit);

}  // namespace tarnwell::window
