#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
    SimulatorKind kind = SimulatorKind::Module;
};

struct PayloadOutcome {
    std::optional<ConnectFailure> notConnected;
    PayloadResult result;  // when connected
    SimulatorKind kind = SimulatorKind::Module;
};

struct AircraftOutcome {
    std::optional<ConnectFailure> notConnected;
    AircraftResult result;  // when connected
    SimulatorKind kind = SimulatorKind::Module;
};

// How one simulator is looked for; each link kind has its own.
class SimulatorOpener {
public:
    virtual ~SimulatorOpener() = default;
    // Looks for the simulator: its link when it answered as that simulator
    // does, otherwise why not.
    virtual OpenResult Open(const CancelFlag& cancel, const WaitReport& report) = 0;
    // Where a web simulator is looked for.
    virtual Endpoint Where() const { return {}; }
    // Lets go of what an open holds beside its link, once the link is gone.
    virtual void Release() {}
};

// The simulators a session may reach, as the choice allows.
struct SimulatorOpeners {
    std::unique_ptr<SimulatorOpener> module;
    std::unique_ptr<SimulatorOpener> xplane;
    std::unique_ptr<SimulatorOpener> flightgear;
};

class SimulatorSession {
public:
    SimulatorSession(SimulatorChoice choice, SimulatorOpeners openers);
    ~SimulatorSession();

    SimulatorSession(const SimulatorSession&) = delete;
    SimulatorSession& operator=(const SimulatorSession&) = delete;

    // Connects unless a link is open, then sets the three tanks.
    BoardingOutcome BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                              const WaitReport& report);
    // Connects unless a link is open, then reads the payload loaded.
    PayloadOutcome ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                               const WaitReport& report);
    // Connects unless a link is open, then reads what the aircraft holds now.
    AircraftOutcome ReadAircraft(const ExpectedAircraft& aircraft,
                                 const std::array<double, TankCount>& capacityPounds,
                                 const CancelFlag& cancel, const WaitReport& report);

    // True while a link is open (the planner's "connected to the simulator").
    bool Connected() const { return link_ != nullptr; }
    // Releases the link; the next command connects afresh.
    void Close();

private:
    std::optional<ConnectFailure> Connect(const CancelFlag& cancel, const WaitReport& report);
    // The web simulator's open, its link kept when it answered.
    std::optional<ConnectFailure> OpenWeb(SimulatorKind kind, const CancelFlag& cancel,
                                          const WaitReport& report);
    // A read on the link, connecting first; a read that did not end with
    // the simulator's answer closes the link.
    template <typename Outcome, typename Read>
    Outcome RunRead(const CancelFlag& cancel, const WaitReport& report, Read read);

    SimulatorChoice choice_;
    SimulatorOpeners openers_;
    std::unique_ptr<SimulatorLink> link_;
};

}  // namespace tarnwell::sim
