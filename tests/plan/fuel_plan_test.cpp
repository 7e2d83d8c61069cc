#include "plan/fuel_plan.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "plan/units.h"

using namespace tarnwell::plan;

namespace {

bool IsEntryField(Field field) {
    return field == Field::Headwind || field == Field::Payload || field == Field::HoldingFuel ||
           field == Field::MinimumFuel || field == Field::TaxiFuel;
}

// A window stand-in that records every write. Like the real controls, an
// entry field whose text changes runs its change handler, which starts a
// calculation.
class FakeWindow : public PlanView {
public:
    struct Write {
        Field field;
        std::string text;
        bool guardUp;
    };

    FakeWindow() {
        selections = {{Choice::CruisingAlt, 0},
                      {Choice::TripDistance, 0},
                      {Choice::AlternateDistance, 0},
                      {Choice::WindType, 0},
                      {Choice::Units, UnitPounds}};
    }

    int Selection(Choice choice) const override { return selections.at(choice); }
    std::string Text(Field field) const override {
        const auto it = texts.find(field);
        return it == texts.end() ? std::string() : it->second;
    }
    void SetText(Field field, const std::string& text) override {
        writes.push_back({field, text, planner.IsUpdating()});
        const bool changed = Text(field) != text;
        texts[field] = text;
        if (changed && IsEntryField(field)) {
            ++handlerRuns;
            planner.CalculateFuelPlan();
        }
    }
    void SetOverLimit(Field field, bool over) override { red[field] = over; }
    void ShowMessage(const Message& message) override { messages.push_back(message); }

    // Types a text into an entry field as the user would.
    bool Type(Field field, const std::string& text) {
        texts[field] = text;
        return planner.CalculateFuelPlan();
    }

    std::map<Choice, int> selections;
    std::map<Field, std::string> texts;
    std::map<Field, bool> red;
    std::vector<Write> writes;
    std::vector<Message> messages;
    int handlerRuns = 0;
    FuelPlanner planner{*this};
};

// The examples' common start: the given model, level and trip distance
// (nautical miles), alternate 200 nm, pounds, empty entries.
void Select(FakeWindow& window, int model, int level, int tripNm) {
    window.planner.SetSelectedModel(model);
    window.planner.ApplyModelWeights();
    window.selections[Choice::CruisingAlt] = level;
    window.selections[Choice::TripDistance] = tripNm / 100 - 2;
}

void Tailwind(FakeWindow& window) {
    window.selections[Choice::WindType] = 1;
}

std::string Shortest(double value) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

class FuelPlan : public testing::Test {
protected:
    FakeWindow window;
};

}  // namespace

TEST_F(FuelPlan, SixHundredOverTwoHundredMilesWithHeadwind) {
    Select(window, 0, 0, 200);
    window.texts[Field::Headwind] = "20";
    ASSERT_TRUE(window.planner.CalculateFuelPlan());

    EXPECT_EQ(window.Text(Field::WindAdj), "13");
    EXPECT_EQ(window.Text(Field::TotalNAM), "213");
    // Single-precision trip fuel makes this 3301 where exact decimals give 3302.
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "3301");
    EXPECT_EQ(window.Text(Field::AlternateFuel), "3100");
    EXPECT_EQ(window.Text(Field::TotalFuel), "6401");
    EXPECT_EQ(window.Text(Field::RightTank), "2700.5 Lbs.");
    EXPECT_EQ(window.Text(Field::LeftTank), "2700.5 Lbs.");
    EXPECT_EQ(window.Text(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(window.planner.Figures().MainTankFuel, 2700.5);
    EXPECT_TRUE(window.messages.empty());
}

TEST_F(FuelPlan, WindAdjustmentUsesSinglePrecisionFlightTime) {
    Select(window, 0, 0, 200);
    window.texts[Field::Headwind] = "15";
    window.planner.CalculateFuelPlan();
    EXPECT_EQ(window.Text(Field::WindAdj), "9");  // T x 15 is just below 9.5

    // 6:45 makes T x 2 = 13.5 and T x 6 = 40.5: both ties go to even.
    Select(window, 0, 0, 2700);
    window.Type(Field::Headwind, "2");
    EXPECT_EQ(window.Text(Field::WindAdj), "14");
    window.Type(Field::Headwind, "6");
    EXPECT_EQ(window.Text(Field::WindAdj), "40");
}

TEST_F(FuelPlan, TailwindWithoutSpeedReadsAsMinusZero) {
    Select(window, 0, 0, 200);
    Tailwind(window);
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.Text(Field::WindAdj), "-0");
    EXPECT_EQ(window.Text(Field::TotalNAM), "200");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "3100");
}

TEST_F(FuelPlan, LargeTailwindMakesNegativeFiguresUnclamped) {
    Select(window, 0, 0, 200);
    Tailwind(window);
    window.texts[Field::Headwind] = "600";
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.Text(Field::WindAdj), "-380");
    EXPECT_EQ(window.Text(Field::TotalNAM), "-180");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "-2790");
    EXPECT_EQ(window.Text(Field::TotalFuel), "310");
    EXPECT_EQ(window.Text(Field::CenterTank), "310 Lbs.");
    EXPECT_EQ(window.Text(Field::RightTank), "0 Lbs.");
}

TEST_F(FuelPlan, EightHundredCaseWithHeadwindAndTailwind) {
    Select(window, 2, 3, 1000);
    window.texts = {{Field::Headwind, "20"},
                    {Field::Payload, "30000"},
                    {Field::HoldingFuel, "2000"},
                    {Field::MinimumFuel, "3000"},
                    {Field::TaxiFuel, "500"}};
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    const std::map<Field, std::string> expected = {
        {Field::WindAdj, "50"},          {Field::TotalNAM, "1050"},
        {Field::EnrouteFuel, "12180"},   {Field::AlternateFuel, "3300"},
        {Field::BOW, "91300"},           {Field::ZFW, "121300"},
        {Field::PLW, "129600"},          {Field::GTOW, "141780"},
        {Field::TaxiWeight, "142280"},   {Field::TotalFuel, "20980"},
        {Field::RightTank, "8630 Lbs."}, {Field::CenterTank, "3720 Lbs."},
        {Field::Payload, "30000"},       {Field::TaxiFuel, "500"},
    };
    for (const auto& [field, text] : expected) {
        EXPECT_EQ(window.Text(field), text) << static_cast<int>(field);
    }
    for (const auto& [field, over] : window.red) {
        EXPECT_FALSE(over) << static_cast<int>(field);
    }

    Tailwind(window);
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.Text(Field::WindAdj), "-50");
    EXPECT_EQ(window.Text(Field::TotalNAM), "950");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "11020");
    EXPECT_EQ(window.Text(Field::TotalFuel), "19820");
    EXPECT_EQ(window.Text(Field::CenterTank), "2560 Lbs.");
}

TEST_F(FuelPlan, FiguresOverTheirLimitsTurnRedAndTheCentreTankIsCapped) {
    Select(window, 2, 3, 1000);
    window.texts = {{Field::Headwind, "20"},
                    {Field::Payload, "30000"},
                    {Field::HoldingFuel, "40000"},
                    {Field::MinimumFuel, "3000"},
                    {Field::TaxiFuel, "500"}};
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.Text(Field::PLW), "167600");
    EXPECT_EQ(window.Text(Field::GTOW), "179780");
    EXPECT_EQ(window.Text(Field::TaxiWeight), "180280");
    EXPECT_EQ(window.Text(Field::TotalFuel), "58980");
    EXPECT_FALSE(window.red[Field::ZFW]);
    EXPECT_TRUE(window.red[Field::PLW]);
    EXPECT_TRUE(window.red[Field::GTOW]);
    EXPECT_TRUE(window.red[Field::TaxiWeight]);
    EXPECT_TRUE(window.red[Field::TotalFuel]);
    EXPECT_EQ(window.Text(Field::RightTank), "8630 Lbs.");
    EXPECT_EQ(window.Text(Field::CenterTank), "28803 Lbs.");

    window.texts[Field::Payload] = "";
    window.Type(Field::HoldingFuel, "30000");
    EXPECT_EQ(window.Text(Field::TotalFuel), "48980");
    EXPECT_TRUE(window.red[Field::TotalFuel]);
    EXPECT_FALSE(window.red[Field::PLW]);
    EXPECT_FALSE(window.red[Field::GTOW]);
    EXPECT_FALSE(window.red[Field::TaxiWeight]);
    EXPECT_EQ(window.Text(Field::CenterTank), "28803 Lbs.");
}

TEST_F(FuelPlan, AFigureEqualToItsLimitStaysBlack) {
    Select(window, 2, 3, 1000);
    window.Type(Field::Payload, "44700");  // 91300 + 44700 = 136000, the limit
    EXPECT_EQ(window.Text(Field::ZFW), "136000");
    EXPECT_FALSE(window.red[Field::ZFW]);
    window.Type(Field::Payload, "44701");
    EXPECT_TRUE(window.red[Field::ZFW]);
}

TEST_F(FuelPlan, NoTripDataMarksTheTanksAndKeepsThePreviousPlan) {
    Select(window, 3, 3, 3000);
    window.texts[Field::Payload] = "1000";
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    const auto before = window.texts;
    const PlanFigures figuresBefore = window.planner.Figures();

    window.selections[Choice::TripDistance] = 3100 / 100 - 2;
    window.texts[Field::Payload] = "2000";
    EXPECT_FALSE(window.planner.CalculateFuelPlan());

    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].title, "Error");
    EXPECT_EQ(window.messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(window.messages[0].text,
              "Fuel consumption data for the selected cruise altitude and distance is unavailable "
              "for the Boeing 737-900 NG. This may suggest that the required fuel burn would be "
              "greater than the maximum fuel capacity of the aircraft. Please change either the "
              "cruise altitude or trip distance to try again.");
    EXPECT_EQ(window.Text(Field::RightTank), "--");
    EXPECT_EQ(window.Text(Field::LeftTank), "--");
    EXPECT_EQ(window.Text(Field::CenterTank), "--");
    for (const auto& [field, text] : before) {
        if (field != Field::RightTank && field != Field::LeftTank && field != Field::CenterTank &&
            field != Field::Payload) {
            EXPECT_EQ(window.Text(field), text) << static_cast<int>(field);
        }
    }
    EXPECT_EQ(window.Text(Field::Payload), "2000");  // left as typed
    EXPECT_EQ(window.planner.Figures(), figuresBefore);
}

TEST_F(FuelPlan, EntryPoundsFollowWhatTheFieldShows) {
    Select(window, 2, 0, 200);
    window.selections[Choice::Units] = UnitKilograms;
    // 20001 lb shows as 9072 kg, which alone would read back as 20000 lb.
    window.planner.NoteEntryShown(Field::Payload, 20001);
    window.texts[Field::Payload] = "9072";
    EXPECT_EQ(window.planner.EntryPounds(Field::Payload), 20001);

    // A complete calculation's figure stands while its text is shown.
    window.texts[Field::HoldingFuel] = "1000";
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.planner.EntryPounds(Field::Payload), 20000);
    EXPECT_EQ(window.planner.EntryPounds(Field::HoldingFuel), 2205);

    // Without trip data nothing reads the fields: a typed text and a unit
    // change count as the text's own value in the unit now chosen.
    window.selections[Choice::TripDistance] = 48;
    window.texts[Field::HoldingFuel] = "10";
    EXPECT_FALSE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.planner.EntryPounds(Field::HoldingFuel), 22);
    window.selections[Choice::Units] = UnitPounds;
    EXPECT_EQ(window.planner.EntryPounds(Field::Payload), 9072);
    EXPECT_EQ(window.planner.Figures().HoldingFuel, 2205);
}

TEST_F(FuelPlan, EntriesAreWrittenBackInNormalForm) {
    Select(window, 0, 0, 200);
    window.texts = {{Field::Payload, "0"},
                    {Field::HoldingFuel, "12.7"},
                    {Field::MinimumFuel, "007"},
                    {Field::TaxiFuel, "5 0 0"}};
    ASSERT_TRUE(window.planner.CalculateFuelPlan());
    EXPECT_EQ(window.Text(Field::Payload), "");
    EXPECT_EQ(window.Text(Field::HoldingFuel), "13");
    EXPECT_EQ(window.Text(Field::MinimumFuel), "7");
    EXPECT_EQ(window.Text(Field::TaxiFuel), "500");
    EXPECT_EQ(window.Text(Field::Headwind), "");
    // The rewrites ran with the guard up: no handler started a calculation.
    EXPECT_EQ(window.handlerRuns, 4);
    EXPECT_EQ(window.planner.Figures().HoldingFuel, 13);
}

TEST_F(FuelPlan, TotalFuelAroundOneThousandPounds) {
    // A 600 kt tailwind leaves 310 lb in total; the taxi fuel tops it up.
    Select(window, 0, 0, 200);
    Tailwind(window);
    window.texts[Field::Headwind] = "600";
    window.Type(Field::TaxiFuel, "690");
    EXPECT_EQ(window.Text(Field::TotalFuel), "1000");
    EXPECT_EQ(window.Text(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(window.Text(Field::RightTank), "0 Lbs.");

    window.Type(Field::TaxiFuel, "691");
    EXPECT_EQ(window.Text(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(window.Text(Field::RightTank), "0.5 Lbs.");
    EXPECT_EQ(window.Text(Field::LeftTank), "0.5 Lbs.");

    window.selections[Choice::Units] = UnitKilograms;
    window.Type(Field::TaxiFuel, "313");  // 313 kg = 690 lb
    window.Type(Field::TaxiFuel, "314");  // 314 kg = 692 lb: 1002 in all
    EXPECT_EQ(window.Text(Field::RightTank), "0 Kgs.");
    EXPECT_EQ(window.Text(Field::CenterTank), "454 Kgs.");
}

TEST_F(FuelPlan, KilogramsConvertEveryFigureButTheEntriesDigits) {
    Select(window, 2, 3, 1000);
    window.selections[Choice::Units] = UnitKilograms;
    window.planner.ApplyModelWeights();
    EXPECT_EQ(window.Text(Field::BOW), "41413");
    window.Type(Field::Payload, "10000");
    EXPECT_EQ(window.planner.Figures().PayloadWeight, 22046);
    EXPECT_EQ(window.Text(Field::Payload), "10000");
    EXPECT_EQ(window.Text(Field::ZFW), FromPounds(91300 + 22046, UnitKilograms));
    EXPECT_EQ(window.Text(Field::RightTank), FromPounds(6950, UnitKilograms) + " Kgs.");
}

TEST_F(FuelPlan, FieldsAreWrittenInOrderWithTheGuardAroundTheEntries) {
    Select(window, 2, 3, 1000);
    window.texts[Field::Headwind] = "20";
    window.writes.clear();
    ASSERT_TRUE(window.planner.CalculateFuelPlan());

    const std::vector<Field> order = {
        Field::WindAdj,     Field::Headwind,      Field::TotalNAM,    Field::BOW,
        Field::Payload,     Field::ZFW,           Field::PLW,         Field::GTOW,
        Field::TaxiWeight,  Field::AlternateFuel, Field::HoldingFuel, Field::MinimumFuel,
        Field::EnrouteFuel, Field::TaxiFuel,      Field::TotalFuel,   Field::RightTank,
        Field::CenterTank,  Field::LeftTank,
    };
    ASSERT_EQ(window.writes.size(), order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(window.writes[i].field, order[i]) << i;
        const bool insideGuard = i >= 3 && i <= 14;
        EXPECT_EQ(window.writes[i].guardUp, insideGuard) << i;
    }
    EXPECT_FALSE(window.planner.IsUpdating());
}

TEST_F(FuelPlan, TidyingTheWindFieldRunsOneNestedCalculation) {
    Select(window, 0, 0, 200);
    EXPECT_TRUE(window.Type(Field::Headwind, "020"));
    EXPECT_EQ(window.handlerRuns, 1);  // "020" became "20"; "20" stays
    EXPECT_EQ(window.Text(Field::Headwind), "20");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "3301");

    window.handlerRuns = 0;
    EXPECT_TRUE(window.Type(Field::Headwind, "0"));
    EXPECT_EQ(window.handlerRuns, 1);
    EXPECT_EQ(window.Text(Field::Headwind), "");
    EXPECT_EQ(window.Text(Field::WindAdj), "0");

    window.handlerRuns = 0;
    EXPECT_TRUE(window.Type(Field::Headwind, "1.5e1 kt"));
    EXPECT_EQ(window.Text(Field::Headwind), "15");
    EXPECT_EQ(window.Text(Field::WindAdj), "9");
    EXPECT_EQ(window.handlerRuns, 1);
}

TEST_F(FuelPlan, NegativeWindSpeedActsConsistentlyOnDistanceAndFuel) {
    Select(window, 0, 0, 200);
    window.Type(Field::Headwind, "-20");  // a headwind of -20 is a tailwind of 20
    EXPECT_EQ(window.Text(Field::WindAdj), "-13");
    EXPECT_EQ(window.Text(Field::TotalNAM), "187");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "2898");

    Tailwind(window);  // a tailwind of -20 is a headwind of 20
    window.Type(Field::Headwind, "-20");
    EXPECT_EQ(window.Text(Field::WindAdj), "13");
    EXPECT_EQ(window.Text(Field::TotalNAM), "213");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), "3301");
}

TEST_F(FuelPlan, GuardUpOrNoSelectionDoesNothing) {
    window.planner.SetUpdating(true);
    EXPECT_FALSE(window.planner.CalculateFuelPlan());
    window.planner.SetUpdating(false);
    window.selections[Choice::TripDistance] = -1;
    EXPECT_FALSE(window.planner.CalculateFuelPlan());
    EXPECT_TRUE(window.writes.empty());
    EXPECT_TRUE(window.messages.empty());
}

// Each place a figure can leave the 32-bit range ends the calculation with
// the "lower value" message, leaving what was written before in place.
class FuelPlanOverflow : public FuelPlan {
protected:
    void SetUp() override {
        Select(window, 0, 0, 200);
        window.texts[Field::Payload] = "1000";
        ASSERT_TRUE(window.planner.CalculateFuelPlan());
        planBefore = window.texts;
    }

    void ExpectOverflow(bool result) {
        EXPECT_FALSE(result);
        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0], (Message{"Invalid value entered, please enter a lower value.",
                                               "Error", MessageIcon::Exclamation}));
        EXPECT_FALSE(window.planner.IsUpdating());
        for (Field field : {Field::ZFW, Field::PLW, Field::GTOW, Field::TaxiWeight,
                            Field::TotalFuel, Field::RightTank, Field::CenterTank}) {
            EXPECT_EQ(window.Text(field), planBefore[field]) << static_cast<int>(field);
        }
    }

    std::map<Field, std::string> planBefore;
};

TEST_F(FuelPlanOverflow, InTheWindAdjustment) {
    ExpectOverflow(window.Type(Field::Headwind, "1e10"));
    EXPECT_EQ(window.Text(Field::WindAdj), planBefore[Field::WindAdj]);
}

TEST_F(FuelPlanOverflow, InTheWindAdjustmentFromAnUnreadableNumber) {
    ExpectOverflow(window.Type(Field::Headwind, "1e999"));
}

TEST_F(FuelPlanOverflow, InTheAirDistance) {
    // An adjustment just below the 32-bit limit, which the 200 nm overflow.
    const double hours = static_cast<float>(38 / 60.0);
    const std::string wind = Shortest((2147483647.0 - 100) / hours);
    ExpectOverflow(window.Type(Field::Headwind, wind));
    EXPECT_NE(window.Text(Field::WindAdj), planBefore[Field::WindAdj]);
    EXPECT_EQ(window.Text(Field::TotalNAM), planBefore[Field::TotalNAM]);
}

TEST_F(FuelPlanOverflow, InTheEnrouteFuel) {
    ExpectOverflow(window.Type(Field::Headwind, "1000000000"));
    EXPECT_EQ(window.Text(Field::TotalNAM), "633333525");
    EXPECT_EQ(window.Text(Field::EnrouteFuel), planBefore[Field::EnrouteFuel]);
}

TEST_F(FuelPlanOverflow, InTheZeroFuelWeightKeepsTheNewEntriesAndWind) {
    window.texts[Field::Headwind] = "20";
    ExpectOverflow(window.Type(Field::Payload, "2147483647"));
    EXPECT_EQ(window.Text(Field::WindAdj), "13");
    EXPECT_EQ(window.Text(Field::TotalNAM), "213");
    EXPECT_EQ(window.planner.Figures().EnrouteFuel, 3301);
    EXPECT_EQ(window.planner.Figures().PayloadWeight, 2147483647);
    EXPECT_EQ(window.Text(Field::Payload), "2147483647");  // not rewritten
}

TEST_F(FuelPlanOverflow, InTheLandingWeight) {
    ExpectOverflow(window.Type(Field::HoldingFuel, "2147483000"));
}

TEST_F(FuelPlanOverflow, InTheTakeoffAndTaxiWeights) {
    window.texts[Field::Payload] = "2147300000";  // lands just below the limit
    ExpectOverflow(window.Type(Field::MinimumFuel, "100000"));
    window.messages.clear();
    window.texts[Field::MinimumFuel] = "";
    ExpectOverflow(window.Type(Field::TaxiFuel, "2000000"));
}

TEST_F(FuelPlanOverflow, InTheTotalFuelAlone) {
    // A pasted negative payload keeps every weight in range.
    window.texts[Field::Payload] = "-2000000000";
    window.texts[Field::HoldingFuel] = "2000000000";
    ExpectOverflow(window.Type(Field::TaxiFuel, "147483647"));
    EXPECT_EQ(window.planner.Figures().TaxiWeight, 147570047);
}
