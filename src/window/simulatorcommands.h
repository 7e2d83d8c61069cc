#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "sim/connection.h"
#include "sim/simulator_operations.h"
#include "window/simulatorworker.h"

class FrmMain;

// The window layer keeps its own names apart from the test suites' classes.
namespace tarnwell::window {

inline constexpr const char* WriteFailedText = "Variable write failed!";
inline constexpr const char* BoardedText = "The fuel was successfully boarded.";
inline constexpr const char* ReadFailedText = "Read failed!";
inline constexpr const char* PayloadReadText = "Payload weight read as ";
inline constexpr const char* NegativeFuelText =
    "The planned fuel cannot be boarded: the total fuel at taxi is below zero. Choose a "
    "smaller tailwind or add fuel, then try again.";
inline constexpr const char* ConnectionFailureTitle = "Error!";

// What the wait dialog says a command waits for.
inline constexpr const char* ConnectingText = "Connecting to the simulator...";
const char* TankWaitText(tarnwell::sim::Tank tank);
QString StationWaitText(std::size_t station);

// The window's two simulator commands, "Board Fuel" and "Read Payload
// Weight": they tie the plan, the simulator link and the message boxes
// together. An exchange can keep a command waiting on the simulator for
// seconds: each runs its exchanges on the worker, keeps the wait cursor up,
// and shows its boxes once they have ended. A cancelled command shows no
// box, takes nothing into the plan and leaves the link closed.
class SimulatorCommands {
public:
    SimulatorCommands(FrmMain& window, tarnwell::sim::SimConnection& link);
    ~SimulatorCommands();

    SimulatorCommands(const SimulatorCommands&) = delete;
    SimulatorCommands& operator=(const SimulatorCommands&) = delete;

    // Recomputes the plan and, when a complete plan stands, sets the left
    // main, right main and centre tank levels, connecting first if needed.
    void BoardFuel();

    // Reads the first four payload stations and takes their total into the
    // payload field, which recalculates the plan like a typed entry.
    void ReadPayload();

    // Cancels a command that waits for the simulator and returns once its
    // exchanges have ended (the window is closing).
    void CancelAndWait() { worker_.CancelAndWait(); }

private:
    // Runs the command's exchanges on the worker, opening the link first if
    // needed. False when they did not run to their end: the command was
    // cancelled (the link is then closed) or the link could not be opened
    // (its box is then shown).
    bool RunConnected(const std::function<void()>& exchanges);
    // On the worker: opens the link unless it is open already. False, with
    // the open's code, when it cannot be opened.
    bool Connect(std::optional<std::int32_t>& failure);
    // After a command was cancelled: the link is closed, so that the next
    // command opens it afresh.
    void Disconnect();
    void ShowConnectionFailure(std::int32_t code);

    FrmMain& window_;
    tarnwell::sim::SimConnection& link_;
    SimulatorWorker worker_;
};

}  // namespace tarnwell::window
