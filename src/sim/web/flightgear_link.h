#pragma once

#include <array>
#include <chrono>
#include <string>

#include "sim/simulator.h"
#include "sim/web/web_boarding.h"
#include "sim/web/web_client.h"

// FlightGear through the JSON side of its property server (--httpd=PORT):
// GET /json/<path> answers a node as {"path", "name", "value", "type",
// "index", "nChildren"} and its children to the depth ?d=N asks for; a POST
// of {"value": x} sets it. The figures are FlightGear's: pounds.
namespace tarnwell::sim {

// The 737-800's fuel tanks in FlightGear's /consumables/fuel, indexed by
// TankIndex: left wing tank[0], right wing tank[1], centre tank[2].
inline constexpr std::array<int, TankCount> FlightGearTank{0, 1, 2};

// Looks for FlightGear's property server at the endpoint: its /sim/aircraft
// node. Anything else that answers there is not FlightGear.
OpenResult OpenFlightGear(const Endpoint& endpoint, const CancelFlag& cancel,
                          const WaitReport& report, WebTiming timing = {});

class FlightGearLink final : public SimulatorLink, private WebBoardingSteps {
public:
    FlightGearLink(const Endpoint& endpoint, const WebTiming& timing);

    SimulatorKind Kind() const override { return SimulatorKind::FlightGear; }

    // Checks that the loaded aircraft's id names the planned model and that
    // its tanks are the model's first; writes nothing into another aircraft
    // or layout, and no more into a tank than it holds. FlightGear answers a
    // write it ignores as one it takes, so the three tanks are read back.
    BoardingResult BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                             const WaitReport& report) override;
    // After the aircraft check: what a JSBSim aircraft carries, the sum of
    // its /fdm/jsbsim/inertia/pointmass-weight-lbs[n]; otherwise the sum of
    // every /payload/weight[n]/weight-lb. Each rounded as it is added.
    PayloadResult ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                              const WaitReport& report) override;
    // The payload as ReadPayload reads it, then the tanks as the boarding
    // reads them back.
    AircraftResult ReadAircraft(const ExpectedAircraft& aircraft,
                                const std::array<double, TankCount>& capacityPounds,
                                const CancelFlag& cancel, const WaitReport& report) override;

private:
    // A read, tried again when FlightGear did not answer in time; the wait
    // is told each try, with the requests still to come after it.
    WebReply Read(const std::string& path, const CancelFlag& cancel, const WaitReport& report,
                  const std::string& what, int requestsAfter);
    // Whether the loaded aircraft is the expected model; the wait dialog is
    // told the step with the requests still to come after it.
    AircraftCheck CheckLoaded(const ExpectedAircraft& expected, const CancelFlag& cancel,
                              const WaitReport& report, int requestsAfter);

    // Board Fuel's steps: the levels written in pounds, one property each,
    // and read back with the whole fuel node, each read tried again.
    std::string SimulatorName() const override;
    std::chrono::milliseconds RequestLimit() const override { return web_.RequestLimit(); }
    int ReadBackRequests() const override { return readTries_; }
    AircraftCheck CheckAircraft(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                const WaitReport& report) override;
    Trouble UnusableFigureTrouble() const override { return Trouble::BadAnswer; }
    TankPounds ReadCapacities(const CancelFlag& cancel, const WaitReport& report) override;
    std::string UnlikeDetail(Tank tank, double simulatorPounds, double modelPounds) const override;
    bool WriteTank(Tank tank, double pounds, const CancelFlag& cancel,
                   WebProblem& problem) override;
    TankPounds ReadBack(const CancelFlag& cancel, const WaitReport& report) override;

    WebClient web_;
    int readTries_ = 1;
};

// Whether a FlightGear aircraft id names the series: "737-800YV" and
// "738" name the 737-800.
bool FlightGearNamesSeries(const std::string& aircraftId, const std::string& seriesName);

// The value of the node a property server's answer describes, when the
// answer is a node (a "path" and a "value"); null otherwise.
const nlohmann::json* FlightGearValue(const nlohmann::json& node);

}  // namespace tarnwell::sim
