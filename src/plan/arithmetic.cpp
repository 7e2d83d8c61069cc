#include "arithmetic.h"

#include <cmath>
#include <cstdint>

namespace tarnwell::plan {

std::optional<std::int32_t> RoundToInt32(double value) {
    // The program never changes the floating-point rounding mode, so
    // nearbyint rounds to nearest with ties to even.
    const double rounded = std::nearbyint(value);
    // Written so that NaN fails both comparisons.
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

namespace {

// Every 32-bit sum and difference is exact in 64 bits, so the range check
// afterwards is all that is needed (and compiles alike on every compiler).
std::optional<std::int32_t> Narrow(std::int64_t value) {
    if (value < INT32_MIN || value > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<std::int32_t> CheckedAdd(std::int32_t a, std::int32_t b) {
    return Narrow(std::int64_t{a} + b);
}

std::optional<std::int32_t> CheckedSub(std::int32_t a, std::int32_t b) {
    return Narrow(std::int64_t{a} - b);
}

std::optional<std::int32_t> CheckedNeg(std::int32_t a) {
    return CheckedSub(0, a);
}

}  // namespace tarnwell::plan
