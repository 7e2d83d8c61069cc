#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "data/aircraft.h"
#include "dispatch/dispatch_import.h"
#include "plan/fuel_plan.h"
#include "plan/units.h"

// The dispatch plan's figures against the planner's own: two independent
// sets of tables for the same flight, which a pilot wants to see agree.
namespace tarnwell::dispatch {

// A difference counts when it is more than this share of the dispatch
// plan's trip fuel: less is the spread two fuel tables of one type give.
inline constexpr double TolerancePercent = 5.0;

enum class CheckRowId {
    TripFuel,
    AlternateFuel,
    BlockFuel,
    ZeroFuelWeight,
    TakeoffWeight,
    LandingWeight
};
inline constexpr std::size_t CheckRowCount = 6;

// One row, as the window shows it, in the display unit.
struct CheckRow {
    std::string label;       // "Trip fuel"
    std::string dispatch;    // "21000", "--" when the plan has none
    std::string planner;     // "--" when the planner has no complete plan
    std::string difference;  // planner less dispatch: "+350", "-120", "0"
    std::string percent;     // of the dispatch figure: "+1.7 %"
    bool beyondTolerance = false;

    friend bool operator==(const CheckRow&, const CheckRow&) = default;
};

// The tolerance in pounds: TolerancePercent of the dispatch trip fuel;
// none without one.
std::optional<std::int32_t> TolerancePounds(const DispatchFigures& dispatch);

// The rows, trip fuel first. `complete` says whether the planner's figures
// are a complete plan; its column is "--" when they are not.
std::array<CheckRow, CheckRowCount> CheckRows(const DispatchFigures& dispatch,
                                              const plan::PlanFigures& planner, bool complete,
                                              plan::Unit unit);

// The plan's figures with the dispatch block fuel in place of the planner's
// total, split over the tanks the same way: what boarding the dispatch
// fuel loads.
plan::PlanFigures WithBlockFuel(plan::PlanFigures figures, std::int32_t blockFuel,
                                const data::AircraftModel& model);

}  // namespace tarnwell::dispatch
