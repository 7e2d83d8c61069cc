#include "window/simulatorcontroller.h"

#include "dispatch/dispatch_check.h"

#include <QTimer>
#include <QWidget>
#include <utility>

namespace tarnwell::window {

SimulatorController::SimulatorController(QWidget& window, Host& host, std::vector<QWidget*> inputs,
                                         std::unique_ptr<sim::SimulatorSession> session)
    : window_(window),
      host_(host),
      inputs_(std::move(inputs)),
      session_(std::move(session)),
      runner_(window) {}

void SimulatorController::SetSession(std::unique_ptr<sim::SimulatorSession> session) {
    runner_.Abandon();
    session_ = std::move(session);
}

void SimulatorController::BoardFuel(std::optional<std::int32_t> blockFuel) {
    if (Running()) {
        return;
    }
    busy_.emplace();
    if (!host_.CalculateFuelPlan()) {
        busy_.reset();
        return;
    }
    const data::ModelId model = host_.SelectedModel();
    const plan::PlanFigures figures =
        blockFuel ? dispatch::WithBlockFuel(host_.Figures(), *blockFuel, data::Model(model))
                  : host_.Figures();
    const Boarding boarding = PrepareBoarding(figures, model, host_.DisplayUnit());
    if (boarding.refusal) {
        host_.ShowMessage(*boarding.refusal);
        busy_.reset();
        return;
    }
    // More fuel than the tanks hold: the pilot decides, before any
    // simulator is reached, whether to fill the tanks or change the plan.
    if (boarding.question && !host_.Ask(*boarding.question)) {
        busy_.reset();
        return;
    }
    SetInputsEnabled(false);
    runner_.Run<sim::BoardingOutcome>(
        [session = session_.get(), order = boarding.order](const sim::CancelFlag& cancel,
                                                           const sim::WaitReport& report) {
            return session->BoardFuel(order, cancel, report);
        },
        [this, planned = boarding.planned](const sim::BoardingOutcome& outcome) {
            BoardingEnded(outcome, planned);
        });
}

void SimulatorController::BoardingEnded(const sim::BoardingOutcome& outcome,
                                        const BoardingPlan& planned) {
    SetInputsEnabled(true);
    if (!closeRequested_) {
        if (const std::optional<Message> message = BoardingMessage(outcome, planned)) {
            host_.ShowMessage(*message);
        }
    }
    CommandEnded();
}

void SimulatorController::ReadPayload() {
    if (Running()) {
        return;
    }
    busy_.emplace();
    SetInputsEnabled(false);
    runner_.Run<sim::PayloadOutcome>(
        [session = session_.get(), aircraft = ExpectedAircraftFor(host_.SelectedModel())](
            const sim::CancelFlag& cancel, const sim::WaitReport& report) {
            return session->ReadPayload(aircraft, cancel, report);
        },
        [this](const sim::PayloadOutcome& outcome) { PayloadReadEnded(outcome); });
}

void SimulatorController::PayloadReadEnded(const sim::PayloadOutcome& outcome) {
    SetInputsEnabled(true);
    const bool read = !outcome.notConnected && outcome.result.end == sim::PayloadEnd::Read;
    if (closeRequested_) {
        // Closing during the read takes nothing into the plan.
    } else if (read) {
        // The payload field takes the total as a typed entry would, and the
        // plan is recomputed from it; the figure itself is the one read, so
        // a kilogram text does not change what closing saves.
        const std::string shown = host_.TakePayload(outcome.result.totalPounds);
        host_.ShowMessage(PayloadReadMessage(shown, host_.DisplayUnit()));
    } else if (const std::optional<Message> message = PayloadFailureMessage(
                   outcome, std::string(data::Model(host_.SelectedModel()).modelName))) {
        // The total is taken only when every station was read, so a failed
        // read leaves the plan's payload as the payload field shows it.
        host_.ShowMessage(*message);
    }
    CommandEnded();
}

void SimulatorController::ReadAircraft() {
    if (Running()) {
        return;
    }
    busy_.emplace();
    SetInputsEnabled(false);
    const data::ModelId model = host_.SelectedModel();
    runner_.Run<sim::AircraftOutcome>(
        [session = session_.get(), aircraft = ExpectedAircraftFor(model),
         capacity = TankCapacities(model)](const sim::CancelFlag& cancel,
                                           const sim::WaitReport& report) {
            return session->ReadAircraft(aircraft, capacity, cancel, report);
        },
        [this](const sim::AircraftOutcome& outcome) { AircraftReadEnded(outcome); });
}

void SimulatorController::AircraftReadEnded(const sim::AircraftOutcome& outcome) {
    SetInputsEnabled(true);
    if (closeRequested_) {
        // Closing during the read shows nothing.
    } else if (!outcome.notConnected && outcome.result.end == sim::PayloadEnd::Read) {
        host_.TakeAircraft(outcome.result, outcome.kind);
    } else if (const std::optional<Message> message = AircraftFailureMessage(
                   outcome, std::string(data::Model(host_.SelectedModel()).modelName))) {
        host_.ShowMessage(*message);
    }
    CommandEnded();
}

bool SimulatorController::DeferClose() {
    if (!runner_.Running()) {
        return false;
    }
    closeRequested_ = true;
    runner_.Cancel();
    return true;
}

void SimulatorController::Abandon() {
    runner_.Abandon();
    busy_.reset();
}

void SimulatorController::CommandEnded() {
    busy_.reset();
    if (closeRequested_) {
        // The close that came during the command, now that it has ended.
        QTimer::singleShot(0, &window_, &QWidget::close);
    }
}

void SimulatorController::SetInputsEnabled(bool enabled) {
    if (!enabled) {
        focusBeforeCommand_ = window_.focusWidget();
    }
    for (QWidget* control : inputs_) {
        control->setEnabled(enabled);
    }
    if (enabled && focusBeforeCommand_ != nullptr) {
        focusBeforeCommand_->setFocus(Qt::OtherFocusReason);
        focusBeforeCommand_ = nullptr;
    }
}

}  // namespace tarnwell::window
