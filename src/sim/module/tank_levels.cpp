#include "sim/module/tank_levels.h"

#include "plan/arithmetic.h"

namespace tarnwell::sim {

std::optional<std::int32_t> TankLevel(double pounds, std::int32_t capacity) {
    if (capacity <= 0) {
        return std::nullopt;
    }
    // Divide first, then scale, in this order: the simulator's tank gauges
    // were set this way, and a half pound in a wing tank must land exactly.
    const double level = pounds / capacity * 128 * 65536;
    const std::optional<std::int32_t> rounded = plan::RoundToInt32(level);
    if (!rounded || *rounded < 0 || *rounded > FullTankLevel) {
        return std::nullopt;
    }
    return rounded;
}

std::optional<double> TankPoundsAt(std::int32_t level, std::int32_t capacity) {
    if (capacity <= 0 || level < 0 || level > FullTankLevel) {
        return std::nullopt;
    }
    return static_cast<double>(level) / FullTankLevel * capacity;
}

}  // namespace tarnwell::sim
