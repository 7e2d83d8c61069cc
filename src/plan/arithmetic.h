#pragma once

#include <cstdint>
#include <optional>

// Whole-pound arithmetic as the planner needs it: every conversion of a
// fractional value rounds to the nearest whole number with ties to the even
// neighbour, and every result must fit a 32-bit signed integer. A result
// that does not fit is reported as an empty optional, never wrapped.
namespace tarnwell::plan {

// Nearest whole number, ties to even. Empty for NaN, infinity or a value
// outside the 32-bit signed range.
std::optional<std::int32_t> RoundToInt32(double value);

std::optional<std::int32_t> CheckedAdd(std::int32_t a, std::int32_t b);
std::optional<std::int32_t> CheckedSub(std::int32_t a, std::int32_t b);
std::optional<std::int32_t> CheckedNeg(std::int32_t a);

}  // namespace tarnwell::plan
