#include "plan/fuel_plan.h"

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "plan/plan_steps.h"
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
    ASSERT_TRUE(Calculate().Complete());

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

TEST_F(FuelPlanTest, LargeTailwindMakesNegativeFiguresUnclamped) {
    Select(ModelId::B737_600, 0, 200);
    inputs.windType = WindType::Tailwind;
    inputs.headwind = "600";
    ASSERT_TRUE(Calculate().Complete());
    EXPECT_EQ(Shown(Field::WindAdj), "-380");
    EXPECT_EQ(Shown(Field::TotalNAM), "-180");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "-2790");
    EXPECT_EQ(Shown(Field::TotalFuel), "310");
    EXPECT_EQ(Shown(Field::CenterTank), "310 Lbs.");
    EXPECT_EQ(Shown(Field::RightTank), "0 Lbs.");
}

TEST_F(FuelPlanTest, EightHundredCaseWithHeadwindAndTailwind) {
    Enter737800Example("2000");
    ASSERT_TRUE(Calculate().Complete());
    const std::map<Field, std::string> expected = {
        {Field::WindAdj, "50"},          {Field::TotalNAM, "1050"},
        {Field::EnrouteFuel, "12180"},   {Field::AlternateFuel, "3300"},
        {Field::BOW, "91300"},           {Field::ZFW, "121300"},
        {Field::PLW, "129600"},          {Field::GTOW, "141780"},
        {Field::TaxiWeight, "142280"},   {Field::TotalFuel, "20980"},
        {Field::RightTank, "8630 Lbs."}, {Field::CenterTank, "3720 Lbs."},
        {Field::Payload, "30000"},       {Field::TaxiFuel, "500"},
        {Field::Headwind, "20"},
    };
    for (const auto& [field, text] : expected) {
        EXPECT_EQ(Shown(field), text) << static_cast<int>(field);
    }
    ASSERT_EQ(red.size(), 5u);
    for (const auto& [field, over] : red) {
        EXPECT_FALSE(over) << static_cast<int>(field);
    }

    inputs.windType = WindType::Tailwind;
    ASSERT_TRUE(Calculate().Complete());
    EXPECT_EQ(Shown(Field::WindAdj), "-50");
    EXPECT_EQ(Shown(Field::TotalNAM), "950");
    EXPECT_EQ(Shown(Field::EnrouteFuel), "11020");
    EXPECT_EQ(Shown(Field::TotalFuel), "19820");
    EXPECT_EQ(Shown(Field::CenterTank), "2560 Lbs.");
}

TEST_F(FuelPlanTest, FiguresOverTheirLimitsTurnRedAndTheCentreTankIsCapped) {
    Enter737800Example("40000");
    ASSERT_TRUE(Calculate().Complete());
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

TEST_F(FuelPlanTest, NoTripDataMarksTheTanksAndKeepsThePreviousPlan) {
    Select(ModelId::B737_900, 3, 3000);
    inputs.payload = "1000";
    ASSERT_TRUE(Calculate().Complete());
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
        ASSERT_TRUE(Calculate().Complete());
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

TEST_F(FuelPlanOverflow, InAnEntryBeyondThe32BitPounds) {
    inputs.headwind = "20";
    inputs.payload = "99999999999";
    ExpectOverflow();
    EXPECT_EQ(plan.airDistance, "213");
    EXPECT_EQ(plan.figures.payloadWeight, before.payloadWeight);
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

// ---------------------------------------------------------------------------
// The steps one at a time.

namespace {

constexpr std::int32_t Max = INT32_MAX;
constexpr std::int32_t Min = INT32_MIN;
const tarnwell::data::AircraftModel& Model600 = tarnwell::data::Model(ModelId::B737_600);
const tarnwell::data::AircraftModel& Model800 = tarnwell::data::Model(ModelId::B737_800);

}  // namespace

TEST(PlanSteps, FlightHoursAreSinglePrecision) {
    const std::pair<const char*, float> cases[] = {
        {"0:38", static_cast<float>(38 / 60.0)}, {"6:45", 6.75f}, {"0", 0.0f}};
    for (const auto& [time, hours] : cases) {
        EXPECT_EQ(FlightHours(time), hours) << time;
    }
    EXPECT_NE(static_cast<double>(FlightHours("0:38")), 38 / 60.0);
}

TEST(PlanSteps, WindAdjustmentRoundsTiesToEvenAndTrapsOverflow) {
    const struct {
        const char* time;
        double speed;
        std::optional<std::int32_t> adjustment;
    } cases[] = {
        {"0:38", 20, 13},
        {"0:38", 15, 9},  // T x 15 is just below 9.5 in single precision
        {"6:45", 2, 14},  // 13.5 and 40.5: both ties go to even
        {"6:45", 6, 40},
        {"0:38", -20, -13},
        {"0:38", 0, 0},
        {"0:38", 1e10, std::nullopt},
        {"0:38", LeadingNumber("1e999"), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WindAdjustment(FlightHours(c.time), c.speed), c.adjustment)
            << c.time << " x " << c.speed;
    }
}

TEST(PlanSteps, ATailwindTurnsTheAdjustmentAround) {
    const struct {
        std::int32_t adjustment;
        WindType type;
        std::optional<std::int32_t> signedAdjustment;
        const char* text;
    } cases[] = {
        {13, WindType::Headwind, 13, "13"},
        {13, WindType::Tailwind, -13, "-13"},
        {-13, WindType::Headwind, -13, "-13"},  // a negative speed typed as a headwind
        {-13, WindType::Tailwind, 13, "13"},
        {0, WindType::Headwind, 0, "0"},
        {0, WindType::Tailwind, 0, "-0"},  // still reads as a tailwind
        {Min, WindType::Headwind, Min, "-2147483648"},
        {Min, WindType::Tailwind, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.adjustment << " " << static_cast<int>(c.type));
        EXPECT_EQ(SignedAdjustment(c.adjustment, c.type), c.signedAdjustment);
        if (c.signedAdjustment) {
            EXPECT_EQ(AdjustmentText(*c.signedAdjustment, c.type), c.text);
        }
    }
}

TEST(PlanSteps, TheWindFieldIsTidiedIntoNormalFormOfTheSameSpeed) {
    const std::pair<const char*, const char*> cases[] = {
        {"020", "20"}, {"0", ""}, {"", ""}, {"1.5e1 kt", "15"}, {"2.5", "2.5"}, {"-07", "-7"}};
    for (const auto& [typed, tidied] : cases) {
        EXPECT_EQ(TidiedWind(LeadingNumber(typed)), tidied) << typed;
        // The tidied text gives the same plan: the wind field's own
        // calculation, which the tidy-up starts, shows nothing new.
        EXPECT_EQ(LeadingNumber(tidied), LeadingNumber(typed)) << typed;
    }
}

TEST(PlanSteps, AirDistanceAddsTheSignedAdjustment) {
    const struct {
        int tripNm;
        std::int32_t signedAdjustment;
        std::optional<std::int32_t> distance;
    } cases[] = {
        {200, 13, 213},          {200, -13, 187},       {200, 0, 200},
        {200, -380, -180},       {200, Max - 200, Max}, {200, Max - 199, std::nullopt},
        {5000, Min, Min + 5000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AirDistance(c.tripNm, c.signedAdjustment), c.distance)
            << c.tripNm << " " << c.signedAdjustment;
    }
}

TEST(PlanSteps, LegFuelFromSinglePrecisionTripFuel) {
    const std::pair<float, std::optional<std::int32_t>> alternates[] = {
        {3.1f, 3100}, {3.3f, 3300}, {0.0f, 0}, {3e6f, std::nullopt}};
    for (const auto& [tripFuel, pounds] : alternates) {
        EXPECT_EQ(AlternateFuel(tripFuel), pounds) << tripFuel;
    }

    const struct {
        float tripFuel;
        std::int32_t signedAdjustment;
        int tripNm;
        std::optional<std::int32_t> pounds;
    } enroute[] = {
        {3.1f, 13, 200, 3301},  // exact decimals would give 3302
        {3.1f, 0, 200, 3100},
        {3.1f, -13, 200, 2898},
        {3.1f, -380, 200, -2790},  // more tailwind than trip: below zero, unclamped
        {11.6f, 50, 1000, 12180},
        {11.6f, -50, 1000, 11020},
        {3.1f, 633333325, 200, std::nullopt},
    };
    for (const auto& c : enroute) {
        EXPECT_EQ(EnrouteFuel(c.tripFuel, c.signedAdjustment, c.tripNm), c.pounds)
            << c.tripFuel << " " << c.signedAdjustment << " " << c.tripNm;
    }
}

TEST(PlanSteps, EntriesInWholePounds) {
    const struct {
        Unit unit;
        const char* payload;
        const char* holding;
        const char* minimum;
        const char* taxi;
        std::optional<EntryWeights> pounds;
    } cases[] = {
        {Unit::Pounds, "0", "12.7", "007", "5 0 0", EntryWeights{0, 13, 7, 500}},
        {Unit::Kilograms, "10000", "", "x", "-20", EntryWeights{22046, 0, 0, -44}},
        {Unit::Pounds, "1", "2147483647", "-2147483648", "", EntryWeights{1, Max, Min, 0}},
        // Digits beyond the 32-bit pounds stop the plan, whichever entry.
        {Unit::Pounds, "2147483648", "", "", "", std::nullopt},
        {Unit::Pounds, "", "", "", "1e999", std::nullopt},
        {Unit::Kilograms, "", "1000000000", "", "", std::nullopt},
    };
    for (const auto& c : cases) {
        PlanInputs inputs;
        inputs.unit = c.unit;
        inputs.payload = c.payload;
        inputs.holdingFuel = c.holding;
        inputs.minimumFuel = c.minimum;
        inputs.taxiFuel = c.taxi;
        EXPECT_EQ(EntryPounds(inputs), c.pounds) << c.payload;
    }
}

TEST(PlanSteps, WeightsAddUpInOrderAndStopAtThe32BitRange) {
    using Sum = std::optional<std::int32_t>;
    const std::pair<Sum, Sum> cases[] = {
        {ZeroFuelWeight(80200, 1000), 81200},
        {ZeroFuelWeight(91300, 44700), 136000},
        {ZeroFuelWeight(80200, -2000000000), -1999919800},
        {ZeroFuelWeight(80200, Max), std::nullopt},
        {LandingWeight(121300, 3000, 3300, 2000), 129600},
        {LandingWeight(81200, 0, 3100, 2147483000), std::nullopt},
        // A sum on the way that leaves the range stops, though the whole fits.
        {LandingWeight(Max, 1, 0, -10), std::nullopt},
        {LandingWeight(Max - 1, 1, -5, 5), Max},
        {TakeoffWeight(129600, 12180), 141780},
        {TakeoffWeight(100, -2790), -2690},
        {TakeoffWeight(Max - 100, 3301), std::nullopt},
        {TaxiWeight(141780, 500), 142280},
        {TaxiWeight(Max, 1), std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(cases[i].first, cases[i].second) << "row " << i;
    }
}

TEST(PlanSteps, TotalFuelAddsTheFiveFuelsInOrder) {
    const struct {
        std::int32_t holding, alternate, minimum, enroute, taxi;
        std::optional<std::int32_t> total;
    } cases[] = {
        {2000, 3300, 3000, 12180, 500, 20980},
        {0, 3100, 0, -2790, 0, 310},
        {2000000000, 3100, 0, 3100, 147483647, std::nullopt},
        {Max, 1, 0, 0, -100, std::nullopt},
    };
    for (const auto& c : cases) {
        PlanFigures f;
        f.holdingFuel = c.holding;
        f.alternateFuel = c.alternate;
        f.minimumFuel = c.minimum;
        f.enrouteFuel = c.enroute;
        f.taxiFuel = c.taxi;
        EXPECT_EQ(TotalFuel(f), c.total) << c.holding << " " << c.taxi;
    }
}

TEST(PlanSteps, AFigureAboveItsLimitIsMarkedAndOneEqualToItIsNot) {
    PlanFigures atLimits;
    atLimits.zeroFuelWeight = 136000;
    atLimits.landingWeight = 144000;
    atLimits.takeoffWeight = 173000;
    atLimits.taxiWeight = 173500;
    atLimits.totalFuel = 46063;
    const auto over = [&atLimits](std::int32_t PlanFigures::*figure) {
        PlanFigures f = atLimits;
        ++(f.*figure);
        return f;
    };
    const std::pair<PlanFigures, std::array<bool, 5>> cases[] = {
        {atLimits, {false, false, false, false, false}},
        {over(&PlanFigures::zeroFuelWeight), {true, false, false, false, false}},
        {over(&PlanFigures::landingWeight), {false, true, false, false, false}},
        {over(&PlanFigures::takeoffWeight), {false, false, true, false, false}},
        {over(&PlanFigures::taxiWeight), {false, false, false, true, false}},
        {over(&PlanFigures::totalFuel), {false, false, false, false, true}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& marks = cases[i].second;
        EXPECT_EQ(LimitMarks(cases[i].first, Model800),
                  (std::vector<LimitMark>{{Field::ZFW, marks[0]},
                                          {Field::PLW, marks[1]},
                                          {Field::GTOW, marks[2]},
                                          {Field::TaxiWeight, marks[3]},
                                          {Field::TotalFuel, marks[4]}}))
            << "row " << i;
    }
}

TEST(PlanSteps, TanksTakeTheFirstThousandPoundsInTheCentreThenTheWings) {
    const std::pair<std::int32_t, TankSplit> cases[] = {
        {-500, {-500, 0.0}},      {310, {310, 0.0}},        {999, {999, 0.0}},
        {1000, {1000, 0.0}},      {1001, {1000, 0.5}},      {6401, {1000, 2700.5}},
        {18260, {1000, 8630.0}},  {18261, {1001, 8630.0}},  {20980, {3720, 8630.0}},
        {46063, {28803, 8630.0}}, {58980, {28803, 8630.0}}, {Max, {28803, 8630.0}},
    };
    for (const auto& [total, split] : cases) {
        EXPECT_EQ(SplitTanks(total, Model600), split) << total;
    }
}

TEST(PlanSteps, ResultTextsInTheOrderTheWindowWritesThem) {
    const struct {
        Field field;
        std::int32_t PlanFigures::*figure;
        std::int32_t pounds;
        const char* inPounds;
        const char* inKilograms;
    } rows[] = {
        {Field::BOW, &PlanFigures::operatingWeight, 91300, "91300", "41413"},
        {Field::Payload, &PlanFigures::payloadWeight, 0, "", ""},  // a zero entry is empty
        {Field::ZFW, &PlanFigures::zeroFuelWeight, 22046, "22046", "10000"},
        {Field::PLW, &PlanFigures::landingWeight, -1, "-1", "0"},
        {Field::GTOW, &PlanFigures::takeoffWeight, 1000, "1000", "454"},
        {Field::TaxiWeight, &PlanFigures::taxiWeight, 2205, "2205", "1000"},
        {Field::AlternateFuel, &PlanFigures::alternateFuel, 0, "0", "0"},  // any other zero shows
        {Field::HoldingFuel, &PlanFigures::holdingFuel, 7, "7", "3"},
        {Field::MinimumFuel, &PlanFigures::minimumFuel, 0, "", ""},
        {Field::EnrouteFuel, &PlanFigures::enrouteFuel, -2790, "-2790", "-1266"},
        {Field::TaxiFuel, &PlanFigures::taxiFuel, 500, "500", "227"},
        {Field::TotalFuel, &PlanFigures::totalFuel, 3607, "3607", "1636"},
    };
    PlanFigures figures;
    std::vector<FieldText> inPounds;
    std::vector<FieldText> inKilograms;
    for (const auto& row : rows) {
        figures.*row.figure = row.pounds;
        inPounds.push_back({row.field, row.inPounds});
        inKilograms.push_back({row.field, row.inKilograms});
    }
    EXPECT_EQ(ResultTexts(figures, Unit::Pounds), inPounds);
    EXPECT_EQ(ResultTexts(figures, Unit::Kilograms), inKilograms);
}

TEST(PlanSteps, TankTextsCarryTheUnit) {
    const struct {
        TankSplit split;
        Unit unit;
        const char* wing;
        const char* center;
    } cases[] = {
        {{1000, 2700.5}, Unit::Pounds, "2700.5 Lbs.", "1000 Lbs."},
        {{310, 0.0}, Unit::Pounds, "0 Lbs.", "310 Lbs."},
        {{1000, 0.5}, Unit::Pounds, "0.5 Lbs.", "1000 Lbs."},
        // A half pound in a wing rounds to even before it is converted.
        {{1000, 0.5}, Unit::Kilograms, "0 Kgs.", "454 Kgs."},
        {{1000, 1.5}, Unit::Kilograms, "1 Kgs.", "454 Kgs."},
        {{1000, 1.0}, Unit::Kilograms, "0 Kgs.", "454 Kgs."},
        {{28803, 8630.0}, Unit::Kilograms, "3915 Kgs.", "13065 Kgs."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TankTexts(c.split, c.unit), (std::vector<FieldText>{{Field::RightTank, c.wing},
                                                                      {Field::CenterTank, c.center},
                                                                      {Field::LeftTank, c.wing}}))
            << c.split.mainTankFuel << " " << static_cast<int>(c.unit);
    }
}
