#include "sim/simulator_session.h"

#include <utility>

namespace tarnwell::sim {

SimulatorSession::SimulatorSession(SimulatorChoice choice, SimulatorOpeners openers)
    : choice_(choice), openers_(std::move(openers)) {}

SimulatorSession::~SimulatorSession() {
    Close();
}

void SimulatorSession::Close() {
    link_.reset();
    if (openers_.module) {
        openers_.module->Release();
    }
}

std::optional<ConnectFailure> SimulatorSession::OpenWeb(SimulatorKind kind,
                                                        const CancelFlag& cancel,
                                                        const WaitReport& report) {
    SimulatorOpener& opener =
        kind == SimulatorKind::XPlane ? *openers_.xplane : *openers_.flightgear;
    OpenResult opened = opener.Open(cancel, report);
    if (opened.end == OpenEnd::Open) {
        link_ = std::move(opened.link);
        return std::nullopt;
    }
    ConnectFailure failure;
    failure.simulator = kind;
    failure.webTried.push_back(
        WebAttempt{kind, opener.Where(), opened.end, opened.trouble, std::move(opened.detail)});
    failure.cancelled = opened.end == OpenEnd::Cancelled;
    return failure;
}

std::optional<ConnectFailure> SimulatorSession::Connect(const CancelFlag& cancel,
                                                        const WaitReport& report) {
    if (link_) {
        return std::nullopt;
    }
    switch (choice_) {
        case SimulatorChoice::XPlane:
            return OpenWeb(SimulatorKind::XPlane, cancel, report);
        case SimulatorChoice::FlightGear:
            return OpenWeb(SimulatorKind::FlightGear, cancel, report);
        case SimulatorChoice::Auto:
        case SimulatorChoice::Module:
            break;
    }

    ConnectFailure failure;
    OpenResult module = openers_.module->Open(cancel, report);
    if (module.end == OpenEnd::Open) {
        link_ = std::move(module.link);
        return std::nullopt;
    }
    failure.moduleCode = module.moduleCode;
    failure.cancelled = module.end == OpenEnd::Cancelled;
    // Only a module that is not there at all lets the web simulators be
    // tried; one that answered wrongly is the simulator the pilot runs.
    if (choice_ == SimulatorChoice::Module || module.end != OpenEnd::NoAnswer) {
        return failure;
    }
    for (const SimulatorKind web : {SimulatorKind::XPlane, SimulatorKind::FlightGear}) {
        std::optional<ConnectFailure> webFailure = OpenWeb(web, cancel, report);
        if (!webFailure) {
            return std::nullopt;
        }
        if (webFailure->cancelled) {
            return webFailure;
        }
        failure.webTried.push_back(std::move(webFailure->webTried.front()));
    }
    // None answered: the module's own failure, as the planner has always
    // told it, with what was found where the web simulators were looked for.
    return failure;
}

BoardingOutcome SimulatorSession::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                            const WaitReport& report) {
    BoardingOutcome outcome;
    outcome.notConnected = Connect(cancel, report);
    if (outcome.notConnected) {
        Close();
        return outcome;
    }
    outcome.kind = link_->Kind();
    outcome.result = link_->BoardFuel(order, cancel, report);
    switch (outcome.result.end) {
        // The simulator answered: it holds another aircraft or other
        // figures, and the next command may find it changed.
        case BoardingEnd::Boarded:
        case BoardingEnd::WrongAircraft:
        case BoardingEnd::TanksUnlike:
        case BoardingEnd::Differs:
            break;
        case BoardingEnd::CheckFailed:
        case BoardingEnd::WriteFailed:
        case BoardingEnd::Cancelled:
            Close();
            break;
    }
    return outcome;
}

template <typename Outcome, typename Read>
Outcome SimulatorSession::RunRead(const CancelFlag& cancel, const WaitReport& report, Read read) {
    Outcome outcome;
    outcome.notConnected = Connect(cancel, report);
    if (outcome.notConnected) {
        Close();
        return outcome;
    }
    outcome.kind = link_->Kind();
    outcome.result = read(*link_);
    if (outcome.result.end != PayloadEnd::Read && outcome.result.end != PayloadEnd::WrongAircraft) {
        Close();
    }
    return outcome;
}

PayloadOutcome SimulatorSession::ReadPayload(const ExpectedAircraft& aircraft,
                                             const CancelFlag& cancel, const WaitReport& report) {
    return RunRead<PayloadOutcome>(cancel, report, [&](SimulatorLink& link) {
        return link.ReadPayload(aircraft, cancel, report);
    });
}

AircraftOutcome SimulatorSession::ReadAircraft(const ExpectedAircraft& aircraft,
                                               const std::array<double, TankCount>& capacityPounds,
                                               const CancelFlag& cancel, const WaitReport& report) {
    return RunRead<AircraftOutcome>(cancel, report, [&](SimulatorLink& link) {
        return link.ReadAircraft(aircraft, capacityPounds, cancel, report);
    });
}

}  // namespace tarnwell::sim
