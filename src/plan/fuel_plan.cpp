#include "fuel_plan.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "data/aircraft.h"
#include "data/trip_tables.h"
#include "plan/arithmetic.h"
#include "plan/units.h"

namespace tarnwell::plan {
namespace {

// Raised when a figure leaves the 32-bit range; the calculation turns it
// into the "lower value" message.
struct Overflow {};

std::int32_t Must(std::optional<std::int32_t> value) {
    if (!value) {
        throw Overflow{};
    }
    return *value;
}

// Whole number at the start of a text; 0 when it has none.
int LeadingWhole(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// Flight hours of a trip time "h:mm", as the single-precision figure the
// wind adjustment is based on.
float FlightHours(std::string_view time) {
    const auto colon = time.find(':');
    const int hours = LeadingWhole(time.substr(0, colon));
    const int minutes = colon == std::string_view::npos ? 0 : LeadingWhole(time.substr(colon + 1));
    return static_cast<float>(hours + minutes / 60.0);
}

bool InRange(int index, int count) {
    return index >= 0 && index < count;
}

}  // namespace

void FuelPlanner::SetSelectedModel(int modelIndex) {
    selectedModel_ = InRange(modelIndex, data::ModelCount) ? modelIndex : 0;
}

void FuelPlanner::ApplyModelWeights() {
    figures_.OperatingWeight = data::Model(selectedModel_).BasicOperatingWeight;
    view_.SetText(Field::BOW, Shown(figures_.OperatingWeight));
}

bool FuelPlanner::CalculateFuelPlan() {
    if (isUpdating_) {
        return false;
    }

    const int model = selectedModel_;
    const int level = view_.Selection(Choice::CruisingAlt);
    const int trip = view_.Selection(Choice::TripDistance);
    // The lists hold exactly the table axes, so this only fails for a list
    // without a selection; there is no plan to show then.
    if (!InRange(level, data::LevelCount) || !InRange(trip, data::DistanceCount) ||
        !InRange(view_.Selection(Choice::AlternateDistance), data::DistanceCount)) {
        return false;
    }

    const float tripFuel = static_cast<float>(data::TripFuel(model, level, trip));
    if (tripFuel == 0.0f) {
        view_.SetText(Field::RightTank, "--");
        view_.SetText(Field::LeftTank, "--");
        view_.SetText(Field::CenterTank, "--");
        view_.ShowMessage({std::string(NoDataTextStart) +
                               std::string(data::Model(model).ModelName) + NoDataTextEnd,
                           "Error", MessageIcon::Exclamation});
        return false;
    }

    try {
        ComputeTrappedSteps(model, tripFuel, trip);
    } catch (const Overflow&) {
        view_.ShowMessage({OverflowText, "Error", MessageIcon::Exclamation});
        return false;
    }
    return true;
}

void FuelPlanner::ComputeTrappedSteps(int model, float tripFuel, int trip) {
    const data::AircraftModel& limits = data::Model(model);
    const int level = view_.Selection(Choice::CruisingAlt);

    // The alternate is always flown at the lowest level.
    const float alternateTripFuel =
        static_cast<float>(data::TripFuel(model, 0, view_.Selection(Choice::AlternateDistance)));
    figures_.AlternateFuel = Must(RoundToInt32(static_cast<double>(alternateTripFuel) * 1000.0));

    const float hours = FlightHours(data::TripTime(model, level, trip));

    // Wind adjustment: the distance the wind adds over the flight time.
    const double windSpeed = LeadingNumber(view_.Text(Field::Headwind));
    const std::int32_t adjustment = Must(RoundToInt32(static_cast<double>(hours) * windSpeed));
    const bool headwind = view_.Selection(Choice::WindType) == 0;
    // A tailwind shortens the trip: its adjustment is shown negated, and a
    // zero one as "-0" so the field still reads as a tailwind. A negative
    // speed (only pasted or stored, never typed) turns the sign around
    // consistently, so air distance and en-route fuel agree.
    std::string adjustmentText;
    if (headwind) {
        adjustmentText = DecimalText(adjustment);
    } else if (adjustment == 0) {
        adjustmentText = "-0";
    } else {
        adjustmentText = DecimalText(Must(CheckedNeg(adjustment)));
    }
    view_.SetText(Field::WindAdj, adjustmentText);

    // Tidy the wind field into normal form. The guard is down, so a changed
    // text runs one nested calculation, which reaches the same plan.
    const double tidied = LeadingNumber(view_.Text(Field::Headwind));
    view_.SetText(Field::Headwind, tidied == 0.0 ? std::string() : NumberText(tidied));

    const std::int16_t distance = static_cast<std::int16_t>(data::TripDistanceNm(trip));
    const std::int32_t airDistance =
        headwind ? Must(CheckedAdd(distance, adjustment)) : Must(CheckedSub(distance, adjustment));
    view_.SetText(Field::TotalNAM, DecimalText(airDistance));

    // En-route fuel scales the trip fuel by the share of air distance the
    // wind adds or takes away, in exactly this order of operations.
    const double signedAdjustment = LeadingNumber(view_.Text(Field::WindAdj));
    const double tripPounds = static_cast<double>(tripFuel) * 1000.0;
    figures_.EnrouteFuel =
        Must(RoundToInt32((signedAdjustment / distance) * tripPounds + tripPounds));

    figures_.PayloadWeight = Pounds(Field::Payload);
    figures_.HoldingFuel = Pounds(Field::HoldingFuel);
    figures_.MinimumFuel = Pounds(Field::MinimumFuel);
    figures_.TaxiFuel = Pounds(Field::TaxiFuel);

    PlanFigures& f = figures_;
    f.ZeroFuelWeight = Must(CheckedAdd(f.OperatingWeight, f.PayloadWeight));
    f.LandingWeight = Must(CheckedAdd(
        Must(CheckedAdd(Must(CheckedAdd(f.ZeroFuelWeight, f.MinimumFuel)), f.AlternateFuel)),
        f.HoldingFuel));
    f.TakeoffWeight = Must(CheckedAdd(f.LandingWeight, f.EnrouteFuel));
    f.TaxiWeight = Must(CheckedAdd(f.TakeoffWeight, f.TaxiFuel));
    std::int32_t total = f.HoldingFuel;
    for (std::int32_t fuel : {f.AlternateFuel, f.MinimumFuel, f.EnrouteFuel, f.TaxiFuel}) {
        total = Must(CheckedAdd(total, fuel));
    }
    f.TotalFuel = total;

    view_.SetOverLimit(Field::ZFW, f.ZeroFuelWeight > limits.MaxZeroFuelWeight);
    view_.SetOverLimit(Field::PLW, f.LandingWeight > limits.MaxLandingWeight);
    view_.SetOverLimit(Field::GTOW, f.TakeoffWeight > limits.MaxTakeoffWeight);
    view_.SetOverLimit(Field::TaxiWeight, f.TaxiWeight > limits.MaxTaxiWeight);
    view_.SetOverLimit(Field::TotalFuel, f.TotalFuel > data::FuelCapacity(limits));

    // Tank split: the first 1000 lb go to the centre tank, then the wing
    // tanks fill equally, and what they cannot hold goes back to the centre
    // up to its capacity. Fuel beyond the total capacity is not loaded; the
    // red total fuel is the sign of it.
    std::int32_t rest = 0;
    if (f.TotalFuel < 1000) {
        f.CenterTankFuel = f.TotalFuel;
    } else {
        f.CenterTankFuel = 1000;
        rest = Must(CheckedSub(f.TotalFuel, 1000));
    }
    const std::int32_t wings = 2 * limits.MainTankCapacity;
    if (rest > wings) {
        f.MainTankFuel = limits.MainTankCapacity;
        f.CenterTankFuel = Must(CheckedSub(Must(CheckedAdd(f.CenterTankFuel, rest)), wings));
        if (f.CenterTankFuel > limits.CenterTankCapacity) {
            f.CenterTankFuel = limits.CenterTankCapacity;
        }
    } else {
        f.MainTankFuel = rest / 2.0;
    }

    WriteResults();
}

void FuelPlanner::WriteResults() {
    const PlanFigures& f = figures_;
    // The guard keeps the entry fields' change handlers from starting new
    // calculations while their normal form is written back.
    isUpdating_ = true;
    view_.SetText(Field::BOW, Shown(f.OperatingWeight));
    view_.SetText(Field::Payload, ShownOrEmpty(f.PayloadWeight));
    view_.SetText(Field::ZFW, Shown(f.ZeroFuelWeight));
    view_.SetText(Field::PLW, Shown(f.LandingWeight));
    view_.SetText(Field::GTOW, Shown(f.TakeoffWeight));
    view_.SetText(Field::TaxiWeight, Shown(f.TaxiWeight));
    view_.SetText(Field::AlternateFuel, Shown(f.AlternateFuel));
    view_.SetText(Field::HoldingFuel, ShownOrEmpty(f.HoldingFuel));
    view_.SetText(Field::MinimumFuel, ShownOrEmpty(f.MinimumFuel));
    view_.SetText(Field::EnrouteFuel, Shown(f.EnrouteFuel));
    view_.SetText(Field::TaxiFuel, ShownOrEmpty(f.TaxiFuel));
    view_.SetText(Field::TotalFuel, Shown(f.TotalFuel));
    isUpdating_ = false;
    const std::pair<Field, std::int32_t> entries[] = {{Field::Payload, f.PayloadWeight},
                                                      {Field::HoldingFuel, f.HoldingFuel},
                                                      {Field::MinimumFuel, f.MinimumFuel},
                                                      {Field::TaxiFuel, f.TaxiFuel}};
    for (const auto& [field, pounds] : entries) {
        NoteEntry(field, view_.Text(field), pounds);
    }

    const int unit = view_.Selection(Choice::Units);
    std::string wingText;
    if (IsKilograms(unit)) {
        // A wing tank carries at most a half pound, which rounds to even.
        wingText = FromPounds(RoundToInt32(f.MainTankFuel).value_or(0), unit) + " Kgs.";
        view_.SetText(Field::RightTank, wingText);
        view_.SetText(Field::CenterTank, FromPounds(f.CenterTankFuel, unit) + " Kgs.");
    } else {
        wingText = NumberText(f.MainTankFuel) + " Lbs.";
        view_.SetText(Field::RightTank, wingText);
        view_.SetText(Field::CenterTank, DecimalText(f.CenterTankFuel) + " Lbs.");
    }
    view_.SetText(Field::LeftTank, wingText);
}

void FuelPlanner::SetPayloadWeight(std::int32_t pounds) {
    figures_.PayloadWeight = pounds;
    NoteEntryShown(Field::Payload, pounds);
}

std::size_t FuelPlanner::WeightEntry(Field field) {
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

void FuelPlanner::NoteEntry(Field field, std::string text, std::int32_t pounds) {
    entries_[WeightEntry(field)] =
        KnownEntry{true, std::move(text), view_.Selection(Choice::Units), pounds};
}

void FuelPlanner::NoteEntryShown(Field field, std::int32_t pounds) {
    NoteEntry(field, Shown(pounds), pounds);
}

std::int32_t FuelPlanner::EntryPounds(Field field) const {
    const KnownEntry& entry = entries_[WeightEntry(field)];
    const std::string text = view_.Text(field);
    const int unit = view_.Selection(Choice::Units);
    if (entry.known && entry.unit == unit && entry.text == text) {
        return entry.pounds;
    }
    return ToPounds(text, unit);
}

std::int32_t FuelPlanner::Pounds(Field field) const {
    return ToPounds(view_.Text(field), view_.Selection(Choice::Units));
}

std::string FuelPlanner::Shown(std::int32_t pounds) const {
    return FromPounds(pounds, view_.Selection(Choice::Units));
}

std::string FuelPlanner::ShownOrEmpty(std::int32_t pounds) const {
    return pounds == 0 ? std::string() : Shown(pounds);
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
