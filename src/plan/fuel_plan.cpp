#include "fuel_plan.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "data/trip_tables.h"
#include "plan/arithmetic.h"
#include "plan/plan_steps.h"

namespace tarnwell::plan {
namespace {

// Raised when a figure leaves the 32-bit range; the calculation then ends
// as an overflow.
struct Overflow {};

std::int32_t Must(std::optional<std::int32_t> value) {
    if (!value) {
        throw Overflow{};
    }
    return *value;
}

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

// The steps after the trip lookup (plan_steps.h), each stored in the plan as
// soon as it is computed, so that an overflow leaves exactly what was
// reached.
void ComputeSteps(const PlanInputs& inputs, float tripFuel, FuelPlan& plan) {
    const int model = data::ModelIndex(inputs.model);
    const data::AircraftModel& limits = data::Model(inputs.model);
    const int tripNm = data::TripDistanceNm(inputs.tripDistance);
    PlanFigures& f = plan.figures;

    // The alternate is always flown at the lowest level.
    f.alternateFuel =
        Must(AlternateFuel(static_cast<float>(data::TripFuel(model, 0, inputs.alternateDistance))));

    const float hours = FlightHours(data::TripTime(model, inputs.cruisingAlt, inputs.tripDistance));
    const double windSpeed = LeadingNumber(inputs.headwind);
    const std::int32_t adjustment = Must(WindAdjustment(hours, windSpeed));
    const std::int32_t signedAdjustment = Must(SignedAdjustment(adjustment, inputs.windType));
    plan.windAdjustment = AdjustmentText(signedAdjustment, inputs.windType);
    plan.headwind = TidiedWind(windSpeed);
    plan.airDistance = DecimalText(Must(AirDistance(tripNm, signedAdjustment)));
    f.enrouteFuel = Must(EnrouteFuel(tripFuel, signedAdjustment, tripNm));

    const std::optional<EntryWeights> read = EntryPounds(inputs);
    if (!read) {
        throw Overflow{};
    }
    const EntryWeights& entries = *read;
    f.payloadWeight = entries.payload;
    f.holdingFuel = entries.holdingFuel;
    f.minimumFuel = entries.minimumFuel;
    f.taxiFuel = entries.taxiFuel;
    f.zeroFuelWeight = Must(ZeroFuelWeight(f.operatingWeight, f.payloadWeight));
    f.landingWeight =
        Must(LandingWeight(f.zeroFuelWeight, f.minimumFuel, f.alternateFuel, f.holdingFuel));
    f.takeoffWeight = Must(TakeoffWeight(f.landingWeight, f.enrouteFuel));
    f.taxiWeight = Must(TaxiWeight(f.takeoffWeight, f.taxiFuel));
    f.totalFuel = Must(TotalFuel(f));

    plan.limitMarks = LimitMarks(f, limits);
    const TankSplit split = SplitTanks(f.totalFuel, limits);
    f.centerTankFuel = split.centerTankFuel;
    f.mainTankFuel = split.mainTankFuel;
    plan.results = ResultTexts(f, inputs.unit);
    plan.tanks = TankTexts(split, inputs.unit);
}

}  // namespace

FuelPlan ComputeFuelPlan(const PlanInputs& inputs, const PlanFigures& kept) {
    FuelPlan plan;
    plan.figures = kept;
    // The lists hold exactly the table axes, so this only fails for a list
    // without a selection; there is no plan to show then.
    if (!InRange(inputs.cruisingAlt, data::LevelCount) ||
        !InRange(inputs.tripDistance, data::DistanceCount) ||
        !InRange(inputs.alternateDistance, data::DistanceCount)) {
        plan.end = PlanEnd::NoSelection;
        return plan;
    }

    const int model = data::ModelIndex(inputs.model);
    const float tripFuel =
        static_cast<float>(data::TripFuel(model, inputs.cruisingAlt, inputs.tripDistance));
    if (tripFuel == 0.0f) {
        plan.end = PlanEnd::NoTripData;
        plan.tanks = {{Field::RightTank, "--"}, {Field::LeftTank, "--"}, {Field::CenterTank, "--"}};
        return plan;
    }

    try {
        ComputeSteps(inputs, tripFuel, plan);
    } catch (const Overflow&) {
        plan.end = PlanEnd::Overflow;
        return plan;
    }
    plan.end = PlanEnd::Complete;
    return plan;
}

std::size_t ShownEntries::Slot(Field field) {
    switch (field) {
        case Field::HoldingFuel:
            return 1;
        case Field::MinimumFuel:
            return 2;
        case Field::TaxiFuel:
            return 3;
        default:
            return 0;
    }
}

void ShownEntries::Note(Field field, std::string text, Unit unit, std::int32_t pounds) {
    entries_[Slot(field)] = Known{true, std::move(text), unit, pounds};
}

void ShownEntries::NoteCalculated(Field field, std::string text, Unit unit, std::int32_t pounds) {
    const Known& entry = entries_[Slot(field)];
    if (entry.known && entry.unit == unit && entry.text == text) {
        return;
    }
    Note(field, std::move(text), unit, pounds);
}

std::int32_t ShownEntries::Pounds(Field field, const std::string& text, Unit unit) const {
    const Known& entry = entries_[Slot(field)];
    if (entry.known && entry.unit == unit && entry.text == text) {
        return entry.pounds;
    }
    return ToPounds(text, unit);
}

std::string NumberText(double value) {
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        return DecimalText(static_cast<std::int64_t>(value));
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace tarnwell::plan
