#include "informationboxes.h"

#include <array>
#include <cstdint>
#include <utility>

#include "data/aircraft.h"

namespace tarnwell::window {

using plan::DecimalText;

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

Message OperatingLimitsMessage(int modelIndex, plan::Unit unit) {
    const data::AircraftModel& model = data::Model(modelIndex);
    const std::string suffix = plan::UnitSuffix(unit);
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
        text += GroupedThousands(plan::FromPounds(pounds, unit));
        text += suffix;
        text += LineBreak;
    }
    return {text, std::string(model.modelName) + " Operating Limitations",
            MessageIcon::Information};
}

}  // namespace tarnwell::window
