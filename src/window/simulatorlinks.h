#pragma once

#include <memory>

#include "sim/module/fsuipc_client.h"
#include "sim/module/platform/platform.h"
#include "sim/simulator_session.h"

// Where the planner's simulators come together: the interface module
// through `modulePlatform` (the system's, or a test double) with the
// client's timing, X-Plane and FlightGear where the options say.
namespace tarnwell::window {

std::unique_ptr<sim::SimulatorSession> MakeSimulatorSession(
    const sim::SimulatorOptions& options, std::unique_ptr<sim::Platform> modulePlatform,
    sim::FsuipcTiming moduleTiming = {});

}  // namespace tarnwell::window
