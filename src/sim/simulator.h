#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "sim/cancel_flag.h"

// What the planner asks of a simulator, whichever it is: the interface
// module inside the simulator, X-Plane's web API or FlightGear's HTTP
// server. Every link answers in the same values, so the window words its
// boxes once. Nothing here shows anything or knows the window.
namespace tarnwell::sim {

enum class SimulatorKind { Module, XPlane, FlightGear };

// Where a simulator's web server listens.
struct Endpoint {
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;

    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

inline constexpr std::uint16_t XPlanePort = 8086;
inline constexpr std::uint16_t FlightGearPort = 8080;

// The tanks Board Fuel sets, in the order it sets them.
enum class Tank { LeftMain, RightMain, Center };
inline constexpr std::size_t TankCount = 3;
inline constexpr std::array<Tank, TankCount> BoardingOrder{Tank::LeftMain, Tank::RightMain,
                                                           Tank::Center};

constexpr std::size_t TankIndex(Tank tank) {
    return static_cast<std::size_t>(tank);
}

// "left main", "right main", "centre", as the boxes and the wait dialog
// name the tanks.
constexpr const char* TankName(Tank tank) {
    switch (tank) {
        case Tank::LeftMain:
            return "left main";
        case Tank::RightMain:
            return "right main";
        case Tank::Center:
            break;
    }
    return "centre";
}

// The aircraft the plan is for, as the simulators name it: the planner
// boards only into a 737 of the selected model.
struct ExpectedAircraft {
    std::string modelName;   // "Boeing 737-800 NG", for the boxes
    std::string icaoType;    // "B738": X-Plane's acf_ICAO
    std::string seriesName;  // "737-800": part of FlightGear's aircraft id
};

// What Board Fuel loads.
struct FuelOrder {
    // Pounds in each tank, indexed by TankIndex; a wing tank may carry a
    // half pound.
    std::array<double, TankCount> pounds{};
    // The planned model's capacity of each tank, pounds, indexed by
    // TankIndex: a simulator whose tanks are far from these holds another
    // layout than the plan is for.
    std::array<double, TankCount> capacityPounds{};
    ExpectedAircraft aircraft;
};

// How a boarding ended.
enum class BoardingEnd {
    Boarded,        // every tank written (and, where the simulator can be
                    // asked, read back within a pound of the order)
    WrongAircraft,  // the loaded aircraft is not the one planned; nothing written
    TanksUnlike,    // the simulator's tanks are not the model's layout; nothing written
    CheckFailed,    // the aircraft or its tanks could not be read; nothing written
    WriteFailed,    // a write failed; the tanks before it are written
    Differs,        // all written, but the simulator holds other figures
    Cancelled,      // the cancel flag ended it; tanksWritten tells how far it got
};

// Why a web simulator's request went wrong, for the window to word in a
// pilot's terms; the technical account stays in the result's detail.
enum class Trouble {
    None,
    NoAnswer,                 // nothing answered in time, or the connection broke
    IncomingTrafficDisabled,  // X-Plane refuses requests from outside
    Refused,                  // the simulator answered the request with an error
    NoFlight,                 // the simulator does not know the value: no flight loaded
    ReadOnly,                 // the simulator holds the value read-only
    BadAnswer,                // an answer the planner cannot use
};

struct BoardingResult {
    BoardingEnd end = BoardingEnd::WriteFailed;
    // How many tanks, in BoardingOrder, hold the new figure.
    std::size_t tanksWritten = 0;
    // Differs (and Boarded, where read back): what each tank holds now, in
    // pounds, indexed by TankIndex.
    std::optional<std::array<double, TankCount>> heldPounds;
    // What each of the simulator's tanks holds at most, in pounds, indexed
    // by TankIndex, where the link could ask (the web simulators).
    std::optional<std::array<double, TankCount>> capacityPounds;
    // What the boarding wrote, or was to write, into each tank: the order,
    // cut to what each of the simulator's tanks holds.
    std::array<double, TankCount> boardedPounds{};
    // WrongAircraft: the loaded aircraft as the simulator names it.
    std::string loadedAircraft;
    Trouble trouble = Trouble::None;
    // What went wrong, technically (paths, status lines, values quoted),
    // for a box's details; empty for the interface module, whose boxes
    // keep their own texts.
    std::string detail;
};

enum class PayloadEnd { Read, WrongAircraft, Failed, Cancelled };

struct PayloadResult {
    PayloadEnd end = PayloadEnd::Failed;
    // Whole pounds, rounded half to even as every figure the planner takes.
    std::int32_t totalPounds = 0;
    // WrongAircraft: the loaded aircraft as the simulator names it.
    std::string loadedAircraft;
    Trouble trouble = Trouble::None;
    std::string detail;
};

// What the aircraft in the simulator holds now, as the load sheet's Refresh
// reads it: the tank contents and the payload loaded. It ends as a payload
// read does; once read, a figure the simulator answered that is no weight
// its tank or stations can hold (not a number, below zero, above the
// tank's capacity) is empty, "unknown", and is never shown as a figure.
struct AircraftResult {
    PayloadEnd end = PayloadEnd::Failed;
    // Pounds in each tank, indexed by TankIndex.
    std::array<std::optional<double>, TankCount> tankPounds{};
    // Whole pounds, rounded half to even.
    std::optional<std::int32_t> payloadPounds;
    // WrongAircraft: the loaded aircraft as the simulator names it.
    std::string loadedAircraft;
    Trouble trouble = Trouble::None;
    std::string detail;
};

// What a command waits for, told before each step and each new try, so
// the wait dialog can say it and how long it may still take.
struct WaitStep {
    std::string what;  // "Writing the left main tank level..."
    int attempt = 1;   // the try under way, from 1
    int attempts = 1;  // tries at most
    // The longest the step may still take from now, every try included.
    std::chrono::milliseconds limit{0};
};
using WaitReport = std::function<void(const WaitStep&)>;

// One open link to one simulator. Used from one thread at a time (the
// window's worker); the cancel flag may be raised from any thread and ends
// a call within one request's time-out.
class SimulatorLink {
public:
    virtual ~SimulatorLink() = default;

    virtual SimulatorKind Kind() const = 0;

    // Sets left main, right main and centre from the order, in that order.
    virtual BoardingResult BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                     const WaitReport& report) = 0;
    // The payload loaded, in whole pounds; a web simulator first checks that
    // the loaded aircraft is the one expected (the module cannot tell).
    virtual PayloadResult ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                      const WaitReport& report) = 0;
    // What the aircraft holds now: the payload (checking the aircraft as
    // ReadPayload does), then the three tanks, whose figures are held to
    // `capacityPounds`, the planned model's, indexed by TankIndex.
    virtual AircraftResult ReadAircraft(const ExpectedAircraft& aircraft,
                                        const std::array<double, TankCount>& capacityPounds,
                                        const CancelFlag& cancel, const WaitReport& report) = 0;
};

// How trying to open a link to one simulator ended.
enum class OpenEnd {
    Open,              // it answered as that simulator does
    NoAnswer,          // nothing listens there, or it never answered in time
    NotThisSimulator,  // something answered, but not as that simulator does
    Cancelled,
};

struct OpenResult {
    OpenEnd end = OpenEnd::NoAnswer;
    std::unique_ptr<SimulatorLink> link;  // when Open
    Trouble trouble = Trouble::None;      // otherwise: why, for the window's words
    std::string detail;                   // otherwise: what was found, technically
    std::int32_t moduleCode = 0;          // the interface module's open: its result code
};

// The time-outs and limits of the web simulators' requests.
struct WebTiming {
    std::chrono::milliseconds connectTimeout{1000};
    // Reading or writing one request or answer, each way.
    std::chrono::milliseconds requestTimeout{2000};
    // An answer longer than this is refused unread.
    std::size_t maxBodyBytes = 1 << 20;
    // FlightGear answers its property server once a frame: busy rendering
    // on a loaded machine it took up to a third of a second, and a heavier
    // scene at a few frames a second takes longer still.
    std::chrono::milliseconds flightgearRequestTimeout{5000};
    // Tries of a read that got no answer in time; writes are tried once.
    int readTries = 2;
};

}  // namespace tarnwell::sim
