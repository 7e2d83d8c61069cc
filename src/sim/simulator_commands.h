#pragma once

#include "plan/fuel_plan.h"
#include "sim/connection.h"

namespace tarnwell::sim {

inline constexpr const char* WriteFailedText = "Variable write failed!";
inline constexpr const char* BoardedText = "The fuel was successfully boarded.";
inline constexpr const char* ReadFailedText = "Read failed!";
inline constexpr const char* PayloadReadText = "Payload weight read as ";
inline constexpr const char* NegativeFuelText =
    "The planned fuel cannot be boarded: the total fuel at taxi is below zero. Choose a "
    "smaller tailwind or add fuel, then try again.";

// The window's two simulator commands, "Board Fuel" and "Read Payload
// Weight". They work on the window through the planner's view: they read
// the unit and the payload field, write the payload field (which, like a
// typed entry, recalculates the plan) and show their messages there.
class SimulatorCommands {
public:
    SimulatorCommands(SimConnection& link, plan::FuelPlanner& planner, plan::PlanView& view)
        : link_(link), planner_(planner), view_(view) {}

    // Recomputes the plan and, when a complete plan stands, sets the left
    // main, right main and centre tank levels, each in an exchange of its
    // own, connecting first if needed.
    void BoardFuel();

    // Reads the first four payload stations, each in an exchange of its
    // own, and puts their total into the payload field.
    void ReadPayload();

private:
    // Opens the link unless it is open already; tells the user why not.
    bool Connect();
    bool WriteLevel(std::int32_t offset, std::int32_t level);

    SimConnection& link_;
    plan::FuelPlanner& planner_;
    plan::PlanView& view_;
};

}  // namespace tarnwell::sim
