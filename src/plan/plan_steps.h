#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/aircraft.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"

// The steps of one calculation, in the order ComputeFuelPlan takes them:
// the wind, the fuel for the legs, the weights, the limits, the tank split
// and the texts. Each is a pure function of the figures before it. A step
// that can leave the 32-bit range gives no value then, and the calculation
// stops there with what the steps before it reached.
//
// The trip fuel and the flight time are single precision and everything
// else double, as the results depend on it; every whole pound goes through
// plan/arithmetic.h.
namespace tarnwell::plan {

// Flight hours of a trip time "h:mm", as the single-precision figure the
// wind adjustment is based on.
float FlightHours(std::string_view tripTime);

// --- The wind -------------------------------------------------------------

// The distance the wind adds over the flight time, in whole nautical miles.
std::optional<std::int32_t> WindAdjustment(float hours, double windSpeed);

// The adjustment as it acts on the trip: a tailwind's is negated. A
// negative speed (only pasted or stored, never typed) thereby turns around
// consistently, so the air distance and the en-route fuel agree.
std::optional<std::int32_t> SignedAdjustment(std::int32_t adjustment, WindType windType);

// The adjustment field: the signed adjustment, and "-0" for a zero tailwind,
// so the field still reads as a tailwind.
std::string AdjustmentText(std::int32_t signedAdjustment, WindType windType);

// The wind field in normal form: the speed's shortest text, empty for none.
std::string TidiedWind(double windSpeed);

// The distance flown through the air.
std::optional<std::int32_t> AirDistance(int tripNm, std::int32_t signedAdjustment);

// --- The fuel for the legs ------------------------------------------------

// The alternate's fuel from its trip table figure (thousands of pounds).
std::optional<std::int32_t> AlternateFuel(float alternateTripFuel);

// The trip fuel (thousands of pounds) scaled by the share of the trip the
// wind adds or takes away.
std::optional<std::int32_t> EnrouteFuel(float tripFuel, std::int32_t signedAdjustment, int tripNm);

// --- The weights ----------------------------------------------------------

// The four weight entries in whole pounds; 0 for a text that starts with no
// number. None when an entry's number lies beyond the 32-bit pounds: the
// plan stops as an overflow, which says so and leaves the digits typed in
// their field, rather than taking them as nothing and rewriting the field
// empty.
struct EntryWeights {
    std::int32_t payload = 0;
    std::int32_t holdingFuel = 0;
    std::int32_t minimumFuel = 0;
    std::int32_t taxiFuel = 0;

    friend bool operator==(const EntryWeights&, const EntryWeights&) = default;
};
std::optional<EntryWeights> EntryPounds(const PlanInputs& inputs);

std::optional<std::int32_t> ZeroFuelWeight(std::int32_t operatingWeight, std::int32_t payload);
// Added in this order; a sum on the way that leaves the range stops the plan.
std::optional<std::int32_t> LandingWeight(std::int32_t zeroFuelWeight, std::int32_t minimumFuel,
                                          std::int32_t alternateFuel, std::int32_t holdingFuel);
std::optional<std::int32_t> TakeoffWeight(std::int32_t landingWeight, std::int32_t enrouteFuel);
std::optional<std::int32_t> TaxiWeight(std::int32_t takeoffWeight, std::int32_t taxiFuel);
// Holding, alternate, minimum, en-route and taxi fuel, added in this order.
std::optional<std::int32_t> TotalFuel(const PlanFigures& figures);

// --- The limits -----------------------------------------------------------

// The five marks: zero fuel, landing, take-off and taxi weight and the total
// fuel, each over its limit or not (equal to it is within).
std::vector<LimitMark> LimitMarks(const PlanFigures& figures, const data::AircraftModel& model);

// --- The tank split -------------------------------------------------------

struct TankSplit {
    std::int32_t centerTankFuel = 0;
    double mainTankFuel = 0.0;  // each wing tank; a whole number or one half over

    friend bool operator==(const TankSplit&, const TankSplit&) = default;
};

// The first 1000 lb go to the centre tank, then the wing tanks fill equally,
// and what they cannot hold goes back to the centre up to its capacity.
// Fuel beyond the total capacity is not loaded; the red total fuel is the
// sign of it.
TankSplit SplitTanks(std::int32_t totalFuel, const data::AircraftModel& model);

// --- The texts ------------------------------------------------------------

// The weights and fuels from the basic operating weight to the total in
// the display unit, the four entries among them in normal form (a zero as
// an empty field), in the order the window writes them.
std::vector<FieldText> ResultTexts(const PlanFigures& figures, Unit unit);

// The three tank displays with the unit's suffix: right, centre, left.
std::vector<FieldText> TankTexts(const TankSplit& split, Unit unit);

}  // namespace tarnwell::plan
