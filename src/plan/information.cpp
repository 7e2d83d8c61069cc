#include "information.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "data/aircraft.h"
#include "plan/units.h"
#include "plan/version.h"

namespace tarnwell::plan {

std::string VersionText(int major, int minor, int revision) {
    std::string text = DecimalText(major);
    text += '.';
    text += DecimalText(minor);
    if (revision > 0) {
        text += '.';
        text += DecimalText(revision);
    }
    return text;
}

std::string GroupedThousands(std::string_view decimalText) {
    if (decimalText.empty() || decimalText == "0") {
        return {};
    }
    std::string digits(decimalText);
    const std::size_t first = digits.front() == '-' ? 1 : 0;
    // Insert a comma before every third digit counted from the right.
    for (std::size_t n = 3; digits.size() - first > n; n += 4) {
        digits.insert(digits.size() - n, 1, ',');
    }
    return digits;
}

Message AboutMessage() {
    std::string text = "Tarnwell";
    text += LineBreak;
    text += LineBreak;
    text += "Version " + VersionText(VersionMajor, VersionMinor, VersionRevision);
    text += LineBreak;
    text += LineBreak;
    text += "By Quillmere";
    text += LineBreak;
    text += LineBreak;
    text += ProductWebAddress;
    return {text, "About", MessageIcon::Information};
}

Message OperatingLimitsMessage(int modelIndex, Unit unit) {
    const data::AircraftModel& model = data::Model(modelIndex);
    const std::string suffix = UnitSuffix(unit);
    const std::array<std::pair<std::string_view, std::int32_t>, 6> lines{{
        {"Basic Operating Weight: ", model.basicOperatingWeight},
        {"Maximum Zero Fuel Weight: ", model.maxZeroFuelWeight},
        {"Maximum Landing Weight: ", model.maxLandingWeight},
        {"Maximum Gross Takeoff Weight: ", model.maxTakeoffWeight},
        {"Maximum Taxi Weight: ", model.maxTaxiWeight},
        {"Fuel Capacity: ", data::FuelCapacity(model)},
    }};

    std::string text(model.modelName);
    text += " Operating Limitations:";
    text += LineBreak;
    text += LineBreak;
    for (const auto& [caption, pounds] : lines) {
        text += caption;
        text += GroupedThousands(FromPounds(pounds, unit));
        text += suffix;
        text += LineBreak;
    }
    return {text, std::string(model.modelName) + " Operating Limitations",
            MessageIcon::Information};
}

std::string FlightTimeTip(std::string_view tripTime) {
    return "Flight time: " + std::string(tripTime);
}

std::string MarginTip(std::int32_t pounds, std::int32_t limitPounds, Unit unit) {
    const std::string suffix = UnitSuffix(unit);
    const std::string limit = FromPounds(limitPounds, unit) + suffix;
    if (pounds == limitPounds) {
        return "At the limit of " + limit;
    }
    // The margin in pounds, before it is told in the unit; a figure far
    // below zero (a large tailwind) still gives a margin that fits.
    const std::int64_t margin = static_cast<std::int64_t>(limitPounds) - pounds;
    const auto magnitude = static_cast<std::int32_t>(std::min<std::int64_t>(
        margin < 0 ? -margin : margin, std::numeric_limits<std::int32_t>::max()));
    return FromPounds(magnitude, unit) + suffix + (margin > 0 ? " below" : " above") +
           " the limit of " + limit;
}

}  // namespace tarnwell::plan
