#include "sim/xplane_link.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "plan/arithmetic.h"
#include "plan/units.h"
#include "sim/tank_levels.h"

namespace tarnwell::sim {
namespace {

using nlohmann::json;

constexpr const char* Simulator = "X-Plane";

// The API versions whose dataref paths this link knows, best first.
constexpr std::array<const char*, 2> KnownVersions{"v2", "v1"};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<std::vector<unsigned char>> Base64Decode(const std::string& text) {
    static constexpr std::string_view Alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::vector<unsigned char> bytes;
    std::uint32_t bits = 0;
    int count = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 >= text.size()) {
            ++padding;
            continue;
        }
        const auto digit = Alphabet.find(text[i]);
        if (digit == std::string_view::npos || padding > 0) {
            return std::nullopt;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(digit);
        if (++count == 4) {
            bytes.push_back(static_cast<unsigned char>(bits >> 16));
            bytes.push_back(static_cast<unsigned char>(bits >> 8));
            bytes.push_back(static_cast<unsigned char>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (padding == 1) {
        bits <<= 6;
        bytes.push_back(static_cast<unsigned char>(bits >> 16));
        bytes.push_back(static_cast<unsigned char>(bits >> 8));
    } else if (padding == 2) {
        bits <<= 12;
        bytes.push_back(static_cast<unsigned char>(bits >> 16));
    }
    return bytes;
}

// Pounds of fuel from X-Plane's kilograms. Empty when the value is not a
// number, or is below zero or beyond what the planner's 32-bit pounds hold:
// such a figure is a bad reading, never a tank's contents.
std::optional<double> FuelPounds(const json& kilograms) {
    if (!kilograms.is_number()) {
        return std::nullopt;
    }
    return UsablePounds(kilograms.get<double>() / plan::KilogramsPerPound);
}

// What answered instead of X-Plane, for the box.
std::string WhatAnswered(const WebReply& reply) {
    switch (reply.end) {
        case WebEnd::Redirected:
            return "it redirects to " + (reply.location.empty() ? "another page" : reply.location);
        case WebEnd::Answered:
            return "its answer (" + reply.StatusText() + ") is not X-Plane's";
        default:
            return reply.error;
    }
}

}  // namespace

std::optional<std::string> XPlaneTypeCode(const json& value) {
    if (!value.is_string()) {
        return std::nullopt;
    }
    const std::optional<std::vector<unsigned char>> bytes = Base64Decode(value.get<std::string>());
    if (!bytes) {
        return std::nullopt;
    }
    std::string code;
    for (unsigned char byte : *bytes) {
        if (byte == 0) {
            break;
        }
        if (byte < 0x20 || byte > 0x7E) {
            return std::nullopt;
        }
        code += static_cast<char>(byte);
    }
    return Trim(code);
}

OpenResult OpenXPlane(const Endpoint& endpoint, const CancelFlag& cancel, const WaitReport& report,
                      WebTiming timing) {
    WebClient web(endpoint, timing);
    const std::string where = web.Where();
    TellStep(report, "Looking for X-Plane at " + where + "...", 2, web.RequestLimit());

    // Anything but X-Plane's own answer ends the search; which end it is.
    auto ended = [&](const WebReply& reply) -> std::optional<OpenResult> {
        if (reply.end == WebEnd::Cancelled) {
            return NotOpen(OpenEnd::Cancelled, {});
        }
        if (reply.end == WebEnd::NoAnswer) {
            return NotOpen(OpenEnd::NoAnswer,
                           "X-Plane does not answer at " + where + ": " + reply.error + ".");
        }
        return std::nullopt;
    };
    auto open = [&](const char* version) {
        OpenResult result;
        result.end = OpenEnd::Open;
        result.link =
            std::make_unique<XPlaneLink>(endpoint, timing, std::string("/api/") + version);
        return result;
    };

    // X-Plane 12.1.4 and later name their API versions.
    const WebReply capabilities = web.Get("/api/capabilities", cancel);
    if (auto end = ended(capabilities)) {
        return std::move(*end);
    }
    if (capabilities.Ok()) {
        const json* api = Member(capabilities.json, "api");
        const json* versions = api != nullptr ? Member(*api, "versions") : nullptr;
        if (versions != nullptr && versions->is_array() && Member(capabilities.json, "x-plane")) {
            for (const char* known : KnownVersions) {
                if (std::find(versions->begin(), versions->end(), known) != versions->end()) {
                    return open(known);
                }
            }
            return NotOpen(OpenEnd::NotThisSimulator,
                           "X-Plane at " + where + " offers none of the web API versions " +
                               "this planner uses (v1, v2): " + Quote(*versions) + ".");
        }
    }
    if (capabilities.end == WebEnd::Answered && capabilities.status == 403) {
        return NotOpen(OpenEnd::NotThisSimulator,
                       "Something at " + where + " refuses requests (" + capabilities.StatusText() +
                           "); if it is X-Plane, allow incoming traffic in its network settings.");
    }
    if (capabilities.end == WebEnd::Redirected) {
        return NotOpen(OpenEnd::NotThisSimulator, "Something else answers at " + where + ": " +
                                                      WhatAnswered(capabilities) + ".");
    }

    // Before 12.1.4 there are no capabilities: the first version's dataref
    // count tells X-Plane from anything else.
    const WebReply count = web.Get("/api/v1/datarefs/count", cancel);
    if (auto end = ended(count)) {
        return std::move(*end);
    }
    const json* data = Member(count.json, "data");
    if (count.Ok() && data != nullptr && data->is_number_unsigned()) {
        return open("v1");
    }
    return NotOpen(OpenEnd::NotThisSimulator,
                   "Something else answers at " + where + ": " + WhatAnswered(count) + ".");
}

XPlaneLink::XPlaneLink(const Endpoint& endpoint, const WebTiming& timing, std::string apiRoot)
    : web_(endpoint, timing), apiRoot_(std::move(apiRoot)) {}

std::optional<XPlaneLink::Found> XPlaneLink::Lookup(Dataref which, const CancelFlag& cancel,
                                                    WebReply& reply, std::string& detail) {
    static constexpr std::array<const char*, DatarefCount> Types{"data", "float_array", "float"};
    if (found_[which]) {
        return found_[which];
    }
    const std::string name = DatarefName(which);
    reply = web_.Get(WithQuery(apiRoot_ + "/datarefs", "filter[name]", name), cancel);
    if (reply.end == WebEnd::Cancelled) {
        return std::nullopt;
    }
    // Without a flight (or with an aircraft that lacks it) X-Plane does not
    // know the dataref: a 404, or a list without it.
    const std::string missing =
        "X-Plane has no " + name + ": load a flight with the aircraft first.";
    if (reply.status == 404) {
        detail = missing;
        return std::nullopt;
    }
    if (!reply.Ok()) {
        detail = RequestFailureText(Simulator, "the lookup of " + name, reply);
        return std::nullopt;
    }
    const json* list = Member(reply.json, "data");
    if (list == nullptr || !list->is_array()) {
        detail = "X-Plane's answer to the lookup of " + name + " lists no datarefs.";
        return std::nullopt;
    }
    for (const json& entry : *list) {
        const json* entryName = Member(entry, "name");
        if (entryName == nullptr || *entryName != name) {
            continue;
        }
        const json* id = Member(entry, "id");
        const json* type = Member(entry, "value_type");
        const json* writable = Member(entry, "is_writable");
        if (id == nullptr || !id->is_number_unsigned()) {
            detail = "X-Plane gives " + name + " no usable id.";
            return std::nullopt;
        }
        if (type != nullptr && *type != Types[which]) {
            detail = "X-Plane's " + name + " holds " + Quote(*type) + ", not " + Types[which] + ".";
            return std::nullopt;
        }
        found_[which] = Found{id->get<std::uint64_t>(), writable == nullptr || *writable != false};
        return found_[which];
    }
    detail = missing;
    return std::nullopt;
}

const char* XPlaneLink::DatarefName(Dataref which) {
    static constexpr std::array<const char*, DatarefCount> Names{
        XPlaneAircraftDataref, XPlaneFuelDataref, XPlanePayloadDataref};
    return Names[which];
}

std::string XPlaneLink::ValuePath(Dataref which) const {
    return apiRoot_ + "/datarefs/" + std::to_string(found_[which]->id) + "/value";
}

std::optional<json> XPlaneLink::ReadValue(Dataref which, const CancelFlag& cancel, WebReply& reply,
                                          std::string& detail) {
    if (!Lookup(which, cancel, reply, detail)) {
        return std::nullopt;
    }
    reply = web_.Get(ValuePath(which), cancel);
    if (reply.end == WebEnd::Cancelled) {
        return std::nullopt;
    }
    const std::string action = std::string("the read of ") + DatarefName(which);
    if (reply.status == 404) {
        found_.fill(std::nullopt);
    }
    if (!reply.Ok()) {
        detail = RequestFailureText(Simulator, action, reply);
        return std::nullopt;
    }
    const json* data = Member(reply.json, "data");
    if (data == nullptr) {
        detail = "X-Plane's answer to " + action + " holds no value.";
        return std::nullopt;
    }
    return *data;
}

BoardingResult XPlaneLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                     const WaitReport& report) {
    BoardingResult result;
    result.boardedPounds = order.pounds;
    WebReply reply;
    std::string detail;
    // Ends the boarding where it stands: cancelled, or `tank` not written.
    auto stop = [&](Tank tank, std::size_t written) {
        result.tanksWritten = written;
        if (reply.end == WebEnd::Cancelled) {
            result.end = BoardingEnd::Cancelled;
        } else {
            result.end = BoardingEnd::WriteFailed;
            result.failed = tank;
            result.detail = detail;
        }
        return result;
    };
    const std::chrono::milliseconds limit = web_.RequestLimit();
    const int writesAndReadBack = static_cast<int>(TankCount) + 1;

    TellStep(report, "Checking the aircraft in X-Plane...",
             LookupsLeft(Aircraft) + LookupsLeft(Fuel) + 1 + writesAndReadBack, limit);
    const std::optional<json> typeValue = ReadValue(Aircraft, cancel, reply, detail);
    if (!typeValue) {
        return stop(Tank::LeftMain, 0);
    }
    const std::optional<std::string> typeCode = XPlaneTypeCode(*typeValue);
    if (!typeCode) {
        detail = std::string("X-Plane's ") + XPlaneAircraftDataref +
                 " holds no aircraft type code: " + Quote(*typeValue) + ".";
        return stop(Tank::LeftMain, 0);
    }
    if (Folded(*typeCode) != Folded(order.aircraft.icaoType)) {
        result.end = BoardingEnd::WrongAircraft;
        result.loadedAircraft = *typeCode;
        return result;
    }
    const std::optional<Found> fuel = Lookup(Fuel, cancel, reply, detail);
    if (!fuel) {
        return stop(Tank::LeftMain, 0);
    }
    if (!fuel->writable) {
        detail = std::string("X-Plane holds ") + XPlaneFuelDataref + " read-only.";
        return stop(Tank::LeftMain, 0);
    }
    for (Tank tank : BoardingOrder) {
        const double pounds = order.pounds[TankIndex(tank)];
        if (!std::isfinite(pounds) || pounds < 0) {
            detail =
                std::string("The plan's ") + TankName(tank) + " tank figure is not a fuel load.";
            return stop(tank, 0);
        }
    }

    const std::string writeAction = std::string("the write of ") + XPlaneFuelDataref;
    for (std::size_t i = 0; i < TankCount; ++i) {
        const Tank tank = BoardingOrder[i];
        TellStep(report, std::string("Writing the ") + TankName(tank) + " tank level in X-Plane...",
                 writesAndReadBack - static_cast<int>(i), limit);
        const std::string path =
            WithQuery(ValuePath(Fuel), "index", std::to_string(XPlaneTankElement[TankIndex(tank)]));
        reply = web_.Patch(
            path, {{"data", order.pounds[TankIndex(tank)] * plan::KilogramsPerPound}}, cancel);
        if (!reply.Ok()) {
            detail = RequestFailureText(Simulator, writeAction, reply);
            return stop(tank, i);
        }
    }
    result.tanksWritten = TankCount;

    TellStep(report, "Reading the tank levels back from X-Plane...", 1, limit);
    const std::optional<json> held = ReadValue(Fuel, cancel, reply, detail);
    // Written but not confirmed: the figures X-Plane holds are unknown.
    result.end = reply.end == WebEnd::Cancelled ? BoardingEnd::Cancelled : BoardingEnd::Differs;
    if (!held) {
        result.detail = detail;
        return result;
    }
    std::array<double, TankCount> heldPounds{};
    for (Tank tank : BoardingOrder) {
        const auto element = static_cast<std::size_t>(XPlaneTankElement[TankIndex(tank)]);
        const std::optional<double> pounds = held->is_array() && element < held->size()
                                                 ? FuelPounds((*held)[element])
                                                 : std::nullopt;
        if (!pounds) {
            result.detail = std::string("X-Plane's ") + XPlaneFuelDataref + " holds no " +
                            TankName(tank) + " tank level: " + Quote(*held) + ".";
            return result;
        }
        heldPounds[TankIndex(tank)] = *pounds;
    }
    SettleReadBack(result, heldPounds);
    return result;
}

PayloadResult XPlaneLink::ReadPayload(const ExpectedAircraft& /*aircraft*/,
                                      const CancelFlag& cancel, const WaitReport& report) {
    PayloadResult result;
    WebReply reply;
    TellStep(report, "Reading the payload from X-Plane...", LookupsLeft(Payload) + 1,
             web_.RequestLimit());
    const std::optional<json> kilograms = ReadValue(Payload, cancel, reply, result.detail);
    if (!kilograms) {
        result.end = reply.end == WebEnd::Cancelled ? PayloadEnd::Cancelled : PayloadEnd::Failed;
        return result;
    }
    const std::optional<std::int32_t> total =
        kilograms->is_number()
            ? AddStationWeight(0, kilograms->get<double>() / plan::KilogramsPerPound)
            : std::nullopt;
    if (!total) {
        result.detail = std::string("X-Plane's ") + XPlanePayloadDataref +
                        " holds no payload weight: " + Quote(*kilograms) + ".";
        return result;
    }
    result.end = PayloadEnd::Read;
    result.totalPounds = *total;
    return result;
}

}  // namespace tarnwell::sim
