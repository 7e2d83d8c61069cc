#include "fuel_plan.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

#include "data/trip_tables.h"
#include "plan/arithmetic.h"

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

// The steps after the trip lookup, each stored in the plan as soon as it is
// computed, so that an overflow leaves exactly what was reached.
void ComputeTrappedSteps(const PlanInputs& inputs, float tripFuel, FuelPlan& plan) {
    const int model = data::ModelIndex(inputs.model);
    const data::AircraftModel& limits = data::Model(inputs.model);
    PlanFigures& f = plan.figures;

    // The alternate is always flown at the lowest level.
    const float alternateTripFuel =
        static_cast<float>(data::TripFuel(model, 0, inputs.alternateDistance));
    f.alternateFuel = Must(RoundToInt32(static_cast<double>(alternateTripFuel) * 1000.0));

    const float hours = FlightHours(data::TripTime(model, inputs.cruisingAlt, inputs.tripDistance));

    // Wind adjustment: the distance the wind adds over the flight time.
    const double windSpeed = LeadingNumber(inputs.headwind);
    const std::int32_t adjustment = Must(RoundToInt32(static_cast<double>(hours) * windSpeed));
    const bool headwind = inputs.windType == WindType::Headwind;
    // A tailwind shortens the trip: its adjustment is shown negated, and a
    // zero one as "-0" so the field still reads as a tailwind. A negative
    // speed (only pasted or stored, never typed) turns the sign around
    // consistently, so air distance and en-route fuel agree.
    std::int32_t signedAdjustment = adjustment;
    if (headwind) {
        plan.windAdjustment = DecimalText(adjustment);
    } else if (adjustment == 0) {
        plan.windAdjustment = "-0";
    } else {
        signedAdjustment = Must(CheckedNeg(adjustment));
        plan.windAdjustment = DecimalText(signedAdjustment);
    }

    // The wind field in normal form.
    plan.headwind = windSpeed == 0.0 ? std::string() : NumberText(windSpeed);

    const std::int16_t distance =
        static_cast<std::int16_t>(data::TripDistanceNm(inputs.tripDistance));
    const std::int32_t airDistance =
        headwind ? Must(CheckedAdd(distance, adjustment)) : Must(CheckedSub(distance, adjustment));
    plan.airDistance = DecimalText(airDistance);

    // En-route fuel scales the trip fuel by the share of air distance the
    // wind adds or takes away, in exactly this order of operations.
    const double tripPounds = static_cast<double>(tripFuel) * 1000.0;
    f.enrouteFuel = Must(
        RoundToInt32((static_cast<double>(signedAdjustment) / distance) * tripPounds + tripPounds));

    f.payloadWeight = ToPounds(inputs.payload, inputs.unit);
    f.holdingFuel = ToPounds(inputs.holdingFuel, inputs.unit);
    f.minimumFuel = ToPounds(inputs.minimumFuel, inputs.unit);
    f.taxiFuel = ToPounds(inputs.taxiFuel, inputs.unit);

    f.zeroFuelWeight = Must(CheckedAdd(f.operatingWeight, f.payloadWeight));
    f.landingWeight = Must(CheckedAdd(
        Must(CheckedAdd(Must(CheckedAdd(f.zeroFuelWeight, f.minimumFuel)), f.alternateFuel)),
        f.holdingFuel));
    f.takeoffWeight = Must(CheckedAdd(f.landingWeight, f.enrouteFuel));
    f.taxiWeight = Must(CheckedAdd(f.takeoffWeight, f.taxiFuel));
    std::int32_t total = f.holdingFuel;
    for (std::int32_t fuel : {f.alternateFuel, f.minimumFuel, f.enrouteFuel, f.taxiFuel}) {
        total = Must(CheckedAdd(total, fuel));
    }
    f.totalFuel = total;

    plan.limitMarks = {
        {Field::ZFW, f.zeroFuelWeight > limits.maxZeroFuelWeight},
        {Field::PLW, f.landingWeight > limits.maxLandingWeight},
        {Field::GTOW, f.takeoffWeight > limits.maxTakeoffWeight},
        {Field::TaxiWeight, f.taxiWeight > limits.maxTaxiWeight},
        {Field::TotalFuel, f.totalFuel > data::FuelCapacity(limits)},
    };

    // Tank split: the first 1000 lb go to the centre tank, then the wing
    // tanks fill equally, and what they cannot hold goes back to the centre
    // up to its capacity. Fuel beyond the total capacity is not loaded; the
    // red total fuel is the sign of it.
    std::int32_t rest = 0;
    if (f.totalFuel < 1000) {
        f.centerTankFuel = f.totalFuel;
    } else {
        f.centerTankFuel = 1000;
        rest = Must(CheckedSub(f.totalFuel, 1000));
    }
    const std::int32_t wings = 2 * limits.mainTankCapacity;
    if (rest > wings) {
        f.mainTankFuel = limits.mainTankCapacity;
        f.centerTankFuel = Must(CheckedSub(Must(CheckedAdd(f.centerTankFuel, rest)), wings));
        if (f.centerTankFuel > limits.centerTankCapacity) {
            f.centerTankFuel = limits.centerTankCapacity;
        }
    } else {
        f.mainTankFuel = rest / 2.0;
    }

    // The entries come back in normal form: a zero as an empty field.
    const auto shown = [&inputs](std::int32_t pounds) { return FromPounds(pounds, inputs.unit); };
    const auto shownOrEmpty = [&shown](std::int32_t pounds) {
        return pounds == 0 ? std::string() : shown(pounds);
    };
    plan.results = {
        {Field::BOW, shown(f.operatingWeight)},
        {Field::Payload, shownOrEmpty(f.payloadWeight)},
        {Field::ZFW, shown(f.zeroFuelWeight)},
        {Field::PLW, shown(f.landingWeight)},
        {Field::GTOW, shown(f.takeoffWeight)},
        {Field::TaxiWeight, shown(f.taxiWeight)},
        {Field::AlternateFuel, shown(f.alternateFuel)},
        {Field::HoldingFuel, shownOrEmpty(f.holdingFuel)},
        {Field::MinimumFuel, shownOrEmpty(f.minimumFuel)},
        {Field::EnrouteFuel, shown(f.enrouteFuel)},
        {Field::TaxiFuel, shownOrEmpty(f.taxiFuel)},
        {Field::TotalFuel, shown(f.totalFuel)},
    };

    std::string wingText;
    std::string centerText;
    if (inputs.unit == Unit::Kilograms) {
        // A wing tank carries at most a half pound, which rounds to even.
        wingText = FromPounds(RoundToInt32(f.mainTankFuel).value_or(0), inputs.unit);
        centerText = FromPounds(f.centerTankFuel, inputs.unit);
    } else {
        wingText = NumberText(f.mainTankFuel);
        centerText = DecimalText(f.centerTankFuel);
    }
    wingText += UnitSuffix(inputs.unit);
    plan.tanks = {{Field::RightTank, wingText},
                  {Field::CenterTank, centerText + UnitSuffix(inputs.unit)},
                  {Field::LeftTank, wingText}};
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
        ComputeTrappedSteps(inputs, tripFuel, plan);
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
