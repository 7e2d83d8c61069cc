#pragma once

#include <cstdint>

#include "sim/connection.h"

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

// The window's two simulator commands, "Board Fuel" and "Read Payload
// Weight": they tie the plan, the simulator link and the message boxes
// together. Each keeps the wait cursor up while it runs, since an exchange
// can keep the window waiting on the simulator for seconds.
class SimulatorCommands {
public:
    SimulatorCommands(FrmMain& window, tarnwell::sim::SimConnection& link)
        : window_(window), link_(link) {}

    // Recomputes the plan and, when a complete plan stands, sets the left
    // main, right main and centre tank levels, connecting first if needed.
    void BoardFuel();

    // Reads the first four payload stations and takes their total into the
    // payload field, which recalculates the plan like a typed entry.
    void ReadPayload();

private:
    // Opens the link unless it is open already; tells the user why not.
    bool Connect();

    FrmMain& window_;
    tarnwell::sim::SimConnection& link_;
};

}  // namespace tarnwell::window
