#include "loadsheet/load_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/trip_tables.h"
#include "plan/arithmetic.h"
#include "plan/fuel_load.h"

namespace tarnwell::loadsheet {
namespace {

std::string Shown(double pounds, plan::Unit unit) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return whole ? plan::FromPounds(*whole, unit) : std::string("--");
}

// A figure as the sheet prints it, in whole units.
std::int64_t PrintedWhole(double pounds, plan::Unit unit) {
    const std::optional<std::int32_t> whole = plan::RoundToInt32(pounds);
    return whole ? std::int64_t{plan::RoundToInt32(unit == plan::Unit::Kilograms
                                                       ? *whole * plan::KilogramsPerPound
                                                       : double(*whole))
                                    .value_or(0)}
                 : 0;
}

std::string UnitName(plan::Unit unit) {
    return unit == plan::Unit::Kilograms ? "Kgs." : "Lbs.";
}

std::string NotComputed(plan::PlanEnd end) {
    switch (end) {
        case plan::PlanEnd::Complete:
            return {};
        case plan::PlanEnd::NoSelection:
            return "No plan: a list has no selection.";
        case plan::PlanEnd::NoTripData:
            return "No plan: the trip tables have no figure for this level and distance.";
        case plan::PlanEnd::Overflow:
            return "No plan: a figure is too large (Invalid value entered, please enter a lower "
                   "value.)";
    }
    return "No plan.";
}

std::string FieldName(plan::Field field) {
    switch (field) {
        case plan::Field::Payload:
            return "payload";
        case plan::Field::HoldingFuel:
            return "holding fuel";
        case plan::Field::MinimumFuel:
            return "minimum landing fuel";
        case plan::Field::TaxiFuel:
            return "taxi fuel";
        default:
            return "an entry";
    }
}

std::vector<std::pair<std::string, std::string>> Inputs(const PlannerState& state,
                                                        const data::AircraftModel& model) {
    const plan::PlanInputs& in = state.inputs;
    const std::string unit = " " + UnitName(in.unit);
    const auto level = [](int position) {
        return position >= 0 && position < data::LevelCount
                   ? "FL" + std::to_string(290 + 20 * position)
                   : std::string("--");
    };
    const auto miles = [](int position, int count) {
        return position >= 0 && position < count
                   ? std::to_string(data::TripDistanceNm(position)) + " nm"
                   : std::string("--");
    };
    const bool complete = state.end == plan::PlanEnd::Complete;
    // A complete plan's entries as it read them; otherwise as typed.
    const auto weight = [&](std::int32_t pounds, const std::string& typed) {
        return (complete ? plan::FromPounds(pounds, in.unit) : typed) + unit;
    };
    const plan::PlanFigures& f = state.figures;
    return {
        {"Model", std::string(model.modelName)},
        {"Cruising altitude", level(in.cruisingAlt)},
        {"Trip distance", miles(in.tripDistance, data::DistanceCount)},
        {"Extra distance to alternate", miles(in.alternateDistance, 5)},
        {"Forecast wind",
         std::string(in.windType == plan::WindType::Headwind ? "Headwind " : "Tailwind ") +
             (in.headwind.empty() ? "0" : in.headwind) + " kts"},
        {"Payload", weight(f.payloadWeight, in.payload)},
        {"Holding fuel", weight(f.holdingFuel, in.holdingFuel)},
        {"Minimum landing fuel", weight(f.minimumFuel, in.minimumFuel)},
        {"Taxi fuel", weight(f.taxiFuel, in.taxiFuel)},
    };
}

std::string Padded(std::string text, std::size_t width, bool right) {
    if (text.size() >= width) {
        return text;
    }
    const std::string pad(width - text.size(), ' ');
    return right ? pad + text : text + pad;
}

}  // namespace

double Fill(double pounds, std::int32_t limit) {
    if (limit <= 0 || !std::isfinite(pounds)) {
        return 0;
    }
    return std::clamp(pounds / limit, 0.0, 1.0);
}

bool Differs(double planned, double now) {
    return std::fabs(std::nearbyint(planned) - std::nearbyint(now)) >= 1;
}

LoadSheet MakeLoadSheet(const PlannerState& state) {
    const data::AircraftModel& model = data::Model(state.inputs.model);
    const plan::PlanFigures& f = state.figures;
    LoadSheet sheet;
    sheet.modelName = std::string(model.modelName);
    sheet.unit = state.inputs.unit;
    sheet.notComputed = NotComputed(state.end);
    sheet.inputs = Inputs(state, model);
    sheet.dispatchName = state.dispatchName;
    sheet.aircraft = state.aircraft;
    if (!sheet.Complete()) {
        return sheet;
    }
    sheet.tanks = {{{"Left main", f.mainTankFuel, model.mainTankCapacity},
                    {"Centre", double(f.centerTankFuel), model.centerTankCapacity},
                    {"Right main", f.mainTankFuel, model.mainTankCapacity}}};
    sheet.fuelNotLoaded = plan::FuelNotLoaded(f);
    const std::optional<dispatch::DispatchFigures>& d = state.dispatch;
    sheet.weights = {{
        {"Zero fuel weight", f.zeroFuelWeight, model.maxZeroFuelWeight,
         f.zeroFuelWeight > model.maxZeroFuelWeight, d ? d->zeroFuelWeight : std::nullopt},
        {"Landing weight", f.landingWeight, model.maxLandingWeight,
         f.landingWeight > model.maxLandingWeight, d ? d->landingWeight : std::nullopt},
        {"Takeoff weight", f.takeoffWeight, model.maxTakeoffWeight,
         f.takeoffWeight > model.maxTakeoffWeight, d ? d->takeoffWeight : std::nullopt},
        {"Taxi-out weight", f.taxiWeight, model.maxTaxiWeight, f.taxiWeight > model.maxTaxiWeight,
         std::nullopt},
    }};
    sheet.fuel = {{{"En-route", f.enrouteFuel},
                   {"Alternate", f.alternateFuel},
                   {"Holding", f.holdingFuel},
                   {"Minimum landing", f.minimumFuel},
                   {"Taxi", f.taxiFuel}}};
    sheet.totalFuel = f.totalFuel;
    sheet.payload = f.payloadWeight;
    sheet.dispatchBlockFuel = d ? d->blockFuel : std::nullopt;
    for (const plan::Field field : plan::NegativeEntries(f)) {
        sheet.negativeEntries.push_back(FieldName(field));
    }
    return sheet;
}

SheetParts ChangedParts(const LoadSheet& before, const LoadSheet& after) {
    if (before.modelName != after.modelName || before.unit != after.unit ||
        before.notComputed != after.notComputed || before.dispatchName != after.dispatchName ||
        (!after.Complete() && before.inputs != after.inputs)) {
        SheetParts all;
        all.fill(true);
        return all;
    }
    SheetParts changed{};
    const auto mark = [&changed](SheetPart part, bool differs) {
        changed[static_cast<std::size_t>(part)] =
            changed[static_cast<std::size_t>(part)] || differs;
    };
    // The aircraft's figures sit under the gauges and beside the payload.
    mark(SheetPart::Tanks, before.tanks != after.tanks ||
                               before.fuelNotLoaded != after.fuelNotLoaded ||
                               before.aircraft != after.aircraft ||
                               (after.aircraft && before.payload != after.payload));
    mark(SheetPart::Weights, before.weights != after.weights);
    mark(SheetPart::Fuel, before.fuel != after.fuel || before.totalFuel != after.totalFuel ||
                              before.dispatchBlockFuel != after.dispatchBlockFuel);
    mark(SheetPart::Notes, before.negativeEntries != after.negativeEntries);
    return changed;
}

std::string LoadSheetText(const LoadSheet& sheet, const std::string& printed) {
    const plan::Unit unit = sheet.unit;
    std::string text;
    const auto line = [&text](const std::string& content) {
        // No blanks left at a line's end: forms and chats keep them.
        text += content.substr(0, content.find_last_not_of(' ') + 1) + "\n";
    };
    const auto row = [&line](const std::string& name, const std::vector<std::string>& cells) {
        std::string content = "  " + Padded(name, 22, false);
        for (const std::string& cell : cells) {
            content += Padded(cell, 10, true);
        }
        line(content);
    };
    line(Padded("TARNWELL LOAD SHEET", 46, false) + printed);
    line(Padded(sheet.modelName, 46, false) + "weights in " + UnitName(unit));
    if (!sheet.dispatchName.empty()) {
        line("Dispatch plan: " + sheet.dispatchName);
    }
    line("");
    line("INPUTS");
    for (const auto& [name, value] : sheet.inputs) {
        line("  " + Padded(name, 30, false) + value);
    }
    if (!sheet.Complete()) {
        line("");
        line(sheet.notComputed);
        return text;
    }
    const bool dispatched = !sheet.dispatchName.empty();
    line("");
    row("WEIGHTS", {"PLANNED", "LIMIT", "MARGIN", dispatched ? "DISPATCH" : ""});
    for (const WeightBar& weight : sheet.weights) {
        // The margin of the figures as printed, so that the columns add up.
        const std::string marginText =
            plan::DecimalText(PrintedWhole(weight.limit, unit) - PrintedWhole(weight.pounds, unit));
        row(weight.name,
            {Shown(weight.pounds, unit), Shown(weight.limit, unit), marginText,
             dispatched ? (weight.dispatch ? Shown(*weight.dispatch, unit) : "--") : "",
             weight.exceeded ? "  OVER LIMIT" : ""});
    }
    line("");
    row("FUEL", {"PLANNED", "", "", dispatched ? "DISPATCH" : ""});
    for (const FuelPart& part : sheet.fuel) {
        row(part.name, {Shown(part.pounds, unit)});
    }
    row("Total at taxi",
        {Shown(sheet.totalFuel, unit), "", "",
         dispatched ? (sheet.dispatchBlockFuel ? Shown(*sheet.dispatchBlockFuel, unit) : "--")
                    : ""});
    line("");
    row("TANKS", {"PLANNED", "CAPACITY", "FILLED"});
    for (const TankGauge& tank : sheet.tanks) {
        row(tank.name,
            {Shown(tank.pounds, unit), Shown(tank.capacity, unit),
             std::to_string(static_cast<int>(std::lround(100 * Fill(tank.pounds, tank.capacity)))) +
                 " %"});
    }
    if (sheet.fuelNotLoaded > 0) {
        line("  Does not fit the tanks: " + Shown(sheet.fuelNotLoaded, unit) + " " +
             UnitName(unit));
    }
    for (const std::string& entry : sheet.negativeEntries) {
        line("  Below zero, not drawn: " + entry);
    }
    if (const std::optional<AircraftNow>& now = sheet.aircraft) {
        line("");
        line("IN THE AIRCRAFT NOW (" + now->simulator + ", read " + now->readAt + ")");
        row("", {"PLANNED", "AIRCRAFT", "DIFF"});
        const auto compared = [&](const std::string& name, double planned,
                                  std::optional<double> held) {
            if (!held) {
                row(name, {Shown(planned, unit), "unknown"});
                return;
            }
            const bool differs = Differs(planned, *held);
            // The difference of the figures as printed, as the margins are.
            const std::string difference =
                plan::DecimalText(PrintedWhole(*held, unit) - PrintedWhole(planned, unit));
            row(name,
                {Shown(planned, unit), Shown(*held, unit), difference, differs ? " DIFFERS" : ""});
        };
        for (std::size_t i = 0; i < TankCount; ++i) {
            compared(sheet.tanks[i].name, sheet.tanks[i].pounds, now->tankPounds[i]);
        }
        compared("Payload", sheet.payload,
                 now->payloadPounds ? std::optional<double>(*now->payloadPounds) : std::nullopt);
    }
    return text;
}

}  // namespace tarnwell::loadsheet
