#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/simulator.h"
#include "sim/web/web_boarding.h"
#include "sim/web/web_client.h"

// X-Plane 12.1.1 and later through its local web API: datarefs are looked
// up by name, then read and written by the id X-Plane gives them for the
// session. The figures are X-Plane's: kilograms.
namespace tarnwell::sim {

inline constexpr const char* XPlaneFuelDataref = "sim/flightmodel/weight/m_fuel";
inline constexpr const char* XPlanePayloadDataref = "sim/flightmodel/weight/m_fixed";
inline constexpr const char* XPlaneAircraftDataref = "sim/aircraft/view/acf_ICAO";
// The aircraft's fuel tanks: how many it has, what they hold together, and
// each tank's share of that, by its element in m_fuel.
inline constexpr const char* XPlaneTankCountDataref = "sim/aircraft/overflow/acf_num_tanks";
inline constexpr const char* XPlaneFuelCapacityDataref = "sim/aircraft/weight/acf_m_fuel_tot";
inline constexpr const char* XPlaneTankRatioDataref = "sim/aircraft/overflow/acf_tank_rat";

// Where each tank's fuel lies in m_fuel (and its share in acf_tank_rat) for
// the 737 NG, indexed by TankIndex: left main 0, right main 2, centre 1.
inline constexpr std::array<int, TankCount> XPlaneTankElement{0, 2, 1};

// Looks for X-Plane's web API at the endpoint: its capabilities (12.1.4 and
// later) or, where there are none, the dataref count of the first API
// version (12.1.1 to 12.1.3). Anything else that answers there is not
// X-Plane; a 403 there is X-Plane with incoming traffic disabled.
OpenResult OpenXPlane(const Endpoint& endpoint, const CancelFlag& cancel, const WaitReport& report,
                      WebTiming timing = {});

class XPlaneLink final : public SimulatorLink, private WebBoardingSteps {
public:
    // `apiRoot` is the versioned root the datarefs live under: "/api/v2".
    XPlaneLink(const Endpoint& endpoint, const WebTiming& timing, std::string apiRoot);

    SimulatorKind Kind() const override { return SimulatorKind::XPlane; }

    // Checks the loaded aircraft's type code and its tanks first; writes
    // nothing into another aircraft, nor into tanks of another layout.
    // Writes each tank's order cut to what the tank holds, then reads the
    // three back.
    BoardingResult BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                             const WaitReport& report) override;
    PayloadResult ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                              const WaitReport& report) override;
    // The payload as ReadPayload reads it, then the tanks as the boarding
    // reads them back.
    AircraftResult ReadAircraft(const ExpectedAircraft& aircraft,
                                const std::array<double, TankCount>& capacityPounds,
                                const CancelFlag& cancel, const WaitReport& report) override;

private:
    enum Dataref { Aircraft, Fuel, Payload, Tanks, FuelCapacity, TankRatios, DatarefCount };

    struct Found {
        std::uint64_t id = 0;
        bool writable = true;
    };

    // The reads of the tank capacities, and the writes with the read back,
    // as the wait dialog counts what is still to come.
    static constexpr int CapacityReads = 3;
    static constexpr int WritesAndReadBack = static_cast<int>(TankCount) + 1;

    // Looks up, in one request, the ids of those datarefs not known yet;
    // they are kept for the link. False, with why, when any is missing.
    bool Lookup(std::initializer_list<Dataref> needed, const CancelFlag& cancel,
                WebProblem& problem);
    // The ids the lookup's list gives the `missing` datarefs, into `got`;
    // why not, when an entry for one of them cannot be used.
    static std::optional<std::string> ListedIds(
        const nlohmann::json& list, const std::vector<Dataref>& missing,
        std::array<std::optional<Found>, DatarefCount>& got);
    // Why `got` cannot be taken: a dataref the list lacks, or one given the
    // id of another; none when every missing one was found.
    std::optional<std::pair<Trouble, std::string>> UnusableIds(
        const std::vector<Dataref>& missing,
        const std::array<std::optional<Found>, DatarefCount>& got) const;
    static const char* DatarefName(Dataref which);
    int LookupsLeft(std::initializer_list<Dataref> needed) const;
    std::string ValuePath(Dataref which) const;
    // A value read (its id looked up already), or empty with why; a 404
    // forgets the ids, as X-Plane's session (and so its ids) may have changed.
    std::optional<nlohmann::json> ReadValue(Dataref which, const CancelFlag& cancel,
                                            WebProblem& problem);
    // Whether the loaded aircraft's type code is the expected one, once the
    // datarefs `needed` are looked up; the wait dialog is told the step
    // with the requests still to come after it. The code found is kept
    // (empty when the aircraft names none).
    AircraftCheck CheckLoaded(const ExpectedAircraft& aircraft,
                              std::initializer_list<Dataref> needed, int requestsAfter,
                              const CancelFlag& cancel, const WaitReport& report);
    // What each tank holds at most, in pounds, indexed by TankIndex; empty
    // with why when it cannot be read, or when the aircraft has fewer than
    // three tanks (`tanks` then holds how many).
    std::optional<std::array<double, TankCount>> TankCapacities(const CancelFlag& cancel,
                                                                std::optional<std::int64_t>& tanks,
                                                                WebProblem& problem);

    // Board Fuel's steps: the fuel written as X-Plane keeps it, kilograms
    // into m_fuel's elements, and read back in one request.
    std::string SimulatorName() const override;
    std::chrono::milliseconds RequestLimit() const override { return web_.RequestLimit(); }
    int ReadBackRequests() const override { return 1; }
    AircraftCheck CheckAircraft(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                                const WaitReport& report) override;
    Trouble UnusableFigureTrouble() const override { return Trouble::None; }
    TankPounds ReadCapacities(const CancelFlag& cancel, const WaitReport& report) override;
    std::string UnlikeDetail(Tank tank, double simulatorPounds, double modelPounds) const override;
    bool WriteTank(Tank tank, double pounds, const CancelFlag& cancel,
                   WebProblem& problem) override;
    TankPounds ReadBack(const CancelFlag& cancel, const WaitReport& report) override;

    WebClient web_;
    std::string apiRoot_;
    std::array<std::optional<Found>, DatarefCount> found_;
};

// The aircraft type code in an acf_ICAO value: base64 of a byte array, up to
// its first NUL, blanks trimmed; an empty text when the aircraft names no
// type. Empty when the value is not such a thing.
std::optional<std::string> XPlaneTypeCode(const nlohmann::json& value);

}  // namespace tarnwell::sim
