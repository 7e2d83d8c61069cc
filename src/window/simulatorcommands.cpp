#include "window/simulatorcommands.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "plan/arithmetic.h"
#include "plan/fuel_load.h"
#include "sim/connection.h"
#include "sim/tank_levels.h"

namespace tarnwell::window {

namespace {

constexpr std::string_view Paragraph = "\r\n\r\n";

// "the left main", "the left main and right main", "the left main, right
// main and centre".
std::string Joined(const std::vector<const char*>& names) {
    std::string text = "the ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += i + 1 == names.size() ? " and " : ", ";
        }
        text += names[i];
    }
    return text;
}

std::string Tanks(const std::vector<const char*>& names) {
    return Joined(names) + (names.size() == 1 ? " tank" : " tanks");
}

// A weight in the display unit, as the fields show it, with its unit.
std::string Shown(double pounds, plan::Unit unit) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return plan::FromPounds(whole.value_or(0), unit) + plan::UnitSuffix(unit);
}

// Which tanks hold the new figure and which do not, after a boarding that
// stopped after `written` tanks.
std::string WrittenSentence(std::size_t written) {
    std::vector<const char*> done;
    std::vector<const char*> left;
    for (sim::Tank tank : sim::BoardingOrder) {
        (sim::TankIndex(tank) < written ? done : left).push_back(sim::TankName(tank));
    }
    std::string text = Tanks(done);
    text[0] = 'T';
    return text + (done.size() == 1 ? " holds" : " hold") + " the planned fuel now; " +
           Tanks(left) + (left.size() == 1 ? " does" : " do") + " not.";
}

std::string SimulatorTitle(sim::SimulatorKind kind) {
    return kind == sim::SimulatorKind::XPlane ? "X-Plane" : "FlightGear";
}

std::optional<Message> NegativeEntriesRefusal(const plan::PlanFigures& figures) {
    std::vector<const char*> negative;
    for (const plan::Field entry : plan::NegativeEntries(figures)) {
        switch (entry) {
            case plan::Field::Payload:
                negative.push_back("payload");
                break;
            case plan::Field::HoldingFuel:
                negative.push_back("holding fuel");
                break;
            case plan::Field::MinimumFuel:
                negative.push_back("minimum landing fuel");
                break;
            default:
                negative.push_back("taxi fuel");
                break;
        }
    }
    if (negative.empty()) {
        return std::nullopt;
    }
    return Message{"The planned fuel cannot be boarded: " + Joined(negative) +
                       (negative.size() == 1 ? " is" : " are") +
                       " below zero. Correct it, then try again.",
                   "Error", MessageIcon::Exclamation};
}

}  // namespace

sim::ExpectedAircraft ExpectedAircraftFor(data::ModelId model) {
    const auto index = static_cast<std::size_t>(data::ModelIndex(model));
    return {std::string(data::Model(model).modelName), std::string(data::IcaoTypes[index]),
            std::string(data::SeriesNames[index])};
}

Boarding PrepareBoarding(const plan::PlanFigures& figures, data::ModelId model, plan::Unit unit) {
    Boarding boarding;
    boarding.refusal = NegativeEntriesRefusal(figures);
    if (boarding.refusal) {
        return boarding;
    }
    const data::AircraftModel& limits = data::Model(model);
    const std::optional<std::int32_t> mainLevel =
        sim::TankLevel(figures.mainTankFuel, limits.mainTankCapacity);
    const std::optional<std::int32_t> centerLevel =
        sim::TankLevel(figures.centerTankFuel, limits.centerTankCapacity);
    if (!mainLevel || !centerLevel) {
        boarding.refusal = Message{NegativeFuelText, "Error", MessageIcon::Exclamation};
        return boarding;
    }
    sim::FuelOrder& order = boarding.order;
    order.pounds[sim::TankIndex(sim::Tank::LeftMain)] = figures.mainTankFuel;
    order.pounds[sim::TankIndex(sim::Tank::RightMain)] = figures.mainTankFuel;
    order.pounds[sim::TankIndex(sim::Tank::Center)] = figures.centerTankFuel;
    order.capacityPounds[sim::TankIndex(sim::Tank::LeftMain)] = limits.mainTankCapacity;
    order.capacityPounds[sim::TankIndex(sim::Tank::RightMain)] = limits.mainTankCapacity;
    order.capacityPounds[sim::TankIndex(sim::Tank::Center)] = limits.centerTankCapacity;
    order.mainLevel = *mainLevel;
    order.centerLevel = *centerLevel;
    order.aircraft = ExpectedAircraftFor(model);

    BoardingPlan& planned = boarding.planned;
    planned.unit = unit;
    planned.pounds = order.pounds;
    planned.unboardedPounds = plan::FuelNotLoaded(figures);
    planned.modelName = std::string(limits.modelName);
    return boarding;
}

Message ConnectFailureMessage(const sim::ConnectFailure& failure) {
    if (failure.simulator == sim::SimulatorKind::Module) {
        return {sim::ConnectionFailureText(failure.moduleCode), ConnectionFailureTitle,
                MessageIcon::Critical};
    }
    const std::string name = SimulatorTitle(failure.simulator);
    const std::string how = failure.simulator == sim::SimulatorKind::XPlane
                                ? "X-Plane 12.1.1 or later is running, with incoming traffic "
                                  "allowed in its network settings."
                                : "FlightGear is running with its HTTP server (fgfs --httpd=PORT).";
    return {name + " connection failure: " + failure.detail + std::string(Paragraph) +
                "Ensure that " + how,
            ConnectionFailureTitle, MessageIcon::Critical};
}

std::optional<Message> BoardingMessage(const sim::BoardingOutcome& outcome,
                                       const BoardingPlan& planned) {
    if (outcome.notConnected) {
        if (outcome.notConnected->cancelled) {
            return std::nullopt;
        }
        return ConnectFailureMessage(*outcome.notConnected);
    }
    const sim::BoardingResult& result = outcome.result;
    const std::string detail =
        result.detail.empty() ? std::string() : std::string(Paragraph) + result.detail;
    switch (result.end) {
        case sim::BoardingEnd::Boarded: {
            std::string text = BoardedText;
            if (planned.unboardedPounds > 0) {
                text += std::string(Paragraph) + Shown(planned.unboardedPounds, planned.unit) +
                        " of the planned fuel did not fit into the tanks and was not boarded.";
            }
            return Message{text, "Success!", MessageIcon::Information};
        }
        case sim::BoardingEnd::WrongAircraft:
            return Message{"The aircraft loaded in " + outcome.simulator + " is \"" +
                               result.loadedAircraft + "\", not a " + planned.modelName +
                               ". Nothing was boarded." + std::string(Paragraph) + "Load the " +
                               planned.modelName +
                               " in the simulator, or choose the model that is loaded, then "
                               "try again.",
                           "Error", MessageIcon::Exclamation};
        case sim::BoardingEnd::WriteFailed: {
            // The module's box is the one the planner has always shown.
            if (result.detail.empty()) {
                return Message{WriteFailedText, "Error", MessageIcon::None};
            }
            std::string text = std::string(WriteFailedText) + detail;
            if (result.tanksWritten > 0) {
                text += std::string(Paragraph) + WrittenSentence(result.tanksWritten);
            }
            return Message{text, "Error", MessageIcon::None};
        }
        case sim::BoardingEnd::Differs: {
            std::string text = outcome.simulator + " does not hold the planned fuel:";
            text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
            if (result.heldPounds) {
                for (sim::Tank tank : sim::BoardingOrder) {
                    const std::size_t i = sim::TankIndex(tank);
                    std::string name = sim::TankName(tank);
                    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
                    text += "\r\n" + name +
                            " tank: " + Shown((*result.heldPounds)[i], planned.unit) +
                            ", planned " + Shown(planned.pounds[i], planned.unit);
                }
            }
            text += detail + std::string(Paragraph) +
                    "The aircraft may hold less than planned, or manage its fuel itself.";
            return Message{text, "Error", MessageIcon::Exclamation};
        }
        case sim::BoardingEnd::Cancelled:
            if (result.tanksWritten == 0) {
                return std::nullopt;
            }
            return Message{"Boarding was cancelled. " + WrittenSentence(result.tanksWritten),
                           "Error", MessageIcon::Exclamation};
    }
    return std::nullopt;
}

std::optional<Message> PayloadFailureMessage(const sim::PayloadOutcome& outcome) {
    if (outcome.notConnected) {
        if (outcome.notConnected->cancelled) {
            return std::nullopt;
        }
        return ConnectFailureMessage(*outcome.notConnected);
    }
    if (outcome.result.end == sim::PayloadEnd::Cancelled) {
        return std::nullopt;
    }
    std::string text = ReadFailedText;
    if (!outcome.result.detail.empty()) {
        text += std::string(Paragraph) + outcome.result.detail;
    }
    return Message{text, "Error", MessageIcon::None};
}

Message PayloadReadMessage(const std::string& fieldText, plan::Unit unit) {
    const bool kilograms = unit == plan::Unit::Kilograms;
    return {PayloadReadText + fieldText + (kilograms ? " kilograms." : " pounds."), "Success!",
            MessageIcon::Information};
}

}  // namespace tarnwell::window
