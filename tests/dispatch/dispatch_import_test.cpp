#include "dispatch/dispatch_import.h"

#include <gtest/gtest.h>

#include <string>

using namespace tarnwell;
using namespace tarnwell::dispatch;

namespace {

OfpPlan Plan(OfpUnit unit = OfpUnit::Pounds) {
    OfpPlan plan;
    plan.unit = unit;
    plan.aircraftType = "B738";
    plan.origin = "EGLL";
    plan.destination = "LPPT";
    plan.alternate = "LPFR";
    plan.timeGenerated = 1765371600;
    auto set = [&plan](Figure figure, double value) {
        plan.figures[static_cast<std::size_t>(figure)] = value;
    };
    set(Figure::InitialAltitude, 35000);
    set(Figure::AverageWind, -23);
    set(Figure::RouteDistance, 1234);
    set(Figure::AirDistance, 1290);
    set(Figure::AlternateDistance, 149);
    set(Figure::TaxiFuel, 500);
    set(Figure::EnrouteBurn, 21000);
    set(Figure::Contingency, 1050);
    set(Figure::AlternateBurn, 3500);
    set(Figure::Reserve, 2500);
    set(Figure::Extra, 0);
    set(Figure::TakeoffFuel, 28050);
    set(Figure::RampFuel, 28550);
    set(Figure::LandingFuel, 7050);
    set(Figure::Payload, 30000);
    set(Figure::ZeroFuelWeight, 121300);
    set(Figure::TakeoffWeight, 149350);
    set(Figure::LandingWeight, 128350);
    return plan;
}

OfpPlan With(Figure figure, std::optional<double> value, OfpPlan plan = Plan()) {
    plan.figures[static_cast<std::size_t>(figure)] = value;
    return plan;
}

std::string Notes(const DispatchImport& import) {
    std::string all;
    for (const std::string& note : import.notes) {
        all += note + "\n";
    }
    return all;
}

}  // namespace

TEST(DispatchImport, ACompletePlanInPoundsFillsEveryInput) {
    const DispatchImport import = ImportPlan(Plan());
    ASSERT_EQ(import.refusal, "");
    const ImportedInputs& in = import.inputs;
    EXPECT_EQ(in.model, data::ModelId::B737_800);
    EXPECT_EQ(in.cruisingAlt, 3);        // FL350
    EXPECT_EQ(in.tripDistance, 11);      // 1300
    EXPECT_EQ(in.alternateDistance, 0);  // 200
    EXPECT_EQ(in.windType, plan::WindType::Headwind);
    EXPECT_EQ(in.windKnots, 23);
    EXPECT_EQ(in.payload, 30000);
    EXPECT_EQ(in.taxiFuel, 500);
    EXPECT_EQ(in.holdingFuel, 2500);
    EXPECT_EQ(in.minimumFuel, 1050);  // landing less alternate and reserve
    EXPECT_EQ(import.figures.blockFuel, 28550);
    EXPECT_EQ(import.figures.tripFuel, 21000);
    EXPECT_EQ(import.name, "EGLL to LPPT (alternate LPFR), OFP of 2025-12-10 13:00 UTC");
    EXPECT_EQ(Notes(import),
              "Trip distance: 1234 nm planned, 1300 taken (the list's next up).\n"
              "Alternate: 149 nm planned, 200 taken (the list's shortest).\n");
}

TEST(DispatchImport, EachFigureIsTakenToTheNearestTheListsHold) {
    const struct {
        Figure figure;
        double value;
        std::optional<int> level, trip, alternate;
        const char* note;  // "" for none
    } rows[] = {
        {Figure::InitialAltitude, 36000, 3, 11, 0, "FL360 planned, FL350 taken, the nearest"},
        {Figure::InitialAltitude, 35999, 3, 11, 0, "FL360 planned, FL350 taken, the nearest"},
        {Figure::InitialAltitude, 36001, 4, 11, 0, "FL360 planned, FL370 taken, the nearest"},
        {Figure::InitialAltitude, 29000, 0, 11, 0, ""},
        {Figure::InitialAltitude, 24000, 0, 11, 0, "FL240 planned, FL290 taken, the lowest"},
        {Figure::InitialAltitude, 41000, 4, 11, 0, "FL410 planned, FL370 taken, the highest"},
        {Figure::InitialAltitude, 9e15, 4, 11, 0, "the highest"},
        {Figure::RouteDistance, 1200, 3, 10, 0, ""},
        {Figure::RouteDistance, 1200.4, 3, 11, 0, "1300 taken (the list's next up)"},
        {Figure::RouteDistance, 150, 3, 0, 0, "150 nm planned, 200 taken (the list's next and"},
        {Figure::RouteDistance, 5000, 3, 48, 0, ""},
        {Figure::AlternateDistance, 201, 3, 11, 1, "300 taken (the list's next up)"},
        {Figure::AlternateDistance, 600, 3, 11, 4, ""},
        {Figure::AlternateDistance, 700, 3, 11, 4,
         "700 nm planned, 600 taken (the list's farthest)"},
    };
    // A plan the lists hold as it stands: each row changes one figure.
    const OfpPlan base = With(Figure::RouteDistance, 1300, With(Figure::AlternateDistance, 200));
    for (const auto& row : rows) {
        const DispatchImport import = ImportPlan(With(row.figure, row.value, base));
        SCOPED_TRACE(FigurePath(row.figure));
        SCOPED_TRACE(row.value);
        EXPECT_EQ(import.inputs.cruisingAlt, row.level);
        EXPECT_EQ(import.inputs.tripDistance, row.trip);
        EXPECT_EQ(import.inputs.alternateDistance, row.alternate);
        const std::string notes = Notes(import);
        if (*row.note) {
            EXPECT_NE(notes.find(row.note), std::string::npos) << notes;
        } else {
            EXPECT_EQ(notes, "");
        }
    }
}

TEST(DispatchImport, WhatCannotBeTakenIsRefusedAndChangesNothing) {
    OfpPlan airbus = Plan();
    airbus.aircraftType = "A320";
    const struct {
        OfpPlan plan;
        const char* says;
    } rows[] = {
        {airbus, "is for aircraft type A320, and Tarnwell plans only the Boeing 737-600"},
        {With(Figure::RouteDistance, 5001), "route is 5001 nm: Tarnwell's trip tables end at 5000"},
    };
    for (const auto& row : rows) {
        const DispatchImport import = ImportPlan(row.plan);
        EXPECT_NE(import.refusal.find(row.says), std::string::npos) << import.refusal;
        EXPECT_FALSE(import.inputs.model || import.inputs.tripDistance || import.inputs.payload);
        EXPECT_TRUE(import.notes.empty());
    }
}

TEST(DispatchImport, KilogramsAreConvertedExactlyAndRoundedToEven) {
    OfpPlan plan = Plan(OfpUnit::Kilograms);
    plan = With(Figure::Payload, 12000, plan);
    plan = With(Figure::Reserve, 1100, plan);
    plan = With(Figure::LandingFuel, 3005, plan);
    plan = With(Figure::AlternateBurn, 1400, plan);
    const DispatchImport import = ImportPlan(plan);
    EXPECT_EQ(import.inputs.payload, 26455);     // 12000 / 0.45359237 = 26455.47
    EXPECT_EQ(import.inputs.holdingFuel, 2425);  // 2425.09
    EXPECT_EQ(import.inputs.minimumFuel, 1113);  // 505 kg = 1113.33
    EXPECT_NE(Notes(import).find("converted from the plan's kilograms"), std::string::npos);
    // A half pound goes to the even neighbour.
    EXPECT_EQ(ImportPlan(With(Figure::Payload, 30000.5)).inputs.payload, 30000);
    EXPECT_EQ(ImportPlan(With(Figure::Payload, 30001.5)).inputs.payload, 30002);
}

TEST(DispatchImport, MissingOddAndNegativeFiguresAreLeftAndNamed) {
    OfpPlan plan = With(Figure::Payload, std::nullopt);
    plan = With(Figure::TaxiFuel, -500, plan);
    plan = With(Figure::LandingFuel, 5000, plan);  // below alternate + reserve
    plan = With(Figure::AverageWind, 0, plan);
    plan.unreadable.emplace_back("general/avg_wind_comp");
    plan = With(Figure::AverageWind, std::nullopt, plan);
    const DispatchImport import = ImportPlan(plan);
    EXPECT_EQ(import.inputs.payload, std::nullopt);
    EXPECT_EQ(import.inputs.taxiFuel, std::nullopt);
    EXPECT_EQ(import.inputs.minimumFuel, 0);  // never below zero
    EXPECT_EQ(import.inputs.windKnots, std::nullopt);
    EXPECT_EQ(Notes(import),
              "Trip distance: 1234 nm planned, 1300 taken (the list's next up).\n"
              "Alternate: 149 nm planned, 200 taken (the list's shortest).\n"
              "Not in the plan, left as it was: weights/payload.\n"
              "Not a number, left as it was: general/avg_wind_comp.\n"
              "Below zero, left as it was: fuel/taxi.\n");

    OfpPlan calm = With(Figure::AverageWind, 0.4);
    EXPECT_EQ(ImportPlan(calm).inputs.windType, std::nullopt);  // the list stays as it is
    EXPECT_EQ(ImportPlan(calm).inputs.windKnots, 0);
    EXPECT_EQ(ImportPlan(With(Figure::AverageWind, 15)).inputs.windType, plan::WindType::Tailwind);

    OfpPlan unitless = Plan();
    unitless.unit.reset();
    unitless.aircraftType.clear();
    const DispatchImport bare = ImportPlan(unitless);
    EXPECT_EQ(bare.inputs.model, std::nullopt);
    EXPECT_EQ(bare.inputs.payload, std::nullopt);
    EXPECT_EQ(bare.figures.blockFuel, std::nullopt);
    EXPECT_NE(Notes(bare).find("No aircraft type"), std::string::npos);
    EXPECT_NE(Notes(bare).find("No weight unit"), std::string::npos);
    EXPECT_NE(Notes(ImportPlan(With(Figure::Payload, 9e9))).find("Too large"), std::string::npos);
}
