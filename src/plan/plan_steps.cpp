#include "plan_steps.h"

#include <algorithm>
#include <charconv>

#include "plan/arithmetic.h"

namespace tarnwell::plan {
namespace {

// Whole number at the start of a text; 0 when it has none.
int LeadingWhole(std::string_view text) {
    int value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// An optional sum that goes on only while every partial sum fits.
std::optional<std::int32_t> Plus(std::optional<std::int32_t> sum, std::int32_t value) {
    return sum ? CheckedAdd(*sum, value) : std::nullopt;
}

}  // namespace

float FlightHours(std::string_view tripTime) {
    const auto colon = tripTime.find(':');
    const int hours = LeadingWhole(tripTime.substr(0, colon));
    const int minutes =
        colon == std::string_view::npos ? 0 : LeadingWhole(tripTime.substr(colon + 1));
    return static_cast<float>(hours + minutes / 60.0);
}

std::optional<std::int32_t> WindAdjustment(float hours, double windSpeed) {
    return RoundToInt32(static_cast<double>(hours) * windSpeed);
}

std::optional<std::int32_t> SignedAdjustment(std::int32_t adjustment, WindType windType) {
    return windType == WindType::Headwind ? adjustment : CheckedNeg(adjustment);
}

std::string AdjustmentText(std::int32_t signedAdjustment, WindType windType) {
    if (windType == WindType::Tailwind && signedAdjustment == 0) {
        return "-0";
    }
    return DecimalText(signedAdjustment);
}

std::string TidiedWind(double windSpeed) {
    return windSpeed == 0.0 ? std::string() : NumberText(windSpeed);
}

std::optional<std::int32_t> AirDistance(int tripNm, std::int32_t signedAdjustment) {
    return CheckedAdd(tripNm, signedAdjustment);
}

std::optional<std::int32_t> AlternateFuel(float alternateTripFuel) {
    return RoundToInt32(static_cast<double>(alternateTripFuel) * 1000.0);
}

std::optional<std::int32_t> EnrouteFuel(float tripFuel, std::int32_t signedAdjustment, int tripNm) {
    // Exactly this order of operations: the results depend on it.
    const double tripPounds = static_cast<double>(tripFuel) * 1000.0;
    return RoundToInt32((static_cast<double>(signedAdjustment) / tripNm) * tripPounds + tripPounds);
}

std::optional<EntryWeights> EntryPounds(const PlanInputs& inputs) {
    const std::optional<std::int32_t> payload = EntryToPounds(inputs.payload, inputs.unit);
    const std::optional<std::int32_t> holding = EntryToPounds(inputs.holdingFuel, inputs.unit);
    const std::optional<std::int32_t> minimum = EntryToPounds(inputs.minimumFuel, inputs.unit);
    const std::optional<std::int32_t> taxi = EntryToPounds(inputs.taxiFuel, inputs.unit);
    if (!payload || !holding || !minimum || !taxi) {
        return std::nullopt;
    }
    return EntryWeights{*payload, *holding, *minimum, *taxi};
}

std::optional<std::int32_t> ZeroFuelWeight(std::int32_t operatingWeight, std::int32_t payload) {
    return CheckedAdd(operatingWeight, payload);
}

std::optional<std::int32_t> LandingWeight(std::int32_t zeroFuelWeight, std::int32_t minimumFuel,
                                          std::int32_t alternateFuel, std::int32_t holdingFuel) {
    return Plus(Plus(CheckedAdd(zeroFuelWeight, minimumFuel), alternateFuel), holdingFuel);
}

std::optional<std::int32_t> TakeoffWeight(std::int32_t landingWeight, std::int32_t enrouteFuel) {
    return CheckedAdd(landingWeight, enrouteFuel);
}

std::optional<std::int32_t> TaxiWeight(std::int32_t takeoffWeight, std::int32_t taxiFuel) {
    return CheckedAdd(takeoffWeight, taxiFuel);
}

std::optional<std::int32_t> TotalFuel(const PlanFigures& f) {
    std::optional<std::int32_t> total = f.holdingFuel;
    for (std::int32_t fuel : {f.alternateFuel, f.minimumFuel, f.enrouteFuel, f.taxiFuel}) {
        total = Plus(total, fuel);
    }
    return total;
}

std::vector<LimitMark> LimitMarks(const PlanFigures& f, const data::AircraftModel& model) {
    return {
        {Field::ZFW, f.zeroFuelWeight > model.maxZeroFuelWeight},
        {Field::PLW, f.landingWeight > model.maxLandingWeight},
        {Field::GTOW, f.takeoffWeight > model.maxTakeoffWeight},
        {Field::TaxiWeight, f.taxiWeight > model.maxTaxiWeight},
        {Field::TotalFuel, f.totalFuel > data::FuelCapacity(model)},
    };
}

TankSplit SplitTanks(std::int32_t totalFuel, const data::AircraftModel& model) {
    constexpr std::int32_t CenterFirst = 1000;
    if (totalFuel < CenterFirst) {
        return {totalFuel, 0.0};
    }
    // From here the total is at least 1000 lb, so no difference below can
    // leave the 32-bit range.
    const std::int32_t rest = totalFuel - CenterFirst;
    const std::int32_t wings = 2 * model.mainTankCapacity;
    if (rest <= wings) {
        return {CenterFirst, rest / 2.0};
    }
    return {std::min(totalFuel - wings, model.centerTankCapacity),
            static_cast<double>(model.mainTankCapacity)};
}

std::vector<FieldText> ResultTexts(const PlanFigures& f, Unit unit) {
    const auto shown = [unit](std::int32_t pounds) { return FromPounds(pounds, unit); };
    const auto shownOrEmpty = [&shown](std::int32_t pounds) {
        return pounds == 0 ? std::string() : shown(pounds);
    };
    return {
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
}

std::vector<FieldText> TankTexts(const TankSplit& split, Unit unit) {
    std::string wingText;
    std::string centerText;
    if (unit == Unit::Kilograms) {
        // A wing tank carries at most a half pound, which rounds to even.
        wingText = FromPounds(RoundToInt32(split.mainTankFuel).value_or(0), unit);
        centerText = FromPounds(split.centerTankFuel, unit);
    } else {
        wingText = NumberText(split.mainTankFuel);
        centerText = DecimalText(split.centerTankFuel);
    }
    const std::string suffix = UnitSuffix(unit);
    wingText += suffix;
    return {{Field::RightTank, wingText},
            {Field::CenterTank, centerText + suffix},
            {Field::LeftTank, wingText}};
}

}  // namespace tarnwell::plan
