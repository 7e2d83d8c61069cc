#include "sim/web/flightgear_link.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <optional>
#include <utility>

#include "plan/arithmetic.h"
#include "sim/usable_weight.h"

namespace tarnwell::sim {
namespace {

using nlohmann::json;

constexpr const char* Simulator = "FlightGear";

std::string TankPath(Tank tank) {
    return "/consumables/fuel/tank[" + std::to_string(FlightGearTank[TankIndex(tank)]) +
           "]/level-lbs";
}

// The node's child of that name and index, as the property server lists
// children; null when there is none.
const json* Child(const json& node, const std::string& name, std::int64_t index) {
    const json* children = Member(node, "children");
    if (children == nullptr || !children->is_array()) {
        return nullptr;
    }
    for (const json& child : *children) {
        const json* childName = Member(child, "name");
        const json* childIndex = Member(child, "index");
        if (childName != nullptr && *childName == name && childIndex != nullptr &&
            childIndex->is_number_integer() && childIndex->get<std::int64_t>() == index) {
            return &child;
        }
    }
    return nullptr;
}

// Pounds FlightGear gives: a number, not below zero, within the planner's
// 32-bit pounds.
std::optional<double> Pounds(const json* node) {
    const json* value = node != nullptr ? FlightGearValue(*node) : nullptr;
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    return UsablePounds(value->get<double>());
}

WebTiming FlightGearTiming(WebTiming timing) {
    timing.requestTimeout = timing.flightgearRequestTimeout;
    return timing;
}

// Whole pounds for a detail text; a figure beyond them is named as such.
std::string WholePounds(double pounds) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return whole ? std::to_string(*whole) + " lb" : std::string("no usable weight");
}

// A number FlightGear gives for a node's child; none when missing or no number.
std::optional<double> Number(const json* node, const char* name) {
    const json* child = node != nullptr ? Child(*node, name, 0) : nullptr;
    const json* value = child != nullptr ? FlightGearValue(*child) : nullptr;
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    return value->get<double>();
}

Trouble TroubleOf(const WebReply& reply) {
    switch (reply.end) {
        case WebEnd::Cancelled:
            return Trouble::None;
        case WebEnd::NoAnswer:
            return Trouble::NoAnswer;
        case WebEnd::Answered:
            return reply.Ok() ? Trouble::BadAnswer : Trouble::Refused;
        case WebEnd::NotJson:
        case WebEnd::TooLarge:
        case WebEnd::Redirected:
            break;
    }
    return Trouble::BadAnswer;
}

// The 737 short ids FlightGear's older models use ("738" for the 737-800):
// the whole id, or the id's start before a letter. "737" is no short id of
// the 737-700, as every 737's id starts with it.
bool NamesShortId(const std::string& id, const std::string& series) {
    if (series.size() != 7 || series.compare(0, 4, "737-") != 0 || series[4] == '7') {
        return false;
    }
    const std::string code = std::string("73") + series[4];
    return id.compare(0, code.size(), code) == 0 &&
           (id.size() == code.size() || std::isalpha(static_cast<unsigned char>(id[code.size()])));
}

}  // namespace

bool FlightGearNamesSeries(const std::string& aircraftId, const std::string& seriesName) {
    const std::string id = Folded(aircraftId);
    const std::string series = Folded(seriesName);
    return !series.empty() && (id.find(series) != std::string::npos || NamesShortId(id, series));
}

const json* FlightGearValue(const json& node) {
    const json* path = Member(node, "path");
    return path != nullptr && path->is_string() ? Member(node, "value") : nullptr;
}

OpenResult OpenFlightGear(const Endpoint& endpoint, const CancelFlag& cancel,
                          const WaitReport& report, WebTiming timing) {
    WebClient web(endpoint, FlightGearTiming(timing));
    const std::string where = web.Where();
    TellStep(report, "Looking for FlightGear at " + where + "...", 1, web.RequestLimit());
    const WebReply reply = web.Get("/json/sim/aircraft", cancel);
    switch (reply.end) {
        case WebEnd::Cancelled:
            return NotOpen(OpenEnd::Cancelled, {});
        case WebEnd::NoAnswer:
            return NotOpen(OpenEnd::NoAnswer,
                           "FlightGear does not answer at " + where + ": " + reply.error + ".");
        case WebEnd::Redirected:
            return NotOpen(OpenEnd::NotThisSimulator,
                           "Something else answers at " + where + ": it redirects to " +
                               (reply.location.empty() ? "another page" : reply.location) + ".");
        case WebEnd::Answered:
            if (reply.Ok() && Member(reply.json, "name") != nullptr &&
                *Member(reply.json, "name") == "aircraft" && FlightGearValue(reply.json) &&
                FlightGearValue(reply.json)->is_string()) {
                OpenResult result;
                result.end = OpenEnd::Open;
                result.link = std::make_unique<FlightGearLink>(endpoint, timing);
                return result;
            }
            return NotOpen(OpenEnd::NotThisSimulator, "Something else answers at " + where +
                                                          ": its answer (" + reply.StatusText() +
                                                          ") is not FlightGear's.");
        case WebEnd::NotJson:
        case WebEnd::TooLarge:
            break;
    }
    return NotOpen(OpenEnd::NotThisSimulator,
                   "Something else answers at " + where + ": " + reply.error + ".");
}

FlightGearLink::FlightGearLink(const Endpoint& endpoint, const WebTiming& timing)
    : web_(endpoint, FlightGearTiming(timing)), readTries_(std::max(1, timing.readTries)) {}

WebReply FlightGearLink::Read(const std::string& path, const CancelFlag& cancel,
                              const WaitReport& report, const std::string& what,
                              int requestsAfter) {
    const std::chrono::milliseconds limit = web_.RequestLimit();
    WebReply reply;
    for (int attempt = 1; attempt <= readTries_; ++attempt) {
        if (report) {
            report(WaitStep{what, attempt, readTries_,
                            (readTries_ - attempt + 1 + requestsAfter) * limit});
        }
        reply = web_.Get(path, cancel);
        // A busy FlightGear may miss one frame's answer; a refusal or an
        // answer it gave stands.
        if (reply.end != WebEnd::NoAnswer) {
            break;
        }
    }
    return reply;
}

AircraftCheck FlightGearLink::CheckLoaded(const ExpectedAircraft& expected,
                                          const CancelFlag& cancel, const WaitReport& report,
                                          int requestsAfter) {
    AircraftCheck check;
    const WebReply reply = Read("/json/sim/aircraft", cancel, report,
                                "Checking the aircraft in FlightGear...", requestsAfter);
    const json* aircraft = reply.Ok() ? FlightGearValue(reply.json) : nullptr;
    if (reply.end == WebEnd::Cancelled) {
        check.problem.cancelled = true;
    } else if (aircraft == nullptr || !aircraft->is_string()) {
        check.problem.trouble = TroubleOf(reply);
        check.problem.detail =
            reply.Ok() ? "FlightGear names no aircraft in /sim/aircraft."
                       : RequestFailureText(Simulator, "the read of /sim/aircraft", reply);
    } else if (!FlightGearNamesSeries(aircraft->get<std::string>(), expected.seriesName)) {
        check.end = AircraftCheck::End::Other;
        check.loadedAircraft = aircraft->get<std::string>();
    } else {
        check.end = AircraftCheck::End::Expected;
    }
    return check;
}

AircraftCheck FlightGearLink::CheckAircraft(const ExpectedAircraft& aircraft,
                                            const CancelFlag& cancel, const WaitReport& report) {
    return CheckLoaded(aircraft, cancel, report, 2 * readTries_ + static_cast<int>(TankCount));
}

// What each tank holds at most: its volume times the fuel's density, as
// FlightGear keeps them (it names no capacity in pounds).
TankPounds FlightGearLink::ReadCapacities(const CancelFlag& cancel, const WaitReport& report) {
    TankPounds capacity;
    const WebReply reply = Read(WithQuery("/json/consumables/fuel", "d", "2"), cancel, report,
                                "Reading the tank capacities from FlightGear...",
                                static_cast<int>(TankCount) + readTries_);
    if (!reply.Ok()) {
        capacity.problem = {reply.end == WebEnd::Cancelled, TroubleOf(reply),
                            RequestFailureText(Simulator, "the read of /consumables/fuel", reply)};
        return capacity;
    }
    std::array<double, TankCount> pounds{};
    for (Tank tank : BoardingOrder) {
        const std::string path =
            "/consumables/fuel/tank[" + std::to_string(FlightGearTank[TankIndex(tank)]) + "]";
        const json* tankNode = Child(reply.json, "tank", FlightGearTank[TankIndex(tank)]);
        if (tankNode == nullptr) {
            capacity.otherLayout = true;
            capacity.problem.detail = "FlightGear's aircraft has no " + path + ".";
            return capacity;
        }
        const std::optional<double> gallons = Number(tankNode, "capacity-gal_us");
        const std::optional<double> density = Number(tankNode, "density-ppg");
        if (!gallons || !density) {
            capacity.problem.trouble = Trouble::BadAnswer;
            capacity.problem.detail =
                "FlightGear holds no capacity-gal_us and density-ppg in " + path + ".";
            return capacity;
        }
        pounds[TankIndex(tank)] = *gallons * *density;
    }
    capacity.pounds = pounds;
    return capacity;
}

std::string FlightGearLink::UnlikeDetail(Tank tank, double simulatorPounds,
                                         double modelPounds) const {
    return std::string("FlightGear's ") + TankName(tank) + " tank holds " +
           WholePounds(simulatorPounds) + ", the model's " + WholePounds(modelPounds) + ".";
}

bool FlightGearLink::WriteTank(Tank tank, double pounds, const CancelFlag& cancel,
                               WebProblem& problem) {
    const WebReply reply = web_.Post("/json" + TankPath(tank), {{"value", pounds}}, cancel);
    if (reply.Ok()) {
        return true;
    }
    problem = {reply.end == WebEnd::Cancelled, TroubleOf(reply),
               RequestFailureText(Simulator, "the write of " + TankPath(tank), reply)};
    return false;
}

TankPounds FlightGearLink::ReadBack(const CancelFlag& cancel, const WaitReport& report) {
    TankPounds held;
    // The whole fuel node, two levels deep, holds every tank's level.
    const WebReply reply = Read(WithQuery("/json/consumables/fuel", "d", "2"), cancel, report,
                                "Reading the tank levels back from FlightGear...", 0);
    if (!reply.Ok()) {
        held.problem = {reply.end == WebEnd::Cancelled, TroubleOf(reply),
                        RequestFailureText(Simulator, "the read of /consumables/fuel", reply)};
        return held;
    }
    std::array<double, TankCount> heldPounds{};
    for (Tank tank : BoardingOrder) {
        const json* tankNode = Child(reply.json, "tank", FlightGearTank[TankIndex(tank)]);
        const std::optional<double> pounds =
            Pounds(tankNode != nullptr ? Child(*tankNode, "level-lbs", 0) : nullptr);
        if (!pounds) {
            held.problem.trouble = Trouble::BadAnswer;
            held.problem.detail = "FlightGear holds no level in " + TankPath(tank) + ".";
            return held;
        }
        heldPounds[TankIndex(tank)] = *pounds;
    }
    held.pounds = heldPounds;
    return held;
}

std::string FlightGearLink::SimulatorName() const {
    return Simulator;
}

BoardingResult FlightGearLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                         const WaitReport& report) {
    return BoardWeb(order, cancel, report, *this);
}

namespace {

// Every child of that name the node lists, whatever its index (a model
// may leave numbers out), each rounded as it is added.
bool AddChildren(const json& node, const std::string& name, const std::string& parent,
                 const char* leaf, PayloadResult& result, int& found) {
    const json* children = Member(node, "children");
    if (children == nullptr || !children->is_array()) {
        return true;
    }
    for (const json& child : *children) {
        const json* childName = Member(child, "name");
        const json* childIndex = Member(child, "index");
        if (childName == nullptr || *childName != name || childIndex == nullptr ||
            !childIndex->is_number_integer()) {
            continue;
        }
        const json* weight = leaf != nullptr ? Child(child, leaf, 0) : &child;
        const json* value = weight != nullptr ? FlightGearValue(*weight) : nullptr;
        const std::optional<std::int32_t> sum =
            value != nullptr && value->is_number()
                ? AddStationWeight(result.totalPounds, value->get<double>())
                : std::nullopt;
        if (!sum) {
            result.trouble = Trouble::BadAnswer;
            result.detail = "FlightGear's " + parent + name + "[" +
                            std::to_string(childIndex->get<std::int64_t>()) + "]" +
                            (leaf != nullptr ? std::string("/") + leaf : std::string()) +
                            " holds no weight the planner can take: " +
                            (value != nullptr ? Quote(*value) : std::string("none")) + ".";
            return false;
        }
        result.totalPounds = *sum;
        ++found;
    }
    return true;
}

}  // namespace

PayloadResult FlightGearLink::ReadPayload(const ExpectedAircraft& aircraft,
                                          const CancelFlag& cancel, const WaitReport& report) {
    const int tries = readTries_;
    PayloadResult result = CheckedPayload(CheckLoaded(aircraft, cancel, report, 2 * tries));
    if (result.end != PayloadEnd::Read) {
        return result;
    }
    result.end = PayloadEnd::Failed;
    // A JSBSim aircraft carries its point masses: a model's stations may
    // hold passenger counts its systems turn into those masses.
    WebReply reply = Read(WithQuery("/json/fdm/jsbsim/inertia", "d", "1"), cancel, report,
                          "Reading the payload from FlightGear...", tries);
    if (reply.end == WebEnd::Cancelled) {
        result.end = PayloadEnd::Cancelled;
        return result;
    }
    int found = 0;
    if (reply.Ok()) {
        if (!AddChildren(reply.json, "pointmass-weight-lbs", "/fdm/jsbsim/inertia/", nullptr,
                         result, found)) {
            return result;
        }
    } else if (reply.status != 404) {
        result.trouble = TroubleOf(reply);
        result.detail = RequestFailureText(Simulator, "the read of /fdm/jsbsim/inertia", reply);
        return result;
    }
    if (found == 0) {
        reply = Read(WithQuery("/json/payload", "d", "2"), cancel, report,
                     "Reading the payload stations from FlightGear...", 0);
        if (reply.end == WebEnd::Cancelled) {
            result.end = PayloadEnd::Cancelled;
            return result;
        }
        const std::string noStations = "The aircraft loaded in FlightGear has no payload stations.";
        if (reply.status == 404) {
            result.trouble = Trouble::BadAnswer;
            result.detail = noStations;
            return result;
        }
        if (!reply.Ok()) {
            result.trouble = TroubleOf(reply);
            result.detail = RequestFailureText(Simulator, "the read of /payload", reply);
            return result;
        }
        if (!AddChildren(reply.json, "weight", "/payload/", "weight-lb", result, found)) {
            return result;
        }
        if (found == 0) {
            result.trouble = Trouble::BadAnswer;
            result.detail = noStations;
            return result;
        }
    }
    result.end = PayloadEnd::Read;
    return result;
}

AircraftResult FlightGearLink::ReadAircraft(const ExpectedAircraft& aircraft,
                                            const std::array<double, TankCount>& capacityPounds,
                                            const CancelFlag& cancel, const WaitReport& report) {
    return ReadWebAircraft(ReadPayload(aircraft, cancel, report), capacityPounds, cancel, report,
                           *this);
}

}  // namespace tarnwell::sim
