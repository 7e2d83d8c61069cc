#include "plan/fuel_plan.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "plan/units.h"

using namespace tarnwell::plan;
using tarnwell::data::ModelId;

namespace {

// One calculation as the window would see it: the inputs it read, the
// figures the previous calculations left, and what it shows.
class FuelPlanTest : public testing::Test {
protected:
    // The examples' common start: the given model, level and trip distance
    // (nautical miles), alternate 200 nm, pounds, empty entries.
    void Select(ModelId model, int level, int tripNm) {
        inputs.model = model;
        inputs.cruisingAlt = level;
        inputs.tripDistance = tripNm / 100 - 2;
        kept.operatingWeight = tarnwell::data::Model(model).basicOperatingWeight;
    }

    // The 737-800 at FL350 over 1000 n.m. with a 20 kt headwind, 30000 lb
    // of payload, the given holding fuel and 3000 / 500 lb of minimum and
    // taxi fuel.
    void Enter737800Example(const char* holdingFuel) {
        Select(ModelId::B737_800, 3, 1000);
        inputs.headwind = "20";
        inputs.payload = "30000";
        inputs.holdingFuel = holdingFuel;
        inputs.minimumFuel = "3000";
        inputs.taxiFuel = "500";
    }

    // Computes the plan and takes its figures and texts as the window
    // would, so the next calculation starts from them.
    const FuelPlan& Calculate() {
        plan = ComputeFuelPlan(inputs, kept);
        kept = plan.figures;
        const auto show = [this](Field field, const std::string& text) { shown[field] = text; };
        if (plan.windAdjustment) {
            show(Field::WindAdj, *plan.windAdjustment);
        }
        if (plan.headwind) {
            show(Field::Headwind, *plan.headwind);
            inputs.headwind = *plan.headwind;
        }
        if (plan.airDistance) {
            show(Field::TotalNAM, *plan.airDistance);
        }
        for (const LimitMark& mark : plan.limitMarks) {
            red[mark.field] = mark.overLimit;
        }
        for (const FieldText& result : plan.results) {
            show(result.field, result.text);
        }
        for (const FieldText& tank : plan.tanks) {
            show(tank.field, tank.text);
        }
        return plan;
    }

    std::string Shown(Field field) const {
        const auto it = shown.find(field);
        return it == shown.end() ? std::string() : it->second;
    }

    PlanInputs inputs;
    PlanFigures kept;
    FuelPlan plan;
    std::map<Field, std::string> shown;
    std::map<Field, bool> red;
};

std::string Shortest(double value) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

}  // namespace

TEST_F(FuelPlanTest, SixHundredOverTwoHundredMilesWithHeadwind) {
    Select(ModelId::B737_600, 0, 200);
    inputs.headwind = "20";
    ASSERT_TRUE(Calculate().complete());

    EXPECT_EQ(Shown(Field::WindAdj), "13");
    EXPECT_EQ(Shown(Field::TotalNAM), "213");
    // Single-precision trip fuel makes this 3301 where exact decimals give 3302.
    EXPECT_EQ(Shown(Field::EnrouteFuel), "3301");
    EXPECT_EQ(Shown(Field::AlternateFuel), "3100");
    EXPECT_EQ(Shown(Field::TotalFuel), "6401");
    EXPECT_EQ(Shown(Field::RightTank), "2700.5 Lbs.");
    EXPECT_EQ(Shown(Field::LeftTank), "2700.5 Lbs.");
    EXPECT_EQ(Shown(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(plan.figures.mainTankFuel, 2700.5);
}

TEST_F(FuelPlanTest, WindAdjustmentUsesSinglePrecisionFlightTime) {
    Select(ModelId::B737_600, 0, 200);
    inputs.headwind = "15";
    Calculate();
    EXPECT_EQ(Shown(Field::WindAdj), "9");  // T x 15 is just below 9.5

    // 6:45 makes T x 2 = 13.5 and T x 6 = 40.5: both ties go to even.
    Select(ModelId::B737_600, 0, 2700);
    inputs.headwind = "2";
    Calculate();
    EXPECT_EQ(Shown(Field::WindAdj), "14");
    inputs.headwind = "6";
    Calculate();
    EXPECT_EQ(Shown(Field::WindAdj), "40");
}

TEST_F(FuelPlanTest, TailwindWithoutSpeedReadsAsMinusZero) {
    Select(ModelId::B737_600, 0, 200);
    inputs.windType = WindType::Tailwind;
    ASSERT_TRUE(Calculate().complete());
    EXPECT_EQ(Shown(Field::WindAdj), "-0");
    EXPECT_EQ(Shown(Field::TotalNAM), "200");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "3100");
}

TEST_F(FuelPlanTest, LargeTailwindMakesNegativeFiguresUnclamped) {
    Select(ModelId::B737_600, 0, 200);
    inputs.windType = WindType::Tailwind;
    inputs.headwind = "600";
    ASSERT_TRUE(Calculate().complete());
    EXPECT_EQ(Shown(Field::WindAdj), "-380");
    EXPECT_EQ(Shown(Field::TotalNAM), "-180");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "-2790");
    EXPECT_EQ(Shown(Field::TotalFuel), "310");
    EXPECT_EQ(Shown(Field::CenterTank), "310 Lbs.");
    EXPECT_EQ(Shown(Field::RightTank), "0 Lbs.");
}

TEST_F(FuelPlanTest, EightHundredCaseWithHeadwindAndTailwind) {
    Enter737800Example("2000");
    ASSERT_TRUE(Calculate().complete());
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
        EXPECT_EQ(Shown(field), text) << static_cast<int>(field);
    }
    ASSERT_EQ(red.size(), 5u);
    for (const auto& [field, over] : red) {
        EXPECT_FALSE(over) << static_cast<int>(field);
    }

    inputs.windType = WindType::Tailwind;
    ASSERT_TRUE(Calculate().complete());
    EXPECT_EQ(Shown(Field::WindAdj), "-50");
    EXPECT_EQ(Shown(Field::TotalNAM), "950");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "11020");
    EXPECT_EQ(Shown(Field::TotalFuel), "19820");
    EXPECT_EQ(Shown(Field::CenterTank), "2560 Lbs.");
}

TEST_F(FuelPlanTest, FiguresOverTheirLimitsTurnRedAndTheCentreTankIsCapped) {
    Enter737800Example("40000");
    ASSERT_TRUE(Calculate().complete());
    EXPECT_EQ(Shown(Field::PLW), "167600");
    EXPECT_EQ(Shown(Field::GTOW), "179780");
    EXPECT_EQ(Shown(Field::TaxiWeight), "180280");
    EXPECT_EQ(Shown(Field::TotalFuel), "58980");
    EXPECT_FALSE(red[Field::ZFW]);
    EXPECT_TRUE(red[Field::PLW]);
    EXPECT_TRUE(red[Field::GTOW]);
    EXPECT_TRUE(red[Field::TaxiWeight]);
    EXPECT_TRUE(red[Field::TotalFuel]);
    EXPECT_EQ(Shown(Field::RightTank), "8630 Lbs.");
    EXPECT_EQ(Shown(Field::CenterTank), "28803 Lbs.");

    inputs.payload = "";
    inputs.holdingFuel = "30000";
    Calculate();
    EXPECT_EQ(Shown(Field::TotalFuel), "48980");
    EXPECT_TRUE(red[Field::TotalFuel]);
    EXPECT_FALSE(red[Field::PLW]);
    EXPECT_FALSE(red[Field::GTOW]);
    EXPECT_FALSE(red[Field::TaxiWeight]);
    EXPECT_EQ(Shown(Field::CenterTank), "28803 Lbs.");
}

TEST_F(FuelPlanTest, AFigureEqualToItsLimitStaysBlack) {
    Select(ModelId::B737_800, 3, 1000);
    inputs.payload = "44700";  // 91300 + 44700 = 136000, the limit
    Calculate();
    EXPECT_EQ(Shown(Field::ZFW), "136000");
    EXPECT_FALSE(red[Field::ZFW]);
    inputs.payload = "44701";
    Calculate();
    EXPECT_TRUE(red[Field::ZFW]);
}

TEST_F(FuelPlanTest, NoTripDataMarksTheTanksAndKeepsThePreviousPlan) {
    Select(ModelId::B737_900, 3, 3000);
    inputs.payload = "1000";
    ASSERT_TRUE(Calculate().complete());
    const PlanFigures figuresBefore = kept;

    inputs.tripDistance = 3100 / 100 - 2;
    inputs.payload = "2000";
    Calculate();
    EXPECT_EQ(plan.end, PlanEnd::NoTripData);
    // Only the tanks are written, in this order; everything else stays.
    EXPECT_EQ(plan.tanks,
              (std::vector<FieldText>{
                  {Field::RightTank, "--"}, {Field::LeftTank, "--"}, {Field::CenterTank, "--"}}));
    EXPECT_FALSE(plan.windAdjustment || plan.headwind || plan.airDistance);
    EXPECT_TRUE(plan.limitMarks.empty());
    EXPECT_TRUE(plan.results.empty());
    EXPECT_EQ(plan.figures, figuresBefore);
}

TEST_F(FuelPlanTest, EntriesAreWrittenBackInNormalForm) {
    Select(ModelId::B737_600, 0, 200);
    inputs.payload = "0";
    inputs.holdingFuel = "12.7";
    inputs.minimumFuel = "007";
    inputs.taxiFuel = "5 0 0";
    ASSERT_TRUE(Calculate().complete());
    EXPECT_EQ(Shown(Field::Payload), "");
    EXPECT_EQ(Shown(Field::HoldingFuel), "13");
    EXPECT_EQ(Shown(Field::MinimumFuel), "7");
    EXPECT_EQ(Shown(Field::TaxiFuel), "500");
    EXPECT_EQ(Shown(Field::Headwind), "");
    EXPECT_EQ(plan.figures.holdingFuel, 13);
}

TEST_F(FuelPlanTest, TotalFuelAroundOneThousandPounds) {
    // A 600 kt tailwind leaves 310 lb in total; the taxi fuel tops it up.
    Select(ModelId::B737_600, 0, 200);
    inputs.windType = WindType::Tailwind;
    inputs.headwind = "600";
    inputs.taxiFuel = "690";
    Calculate();
    EXPECT_EQ(Shown(Field::TotalFuel), "1000");
    EXPECT_EQ(Shown(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(Shown(Field::RightTank), "0 Lbs.");

    inputs.taxiFuel = "691";
    Calculate();
    EXPECT_EQ(Shown(Field::CenterTank), "1000 Lbs.");
    EXPECT_EQ(Shown(Field::RightTank), "0.5 Lbs.");
    EXPECT_EQ(Shown(Field::LeftTank), "0.5 Lbs.");

    inputs.unit = Unit::Kilograms;
    inputs.taxiFuel = "314";  // 314 kg = 692 lb: 1002 in all
    Calculate();
    EXPECT_EQ(Shown(Field::RightTank), "0 Kgs.");
    EXPECT_EQ(Shown(Field::CenterTank), "454 Kgs.");
}

TEST_F(FuelPlanTest, KilogramsConvertEveryFigureButTheEntriesDigits) {
    Select(ModelId::B737_800, 3, 1000);
    inputs.unit = Unit::Kilograms;
    inputs.payload = "10000";
    Calculate();
    EXPECT_EQ(Shown(Field::BOW), "41413");
    EXPECT_EQ(plan.figures.payloadWeight, 22046);
    EXPECT_EQ(Shown(Field::Payload), "10000");
    EXPECT_EQ(Shown(Field::ZFW), FromPounds(91300 + 22046, Unit::Kilograms));
    EXPECT_EQ(Shown(Field::RightTank), FromPounds(6950, Unit::Kilograms) + " Kgs.");
}

TEST_F(FuelPlanTest, ResultsComeInTheOrderTheWindowWritesThem) {
    Select(ModelId::B737_800, 3, 1000);
    inputs.headwind = "20";
    ASSERT_TRUE(Calculate().complete());

    std::vector<Field> results;
    for (const FieldText& result : plan.results) {
        results.push_back(result.field);
    }
    EXPECT_EQ(results, (std::vector<Field>{Field::BOW, Field::Payload, Field::ZFW, Field::PLW,
                                           Field::GTOW, Field::TaxiWeight, Field::AlternateFuel,
                                           Field::HoldingFuel, Field::MinimumFuel,
                                           Field::EnrouteFuel, Field::TaxiFuel, Field::TotalFuel}));
    std::vector<Field> marks;
    for (const LimitMark& mark : plan.limitMarks) {
        marks.push_back(mark.field);
    }
    EXPECT_EQ(marks, (std::vector<Field>{Field::ZFW, Field::PLW, Field::GTOW, Field::TaxiWeight,
                                         Field::TotalFuel}));
    ASSERT_EQ(plan.tanks.size(), 3u);
    EXPECT_EQ(plan.tanks[0].field, Field::RightTank);
    EXPECT_EQ(plan.tanks[1].field, Field::CenterTank);
    EXPECT_EQ(plan.tanks[2].field, Field::LeftTank);
}

TEST_F(FuelPlanTest, TheWindFieldIsTidiedIntoNormalForm) {
    Select(ModelId::B737_600, 0, 200);
    const std::pair<const char*, const char*> cases[] = {
        {"020", "20"}, {"0", ""}, {"1.5e1 kt", "15"}, {"2.5", "2.5"}, {"-07", "-7"}};
    for (const auto& [typed, tidied] : cases) {
        inputs.headwind = typed;
        ASSERT_TRUE(ComputeFuelPlan(inputs, kept).complete()) << typed;
        EXPECT_EQ(ComputeFuelPlan(inputs, kept).headwind, tidied) << typed;
        // The tidied text gives the same plan: the wind field's own
        // calculation, which the tidy-up starts, shows nothing new.
        PlanInputs again = inputs;
        again.headwind = tidied;
        EXPECT_EQ(ComputeFuelPlan(again, kept).figures, ComputeFuelPlan(inputs, kept).figures);
    }
}

TEST_F(FuelPlanTest, NegativeWindSpeedActsConsistentlyOnDistanceAndFuel) {
    Select(ModelId::B737_600, 0, 200);
    inputs.headwind = "-20";  // a headwind of -20 is a tailwind of 20
    Calculate();
    EXPECT_EQ(Shown(Field::WindAdj), "-13");
    EXPECT_EQ(Shown(Field::TotalNAM), "187");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "2898");

    inputs.windType = WindType::Tailwind;  // a tailwind of -20 is a headwind of 20
    Calculate();
    EXPECT_EQ(Shown(Field::WindAdj), "13");
    EXPECT_EQ(Shown(Field::TotalNAM), "213");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "3301");
}

TEST_F(FuelPlanTest, NoSelectionShowsNothing) {
    for (int* list : {&inputs.cruisingAlt, &inputs.tripDistance, &inputs.alternateDistance}) {
        PlanInputs saved = inputs;
        *list = -1;
        Calculate();
        EXPECT_EQ(plan.end, PlanEnd::NoSelection);
        EXPECT_TRUE(shown.empty());
        inputs = saved;
    }
}

TEST(ShownEntries, PoundsFollowWhatTheFieldShows) {
    ShownEntries entries;
    // 20001 lb shows as 9072 kg, which alone would read back as 20000 lb.
    entries.Note(Field::Payload, "9072", Unit::Kilograms, 20001);
    EXPECT_EQ(entries.Pounds(Field::Payload, "9072", Unit::Kilograms), 20001);
    // Another text, or the same text in another unit, counts as its own value.
    EXPECT_EQ(entries.Pounds(Field::Payload, "9073", Unit::Kilograms), 20003);
    EXPECT_EQ(entries.Pounds(Field::Payload, "9072", Unit::Pounds), 9072);
    // Each entry field is remembered on its own.
    EXPECT_EQ(entries.Pounds(Field::HoldingFuel, "9072", Unit::Kilograms), 20000);
    entries.Note(Field::TaxiFuel, "1", Unit::Kilograms, 3);
    EXPECT_EQ(entries.Pounds(Field::TaxiFuel, "1", Unit::Kilograms), 3);
    EXPECT_EQ(entries.Pounds(Field::Payload, "9072", Unit::Kilograms), 20001);
}

// Each place a figure can leave the 32-bit range ends the calculation as an
// overflow, holding what was computed before it and nothing after.
class FuelPlanOverflow : public FuelPlanTest {
protected:
    void SetUp() override {
        Select(ModelId::B737_600, 0, 200);
        inputs.payload = "1000";
        ASSERT_TRUE(Calculate().complete());
        before = kept;
    }

    void ExpectOverflow() {
        Calculate();
        EXPECT_EQ(plan.end, PlanEnd::Overflow);
        EXPECT_TRUE(plan.limitMarks.empty());
        EXPECT_TRUE(plan.results.empty());
        EXPECT_TRUE(plan.tanks.empty());
        EXPECT_EQ(plan.figures.totalFuel, before.totalFuel);
        EXPECT_EQ(plan.figures.mainTankFuel, before.mainTankFuel);
        EXPECT_EQ(plan.figures.centerTankFuel, before.centerTankFuel);
    }

    PlanFigures before;
};

TEST_F(FuelPlanOverflow, InTheWindAdjustment) {
    for (const char* wind : {"1e10", "1e999"}) {
        inputs.headwind = wind;
        ExpectOverflow();
        EXPECT_FALSE(plan.windAdjustment) << wind;
        EXPECT_FALSE(plan.headwind) << wind;
    }
}

TEST_F(FuelPlanOverflow, InTheAirDistance) {
    // An adjustment just below the 32-bit limit, which the 200 nm overflow.
    const double hours = static_cast<float>(38 / 60.0);
    inputs.headwind = Shortest((2147483647.0 - 100) / hours);
    ExpectOverflow();
    EXPECT_TRUE(plan.windAdjustment);
    EXPECT_TRUE(plan.headwind);
    EXPECT_FALSE(plan.airDistance);
}

TEST_F(FuelPlanOverflow, InTheEnrouteFuel) {
    inputs.headwind = "1000000000";
    ExpectOverflow();
    EXPECT_EQ(plan.airDistance, "633333525");
    EXPECT_EQ(plan.figures.enrouteFuel, before.enrouteFuel);
}

TEST_F(FuelPlanOverflow, InTheZeroFuelWeightKeepsTheNewEntriesAndWind) {
    inputs.headwind = "20";
    inputs.payload = "2147483647";
    ExpectOverflow();
    EXPECT_EQ(plan.windAdjustment, "13");
    EXPECT_EQ(plan.airDistance, "213");
    EXPECT_EQ(plan.figures.enrouteFuel, 3301);
    EXPECT_EQ(plan.figures.payloadWeight, 2147483647);
    EXPECT_EQ(plan.figures.zeroFuelWeight, before.zeroFuelWeight);
}

TEST_F(FuelPlanOverflow, InTheLandingWeight) {
    inputs.holdingFuel = "2147483000";
    ExpectOverflow();
    EXPECT_EQ(plan.figures.landingWeight, before.landingWeight);
}

TEST_F(FuelPlanOverflow, InTheTakeoffAndTaxiWeights) {
    inputs.payload = "2147300000";  // lands just below the limit
    inputs.minimumFuel = "100000";
    ExpectOverflow();
    EXPECT_NE(plan.figures.landingWeight, before.landingWeight);
    EXPECT_EQ(plan.figures.takeoffWeight, before.takeoffWeight);
    inputs.minimumFuel = "";
    inputs.taxiFuel = "2000000";
    ExpectOverflow();
    EXPECT_NE(plan.figures.takeoffWeight, before.takeoffWeight);
    EXPECT_EQ(plan.figures.taxiWeight, before.taxiWeight);
}

TEST_F(FuelPlanOverflow, InTheTotalFuelAlone) {
    // A pasted negative payload keeps every weight in range.
    inputs.payload = "-2000000000";
    inputs.holdingFuel = "2000000000";
    inputs.taxiFuel = "147483647";
    ExpectOverflow();
    EXPECT_EQ(plan.figures.taxiWeight, 147570047);
}
