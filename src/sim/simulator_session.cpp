#include "sim/simulator_session.h"

#include <utility>

#include "sim/flightgear_link.h"
#include "sim/module_link.h"
#include "sim/xplane_link.h"

namespace tarnwell::sim {

SimulatorSession::SimulatorSession(SimulatorOptions options,
                                   std::unique_ptr<Platform> modulePlatform,
                                   FsuipcTiming moduleTiming)
    : options_(std::move(options)),
      moduleTiming_(moduleTiming),
      module_(std::move(modulePlatform), moduleTiming) {}

SimulatorSession::~SimulatorSession() {
    Close();
}

std::optional<SimulatorKind> SimulatorSession::ConnectedKind() const {
    if (!link_) {
        return std::nullopt;
    }
    return link_->Kind();
}

void SimulatorSession::Close() {
    link_.reset();
    module_.IpcClose();
    module_.SetSimConnected(false);
}

std::optional<ConnectFailure> SimulatorSession::OpenWeb(SimulatorKind kind,
                                                        const CancelFlag& cancel,
                                                        const WaitReport& report) {
    const Endpoint& where = kind == SimulatorKind::XPlane ? options_.xplane : options_.flightgear;
    OpenResult opened = kind == SimulatorKind::XPlane
                            ? OpenXPlane(where, cancel, report, options_.webTiming)
                            : OpenFlightGear(where, cancel, report, options_.webTiming);
    if (opened.end == OpenEnd::Open) {
        link_ = std::move(opened.link);
        return std::nullopt;
    }
    ConnectFailure failure;
    failure.simulator = kind;
    failure.webTried.push_back(
        WebAttempt{kind, where, opened.end, opened.trouble, std::move(opened.detail)});
    failure.cancelled = opened.end == OpenEnd::Cancelled;
    return failure;
}

std::optional<ConnectFailure> SimulatorSession::Connect(const CancelFlag& cancel,
                                                        const WaitReport& report) {
    if (link_) {
        return std::nullopt;
    }
    switch (options_.choice) {
        case SimulatorChoice::XPlane:
            return OpenWeb(SimulatorKind::XPlane, cancel, report);
        case SimulatorChoice::FlightGear:
            return OpenWeb(SimulatorKind::FlightGear, cancel, report);
        case SimulatorChoice::Auto:
        case SimulatorChoice::Module:
            break;
    }

    ConnectFailure failure;
    const OpenEnd module = OpenModule(module_, cancel, report, moduleTiming_, failure.moduleCode);
    if (module == OpenEnd::Open) {
        link_ = std::make_unique<ModuleLink>(module_, moduleTiming_);
        return std::nullopt;
    }
    failure.cancelled = module == OpenEnd::Cancelled;
    // Only a module that is not there at all lets the web simulators be
    // tried; one that answered wrongly is the simulator the pilot runs.
    if (options_.choice == SimulatorChoice::Module || failure.cancelled ||
        failure.moduleCode != IpcErrNoFs) {
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
    outcome.simulator = link_->Name();
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

PayloadOutcome SimulatorSession::ReadPayload(const ExpectedAircraft& aircraft,
                                             const CancelFlag& cancel, const WaitReport& report) {
    PayloadOutcome outcome;
    outcome.notConnected = Connect(cancel, report);
    if (outcome.notConnected) {
        Close();
        return outcome;
    }
    outcome.simulator = link_->Name();
    outcome.kind = link_->Kind();
    outcome.result = link_->ReadPayload(aircraft, cancel, report);
    if (outcome.result.end != PayloadEnd::Read && outcome.result.end != PayloadEnd::WrongAircraft) {
        Close();
    }
    return outcome;
}

}  // namespace tarnwell::sim
