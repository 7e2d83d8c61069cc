#pragma once

#include <string>
#include <string_view>

#include "plan/units.h"
#include "window/message.h"
#include "window/version.h"

// The two information boxes: About, and the Operating Limitations of the
// selected model in the display unit. Both are built afresh at each click
// and change nothing.
namespace tarnwell::window {

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
Message OperatingLimitsMessage(int modelIndex, plan::Unit unit);

}  // namespace tarnwell::window
