#include "sim/web/xplane_link.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "plan/arithmetic.h"
#include "plan/units.h"
#include "sim/tank_capacity.h"
#include "sim/usable_weight.h"

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

// A capacity in pounds as the details quote it: "8613.8".
std::string Pounds(double pounds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", pounds);
    return text;
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

// An answer with a status, whether or not its body is JSON.
bool Refusal(const WebReply& reply, int status) {
    return (reply.end == WebEnd::Answered || reply.end == WebEnd::NotJson) &&
           reply.status == status;
}

// What a failed request means to the pilot. X-Plane answers 403 to every
// request while "Disable Incoming Traffic" is set, with a body of its own
// that need not be JSON; the only other 403 it gives is a write into a
// read-only dataref, which says so.
Trouble TroubleOf(const WebReply& reply) {
    switch (reply.end) {
        case WebEnd::Cancelled:
            return Trouble::None;
        case WebEnd::NoAnswer:
            return Trouble::NoAnswer;
        case WebEnd::Answered:
        case WebEnd::NotJson:
            break;
        case WebEnd::Redirected:
        case WebEnd::TooLarge:
            return Trouble::BadAnswer;
    }
    if (reply.status == 403) {
        const json* code = Member(reply.json, "error_code");
        return code != nullptr && *code == "dataref_is_readonly" ? Trouble::ReadOnly
                                                                 : Trouble::IncomingTrafficDisabled;
    }
    if (reply.status == 404) {
        return Trouble::NoFlight;
    }
    return reply.status >= 400 ? Trouble::Refused : Trouble::BadAnswer;
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

    auto notOpen = [](OpenEnd end, Trouble trouble, std::string detail) {
        OpenResult result = NotOpen(end, std::move(detail));
        result.trouble = trouble;
        return result;
    };
    // Anything but X-Plane's own answer ends the search; which end it is.
    auto ended = [&](const WebReply& reply, const char* path) -> std::optional<OpenResult> {
        if (reply.end == WebEnd::Cancelled) {
            return NotOpen(OpenEnd::Cancelled, {});
        }
        if (reply.end == WebEnd::NoAnswer) {
            return notOpen(OpenEnd::NoAnswer, Trouble::NoAnswer,
                           "X-Plane does not answer at " + where + ": " + reply.error + ".");
        }
        // X-Plane with incoming traffic disabled refuses every request.
        if (Refusal(reply, 403)) {
            return notOpen(OpenEnd::NotThisSimulator, Trouble::IncomingTrafficDisabled,
                           "GET " + std::string(path) + " at " + where + " answered " +
                               reply.StatusText() + ".");
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
    const char* const capabilitiesPath = "/api/capabilities";
    const WebReply capabilities = web.Get(capabilitiesPath, cancel);
    if (auto end = ended(capabilities, capabilitiesPath)) {
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
            return notOpen(OpenEnd::NotThisSimulator, Trouble::BadAnswer,
                           "X-Plane at " + where + " offers none of the web API versions " +
                               "this planner uses (v1, v2): " + Quote(*versions) + ".");
        }
    }
    if (capabilities.end == WebEnd::Redirected) {
        return notOpen(
            OpenEnd::NotThisSimulator, Trouble::BadAnswer,
            "Something else answers at " + where + ": " + WhatAnswered(capabilities) + ".");
    }

    // Before 12.1.4 there are no capabilities: the first version's dataref
    // count tells X-Plane from anything else.
    const char* const countPath = "/api/v1/datarefs/count";
    const WebReply count = web.Get(countPath, cancel);
    if (auto end = ended(count, countPath)) {
        return std::move(*end);
    }
    const json* data = Member(count.json, "data");
    if (count.Ok() && data != nullptr && data->is_number_unsigned()) {
        return open("v1");
    }
    return notOpen(OpenEnd::NotThisSimulator, Trouble::BadAnswer,
                   "Something else answers at " + where + ": " + WhatAnswered(count) + ".");
}

XPlaneLink::XPlaneLink(const Endpoint& endpoint, const WebTiming& timing, std::string apiRoot)
    : web_(endpoint, timing), apiRoot_(std::move(apiRoot)) {}

bool XPlaneLink::Lookup(std::initializer_list<Dataref> needed, const CancelFlag& cancel,
                        Problem& problem) {
    static constexpr std::array<const char*, DatarefCount> Types{
        "data", "float_array", "float", "int", "float", "float_array"};
    std::vector<Dataref> missing;
    std::string path = apiRoot_ + "/datarefs";
    std::string names;
    for (Dataref which : needed) {
        if (!found_[which]) {
            missing.push_back(which);
            path = WithQuery(path, "filter[name]", DatarefName(which));
            names += (names.empty() ? "" : ", ") + std::string(DatarefName(which));
        }
    }
    if (missing.empty()) {
        return true;
    }
    const WebReply reply = web_.Get(path, cancel);
    problem.cancelled = reply.end == WebEnd::Cancelled;
    // Without a flight (or with an aircraft that lacks one) X-Plane does not
    // know a dataref: a 404 for the lookup, or a list without it.
    auto unknown = [&](const std::string& what) {
        problem.trouble = Trouble::NoFlight;
        problem.detail = "X-Plane does not know " + what + ".";
        return false;
    };
    if (Refusal(reply, 404)) {
        return unknown(names + " (" + reply.StatusText() + ")");
    }
    if (!reply.Ok()) {
        problem.trouble = TroubleOf(reply);
        problem.detail = RequestFailureText(Simulator, "the lookup of " + names, reply);
        return false;
    }
    auto bad = [&](std::string detail) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail = std::move(detail);
        return false;
    };
    const json* list = Member(reply.json, "data");
    if (list == nullptr || !list->is_array()) {
        return bad("X-Plane's answer to the lookup of " + names + " lists no datarefs.");
    }
    // Only an entry of the very name counts, and one dataref has one id: a
    // name listed again with another id leaves it unknown which to write,
    // and writing fuel into another dataref is worse than not boarding.
    std::array<std::optional<Found>, DatarefCount> got;
    for (const json& entry : *list) {
        const json* entryName = Member(entry, "name");
        const auto which = std::find_if(missing.begin(), missing.end(), [&](Dataref candidate) {
            return entryName != nullptr && *entryName == DatarefName(candidate);
        });
        if (which == missing.end()) {
            continue;
        }
        const std::string name = DatarefName(*which);
        const json* id = Member(entry, "id");
        const json* type = Member(entry, "value_type");
        const json* writable = Member(entry, "is_writable");
        if (id == nullptr || !id->is_number_unsigned()) {
            return bad("X-Plane gives " + name + " no usable id.");
        }
        if (type != nullptr && *type != Types[*which]) {
            return bad("X-Plane's " + name + " holds " + Quote(*type) + ", not " + Types[*which] +
                       ".");
        }
        // Lists before X-Plane 12.4.3 say nothing of writing: the write tells.
        const Found found{id->get<std::uint64_t>(), writable == nullptr || *writable == true};
        if (got[*which] && got[*which]->id != found.id) {
            return bad("X-Plane lists " + name + " twice, with the ids " +
                       std::to_string(got[*which]->id) + " and " + std::to_string(found.id) + ".");
        }
        if (!got[*which]) {
            got[*which] = found;
        }
    }
    for (Dataref which : missing) {
        if (!got[which]) {
            return unknown(std::string(DatarefName(which)) + ": it is not in the list");
        }
        for (std::size_t other = 0; other < DatarefCount; ++other) {
            const std::optional<Found>& known = found_[other] ? found_[other] : got[other];
            if (other != which && known && known->id == got[which]->id) {
                return bad("X-Plane gives " + std::string(DatarefName(which)) +
                           " the id of another dataref, " + std::to_string(known->id) + ".");
            }
        }
    }
    for (Dataref which : missing) {
        found_[which] = got[which];
    }
    return true;
}

const char* XPlaneLink::DatarefName(Dataref which) {
    static constexpr std::array<const char*, DatarefCount> Names{
        XPlaneAircraftDataref,  XPlaneFuelDataref,         XPlanePayloadDataref,
        XPlaneTankCountDataref, XPlaneFuelCapacityDataref, XPlaneTankRatioDataref};
    return Names[which];
}

int XPlaneLink::LookupsLeft(std::initializer_list<Dataref> needed) const {
    return std::any_of(needed.begin(), needed.end(),
                       [this](Dataref which) { return !found_[which]; })
               ? 1
               : 0;
}

std::string XPlaneLink::ValuePath(Dataref which) const {
    return apiRoot_ + "/datarefs/" + std::to_string(found_[which]->id) + "/value";
}

std::optional<json> XPlaneLink::ReadValue(Dataref which, const CancelFlag& cancel,
                                          Problem& problem) {
    const WebReply reply = web_.Get(ValuePath(which), cancel);
    problem.cancelled = reply.end == WebEnd::Cancelled;
    const std::string action = std::string("the read of ") + DatarefName(which);
    if (Refusal(reply, 404)) {
        found_.fill(std::nullopt);
    }
    if (!reply.Ok()) {
        problem.trouble = TroubleOf(reply);
        problem.detail = RequestFailureText(Simulator, action, reply);
        return std::nullopt;
    }
    const json* data = Member(reply.json, "data");
    if (data == nullptr) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail = "X-Plane's answer to " + action + " holds no value.";
        return std::nullopt;
    }
    return *data;
}

XPlaneLink::AircraftCheck XPlaneLink::CheckAircraft(const ExpectedAircraft& aircraft,
                                                    const CancelFlag& cancel, std::string& loaded,
                                                    Problem& problem) {
    const std::optional<json> value = ReadValue(Aircraft, cancel, problem);
    if (!value) {
        return AircraftCheck::Failed;
    }
    const std::optional<std::string> typeCode = XPlaneTypeCode(*value);
    if (!typeCode) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail = std::string("X-Plane's ") + XPlaneAircraftDataref +
                         " holds no aircraft type code: " + Quote(*value) + ".";
        return AircraftCheck::Failed;
    }
    loaded = *typeCode;
    if (loaded.empty()) {
        // An aircraft whose author left the code out is not known to be the
        // planned one: refused, the box saying it has no type code.
        problem.detail = std::string("X-Plane's ") + XPlaneAircraftDataref +
                         " names no type code: " + Quote(*value) + ".";
        return AircraftCheck::Other;
    }
    return Folded(loaded) == Folded(aircraft.icaoType) ? AircraftCheck::Expected
                                                       : AircraftCheck::Other;
}

// acf_m_fuel_tot is taken in kilograms. X-Plane's DataRefs.txt lists it as
// "lbs", hedged ("Weight of total fuel - appears to be in lbs."), but the
// simulator keeps its weights in kilograms, as m_fuel is: the default
// Cessna 172's 158.8 is 350 lb as kilograms (its 56 gallons), 26 gallons
// as pounds. Laminar's 737-800 gives each wing tank 0.187 and the centre
// 0.626 of 46,063 lb (20,894 kg): 3,907 kg (8,613.8 lb) in each wing and
// 13,080 kg (28,835.4 lb) in the centre, what m_fuel holds full. Read as
// pounds, a full wing would be 3,907 lb, less than half of that.
std::optional<std::array<double, TankCount>> XPlaneLink::ReadCapacities(
    const CancelFlag& cancel, std::optional<std::int64_t>& tanks, Problem& problem) {
    auto bad = [&](const char* name, const std::string& what, const json& value) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail =
            std::string("X-Plane's ") + name + " holds no " + what + ": " + Quote(value) + ".";
        return std::nullopt;
    };
    const std::optional<json> count = ReadValue(Tanks, cancel, problem);
    if (!count) {
        return std::nullopt;
    }
    if (!count->is_number_integer()) {
        return bad(XPlaneTankCountDataref, "number of tanks", *count);
    }
    tanks = count->get<std::int64_t>();
    if (*tanks < static_cast<std::int64_t>(TankCount)) {
        return std::nullopt;
    }
    const std::optional<json> total = ReadValue(FuelCapacity, cancel, problem);
    if (!total) {
        return std::nullopt;
    }
    const std::optional<double> totalPounds = FuelPounds(*total);
    if (!totalPounds) {
        return bad(XPlaneFuelCapacityDataref, "fuel capacity", *total);
    }
    const std::optional<json> ratios = ReadValue(TankRatios, cancel, problem);
    if (!ratios) {
        return std::nullopt;
    }
    std::array<double, TankCount> capacity{};
    for (Tank tank : BoardingOrder) {
        const auto element = static_cast<std::size_t>(XPlaneTankElement[TankIndex(tank)]);
        if (!ratios->is_array() || element >= ratios->size() || !(*ratios)[element].is_number()) {
            return bad(XPlaneTankRatioDataref, std::string(TankName(tank)) + " tank share",
                       *ratios);
        }
        // A share below zero or above one gives a capacity the tank check
        // refuses as far from the model's.
        capacity[TankIndex(tank)] = *totalPounds * (*ratios)[element].get<double>();
    }
    return capacity;
}

BoardingResult XPlaneLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                     const WaitReport& report) {
    BoardingResult result;
    result.boardedPounds = order.pounds;
    Problem problem;
    // Ends the boarding where it stands: cancelled, or with `end`.
    auto stop = [&](BoardingEnd end) {
        result.end = problem.cancelled ? BoardingEnd::Cancelled : end;
        if (!problem.cancelled) {
            result.trouble = problem.trouble;
            result.detail = problem.detail;
        }
        return result;
    };
    const std::chrono::milliseconds limit = web_.RequestLimit();
    const int writesAndReadBack = static_cast<int>(TankCount) + 1;
    const int capacityReads = 3;

    TellStep(report, "Checking the aircraft in X-Plane...",
             LookupsLeft({Aircraft, Fuel, Tanks, FuelCapacity, TankRatios}) + 1 + capacityReads +
                 writesAndReadBack,
             limit);
    if (!Lookup({Aircraft, Fuel, Tanks, FuelCapacity, TankRatios}, cancel, problem)) {
        return stop(BoardingEnd::CheckFailed);
    }
    switch (CheckAircraft(order.aircraft, cancel, result.loadedAircraft, problem)) {
        case AircraftCheck::Expected:
            break;
        case AircraftCheck::Other:
            return stop(BoardingEnd::WrongAircraft);
        case AircraftCheck::Failed:
            return stop(BoardingEnd::CheckFailed);
    }
    if (!found_[Fuel]->writable) {
        problem.trouble = Trouble::ReadOnly;
        problem.detail = std::string("X-Plane holds ") + XPlaneFuelDataref + " read-only.";
        return stop(BoardingEnd::CheckFailed);
    }
    for (Tank tank : BoardingOrder) {
        const double pounds = order.pounds[TankIndex(tank)];
        if (!std::isfinite(pounds) || pounds < 0) {
            problem.detail =
                std::string("The plan's ") + TankName(tank) + " tank figure is not a fuel load.";
            return stop(BoardingEnd::CheckFailed);
        }
    }

    TellStep(report, "Reading the tank capacities from X-Plane...",
             capacityReads + writesAndReadBack, limit);
    std::optional<std::int64_t> tanks;
    const std::optional<std::array<double, TankCount>> capacity =
        ReadCapacities(cancel, tanks, problem);
    if (!capacity) {
        if (tanks && *tanks < static_cast<std::int64_t>(TankCount)) {
            problem.detail = std::string("X-Plane's aircraft has ") + std::to_string(*tanks) +
                             " fuel tanks (" + XPlaneTankCountDataref + "), not the " +
                             std::to_string(TankCount) + " boarded.";
            return stop(BoardingEnd::TanksUnlike);
        }
        return stop(BoardingEnd::CheckFailed);
    }
    result.capacityPounds = capacity;
    if (const std::optional<Tank> unlike = UnlikeTank(*capacity, order.capacityPounds)) {
        const std::size_t i = TankIndex(*unlike);
        problem.detail = std::string("X-Plane's ") + TankName(*unlike) + " tank holds " +
                         Pounds((*capacity)[i]) + " lb (" + XPlaneFuelCapacityDataref + " x " +
                         XPlaneTankRatioDataref + "[" + std::to_string(XPlaneTankElement[i]) +
                         "]), the model's " + Pounds(order.capacityPounds[i]) + " lb.";
        return stop(BoardingEnd::TanksUnlike);
    }
    result.boardedPounds = FittedPounds(order.pounds, *capacity);

    const std::string writeAction = std::string("the write of ") + XPlaneFuelDataref;
    for (std::size_t i = 0; i < TankCount; ++i) {
        const Tank tank = BoardingOrder[i];
        TellStep(report, std::string("Writing the ") + TankName(tank) + " tank level in X-Plane...",
                 writesAndReadBack - static_cast<int>(i), limit);
        const std::string path =
            WithQuery(ValuePath(Fuel), "index", std::to_string(XPlaneTankElement[TankIndex(tank)]));
        const WebReply reply = web_.Patch(
            path, {{"data", result.boardedPounds[TankIndex(tank)] * plan::KilogramsPerPound}},
            cancel);
        if (!reply.Ok()) {
            result.tanksWritten = i;
            problem = {reply.end == WebEnd::Cancelled, TroubleOf(reply),
                       RequestFailureText(Simulator, writeAction, reply)};
            return stop(BoardingEnd::WriteFailed);
        }
    }
    result.tanksWritten = TankCount;

    TellStep(report, "Reading the tank levels back from X-Plane...", 1, limit);
    // Written but not confirmed: the figures X-Plane holds are unknown.
    const std::optional<json> held = ReadValue(Fuel, cancel, problem);
    if (!held) {
        return stop(BoardingEnd::Differs);
    }
    std::array<double, TankCount> heldPounds{};
    for (Tank tank : BoardingOrder) {
        const auto element = static_cast<std::size_t>(XPlaneTankElement[TankIndex(tank)]);
        const std::optional<double> pounds = held->is_array() && element < held->size()
                                                 ? FuelPounds((*held)[element])
                                                 : std::nullopt;
        if (!pounds) {
            problem.trouble = Trouble::BadAnswer;
            problem.detail = std::string("X-Plane's ") + XPlaneFuelDataref + " holds no " +
                             TankName(tank) + " tank level: " + Quote(*held) + ".";
            return stop(BoardingEnd::Differs);
        }
        heldPounds[TankIndex(tank)] = *pounds;
    }
    SettleReadBack(result, heldPounds);
    return result;
}

PayloadResult XPlaneLink::ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                      const WaitReport& report) {
    PayloadResult result;
    Problem problem;
    auto stop = [&](PayloadEnd end) {
        result.end = problem.cancelled ? PayloadEnd::Cancelled : end;
        if (!problem.cancelled) {
            result.trouble = problem.trouble;
            result.detail = problem.detail;
        }
        return result;
    };
    const std::chrono::milliseconds limit = web_.RequestLimit();
    TellStep(report, "Checking the aircraft in X-Plane...", LookupsLeft({Aircraft, Payload}) + 2,
             limit);
    if (!Lookup({Aircraft, Payload}, cancel, problem)) {
        return stop(PayloadEnd::Failed);
    }
    switch (CheckAircraft(aircraft, cancel, result.loadedAircraft, problem)) {
        case AircraftCheck::Expected:
            break;
        case AircraftCheck::Other:
            return stop(PayloadEnd::WrongAircraft);
        case AircraftCheck::Failed:
            return stop(PayloadEnd::Failed);
    }

    TellStep(report, "Reading the payload from X-Plane...", 1, limit);
    const std::optional<json> kilograms = ReadValue(Payload, cancel, problem);
    if (!kilograms) {
        return stop(PayloadEnd::Failed);
    }
    const std::optional<std::int32_t> total =
        kilograms->is_number()
            ? AddStationWeight(0, kilograms->get<double>() / plan::KilogramsPerPound)
            : std::nullopt;
    if (!total) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail = std::string("X-Plane's ") + XPlanePayloadDataref +
                         " holds no payload weight: " + Quote(*kilograms) + ".";
        return stop(PayloadEnd::Failed);
    }
    result.end = PayloadEnd::Read;
    result.totalPounds = *total;
    return result;
}

}  // namespace tarnwell::sim
