#include "plantexts.h"

#include <algorithm>
#include <limits>

namespace tarnwell::window {

std::optional<Message> PlanEndMessage(plan::PlanEnd end, std::string_view modelName) {
    switch (end) {
        case plan::PlanEnd::NoTripData:
            return Message{
                std::string(NoDataTextStart) + std::string(modelName) + std::string(NoDataTextEnd),
                "Error", MessageIcon::Exclamation};
        case plan::PlanEnd::Overflow:
            return Message{std::string(OverflowText), "Error", MessageIcon::Exclamation};
        case plan::PlanEnd::Complete:
        case plan::PlanEnd::NoSelection:
            break;
    }
    return std::nullopt;
}

std::string FlightTimeTip(std::string_view tripTime) {
    return "Flight time: " + std::string(tripTime);
}

std::string MarginTip(std::int32_t pounds, std::int32_t limitPounds, plan::Unit unit) {
    const std::string suffix = plan::UnitSuffix(unit);
    const std::string limit = plan::FromPounds(limitPounds, unit) + suffix;
    if (pounds == limitPounds) {
        return "At the limit of " + limit;
    }
    // The margin in pounds, before it is told in the unit; a figure far
    // below zero (a large tailwind) still gives a margin that fits.
    const std::int64_t margin = static_cast<std::int64_t>(limitPounds) - pounds;
    const auto magnitude = static_cast<std::int32_t>(std::min<std::int64_t>(
        margin < 0 ? -margin : margin, std::numeric_limits<std::int32_t>::max()));
    return plan::FromPounds(magnitude, unit) + suffix + (margin > 0 ? " below" : " above") +
           " the limit of " + limit;
}

}  // namespace tarnwell::window
