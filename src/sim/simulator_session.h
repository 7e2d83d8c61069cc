#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/connection.h"
#include "sim/platform.h"
#include "sim/simulator.h"

// The planner's one way to its simulator: which simulator to reach, the
// link once it is open, and the two commands as values. The link opens on
// the first command that needs it and stays open for the next; a command
// that fails or is cancelled closes it, so that the next one connects
// afresh (to a simulator that was restarted meanwhile, say).
namespace tarnwell::sim {

enum class SimulatorChoice { Auto, Module, XPlane, FlightGear };

struct SimulatorOptions {
    // Auto: the interface module first; when it finds no simulator,
    // X-Plane's web API, then FlightGear's HTTP server.
    SimulatorChoice choice = SimulatorChoice::Auto;
    Endpoint xplane{"127.0.0.1", XPlanePort};
    Endpoint flightgear{"127.0.0.1", FlightGearPort};
    WebTiming webTiming;
};

// One web simulator looked for, and what was found there.
struct WebAttempt {
    SimulatorKind simulator = SimulatorKind::XPlane;
    Endpoint where;
    OpenEnd end = OpenEnd::NoAnswer;
    Trouble trouble = Trouble::None;
    std::string detail = {};  // technical, for a box's details
};

// Why no link could be opened.
struct ConnectFailure {
    // The simulator the failure is told for: the module when no simulator
    // answered at all, as the planner has always said.
    SimulatorKind simulator = SimulatorKind::Module;
    std::int32_t moduleCode = 0;  // the module's open's result code
    // The web simulators looked for, in order: the one chosen, or those
    // tried after the module found no simulator. A pilot who runs one of
    // them elsewhere, or whose X-Plane refused, learns it from these.
    std::vector<WebAttempt> webTried;
    bool cancelled = false;
};

struct BoardingOutcome {
    std::optional<ConnectFailure> notConnected;
    BoardingResult result;  // when connected
    std::string simulator;  // the link's name
    SimulatorKind kind = SimulatorKind::Module;
};

struct PayloadOutcome {
    std::optional<ConnectFailure> notConnected;
    PayloadResult result;  // when connected
    std::string simulator;
    SimulatorKind kind = SimulatorKind::Module;
};

class SimulatorSession {
public:
    // The module is reached through `modulePlatform` (the system's, or a
    // test double) with the client's timing.
    SimulatorSession(SimulatorOptions options, std::unique_ptr<Platform> modulePlatform,
                     FsuipcTiming moduleTiming = {});
    ~SimulatorSession();

    SimulatorSession(const SimulatorSession&) = delete;
    SimulatorSession& operator=(const SimulatorSession&) = delete;

    // Connects unless a link is open, then sets the three tanks.
    BoardingOutcome BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                              const WaitReport& report);
    // Connects unless a link is open, then reads the payload loaded.
    PayloadOutcome ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                               const WaitReport& report);

    // True while a link is open (the planner's "connected to the simulator").
    bool Connected() const { return link_ != nullptr; }
    // The simulator the open link reaches.
    std::optional<SimulatorKind> ConnectedKind() const;
    // Releases the link; the next command connects afresh.
    void Close();

    const SimulatorOptions& Options() const { return options_; }
    // The module's connection, for the tests and the command-line tool.
    SimConnection& Module() { return module_; }

private:
    std::optional<ConnectFailure> Connect(const CancelFlag& cancel, const WaitReport& report);
    // The web simulator's open, its link kept when it answered.
    std::optional<ConnectFailure> OpenWeb(SimulatorKind kind, const CancelFlag& cancel,
                                          const WaitReport& report);

    SimulatorOptions options_;
    FsuipcTiming moduleTiming_;
    SimConnection module_;
    std::unique_ptr<SimulatorLink> link_;
};

}  // namespace tarnwell::sim
