#include "sim/flightgear_link.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "plan/arithmetic.h"
#include "sim/tank_levels.h"

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

}  // namespace

const json* FlightGearValue(const json& node) {
    const json* path = Member(node, "path");
    return path != nullptr && path->is_string() ? Member(node, "value") : nullptr;
}

OpenResult OpenFlightGear(const Endpoint& endpoint, const CancelFlag& cancel,
                          const WaitReport& report, WebTiming timing) {
    WebClient web(endpoint, timing);
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
    : web_(endpoint, timing) {}

BoardingResult FlightGearLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                         const WaitReport& report) {
    BoardingResult result;
    result.boardedPounds = order.pounds;
    WebReply reply;
    // Ends the boarding where it stands: cancelled, or `tank` not written.
    auto stop = [&](Tank tank, std::size_t written, std::string detail) {
        result.tanksWritten = written;
        if (reply.end == WebEnd::Cancelled) {
            result.end = BoardingEnd::Cancelled;
        } else {
            result.end = BoardingEnd::WriteFailed;
            result.failed = tank;
            result.detail = std::move(detail);
        }
        return result;
    };
    const std::chrono::milliseconds limit = web_.RequestLimit();
    const int writesAndReadBack = static_cast<int>(TankCount) + 1;

    TellStep(report, "Checking the aircraft in FlightGear...", 1 + writesAndReadBack, limit);
    reply = web_.Get("/json/sim/aircraft", cancel);
    const json* aircraft = reply.Ok() ? FlightGearValue(reply.json) : nullptr;
    if (aircraft == nullptr || !aircraft->is_string()) {
        return stop(Tank::LeftMain, 0,
                    reply.Ok() ? "FlightGear names no aircraft in /sim/aircraft."
                               : RequestFailureText(Simulator, "the read of /sim/aircraft", reply));
    }
    const std::string aircraftId = aircraft->get<std::string>();
    if (Folded(aircraftId).find(Folded(order.aircraft.seriesName)) == std::string::npos) {
        result.end = BoardingEnd::WrongAircraft;
        result.loadedAircraft = aircraftId;
        return result;
    }
    for (Tank tank : BoardingOrder) {
        const double pounds = order.pounds[TankIndex(tank)];
        if (!std::isfinite(pounds) || pounds < 0) {
            return stop(
                tank, 0,
                std::string("The plan's ") + TankName(tank) + " tank figure is not a fuel load.");
        }
    }

    for (std::size_t i = 0; i < TankCount; ++i) {
        const Tank tank = BoardingOrder[i];
        TellStep(report,
                 std::string("Writing the ") + TankName(tank) + " tank level in FlightGear...",
                 writesAndReadBack - static_cast<int>(i), limit);
        reply =
            web_.Post("/json" + TankPath(tank), {{"value", order.pounds[TankIndex(tank)]}}, cancel);
        if (!reply.Ok()) {
            return stop(tank, i,
                        RequestFailureText(Simulator, "the write of " + TankPath(tank), reply));
        }
    }
    result.tanksWritten = TankCount;

    // The whole fuel node, two levels deep, holds every tank's level.
    TellStep(report, "Reading the tank levels back from FlightGear...", 1, limit);
    reply = web_.Get(WithQuery("/json/consumables/fuel", "d", "2"), cancel);
    // Written but not confirmed: the figures FlightGear holds are unknown.
    result.end = reply.end == WebEnd::Cancelled ? BoardingEnd::Cancelled : BoardingEnd::Differs;
    if (!reply.Ok()) {
        if (reply.end != WebEnd::Cancelled) {
            result.detail = RequestFailureText(Simulator, "the read of /consumables/fuel", reply);
        }
        return result;
    }
    std::array<double, TankCount> heldPounds{};
    for (Tank tank : BoardingOrder) {
        const json* tankNode = Child(reply.json, "tank", FlightGearTank[TankIndex(tank)]);
        const std::optional<double> pounds =
            Pounds(tankNode != nullptr ? Child(*tankNode, "level-lbs", 0) : nullptr);
        if (!pounds) {
            result.detail = "FlightGear holds no level in " + TankPath(tank) + ".";
            return result;
        }
        heldPounds[TankIndex(tank)] = *pounds;
    }
    SettleReadBack(result, heldPounds);
    return result;
}

PayloadResult FlightGearLink::ReadPayload(const ExpectedAircraft& /*aircraft*/,
                                          const CancelFlag& cancel, const WaitReport& report) {
    PayloadResult result;
    TellStep(report, "Reading the payload from FlightGear...", 1, web_.RequestLimit());
    const WebReply reply = web_.Get(WithQuery("/json/payload", "d", "2"), cancel);
    if (reply.end == WebEnd::Cancelled) {
        result.end = PayloadEnd::Cancelled;
        return result;
    }
    const std::string noStations = "The aircraft loaded in FlightGear has no payload stations.";
    if (reply.status == 404) {
        result.detail = noStations;
        return result;
    }
    if (!reply.Ok()) {
        result.detail = RequestFailureText(Simulator, "the read of /payload", reply);
        return result;
    }
    std::int32_t total = 0;
    std::int64_t stations = 0;
    for (const json* station = Child(reply.json, "weight", 0); station != nullptr;
         station = Child(reply.json, "weight", ++stations)) {
        const json* weight = Child(*station, "weight-lb", 0);
        const json* value = weight != nullptr ? FlightGearValue(*weight) : nullptr;
        const std::optional<std::int32_t> sum = value != nullptr && value->is_number()
                                                    ? AddStationWeight(total, value->get<double>())
                                                    : std::nullopt;
        if (!sum) {
            result.detail = "FlightGear's /payload/weight[" + std::to_string(stations) +
                            "]/weight-lb holds no weight the planner can take: " +
                            (value != nullptr ? Quote(*value) : std::string("none")) + ".";
            return result;
        }
        total = *sum;
    }
    if (stations == 0) {
        result.detail = noStations;
        return result;
    }
    result.end = PayloadEnd::Read;
    result.totalPounds = total;
    return result;
}

}  // namespace tarnwell::sim
