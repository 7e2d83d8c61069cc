#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/module/connection.h"
#include "sim/module/platform/platform.h"
#include "sim/simulator.h"
#include "sim/simulator_session.h"

// The interface module inside the simulator, as one of the simulators the
// planner boards into: the link's exchanges (one per tank or station)
// behind the same interface as the web simulators'.
namespace tarnwell::sim {

// What the wait dialog says the module is waited for.
inline constexpr const char* ModuleConnectingText = "Connecting to the simulator...";
std::string TankWaitText(Tank tank);
std::string StationWaitText(std::size_t station);
std::string TankReadWaitText(Tank tank);

// Tells `report` about each try of the client's exchanges while it lives:
// what is waited for, the try under way and how long the tries left may
// take. Steps are named with Step().
class AttemptReport {
public:
    AttemptReport(SimConnection& connection, const WaitReport& report, FsuipcTiming timing);
    ~AttemptReport();

    AttemptReport(const AttemptReport&) = delete;
    AttemptReport& operator=(const AttemptReport&) = delete;

    // A new exchange is about to start.
    void Step(std::string what);

private:
    void Tell(int attempt) const;

    SimConnection& connection_;
    const WaitReport& report_;
    FsuipcTiming timing_;
    std::string what_;
};

// Opens the module's link (IpcReset, then IpcOpen for any simulator
// version). The result code is the open's; Cancelled when the cancel flag
// ended it.
OpenEnd OpenModule(SimConnection& connection, const CancelFlag& cancel, const WaitReport& report,
                   FsuipcTiming timing, std::int32_t& resultCode);

class ModuleLink final : public SimulatorLink {
public:
    // The connection must be open and outlive the link.
    ModuleLink(SimConnection& connection, FsuipcTiming timing);

    SimulatorKind Kind() const override { return SimulatorKind::Module; }

    // Writes the order's levels: left main, right main, centre, one
    // exchange each, stopping at the first that fails.
    BoardingResult BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                             const WaitReport& report) override;
    // Adds up the first four payload stations.
    PayloadResult ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                              const WaitReport& report) override;
    // The four payload stations, then the three tank levels, one exchange
    // each; a station weight that is no payload leaves the payload unknown
    // and the tanks are read all the same.
    AircraftResult ReadAircraft(const ExpectedAircraft& aircraft,
                                const std::array<double, TankCount>& capacityPounds,
                                const CancelFlag& cancel, const WaitReport& report) override;

private:
    SimConnection& connection_;
    FsuipcTiming timing_;
};

// The module as a session looks for it, through `platform` (the system's,
// or a test double) with the client's timing. Its open ends in NoAnswer
// only when no simulator runs at all (IpcErrNoFs), so that a session may
// then look for the web simulators; a module that answered wrongly is
// NotThisSimulator. The result code is the open's either way.
std::unique_ptr<SimulatorOpener> ModuleOpener(std::unique_ptr<Platform> platform,
                                              FsuipcTiming timing = {});

}  // namespace tarnwell::sim
