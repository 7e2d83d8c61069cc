#pragma once

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "sim/cancel_flag.h"
#include "sim/simulator.h"

// Board Fuel as every web simulator runs it: the aircraft checked, the
// tanks' capacities read and an unlike layout refused, each tank written
// in BoardingOrder with the order cut to what it holds, the tanks read
// back. A link supplies only its own requests, units and wording.
namespace tarnwell::sim {

// Why a step ends the command: the cancel flag, or a trouble with its
// technical account.
struct WebProblem {
    bool cancelled = false;
    Trouble trouble = Trouble::None;
    std::string detail;
};

// Whether the loaded aircraft is the one expected, as a link found it.
struct AircraftCheck {
    enum class End { Expected, Other, Failed };
    End end = End::Failed;
    // The aircraft as the simulator names it, where the link keeps it.
    std::string loadedAircraft;
    // Failed: why (cancelled included); Other: a detail, where there is one.
    WebProblem problem;
};

// A payload read as far as its aircraft check: Read when the aircraft is
// the expected one, the check's end otherwise.
PayloadResult CheckedPayload(const AircraftCheck& check);

// Pounds in each tank, indexed by TankIndex, as a step read them; none,
// with why, when they could not be read.
struct TankPounds {
    std::optional<std::array<double, TankCount>> pounds;
    WebProblem problem;
    // Capacities: none because the aircraft's tanks are another layout
    // (fewer tanks, one missing), not because a request failed.
    bool otherLayout = false;
};

// The requests that differ from one web simulator to another.
class WebBoardingSteps {
public:
    virtual ~WebBoardingSteps() = default;

    // "X-Plane", as the wait dialog's write steps name it.
    virtual std::string SimulatorName() const = 0;
    // The longest one request may take.
    virtual std::chrono::milliseconds RequestLimit() const = 0;
    // The requests the read back may take, tries included.
    virtual int ReadBackRequests() const = 0;

    // The loaded aircraft, and whatever else must hold before anything is
    // read of the tanks; tells the wait dialog.
    virtual AircraftCheck CheckAircraft(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                        const WaitReport& report) = 0;
    // What a plan figure that is no fuel load is told with.
    virtual Trouble UnusableFigureTrouble() const = 0;
    // What each tank holds at most; tells the wait dialog.
    virtual TankPounds ReadCapacities(const CancelFlag& cancel, const WaitReport& report) = 0;
    // Why the tank is taken for another layout's, for the details.
    virtual std::string UnlikeDetail(Tank tank, double simulatorPounds,
                                     double modelPounds) const = 0;
    // One tank set to the pounds, the wait dialog told already; false,
    // with why, when the write failed.
    virtual bool WriteTank(Tank tank, double pounds, const CancelFlag& cancel,
                           WebProblem& problem) = 0;
    // What each tank holds after the writes; tells the wait dialog.
    virtual TankPounds ReadBack(const CancelFlag& cancel, const WaitReport& report) = 0;
};

// Boards the order through the steps, nothing written unless the aircraft
// is the expected one, every figure is a fuel load and the tanks are the
// model's; a step that fails ends the boarding there.
BoardingResult BoardWeb(const FuelOrder& order, const CancelFlag& cancel, const WaitReport& report,
                        WebBoardingSteps& steps);

// What the aircraft holds now, from the payload as the link read it (its
// aircraft checked) and the tanks as the boarding reads them back. A
// payload or tank level the simulator answers with no weight (BadAnswer)
// is unknown rather than the end of the read; a request that fails ends it.
AircraftResult ReadWebAircraft(const PayloadResult& payload,
                               const std::array<double, TankCount>& capacityPounds,
                               const CancelFlag& cancel, const WaitReport& report,
                               WebBoardingSteps& steps);

}  // namespace tarnwell::sim
