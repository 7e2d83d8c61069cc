#include "loadsheet/load_sheet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace tarnwell;
using namespace tarnwell::loadsheet;

namespace {

// The planner's state for a 737-800 at FL350 over 1000 nm into a 20 kt
// headwind, as the window computes it.
PlannerState State(plan::Unit unit, const char* payload, const char* holding) {
    PlannerState state;
    plan::PlanInputs& in = state.inputs;
    in.model = data::ModelId::B737_800;
    in.cruisingAlt = 3;
    in.tripDistance = 8;
    in.alternateDistance = 0;
    in.unit = unit;
    in.headwind = "20";
    in.payload = payload;
    in.holdingFuel = holding;
    in.minimumFuel = "3000";
    in.taxiFuel = "500";
    plan::PlanFigures kept;
    kept.operatingWeight = data::Model(in.model).basicOperatingWeight;
    const plan::FuelPlan plan = plan::ComputeFuelPlan(in, kept);
    state.figures = plan.figures;
    state.end = plan.end;
    return state;
}

}  // namespace

TEST(LoadSheetText, PrintsThePlanInFixedColumns) {
    PlannerState dispatched = State(plan::Unit::Pounds, "30000", "2000");
    dispatched.dispatch = dispatch::DispatchFigures{.tripFuel = 12000,
                                                    .alternateFuel = 3300,
                                                    .blockFuel = 20500,
                                                    .zeroFuelWeight = 121300,
                                                    .takeoffWeight = 141300,
                                                    .landingWeight = std::nullopt};
    dispatched.dispatchName = "EGLL to LPPT, OFP of 2025-12-10 13:00 UTC";
    PlannerState heavy = State(plan::Unit::Kilograms, "22000", "1000");
    // Read from the simulator: one wing short, the centre unknown.
    heavy.aircraft =
        AircraftNow{"X-Plane", "2026-12-10 14:00 UTC", {8630, std::nullopt, 8000.4}, 48502};
    const struct {
        const char* what;
        PlannerState state;
        const char* text;
    } rows[] = {
        {"pounds, with a dispatch plan", dispatched,
         "TARNWELL LOAD SHEET                           2026-12-10 14:05 UTC\n"
         "Boeing 737-800 NG                             weights in Lbs.\n"
         "Dispatch plan: EGLL to LPPT, OFP of 2025-12-10 13:00 UTC\n"
         "\n"
         "INPUTS\n"
         "  Model                         Boeing 737-800 NG\n"
         "  Cruising altitude             FL350\n"
         "  Trip distance                 1000 nm\n"
         "  Extra distance to alternate   200 nm\n"
         "  Forecast wind                 Headwind 20 kts\n"
         "  Payload                       30000 Lbs.\n"
         "  Holding fuel                  2000 Lbs.\n"
         "  Minimum landing fuel          3000 Lbs.\n"
         "  Taxi fuel                     500 Lbs.\n"
         "\n"
         "  WEIGHTS                  PLANNED     LIMIT    MARGIN  DISPATCH\n"
         "  Zero fuel weight          121300    136000     14700    121300\n"
         "  Landing weight            129600    144000     14400        --\n"
         "  Takeoff weight            141780    173000     31220    141300\n"
         "  Taxi-out weight           142280    173500     31220        --\n"
         "\n"
         "  FUEL                     PLANNED                      DISPATCH\n"
         "  En-route                   12180\n"
         "  Alternate                   3300\n"
         "  Holding                     2000\n"
         "  Minimum landing             3000\n"
         "  Taxi                         500\n"
         "  Total at taxi              20980                         20500\n"
         "\n"
         "  TANKS                    PLANNED  CAPACITY    FILLED\n"
         "  Left main                   8630      8630     100 %\n"
         "  Centre                      3720     28803      13 %\n"
         "  Right main                  8630      8630     100 %\n"},
        {"kilograms, a limit exceeded, the aircraft read", heavy,
         "TARNWELL LOAD SHEET                           2026-12-10 14:05 UTC\n"
         "Boeing 737-800 NG                             weights in Kgs.\n"
         "\n"
         "INPUTS\n"
         "  Model                         Boeing 737-800 NG\n"
         "  Cruising altitude             FL350\n"
         "  Trip distance                 1000 nm\n"
         "  Extra distance to alternate   200 nm\n"
         "  Forecast wind                 Headwind 20 kts\n"
         "  Payload                       22000 Kgs.\n"
         "  Holding fuel                  1000 Kgs.\n"
         "  Minimum landing fuel          3000 Kgs.\n"
         "  Taxi fuel                     500 Kgs.\n"
         "\n"
         "  WEIGHTS                  PLANNED     LIMIT    MARGIN\n"
         "  Zero fuel weight           63413     61689     -1724            OVER LIMIT\n"
         "  Landing weight             68910     65317     -3593            OVER LIMIT\n"
         "  Takeoff weight             74435     78471      4036\n"
         "  Taxi-out weight            74935     78698      3763\n"
         "\n"
         "  FUEL                     PLANNED\n"
         "  En-route                    5525\n"
         "  Alternate                   1497\n"
         "  Holding                     1000\n"
         "  Minimum landing             3000\n"
         "  Taxi                         500\n"
         "  Total at taxi              11522\n"
         "\n"
         "  TANKS                    PLANNED  CAPACITY    FILLED\n"
         "  Left main                   3915      3915     100 %\n"
         "  Centre                      3693     13065      28 %\n"
         "  Right main                  3915      3915     100 %\n"
         "\n"
         "IN THE AIRCRAFT NOW (X-Plane, read 2026-12-10 14:00 UTC)\n"
         "                           PLANNED  AIRCRAFT      DIFF\n"
         "  Left main                   3915      3915         0\n"
         "  Centre                      3693   unknown\n"
         "  Right main                  3915      3629      -286   DIFFERS\n"
         "  Payload                    22000     22000         0\n"},
        {"fuel that does not fit", State(plan::Unit::Pounds, "1000", "40000"),
         "TARNWELL LOAD SHEET                           2026-12-10 14:05 UTC\n"
         "Boeing 737-800 NG                             weights in Lbs.\n"
         "\n"
         "INPUTS\n"
         "  Model                         Boeing 737-800 NG\n"
         "  Cruising altitude             FL350\n"
         "  Trip distance                 1000 nm\n"
         "  Extra distance to alternate   200 nm\n"
         "  Forecast wind                 Headwind 20 kts\n"
         "  Payload                       1000 Lbs.\n"
         "  Holding fuel                  40000 Lbs.\n"
         "  Minimum landing fuel          3000 Lbs.\n"
         "  Taxi fuel                     500 Lbs.\n"
         "\n"
         "  WEIGHTS                  PLANNED     LIMIT    MARGIN\n"
         "  Zero fuel weight           92300    136000     43700\n"
         "  Landing weight            138600    144000      5400\n"
         "  Takeoff weight            150780    173000     22220\n"
         "  Taxi-out weight           151280    173500     22220\n"
         "\n"
         "  FUEL                     PLANNED\n"
         "  En-route                   12180\n"
         "  Alternate                   3300\n"
         "  Holding                    40000\n"
         "  Minimum landing             3000\n"
         "  Taxi                         500\n"
         "  Total at taxi              58980\n"
         "\n"
         "  TANKS                    PLANNED  CAPACITY    FILLED\n"
         "  Left main                   8630      8630     100 %\n"
         "  Centre                     28803     28803     100 %\n"
         "  Right main                  8630      8630     100 %\n"
         "  Does not fit the tanks: 12917 Lbs.\n"},
    };
    for (const auto& row : rows) {
        const std::string text = LoadSheetText(MakeLoadSheet(row.state), "2026-12-10 14:05 UTC");
        EXPECT_EQ(text, row.text) << row.what;
    }
}

TEST(LoadSheet, APlanThatCannotBeComputedShowsWhyAndNoStaleFigures) {
    PlannerState state = State(plan::Unit::Pounds, "30000", "2000");
    state.end = plan::PlanEnd::NoTripData;  // the figures are the last plan's
    const LoadSheet sheet = MakeLoadSheet(state);
    EXPECT_FALSE(sheet.Complete());
    EXPECT_EQ(sheet.totalFuel, 0);
    const std::string text = LoadSheetText(sheet, "now");
    EXPECT_NE(text.find("No plan: the trip tables have no figure"), std::string::npos);
    EXPECT_EQ(text.find("WEIGHTS"), std::string::npos);
}

TEST(LoadSheet, EntriesBelowZeroAreNamedAndFillsStayWithinTheirBar) {
    const LoadSheet sheet = MakeLoadSheet(State(plan::Unit::Pounds, "-500", "2000"));
    EXPECT_EQ(sheet.negativeEntries, std::vector<std::string>{"payload"});
    EXPECT_EQ(Fill(-5, 10), 0);
    EXPECT_EQ(Fill(15, 10), 1);
    EXPECT_EQ(Fill(5, 10), 0.5);
    EXPECT_EQ(Fill(5, 0), 0);
    EXPECT_EQ(Fill(std::nan(""), 10), 0);
}

TEST(LoadSheet, AChangeRedrawsOnlyThePartsItTouches) {
    using P = SheetParts;
    const LoadSheet plan = MakeLoadSheet(State(plan::Unit::Pounds, "30000", "2000"));
    const struct {
        const char* what;
        LoadSheet after;
        P parts;  // heading, tanks, weights, fuel, notes
    } rows[] = {
        {"nothing", plan, P{false, false, false, false, false}},
        {"the payload", MakeLoadSheet(State(plan::Unit::Pounds, "30500", "2000")),
         P{false, false, true, false, false}},
        {"the holding fuel", MakeLoadSheet(State(plan::Unit::Pounds, "30000", "2500")),
         P{false, true, true, true, false}},
        {"the unit", MakeLoadSheet(State(plan::Unit::Kilograms, "30000", "2000")),
         P{true, true, true, true, true}},
        {"a payload below zero", MakeLoadSheet(State(plan::Unit::Pounds, "-500", "2000")),
         P{false, false, true, false, true}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ChangedParts(plan, row.after), row.parts) << row.what;
    }
}
