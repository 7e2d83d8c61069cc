#include "fuel_load.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tarnwell::plan {

std::vector<Field> NegativeEntries(const PlanFigures& figures) {
    const std::pair<Field, std::int32_t> entries[] = {
        {Field::Payload, figures.payloadWeight},
        {Field::HoldingFuel, figures.holdingFuel},
        {Field::MinimumFuel, figures.minimumFuel},
        {Field::TaxiFuel, figures.taxiFuel},
    };
    std::vector<Field> negative;
    for (const auto& [field, pounds] : entries) {
        if (pounds < 0) {
            negative.push_back(field);
        }
    }
    return negative;
}

std::int32_t FuelNotLoaded(const PlanFigures& figures) {
    // Both wing tanks together hold whole pounds: each holds a whole number
    // or one half over. In 64 bits nothing below can leave the range.
    const auto wings = static_cast<std::int64_t>(2.0 * figures.mainTankFuel);
    const std::int64_t loaded = wings + figures.centerTankFuel;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(figures.totalFuel - loaded, 0, INT32_MAX));
}

}  // namespace tarnwell::plan
