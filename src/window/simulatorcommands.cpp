#include "window/simulatorcommands.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>
#include <vector>

#include "plan/arithmetic.h"
#include "plan/fuel_load.h"
#include "plan/plan_steps.h"
#include "sim/module/connection.h"
#include "sim/tank_capacity.h"
#include "sim/usable_weight.h"

namespace tarnwell::window {

namespace {

constexpr std::string_view Paragraph = "\r\n\r\n";

// What a trouble means to a pilot, after the simulator's name.
struct TroubleWords {
    sim::Trouble trouble;
    const char* words;
};
constexpr TroubleWords TroubleTable[] = {
    {sim::Trouble::NoAnswer, " did not answer in time, or the connection to it broke."},
    {sim::Trouble::IncomingTrafficDisabled,
     " refuses the request: in X-Plane's network settings, untick Disable Incoming Traffic."},
    {sim::Trouble::Refused, " refused the request."},
    {sim::Trouble::NoFlight, " has no flight loaded: start a flight, then try again."},
    {sim::Trouble::ReadOnly,
     " does not let other programs change the fuel: the aircraft may manage it itself."},
    {sim::Trouble::BadAnswer, " gave an answer the planner cannot use."},
};

std::string Capitalised(std::string text) {
    if (!text.empty()) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    return text;
}

// "the left main", "the left main and right main", "the left main, right
// main and centre".
std::string Joined(const std::vector<std::string>& names) {
    std::string text = "the ";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += i + 1 == names.size() ? " and " : ", ";
        }
        text += names[i];
    }
    return text;
}

std::string Tanks(const std::vector<std::string>& names) {
    return Joined(names) + (names.size() == 1 ? " tank" : " tanks");
}

// A sentence's end: the unit's abbreviation ("Lbs.") may have ended it.
std::string Ended(std::string text) {
    if (text.empty() || text.back() != '.') {
        text += '.';
    }
    return text;
}

// A weight in the display unit, as the fields show it, with its unit.
std::string Shown(double pounds, plan::Unit unit) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return plan::FromPounds(whole.value_or(0), unit) + plan::UnitSuffix(unit);
}

// "127.0.0.1:8086", "[::1]:8086", a long host cut.
std::string Where(const sim::Endpoint& endpoint) {
    const std::string host = CutForBox(endpoint.host);
    const bool ipv6 = endpoint.host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(endpoint.port);
}

// The name of a weight that a limit mark turns red.
const char* LimitName(plan::Field field) {
    switch (field) {
        case plan::Field::ZFW:
            return "zero fuel weight";
        case plan::Field::PLW:
            return "landing weight";
        case plan::Field::GTOW:
            return "take-off weight";
        case plan::Field::TaxiWeight:
            return "taxi weight";
        default:
            break;
    }
    return "total fuel";
}

std::optional<Message> NegativeEntriesRefusal(const plan::PlanFigures& figures) {
    std::vector<std::string> negative;
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

// Asked before a plan with more fuel than the model's tanks hold is
// boarded: the plan cannot be flown as it stands, and the pilot may rather
// change it than fly with the tanks full.
std::optional<Question> UnfitQuestion(const plan::PlanFigures& figures,
                                      const data::AircraftModel& limits, plan::Unit unit) {
    const std::int32_t unboarded = plan::FuelNotLoaded(figures);
    if (unboarded <= 0) {
        return std::nullopt;
    }
    std::vector<std::string> red;
    for (const plan::LimitMark& mark : plan::LimitMarks(figures, limits)) {
        if (mark.overLimit) {
            red.push_back(LimitName(mark.field));
        }
    }
    std::string text = "The planned fuel does not fit into the tanks: the " +
                       std::string(limits.modelName) + " holds " +
                       Shown(data::FuelCapacity(limits), unit) + ", " + Shown(unboarded, unit) +
                       " less than the " + Shown(figures.totalFuel, unit) + " planned.";
    if (!red.empty()) {
        text += std::string(Paragraph) + Capitalised(Joined(red)) +
                (red.size() == 1 ? " is" : " are") +
                " shown in red: the plan cannot be flown as it stands.";
    }
    text += std::string(Paragraph) +
            "Board fills the tanks and leaves the rest out; Cancel boards nothing.";
    return Question{{text, "Board Fuel", MessageIcon::Exclamation}, "Board"};
}

// After a boarding that left fuel out (the plan more than the model's
// tanks, or a simulator's tanks smaller than the model's): how much was
// boarded, how much did not fit, and which of the simulator's tanks are
// full. Empty when everything planned was boarded.
std::string FitSentence(const sim::BoardingOutcome& outcome, const BoardingPlan& planned) {
    const sim::BoardingResult& result = outcome.result;
    double boarded = 0;
    double notFit = planned.unboardedPounds;
    std::vector<std::string> full;
    for (sim::Tank tank : sim::BoardingOrder) {
        const std::size_t i = sim::TankIndex(tank);
        const double written = result.capacityPounds ? result.boardedPounds[i] : planned.pounds[i];
        boarded += written;
        const double cut = std::max(0.0, planned.pounds[i] - written);
        notFit += cut;
        if (cut >= 0.5) {
            full.push_back(std::string("the ") + sim::TankName(tank) + " tank at " +
                           Shown(written, planned.unit));
        }
    }
    if (plan::RoundToInt32(notFit).value_or(0) <= 0) {
        return {};
    }
    std::string text = Shown(boarded, planned.unit) + " of fuel were boarded; " +
                       Shown(notFit, planned.unit) +
                       " of the planned fuel did not fit into the tanks.";
    if (!full.empty()) {
        text += " Full in " + SimulatorName(outcome.kind) + ": ";
        for (std::size_t i = 0; i < full.size(); ++i) {
            if (i > 0) {
                text += i + 1 == full.size() ? " and " : ", ";
            }
            text += full[i];
        }
        text = Ended(text);
    }
    return text;
}

std::string AircraftNamed(const std::string& loaded) {
    if (loaded.empty()) {
        return "has no type code";
    }
    return "is \"" + CutForBox(loaded) + "\"";
}

// Another aircraft than the plan's: named, with what the pilot can do.
Message WrongAircraftMessage(const std::string& simulator, const std::string& loaded,
                             const std::string& modelName, const char* notDone) {
    return {"The aircraft loaded in " + simulator + " " + AircraftNamed(loaded) + ", not a " +
                modelName + ". " + notDone + std::string(Paragraph) + "Load the " + modelName +
                " in the simulator, or choose the model that is loaded, then try again.",
            "Error", MessageIcon::Exclamation};
}

// A sentence, after a paragraph break, when there is one.
std::string ThenParagraph(const std::string& sentence) {
    return sentence.empty() ? std::string() : std::string(Paragraph) + sentence;
}

std::string TanksUnlikeText(const sim::BoardingOutcome& outcome, const BoardingPlan& planned) {
    std::string text = "Nothing was boarded: the tanks of the aircraft loaded in " +
                       SimulatorName(outcome.kind) + " are not those of a " + planned.modelName +
                       ".";
    if (const auto& capacity = outcome.result.capacityPounds) {
        if (const std::optional<sim::Tank> unlike =
                sim::UnlikeTank(*capacity, planned.capacityPounds)) {
            const std::size_t i = sim::TankIndex(*unlike);
            const double held = (*capacity)[i];
            text += " Its " + std::string(sim::TankName(*unlike)) + " tank ";
            text += held > 0 ? "holds " + Shown(held, planned.unit) : std::string("holds nothing");
            text = Ended(text + "; the " + planned.modelName + "'s holds " +
                         Shown(planned.capacityPounds[i], planned.unit));
        }
    }
    return text + std::string(Paragraph) + "Load the " + planned.modelName +
           " in the simulator, or choose the model that is loaded, then try again.";
}

// The line the no-simulator box ends with when the web simulators were
// looked for as well: where, what answered there, and how to look
// elsewhere.
std::string AlsoLookedFor(const std::vector<sim::WebAttempt>& tried) {
    std::string text = "Also looked for: ";
    std::string answered;
    for (std::size_t i = 0; i < tried.size(); ++i) {
        const sim::WebAttempt& attempt = tried[i];
        const std::string name = SimulatorName(attempt.simulator);
        text += (i > 0 ? ", " : "") + name + " at " + Where(attempt.where);
        if (attempt.trouble == sim::Trouble::IncomingTrafficDisabled) {
            answered += " " + TroubleSentence(attempt.trouble, name);
        } else if (attempt.end == sim::OpenEnd::NotThisSimulator) {
            answered +=
                " Something other than " + name + " answers at " + Where(attempt.where) + ".";
        }
    }
    text += ".";
    text += answered.empty() ? std::string(" Nothing answers there.") : answered;
    return text +
           " To look elsewhere, start Tarnwell with --xplane=HOST:PORT or --flightgear=HOST:PORT.";
}

// The technical account of what answered where, for the box's details.
std::string AttemptDetails(const std::vector<sim::WebAttempt>& tried, bool answeredOnly) {
    std::string details;
    for (const sim::WebAttempt& attempt : tried) {
        if (attempt.detail.empty() ||
            (answeredOnly && attempt.end != sim::OpenEnd::NotThisSimulator)) {
            continue;
        }
        details += (details.empty() ? "" : "\r\n") + SimulatorName(attempt.simulator) + " at " +
                   Where(attempt.where) + ": " + attempt.detail;
    }
    return details;
}

// A web simulator chosen on the command line that could not be reached.
Message WebConnectFailure(const sim::WebAttempt& attempt) {
    const std::string name = SimulatorName(attempt.simulator);
    const std::string ensure = attempt.simulator == sim::SimulatorKind::XPlane
                                   ? "Ensure that X-Plane 12.1.1 or later is running, with "
                                     "incoming traffic allowed in its network settings."
                                   : "Ensure that FlightGear is running with its HTTP server "
                                     "(fgfs --httpd=PORT).";
    std::string why;
    if (attempt.trouble == sim::Trouble::IncomingTrafficDisabled) {
        why = TroubleSentence(attempt.trouble, name);
    } else if (attempt.end == sim::OpenEnd::NotThisSimulator) {
        why = "Something other than " + name + " answers there. " + ensure;
    } else {
        why = "Nothing answers there, or not in time. " + ensure;
    }
    return {name + " connection failure at " + Where(attempt.where) + "." + std::string(Paragraph) +
                why,
            ConnectionFailureTitle, MessageIcon::Critical, attempt.detail};
}

}  // namespace

std::string SimulatorName(sim::SimulatorKind kind) {
    switch (kind) {
        case sim::SimulatorKind::XPlane:
            return "X-Plane";
        case sim::SimulatorKind::FlightGear:
            return "FlightGear";
        case sim::SimulatorKind::Module:
            break;
    }
    return "the simulator";
}

std::array<double, sim::TankCount> TankCapacities(data::ModelId model) {
    const data::AircraftModel& limits = data::Model(model);
    std::array<double, sim::TankCount> capacity{};
    capacity[sim::TankIndex(sim::Tank::LeftMain)] = limits.mainTankCapacity;
    capacity[sim::TankIndex(sim::Tank::RightMain)] = limits.mainTankCapacity;
    capacity[sim::TankIndex(sim::Tank::Center)] = limits.centerTankCapacity;
    return capacity;
}

std::string CutForBox(const std::string& text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // Only a UTF-8 sequence's first byte starts a character, so a cut
        // never splits one.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
            continue;
        }
        if (characters == limit) {
            return text.substr(0, at) + "...";
        }
        ++characters;
    }
    return text;
}

std::string TroubleSentence(sim::Trouble trouble, const std::string& simulator) {
    for (const TroubleWords& row : TroubleTable) {
        if (row.trouble == trouble) {
            return simulator + row.words;
        }
    }
    return {};
}

std::string TanksWrittenSentence(std::size_t written) {
    if (written == 0) {
        return "No tank was written: nothing was boarded.";
    }
    if (written >= sim::TankCount) {
        return "All three tanks hold the planned fuel now.";
    }
    std::vector<std::string> done;
    std::vector<std::string> left;
    for (sim::Tank tank : sim::BoardingOrder) {
        (sim::TankIndex(tank) < written ? done : left).push_back(sim::TankName(tank));
    }
    return Capitalised(Tanks(done)) + (done.size() == 1 ? " holds" : " hold") +
           " the planned fuel now; " + Tanks(left) + (left.size() == 1 ? " does" : " do") + " not.";
}

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
    sim::FuelOrder& order = boarding.order;
    order.pounds[sim::TankIndex(sim::Tank::LeftMain)] = figures.mainTankFuel;
    order.pounds[sim::TankIndex(sim::Tank::RightMain)] = figures.mainTankFuel;
    order.pounds[sim::TankIndex(sim::Tank::Center)] = figures.centerTankFuel;
    order.capacityPounds = TankCapacities(model);
    order.aircraft = ExpectedAircraftFor(model);
    if (!sim::FitsTanks(order)) {
        boarding.refusal = Message{NegativeFuelText, "Error", MessageIcon::Exclamation};
        return boarding;
    }

    BoardingPlan& planned = boarding.planned;
    planned.unit = unit;
    planned.pounds = order.pounds;
    planned.capacityPounds = order.capacityPounds;
    planned.unboardedPounds = plan::FuelNotLoaded(figures);
    planned.modelName = std::string(limits.modelName);
    boarding.question = UnfitQuestion(figures, limits, unit);
    return boarding;
}

Message ConnectFailureMessage(const sim::ConnectFailure& failure) {
    if (failure.simulator != sim::SimulatorKind::Module && !failure.webTried.empty()) {
        return WebConnectFailure(failure.webTried.front());
    }
    // The module's box as the planner has always shown it; when the web
    // simulators were looked for too, a line says where and what answered.
    Message message{sim::ConnectionFailureText(failure.moduleCode), ConnectionFailureTitle,
                    MessageIcon::Critical};
    if (!failure.webTried.empty()) {
        message.text += std::string(Paragraph) + AlsoLookedFor(failure.webTried);
        message.details = AttemptDetails(failure.webTried, true);
    }
    return message;
}

namespace {

// All written, but the simulator holds other figures: each tank against the plan.
Message DiffersMessage(const sim::BoardingOutcome& outcome, const BoardingPlan& planned) {
    const sim::BoardingResult& result = outcome.result;
    std::string text =
        Capitalised(SimulatorName(outcome.kind)) + " does not hold the planned fuel:";
    if (result.heldPounds) {
        for (sim::Tank tank : sim::BoardingOrder) {
            const std::size_t i = sim::TankIndex(tank);
            text += "\r\n" + Capitalised(sim::TankName(tank)) +
                    " tank: " + Shown((*result.heldPounds)[i], planned.unit) + ", planned " +
                    Shown(planned.pounds[i], planned.unit);
        }
    }
    text += std::string(Paragraph) +
            "The aircraft may hold less than planned, or manage its fuel itself.";
    return Message{text, "Error", MessageIcon::Exclamation, result.detail};
}

// A cancel says nothing when nothing was written, and otherwise how far the
// boarding got: all three tanks, or which of them.
std::optional<Message> CancelledMessage(const sim::BoardingOutcome& outcome) {
    const sim::BoardingResult& result = outcome.result;
    if (result.tanksWritten == 0) {
        return std::nullopt;
    }
    if (result.tanksWritten >= sim::TankCount) {
        return Message{
            "The cancel came after the last tank was written, so the boarding "
            "completed: all three tanks hold the planned fuel now. " +
                Capitalised(SimulatorName(outcome.kind)) +
                " was not asked to confirm what they hold.",
            "Cancelled", MessageIcon::Exclamation, result.detail};
    }
    return Message{"Boarding was cancelled. " + TanksWrittenSentence(result.tanksWritten),
                   "Cancelled", MessageIcon::Exclamation, result.detail};
}

}  // namespace

std::optional<Message> BoardingMessage(const sim::BoardingOutcome& outcome,
                                       const BoardingPlan& planned) {
    if (outcome.notConnected) {
        if (outcome.notConnected->cancelled) {
            return std::nullopt;
        }
        return ConnectFailureMessage(*outcome.notConnected);
    }
    const sim::BoardingResult& result = outcome.result;
    const bool module = outcome.kind == sim::SimulatorKind::Module;
    const std::string trouble =
        ThenParagraph(TroubleSentence(result.trouble, SimulatorName(outcome.kind)));
    switch (result.end) {
        case sim::BoardingEnd::Boarded:
            return Message{BoardedText + ThenParagraph(FitSentence(outcome, planned)), "Success!",
                           MessageIcon::Information};
        case sim::BoardingEnd::WrongAircraft: {
            Message message =
                WrongAircraftMessage(SimulatorName(outcome.kind), result.loadedAircraft,
                                     planned.modelName, "Nothing was boarded.");
            message.details = result.detail;
            return message;
        }
        case sim::BoardingEnd::TanksUnlike:
            return Message{TanksUnlikeText(outcome, planned), "Error", MessageIcon::Exclamation,
                           result.detail};
        case sim::BoardingEnd::CheckFailed:
            return Message{"Nothing was boarded: " + SimulatorName(outcome.kind) +
                               " could not be asked which aircraft is loaded and what its tanks "
                               "hold." +
                               trouble,
                           "Error", MessageIcon::None, result.detail};
        case sim::BoardingEnd::WriteFailed:
            // The module's box is the one the planner has always shown.
            if (module) {
                return Message{WriteFailedText, "Error", MessageIcon::None};
            }
            return Message{WriteFailedText + trouble +
                               ThenParagraph(TanksWrittenSentence(result.tanksWritten)),
                           "Error", MessageIcon::None, result.detail};
        case sim::BoardingEnd::Differs:
            return DiffersMessage(outcome, planned);
        case sim::BoardingEnd::Cancelled:
            return CancelledMessage(outcome);
    }
    return std::nullopt;
}

namespace {

// The box a read that took nothing ends with, payload or aircraft alike.
template <typename Outcome>
std::optional<Message> ReadFailureMessage(const Outcome& outcome, const std::string& modelName,
                                          const char* notRead) {
    if (outcome.notConnected) {
        if (outcome.notConnected->cancelled) {
            return std::nullopt;
        }
        return ConnectFailureMessage(*outcome.notConnected);
    }
    const auto& result = outcome.result;
    switch (result.end) {
        case sim::PayloadEnd::Read:
        case sim::PayloadEnd::Cancelled:
            return std::nullopt;
        case sim::PayloadEnd::WrongAircraft: {
            Message message = WrongAircraftMessage(SimulatorName(outcome.kind),
                                                   result.loadedAircraft, modelName, notRead);
            message.details = result.detail;
            return message;
        }
        case sim::PayloadEnd::Failed:
            break;
    }
    if (outcome.kind == sim::SimulatorKind::Module) {
        return Message{ReadFailedText, "Error", MessageIcon::None};
    }
    return Message{ReadFailedText +
                       ThenParagraph(TroubleSentence(result.trouble, SimulatorName(outcome.kind))),
                   "Error", MessageIcon::None, result.detail};
}

}  // namespace

std::optional<Message> PayloadFailureMessage(const sim::PayloadOutcome& outcome,
                                             const std::string& modelName) {
    return ReadFailureMessage(outcome, modelName, "The payload was not read.");
}

std::optional<Message> AircraftFailureMessage(const sim::AircraftOutcome& outcome,
                                              const std::string& modelName) {
    return ReadFailureMessage(outcome, modelName, "Nothing was read from it.");
}

Message PayloadReadMessage(const std::string& fieldText, plan::Unit unit) {
    const bool kilograms = unit == plan::Unit::Kilograms;
    return {PayloadReadText + fieldText + (kilograms ? " kilograms." : " pounds."), "Success!",
            MessageIcon::Information};
}

}  // namespace tarnwell::window
