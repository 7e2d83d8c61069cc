#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/aircraft.h"
#include "dispatch/dispatch_import.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"

// The load sheet: the plan as a pilot checks it at a glance (how full each
// tank is, how close each weight is to its limit, where the fuel goes),
// with the dispatch plan's figures beside it when one is imported. A value
// built from the plan; the window draws it, the files print it.
namespace tarnwell::loadsheet {

struct TankGauge {
    std::string name;   // "Left main"
    double pounds = 0;  // planned; below zero only for a plan that cannot be boarded
    std::int32_t capacity = 0;

    friend bool operator==(const TankGauge&, const TankGauge&) = default;
};

struct WeightBar {
    std::string name;  // "Zero fuel weight"
    std::int32_t pounds = 0;
    std::int32_t limit = 0;
    bool exceeded = false;
    std::optional<std::int32_t> dispatch;

    friend bool operator==(const WeightBar&, const WeightBar&) = default;
};

struct FuelPart {
    std::string name;  // "En-route"
    std::int32_t pounds = 0;

    friend bool operator==(const FuelPart&, const FuelPart&) = default;
};

inline constexpr std::size_t TankCount = 3;

// What the aircraft in the simulator held when Refresh last read it: "in
// the aircraft now". A figure the simulator answered with nonsense is
// empty, shown as "unknown" and never drawn.
struct AircraftNow {
    std::string simulator;  // "X-Plane"
    std::string readAt;     // "14:05 UTC"
    // Left main, centre, right main, as the gauges stand.
    std::array<std::optional<double>, TankCount> tankPounds;
    std::optional<std::int32_t> payloadPounds;

    friend bool operator==(const AircraftNow&, const AircraftNow&) = default;
};

// Whether a figure read from the aircraft is not the planned one: they
// differ once their whole pounds do, a boarding being good to a pound.
bool Differs(double planned, double now);
inline constexpr std::size_t WeightCount = 4;
inline constexpr std::size_t FuelPartCount = 5;

struct LoadSheet {
    std::string modelName;
    plan::Unit unit = plan::Unit::Pounds;
    // Why there are no figures to show; empty for a complete plan. An
    // incomplete plan shows its inputs and this, never the last figures.
    std::string notComputed;
    // The inputs, as the window shows them: "Cruising altitude", "FL350".
    std::vector<std::pair<std::string, std::string>> inputs;
    std::array<TankGauge, TankCount> tanks;  // left main, centre, right main
    std::int32_t fuelNotLoaded = 0;          // what the tanks cannot take
    std::array<WeightBar, WeightCount> weights;
    std::array<FuelPart, FuelPartCount> fuel;  // en-route to taxi
    std::int32_t totalFuel = 0;
    std::optional<std::int32_t> dispatchBlockFuel;
    std::string dispatchName;  // "EGLL to LPPT ..., OFP of ..."
    // Entries below zero (pasted or stored), named: drawn as nothing.
    std::vector<std::string> negativeEntries;
    std::int32_t payload = 0;  // planned
    std::optional<AircraftNow> aircraft;

    bool Complete() const { return notComputed.empty(); }
};

// What the load sheet needs of the planner at one moment.
struct PlannerState {
    plan::PlanInputs inputs;
    plan::PlanFigures figures;
    plan::PlanEnd end = plan::PlanEnd::NoSelection;
    std::optional<dispatch::DispatchFigures> dispatch;
    std::string dispatchName;
    std::optional<AircraftNow> aircraft;
};

LoadSheet MakeLoadSheet(const PlannerState& state);

// The parts of the sheet as it is drawn: a view redraws only those whose
// figures changed, so that a keystroke does not redraw the whole sheet.
enum class SheetPart { Heading, Tanks, Weights, Fuel, Notes };
inline constexpr std::size_t SheetPartCount = 5;
using SheetParts = std::array<bool, SheetPartCount>;

// The parts that differ between two sheets: every part when the sheet as a
// whole changed (its model, unit, dispatch plan, or whether it has figures).
SheetParts ChangedParts(const LoadSheet& before, const LoadSheet& after);

// The share of `limit` a figure fills, 0 to 1; none for a limit of zero.
// Below zero is drawn as empty, above the limit as full.
double Fill(double pounds, std::int32_t limit);

// The plain-text load sheet in fixed columns, for a chat or a form:
// `printed` is the date and time it was made ("2026-12-10 14:05 UTC").
std::string LoadSheetText(const LoadSheet& sheet, const std::string& printed);

}  // namespace tarnwell::loadsheet
