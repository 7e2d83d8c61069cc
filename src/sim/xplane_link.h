#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "sim/simulator.h"
#include "sim/web_client.h"

// X-Plane 12.1.1 and later through its local web API: datarefs are looked
// up by name, then read and written by the id X-Plane gives them for the
// session. The figures are X-Plane's: kilograms.
namespace tarnwell::sim {

inline constexpr const char* XPlaneFuelDataref = "sim/flightmodel/weight/m_fuel";
inline constexpr const char* XPlanePayloadDataref = "sim/flightmodel/weight/m_fixed";
inline constexpr const char* XPlaneAircraftDataref = "sim/aircraft/view/acf_ICAO";

// Where each tank's fuel lies in m_fuel for the 737 NG, indexed by
// TankIndex: left main 0, right main 2, centre 1.
inline constexpr std::array<int, TankCount> XPlaneTankElement{0, 2, 1};

// Looks for X-Plane's web API at the endpoint: its capabilities (12.1.4 and
// later) or, where there are none, the dataref count of the first API
// version (12.1.1 to 12.1.3). Anything else that answers there is not X-Plane.
OpenResult OpenXPlane(const Endpoint& endpoint, const CancelFlag& cancel, const WaitReport& report,
                      WebTiming timing = {});

class XPlaneLink final : public SimulatorLink {
public:
    // `apiRoot` is the versioned root the datarefs live under: "/api/v2".
    XPlaneLink(const Endpoint& endpoint, const WebTiming& timing, std::string apiRoot);

    SimulatorKind Kind() const override { return SimulatorKind::XPlane; }
    std::string Name() const override { return "X-Plane"; }

    // Checks the loaded aircraft's type code first; writes nothing into
    // another aircraft. Reads the three tanks back after writing them.
    BoardingResult BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                             const WaitReport& report) override;
    PayloadResult ReadPayload(const ExpectedAircraft& aircraft, const CancelFlag& cancel,
                              const WaitReport& report) override;

private:
    enum Dataref { Aircraft, Fuel, Payload, DatarefCount };

    struct Found {
        std::uint64_t id = 0;
        bool writable = true;
    };

    // The dataref's id, looked up once and kept for the link. Empty, with
    // why in `detail` (or a cancelled `reply`), when the lookup failed.
    std::optional<Found> Lookup(Dataref which, const CancelFlag& cancel, WebReply& reply,
                                std::string& detail);
    static const char* DatarefName(Dataref which);
    int LookupsLeft(Dataref which) const { return found_[which] ? 0 : 1; }
    std::string ValuePath(Dataref which) const;
    // A value read, or empty with why in `detail`; a 404 forgets the ids, as
    // X-Plane's session (and so its ids) may have changed.
    std::optional<nlohmann::json> ReadValue(Dataref which, const CancelFlag& cancel,
                                            WebReply& reply, std::string& detail);

    WebClient web_;
    std::string apiRoot_;
    std::array<std::optional<Found>, DatarefCount> found_;
};

// The aircraft type code in an acf_ICAO value: base64 of a byte array, up to
// its first NUL, blanks trimmed. Empty when the value is not such a thing.
std::optional<std::string> XPlaneTypeCode(const nlohmann::json& value);

}  // namespace tarnwell::sim
