#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Weights are held in whole pounds and shown in the unit the user picked.
namespace tarnwell::plan {

inline constexpr double KilogramsPerPound = 0.45359237;

enum class Unit { Pounds, Kilograms };

// The unit list's meaning: index 1 is kilograms, every other index
// (none selected included) is pounds.
constexpr Unit UnitAt(int listIndex) {
    return listIndex == 1 ? Unit::Kilograms : Unit::Pounds;
}

// The number a text starts with, after blanks, tabs and line feeds are
// removed: an optional sign, digits with at most one point, and an optional
// exponent (E or D). 0 when the text starts with no number. A number too
// large for a double reads as infinity, which the callers treat as too large.
double LeadingNumber(std::string_view text);

// Whole pounds of an entry in the display unit; 0 for anything that does
// not give a 32-bit pound figure.
std::int32_t ToPounds(std::string_view text, Unit unit);

// Whole pounds of an entry the plan takes: as ToPounds, but none when the
// entry's number gives no 32-bit pound figure (too large, or infinite).
std::optional<std::int32_t> EntryToPounds(std::string_view text, Unit unit);

// The pound figure in the display unit, as plain decimal digits.
std::string FromPounds(std::int32_t pounds, Unit unit);

// " Lbs." or " Kgs.", as the tank displays and the boxes follow a figure.
std::string UnitSuffix(Unit unit);

// Plain decimal text of a whole number: digits, "-" when negative.
std::string DecimalText(std::int64_t value);

}  // namespace tarnwell::plan
