#include "sim/web/xplane_link.h"

#include <algorithm>
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

// An open that found no X-Plane, with why for the window's words.
OpenResult NotXPlane(OpenEnd end, Trouble trouble, std::string detail) {
    OpenResult result = NotOpen(end, std::move(detail));
    result.trouble = trouble;
    return result;
}

// Anything but X-Plane's own answer to GET `path` ends the search; which
// end it is.
std::optional<OpenResult> SearchEnded(const WebReply& reply, const char* path,
                                      const std::string& where) {
    if (reply.end == WebEnd::Cancelled) {
        return NotOpen(OpenEnd::Cancelled, {});
    }
    if (reply.end == WebEnd::NoAnswer) {
        return NotXPlane(OpenEnd::NoAnswer, Trouble::NoAnswer,
                         "X-Plane does not answer at " + where + ": " + reply.error + ".");
    }
    // X-Plane with incoming traffic disabled refuses every request.
    if (Refusal(reply, 403)) {
        return NotXPlane(
            OpenEnd::NotThisSimulator, Trouble::IncomingTrafficDisabled,
            "GET " + std::string(path) + " at " + where + " answered " + reply.StatusText() + ".");
    }
    return std::nullopt;
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
    if (auto end = SearchEnded(capabilities, capabilitiesPath, where)) {
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
            return NotXPlane(OpenEnd::NotThisSimulator, Trouble::BadAnswer,
                             "X-Plane at " + where + " offers none of the web API versions " +
                                 "this planner uses (v1, v2): " + Quote(*versions) + ".");
        }
    }
    if (capabilities.end == WebEnd::Redirected) {
        return NotXPlane(
            OpenEnd::NotThisSimulator, Trouble::BadAnswer,
            "Something else answers at " + where + ": " + WhatAnswered(capabilities) + ".");
    }

    // Before 12.1.4 there are no capabilities: the first version's dataref
    // count tells X-Plane from anything else.
    const char* const countPath = "/api/v1/datarefs/count";
    const WebReply count = web.Get(countPath, cancel);
    if (auto end = SearchEnded(count, countPath, where)) {
        return std::move(*end);
    }
    const json* data = Member(count.json, "data");
    if (count.Ok() && data != nullptr && data->is_number_unsigned()) {
        return open("v1");
    }
    return NotXPlane(OpenEnd::NotThisSimulator, Trouble::BadAnswer,
                     "Something else answers at " + where + ": " + WhatAnswered(count) + ".");
}

XPlaneLink::XPlaneLink(const Endpoint& endpoint, const WebTiming& timing, std::string apiRoot)
    : web_(endpoint, timing), apiRoot_(std::move(apiRoot)) {}

// Only an entry of the very name counts, and one dataref has one id: a
// name listed again with another id leaves it unknown which to write, and
// writing fuel into another dataref is worse than not boarding.
std::optional<std::string> XPlaneLink::ListedIds(
    const json& list, const std::vector<Dataref>& missing,
    std::array<std::optional<Found>, DatarefCount>& got) {
    static constexpr std::array<const char*, DatarefCount> Types{
        "data", "float_array", "float", "int", "float", "float_array"};
    for (const json& entry : list) {
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
            return "X-Plane gives " + name + " no usable id.";
        }
        if (type != nullptr && *type != Types[*which]) {
            return "X-Plane's " + name + " holds " + Quote(*type) + ", not " + Types[*which] + ".";
        }
        // Lists before X-Plane 12.4.3 say nothing of writing: the write tells.
        const Found found{id->get<std::uint64_t>(), writable == nullptr || *writable == true};
        if (got[*which] && got[*which]->id != found.id) {
            return "X-Plane lists " + name + " twice, with the ids " +
                   std::to_string(got[*which]->id) + " and " + std::to_string(found.id) + ".";
        }
        if (!got[*which]) {
            got[*which] = found;
        }
    }
    return std::nullopt;
}

std::optional<std::pair<Trouble, std::string>> XPlaneLink::UnusableIds(
    const std::vector<Dataref>& missing,
    const std::array<std::optional<Found>, DatarefCount>& got) const {
    for (Dataref which : missing) {
        if (!got[which]) {
            return std::pair(Trouble::NoFlight, std::string("X-Plane does not know ") +
                                                    DatarefName(which) +
                                                    ": it is not in the list.");
        }
        for (std::size_t other = 0; other < DatarefCount; ++other) {
            const std::optional<Found>& known = found_[other] ? found_[other] : got[other];
            if (other != which && known && known->id == got[which]->id) {
                return std::pair(Trouble::BadAnswer, "X-Plane gives " +
                                                         std::string(DatarefName(which)) +
                                                         " the id of another dataref, " +
                                                         std::to_string(known->id) + ".");
            }
        }
    }
    return std::nullopt;
}

bool XPlaneLink::Lookup(std::initializer_list<Dataref> needed, const CancelFlag& cancel,
                        WebProblem& problem) {
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
    auto fail = [&](Trouble trouble, std::string detail) {
        problem.trouble = trouble;
        problem.detail = std::move(detail);
        return false;
    };
    // Without a flight (or with an aircraft that lacks one) X-Plane does not
    // know a dataref: a 404 for the lookup, or a list without it.
    if (Refusal(reply, 404)) {
        return fail(Trouble::NoFlight,
                    "X-Plane does not know " + names + " (" + reply.StatusText() + ").");
    }
    if (!reply.Ok()) {
        return fail(TroubleOf(reply),
                    RequestFailureText(Simulator, "the lookup of " + names, reply));
    }
    const json* list = Member(reply.json, "data");
    if (list == nullptr || !list->is_array()) {
        return fail(Trouble::BadAnswer,
                    "X-Plane's answer to the lookup of " + names + " lists no datarefs.");
    }
    std::array<std::optional<Found>, DatarefCount> got;
    if (std::optional<std::string> why = ListedIds(*list, missing, got)) {
        return fail(Trouble::BadAnswer, std::move(*why));
    }
    if (auto why = UnusableIds(missing, got)) {
        return fail(why->first, std::move(why->second));
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
                                          WebProblem& problem) {
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

AircraftCheck XPlaneLink::CheckLoaded(const ExpectedAircraft& aircraft,
                                      std::initializer_list<Dataref> needed, int requestsAfter,
                                      const CancelFlag& cancel, const WaitReport& report) {
    AircraftCheck check;
    WebProblem& problem = check.problem;
    TellStep(report, "Checking the aircraft in X-Plane...", LookupsLeft(needed) + 1 + requestsAfter,
             web_.RequestLimit());
    if (!Lookup(needed, cancel, problem)) {
        return check;
    }
    const std::optional<json> value = ReadValue(Aircraft, cancel, problem);
    if (!value) {
        return check;
    }
    const std::optional<std::string> typeCode = XPlaneTypeCode(*value);
    if (!typeCode) {
        problem.trouble = Trouble::BadAnswer;
        problem.detail = std::string("X-Plane's ") + XPlaneAircraftDataref +
                         " holds no aircraft type code: " + Quote(*value) + ".";
        return check;
    }
    check.loadedAircraft = *typeCode;
    check.end = AircraftCheck::End::Other;
    if (typeCode->empty()) {
        // An aircraft whose author left the code out is not known to be the
        // planned one: refused, the box saying it has no type code.
        problem.detail = std::string("X-Plane's ") + XPlaneAircraftDataref +
                         " names no type code: " + Quote(*value) + ".";
    } else if (Folded(*typeCode) == Folded(aircraft.icaoType)) {
        check.end = AircraftCheck::End::Expected;
    }
    return check;
}

AircraftCheck XPlaneLink::CheckAircraft(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                        const WaitReport& report) {
    AircraftCheck check = CheckLoaded(aircraft, {Aircraft, Fuel, Tanks, FuelCapacity, TankRatios},
                                      CapacityReads + WritesAndReadBack, cancel, report);
    if (check.end == AircraftCheck::End::Expected && !found_[Fuel]->writable) {
        check.end = AircraftCheck::End::Failed;
        check.problem.trouble = Trouble::ReadOnly;
        check.problem.detail = std::string("X-Plane holds ") + XPlaneFuelDataref + " read-only.";
    }
    return check;
}

// acf_m_fuel_tot is taken in kilograms. X-Plane's DataRefs.txt lists it as
// "lbs", hedged ("Weight of total fuel - appears to be in lbs."), but the
// simulator keeps its weights in kilograms, as m_fuel is: the default
// Cessna 172's 158.8 is 350 lb as kilograms (its 56 gallons), 26 gallons
// as pounds. Laminar's 737-800 gives each wing tank 0.187 and the centre
// 0.626 of 46,063 lb (20,894 kg): 3,907 kg (8,613.8 lb) in each wing and
// 13,080 kg (28,835.4 lb) in the centre, what m_fuel holds full. Read as
// pounds, a full wing would be 3,907 lb, less than half of that.
std::optional<std::array<double, TankCount>> XPlaneLink::TankCapacities(
    const CancelFlag& cancel, std::optional<std::int64_t>& tanks, WebProblem& problem) {
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

TankPounds XPlaneLink::ReadCapacities(const CancelFlag& cancel, const WaitReport& report) {
    TellStep(report, "Reading the tank capacities from X-Plane...",
             CapacityReads + WritesAndReadBack, web_.RequestLimit());
    TankPounds capacity;
    std::optional<std::int64_t> tanks;
    capacity.pounds = TankCapacities(cancel, tanks, capacity.problem);
    if (!capacity.pounds && tanks && *tanks < static_cast<std::int64_t>(TankCount)) {
        capacity.otherLayout = true;
        capacity.problem.detail = std::string("X-Plane's aircraft has ") + std::to_string(*tanks) +
                                  " fuel tanks (" + XPlaneTankCountDataref + "), not the " +
                                  std::to_string(TankCount) + " boarded.";
    }
    return capacity;
}

std::string XPlaneLink::UnlikeDetail(Tank tank, double simulatorPounds, double modelPounds) const {
    return std::string("X-Plane's ") + TankName(tank) + " tank holds " + Pounds(simulatorPounds) +
           " lb (" + XPlaneFuelCapacityDataref + " x " + XPlaneTankRatioDataref + "[" +
           std::to_string(XPlaneTankElement[TankIndex(tank)]) + "]), the model's " +
           Pounds(modelPounds) + " lb.";
}

bool XPlaneLink::WriteTank(Tank tank, double pounds, const CancelFlag& cancel,
                           WebProblem& problem) {
    const std::string path =
        WithQuery(ValuePath(Fuel), "index", std::to_string(XPlaneTankElement[TankIndex(tank)]));
    const WebReply reply = web_.Patch(path, {{"data", pounds * plan::KilogramsPerPound}}, cancel);
    if (reply.Ok()) {
        return true;
    }
    problem = {
        reply.end == WebEnd::Cancelled, TroubleOf(reply),
        RequestFailureText(Simulator, std::string("the write of ") + XPlaneFuelDataref, reply)};
    return false;
}

TankPounds XPlaneLink::ReadBack(const CancelFlag& cancel, const WaitReport& report) {
    TellStep(report, "Reading the tank levels back from X-Plane...", ReadBackRequests(),
             web_.RequestLimit());
    TankPounds held;
    const std::optional<json> levels = ReadValue(Fuel, cancel, held.problem);
    if (!levels) {
        return held;
    }
    std::array<double, TankCount> heldPounds{};
    for (Tank tank : BoardingOrder) {
        const auto element = static_cast<std::size_t>(XPlaneTankElement[TankIndex(tank)]);
        const std::optional<double> pounds = levels->is_array() && element < levels->size()
                                                 ? FuelPounds((*levels)[element])
                                                 : std::nullopt;
        if (!pounds) {
            held.problem.trouble = Trouble::BadAnswer;
            held.problem.detail = std::string("X-Plane's ") + XPlaneFuelDataref + " holds no " +
                                  TankName(tank) + " tank level: " + Quote(*levels) + ".";
            return held;
        }
        heldPounds[TankIndex(tank)] = *pounds;
    }
    held.pounds = heldPounds;
    return held;
}

std::string XPlaneLink::SimulatorName() const {
    return Simulator;
}

BoardingResult XPlaneLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                     const WaitReport& report) {
    return BoardWeb(order, cancel, report, *this);
}

PayloadResult XPlaneLink::ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                      const WaitReport& report) {
    PayloadResult result =
        CheckedPayload(CheckLoaded(aircraft, {Aircraft, Payload}, 1, cancel, report));
    if (result.end != PayloadEnd::Read) {
        return result;
    }
    TellStep(report, "Reading the payload from X-Plane...", 1, web_.RequestLimit());
    WebProblem problem;
    const std::optional<json> kilograms = ReadValue(Payload, cancel, problem);
    if (!kilograms) {
        result.end = problem.cancelled ? PayloadEnd::Cancelled : PayloadEnd::Failed;
        if (!problem.cancelled) {
            result.trouble = problem.trouble;
            result.detail = problem.detail;
        }
        return result;
    }
    const std::optional<std::int32_t> total =
        kilograms->is_number()
            ? AddStationWeight(0, kilograms->get<double>() / plan::KilogramsPerPound)
            : std::nullopt;
    if (!total) {
        result.end = PayloadEnd::Failed;
        result.trouble = Trouble::BadAnswer;
        result.detail = std::string("X-Plane's ") + XPlanePayloadDataref +
                        " holds no payload weight: " + Quote(*kilograms) + ".";
        return result;
    }
    result.totalPounds = *total;
    return result;
}

AircraftResult XPlaneLink::ReadAircraft(const ExpectedAircraft& aircraft,
                                        const std::array<double, TankCount>& capacityPounds,
                                        const CancelFlag& cancel, const WaitReport& report) {
    return ReadWebAircraft(ReadPayload(aircraft, cancel, report), capacityPounds, cancel, report,
                           *this);
}

}  // namespace tarnwell::sim
