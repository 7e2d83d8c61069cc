#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/aircraft.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"
#include "sim/simulator_session.h"
#include "window/busycursor.h"
#include "window/commandrunner.h"
#include "window/message.h"
#include "window/simulatorcommands.h"

class QWidget;

namespace tarnwell::window {

// The window's simulator commands, Board Fuel, Read Payload Weight and the
// load sheet's Refresh, each in two halves: the click checks the plan, asks what must be asked
// and starts the exchanges on the runner; once they have ended, the second
// half takes the outcome, shows its box and takes a payload read into its
// field. From the click until the outcome is taken the wait cursor is up
// and the window's input controls are disabled.
class SimulatorController {
public:
    // What the commands need of the window they run in.
    class Host {
    public:
        // Recomputes the plan from the window's inputs; true when a complete
        // plan now stands.
        virtual bool CalculateFuelPlan() = 0;
        virtual const plan::PlanFigures& Figures() const = 0;
        virtual data::ModelId SelectedModel() const = 0;
        virtual plan::Unit DisplayUnit() const = 0;
        // Puts a payload that was read into the payload field as typing
        // would, the figure being the pounds read; returns what the field
        // shows once the plan has been recomputed from it.
        virtual std::string TakePayload(std::int32_t pounds) = 0;
        // Takes what Refresh read of the aircraft into the load sheet.
        virtual void TakeAircraft(const sim::AircraftResult& reading, sim::SimulatorKind kind) = 0;
        virtual void ShowMessage(const Message& message) = 0;
        // True when the user chose to go on.
        virtual bool Ask(const Question& question) = 0;

    protected:
        ~Host() = default;
    };

    // `inputs` are the controls disabled while a command runs.
    SimulatorController(QWidget& window, Host& host, std::vector<QWidget*> inputs,
                        std::unique_ptr<sim::SimulatorSession> session);

    SimulatorController(const SimulatorController&) = delete;
    SimulatorController& operator=(const SimulatorController&) = delete;

    // Boards the plan's fuel; with `blockFuel`, that much instead (the
    // dispatch plan's), split over the tanks as the plan's own would be.
    void BoardFuel(std::optional<std::int32_t> blockFuel = std::nullopt);
    void ReadPayload();
    // Reads what the aircraft holds now: its tanks and payload, shown
    // beside the plan; no box unless nothing could be read.
    void ReadAircraft();

    // True from a command's click until its result has been shown.
    bool Running() const { return busy_.has_value(); }
    // A close asked for while the command still waits for the simulator:
    // the command is cancelled and the window closed once it has ended.
    // False when no command's exchanges are running, and the close can go on.
    bool DeferClose();
    // Stops a command's exchanges here, within one try, without taking its
    // outcome: for the program's end.
    void Abandon();

    sim::SimulatorSession& Session() { return *session_; }
    // Abandons a command still running first.
    void SetSession(std::unique_ptr<sim::SimulatorSession> session);

private:
    void BoardingEnded(const sim::BoardingOutcome& outcome, const BoardingPlan& planned);
    void PayloadReadEnded(const sim::PayloadOutcome& outcome);
    void AircraftReadEnded(const sim::AircraftOutcome& outcome);
    // While a command waits for the simulator, nothing the user does may
    // change the plan being boarded or start a second command.
    void SetInputsEnabled(bool enabled);
    void CommandEnded();

    QWidget& window_;
    Host& host_;
    std::vector<QWidget*> inputs_;
    // Before the runner, whose jobs call it: the runner goes first.
    std::unique_ptr<sim::SimulatorSession> session_;
    CommandRunner runner_;
    // The wait cursor, from a command's click until its result is taken.
    std::optional<BusyCursor> busy_;
    QWidget* focusBeforeCommand_ = nullptr;
    bool closeRequested_ = false;
};

}  // namespace tarnwell::window
