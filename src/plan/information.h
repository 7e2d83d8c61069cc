#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "plan/message.h"
#include "plan/units.h"
#include "plan/version.h"

// The two information boxes: About, and the Operating Limitations of the
// selected model in the display unit. Both are built afresh at each click
// and change nothing.
namespace tarnwell::plan {

inline constexpr std::string_view LineBreak = "\r\n";

// "major.minor", with ".revision" only when the revision is above 0.
std::string VersionText(int major, int minor, int revision);

// The plain decimal text of a whole number (as DecimalText writes it) with
// its digits grouped in threes by commas: the "#,###" pattern, under which
// zero gives an empty text. The separator is always a comma, whatever the
// user's regional settings, so the box reads the same everywhere.
std::string GroupedThousands(std::string_view decimalText);

Message AboutMessage();

// Limits of the model at modelIndex (0..3), each converted to
// the display unit the way every weight field shows it.
Message OperatingLimitsMessage(int modelIndex, Unit unit);

// Tooltip of the en-route fuel: the trip's flight time, h:mm as the trip
// table gives it.
std::string FlightTimeTip(std::string_view tripTime);

// Tooltip of a planned weight or the total fuel: how far its figure lies
// below the model's limit, or above it, both in pounds, told in the
// display unit.
std::string MarginTip(std::int32_t pounds, std::int32_t limitPounds, Unit unit);

}  // namespace tarnwell::plan
