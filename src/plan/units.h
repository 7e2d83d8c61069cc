#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Weights are held in whole pounds and shown in the unit the user picked
// in the unit list: index 1 is kilograms, every other index is pounds.
namespace tarnwell::plan {

inline constexpr double KilogramsPerPound = 0.45359237;
inline constexpr int UnitPounds = 0;
inline constexpr int UnitKilograms = 1;

constexpr bool IsKilograms(int unitIndex) {
    return unitIndex == UnitKilograms;
}

// The number a text starts with, after blanks, tabs and line feeds are
// removed: an optional sign, digits with at most one point, and an optional
// exponent (E or D). 0 when the text starts with no number. A number too
// large for a double reads as infinity, which the callers treat as too large.
double LeadingNumber(std::string_view text);

// Whole pounds of an entry in the display unit; 0 for anything that does
// not give a 32-bit pound figure.
std::int32_t ToPounds(std::string_view text, int unitIndex);

// The pound figure in the display unit, as plain decimal digits.
std::string FromPounds(std::int32_t pounds, int unitIndex);

// Plain decimal text of a whole number: digits, "-" when negative.
std::string DecimalText(std::int64_t value);

}  // namespace tarnwell::plan
