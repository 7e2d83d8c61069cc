#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/aircraft.h"
#include "dispatch/ofp.h"
#include "plan/fuel_plan.h"

// What a dispatch plan sets of the planner's inputs, each figure taken to
// the nearest the planner's lists and tables allow, and the plan's own
// figures the planner's are checked against. Every rounding and every
// figure left out is said in a note the pilot sees.
namespace tarnwell::dispatch {

// The inputs an import sets; an empty one is left as the pilot had it.
// The lists by position, the weights in whole pounds.
struct ImportedInputs {
    std::optional<data::ModelId> model;
    std::optional<int> cruisingAlt;
    std::optional<int> tripDistance;
    std::optional<int> alternateDistance;
    std::optional<plan::WindType> windType;  // none for a calm wind: the list stays
    std::optional<std::int32_t> windKnots;
    std::optional<std::int32_t> payload;
    std::optional<std::int32_t> holdingFuel;
    std::optional<std::int32_t> minimumFuel;
    std::optional<std::int32_t> taxiFuel;
};

// The dispatch plan's own figures, whole pounds.
struct DispatchFigures {
    std::optional<std::int32_t> tripFuel;       // fuel/enroute_burn
    std::optional<std::int32_t> alternateFuel;  // fuel/alternate_burn
    std::optional<std::int32_t> blockFuel;      // fuel/plan_ramp: the fuel at taxi
    std::optional<std::int32_t> zeroFuelWeight;
    std::optional<std::int32_t> takeoffWeight;
    std::optional<std::int32_t> landingWeight;
};

struct DispatchImport {
    // Why the plan cannot be taken; when set, nothing is to change.
    std::string refusal;
    ImportedInputs inputs;
    DispatchFigures figures;
    // Which plan it is: "EGLL to LPPT (alternate LPFR), OFP of 2025-12-10 13:00 UTC".
    std::string name;
    std::vector<std::string> notes;
};

DispatchImport ImportPlan(const OfpPlan& plan);

// The cruise level list's position nearest an altitude in feet (a tie
// goes to the lower level, which burns more); outside FL290..FL370 the
// nearest end.
int NearestLevel(double feet);

// Whole pounds of a weight in the plan's unit, rounded to the nearest (ties
// to even); none beyond the 32-bit pound range.
std::optional<std::int32_t> PlanPounds(double weight, OfpUnit unit);

}  // namespace tarnwell::dispatch
