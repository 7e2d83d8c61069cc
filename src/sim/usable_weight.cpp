#include "sim/usable_weight.h"

#include <cmath>

#include "plan/arithmetic.h"
#include "sim/tank_capacity.h"

namespace tarnwell::sim {

std::optional<std::int32_t> AddStationWeight(std::int32_t total, double stationPounds) {
    const std::optional<std::int32_t> weight = plan::RoundToInt32(stationPounds);
    // A station cannot carry less than nothing: a negative weight is a bad
    // reading, and taking it would lower the payload the planner boards.
    if (!weight || *weight < 0) {
        return std::nullopt;
    }
    return plan::CheckedAdd(total, *weight);
}

bool FitsTanks(const FuelOrder& order) {
    for (std::size_t i = 0; i < TankCount; ++i) {
        const double pounds = order.pounds[i];
        if (!std::isfinite(pounds) || pounds < 0 || pounds > order.capacityPounds[i]) {
            return false;
        }
    }
    return true;
}

std::optional<double> UsableTankPounds(double pounds, double capacityPounds) {
    if (!std::isfinite(pounds) || pounds < 0 || pounds > capacityPounds * (1 + CapacityTolerance)) {
        return std::nullopt;
    }
    return pounds;
}

}  // namespace tarnwell::sim
