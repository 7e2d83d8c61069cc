#include "dispatch/ofp.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "sim/web/web_json.h"

namespace tarnwell::dispatch {
namespace {

struct FigurePlace {
    Figure figure;
    const char* section;
    const char* key;
};

// The elements, in the order the figures are declared.
constexpr std::array<FigurePlace, FigureCount> Places{{
    {Figure::InitialAltitude, "general", "initial_altitude"},
    {Figure::AverageWind, "general", "avg_wind_comp"},
    {Figure::RouteDistance, "general", "route_distance"},
    {Figure::AirDistance, "general", "air_distance"},
    {Figure::AlternateDistance, "alternate", "distance"},
    {Figure::TaxiFuel, "fuel", "taxi"},
    {Figure::EnrouteBurn, "fuel", "enroute_burn"},
    {Figure::Contingency, "fuel", "contingency"},
    {Figure::AlternateBurn, "fuel", "alternate_burn"},
    {Figure::Reserve, "fuel", "reserve"},
    {Figure::Extra, "fuel", "extra"},
    {Figure::TakeoffFuel, "fuel", "plan_takeoff"},
    {Figure::RampFuel, "fuel", "plan_ramp"},
    {Figure::LandingFuel, "fuel", "plan_landing"},
    {Figure::Payload, "weights", "payload"},
    {Figure::ZeroFuelWeight, "weights", "est_zfw"},
    {Figure::TakeoffWeight, "weights", "est_tow"},
    {Figure::LandingWeight, "weights", "est_ldw"},
}};

// An element's text: none when the element is absent; empty when it is
// present with nothing in it (an empty XML element, `{}` in the JSON).
using Lookup = std::function<std::optional<std::string>(const char* section, const char* key)>;

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1));
}

OfpRead Refused(std::string why) {
    OfpRead read;
    read.error = std::move(why);
    return read;
}

bool Successful(const std::string& status) {
    return status.empty() || status.starts_with("Success");
}

OfpRead PlanFrom(const Lookup& value) {
    OfpRead read;
    const std::string status = Trimmed(value("fetch", "status").value_or(""));
    const bool planned = value("params", "units") || value("fuel", "plan_ramp") ||
                         value("aircraft", "icaocode") || value("aircraft", "icao_code");
    if (!Successful(status)) {
        read.simbriefStatus = status.substr(0, 200);
        read.error = "SimBrief answered: " + read.simbriefStatus;
        return read;
    }
    if (!planned) {
        read.error = "It is not a SimBrief flight plan: it has no units, aircraft or fuel.";
        return read;
    }
    OfpPlan plan;
    const std::string units = Trimmed(value("params", "units").value_or(""));
    if (units == "lbs") {
        plan.unit = OfpUnit::Pounds;
    } else if (units == "kgs") {
        plan.unit = OfpUnit::Kilograms;
    } else if (!units.empty()) {
        plan.unreadable.emplace_back("params/units");
    }
    auto text = [&value](const char* section, const char* key) {
        return Trimmed(value(section, key).value_or("")).substr(0, 16);
    };
    plan.aircraftType = text("aircraft", "icao_code");
    if (plan.aircraftType.empty()) {
        plan.aircraftType = text("aircraft", "icaocode");
    }
    plan.origin = text("origin", "icao_code");
    plan.destination = text("destination", "icao_code");
    plan.alternate = text("alternate", "icao_code");
    if (const std::optional<std::string> generated = value("params", "time_generated")) {
        const std::optional<double> seconds = OfpNumber(*generated);
        if (seconds && *seconds >= 0 && *seconds < 1e11 && *seconds == std::floor(*seconds)) {
            plan.timeGenerated = static_cast<std::int64_t>(*seconds);
        } else if (!Trimmed(*generated).empty()) {
            plan.unreadable.emplace_back("params/time_generated");
        }
    }
    for (const FigurePlace& place : Places) {
        const std::optional<std::string> found = value(place.section, place.key);
        if (!found || Trimmed(*found).empty()) {
            continue;
        }
        if (const std::optional<double> number = OfpNumber(*found)) {
            plan.figures[static_cast<std::size_t>(place.figure)] = number;
        } else {
            plan.unreadable.emplace_back(FigurePath(place.figure));
        }
    }
    read.plan = std::move(plan);
    return read;
}

OfpRead ReadXml(std::string_view text) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
        return Refused(std::string("It is not readable XML (") + parsed.description() +
                       ", at byte " + std::to_string(parsed.offset) + ").");
    }
    const pugi::xml_node root = document.child("OFP");
    if (!root) {
        return Refused("It is not a SimBrief flight plan: it has no OFP element.");
    }
    return PlanFrom([&root](const char* section, const char* key) -> std::optional<std::string> {
        // A repeated section (several alternates) counts by its first.
        const pugi::xml_node element = root.child(section).child(key);
        if (!element) {
            return std::nullopt;
        }
        return std::string(element.child_value());
    });
}

OfpRead ReadJson(std::string_view text) {
    const sim::ParsedJson parsed = sim::ParseAnswer(text);
    if (parsed.end == sim::JsonEnd::TooDeep) {
        return Refused("It is not a SimBrief flight plan: it is nested too deeply.");
    }
    if (parsed.end != sim::JsonEnd::Parsed || !parsed.json.is_object()) {
        return Refused("It is not readable JSON (cut short, or not JSON at all).");
    }
    const nlohmann::json& root = parsed.json;
    return PlanFrom([&root](const char* section, const char* key) -> std::optional<std::string> {
        const nlohmann::json* part = sim::Member(root, section);
        // JSON v2 lists several alternates as an array: the first is the plan's.
        if (part && part->is_array()) {
            part = part->empty() ? nullptr : &part->front();
        }
        const nlohmann::json* element = part ? sim::Member(*part, key) : nullptr;
        if (!element) {
            return std::nullopt;
        }
        if (element->is_string()) {
            return element->get<std::string>();
        }
        if (element->is_number()) {
            return element->dump();
        }
        // `{}` is how the JSON writes an element left empty.
        return element->is_object() && element->empty() ? std::string() : std::string("?");
    });
}

}  // namespace

std::string_view FigurePath(Figure figure) {
    static const auto paths = [] {
        std::array<std::string, FigureCount> all;
        for (const FigurePlace& place : Places) {
            all[static_cast<std::size_t>(place.figure)] =
                std::string(place.section) + "/" + place.key;
        }
        return all;
    }();
    return paths[static_cast<std::size_t>(figure)];
}

std::optional<double> OfpNumber(std::string_view text) {
    std::string number = Trimmed(text);
    const bool negative = number.starts_with('-');
    if (number.starts_with('+') || negative) {
        number.erase(0, 1);
    }
    // Digits with at most one point, and a digit somewhere: no exponent,
    // no blank after the sign, nothing after the number.
    if (number.empty() || number.find_first_not_of("0123456789.") != std::string::npos ||
        number.find_first_of("0123456789") == std::string::npos ||
        number.find('.') != number.rfind('.') || number.size() > 30) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

OfpRead ReadOfp(std::string_view text) {
    if (text.size() > MaxOfpBytes) {
        return Refused("It is larger than a flight plan can be (over 4 MiB).");
    }
    std::string_view rest = text;
    if (rest.starts_with("\xEF\xBB\xBF")) {
        rest.remove_prefix(3);
    }
    const auto first = rest.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return Refused("It is empty.");
    }
    if (rest[first] == '<') {
        const std::string head(rest.substr(first, 200));
        if (head.find("<html") != std::string::npos || head.find("<HTML") != std::string::npos ||
            head.find("<!DOCTYPE html") != std::string::npos ||
            head.find("<!doctype html") != std::string::npos) {
            return Refused("It is a web page, not a SimBrief flight plan.");
        }
        return ReadXml(rest);
    }
    if (rest[first] == '{') {
        return ReadJson(rest);
    }
    return Refused("It is not a SimBrief flight plan (neither its XML nor its JSON).");
}

}  // namespace tarnwell::dispatch
