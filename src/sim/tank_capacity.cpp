#include "sim/tank_capacity.h"

#include <algorithm>
#include <cmath>

namespace tarnwell::sim {

std::optional<Tank> UnlikeTank(const std::array<double, TankCount>& simulatorPounds,
                               const std::array<double, TankCount>& modelPounds) {
    for (Tank tank : BoardingOrder) {
        const double simulator = simulatorPounds[TankIndex(tank)];
        const double model = modelPounds[TankIndex(tank)];
        if (!std::isfinite(simulator) || simulator <= 0 ||
            std::abs(simulator - model) > CapacityTolerance * model) {
            return tank;
        }
    }
    return std::nullopt;
}

std::array<double, TankCount> FittedPounds(const std::array<double, TankCount>& orderPounds,
                                           const std::array<double, TankCount>& capacityPounds) {
    std::array<double, TankCount> fitted{};
    for (std::size_t i = 0; i < TankCount; ++i) {
        fitted[i] = std::min(orderPounds[i], capacityPounds[i]);
    }
    return fitted;
}

}  // namespace tarnwell::sim
