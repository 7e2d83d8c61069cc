// The boxes the simulator commands end with, worded from results built by
// hand: the ends of a boarding and a payload read, the ways a connection
// fails, and the question before a plan that does not fit.
#include "window/simulatorcommands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sim/module/connection.h"

using namespace tarnwell::window;
namespace sim = tarnwell::sim;
using E = sim::BoardingEnd;
using K = sim::SimulatorKind;
using T = sim::Trouble;

namespace {

bool Contains(const std::string& text, const std::string& words) {
    return text.find(words) != std::string::npos;
}

// 737-800 NG: 8,630 lb a wing, 28,803 lb in the centre.
BoardingPlan Planned(double wing, double center, std::int32_t unboarded = 0) {
    return {tarnwell::plan::Unit::Pounds,
            {wing, wing, center},
            {8630, 8630, 28803},
            unboarded,
            "Boeing 737-800 NG"};
}

sim::BoardingOutcome Ended(E end, K kind = K::XPlane, std::size_t written = 0,
                           T trouble = T::None) {
    sim::BoardingOutcome outcome;
    outcome.kind = kind;
    outcome.result.end = end;
    outcome.result.tanksWritten = written;
    outcome.result.trouble = trouble;
    outcome.result.detail = kind == K::Module ? "" : "PATCH /api/v2/datarefs/42/value: 403";
    return outcome;
}

}  // namespace

TEST(TanksWritten, EveryCountIsWordedRight) {
    const char* said[] = {
        "No tank was written: nothing was boarded.",
        "The left main tank holds the planned fuel now; the right main and centre tanks do not.",
        "The left main and right main tanks hold the planned fuel now; the centre tank does not.",
        "All three tanks hold the planned fuel now.",
    };
    for (std::size_t written = 0; written <= sim::TankCount; ++written) {
        EXPECT_EQ(TanksWrittenSentence(written), said[written]) << written;
    }
}

// Each end: the box's title and icon, words it holds, and the technical
// account in its details only.
TEST(BoardingBox, EveryEndHasItsOwnWords) {
    using I = MessageIcon;
    sim::BoardingOutcome unlike = Ended(E::TanksUnlike, K::FlightGear);
    unlike.result.capacityPounds = {{8630, 8630, 5000}};
    sim::BoardingOutcome wrong = Ended(E::WrongAircraft);
    wrong.result.loadedAircraft = std::string(3000, 'C');
    const struct {
        sim::BoardingOutcome outcome;
        const char* title;
        I icon;
        std::string said;
    } rows[] = {
        {Ended(E::WriteFailed, K::XPlane, 1, T::Refused), "Error", I::None,
         "Variable write failed!\r\n\r\nX-Plane refused the request.\r\n\r\nThe left main tank "
         "holds the planned fuel now;"},
        {Ended(E::CheckFailed, K::XPlane, 0, T::NoFlight), "Error", I::None,
         "Nothing was boarded: X-Plane could not be asked which aircraft is loaded and what its "
         "tanks hold.\r\n\r\nX-Plane has no flight loaded"},
        {unlike, "Error", I::Exclamation,
         "Nothing was boarded: the tanks of the aircraft loaded in FlightGear are not those of a "
         "Boeing 737-800 NG. Its centre tank holds 5000 Lbs.; the Boeing 737-800 NG's holds "
         "28803 Lbs.\r\n\r\nLoad"},
        {wrong, "Error", I::Exclamation,
         "is \"" + std::string(QuoteLimit, 'C') + "...\", not a Boeing 737-800 NG."},
        {Ended(E::WrongAircraft), "Error", I::Exclamation,
         "The aircraft loaded in X-Plane has no type code, not a Boeing 737-800 NG."},
        {Ended(E::Cancelled, K::XPlane, 1), "Cancelled", I::Exclamation,
         "Boarding was cancelled. The left main tank holds the planned fuel now;"},
        {Ended(E::Cancelled, K::XPlane, 3), "Cancelled", I::Exclamation,
         "The cancel came after the last tank was written, so the boarding completed: all three "
         "tanks hold the planned fuel now. X-Plane was not asked to confirm what they hold."},
    };
    for (const auto& row : rows) {
        const std::optional<Message> box = BoardingMessage(row.outcome, Planned(4000, 1000));
        ASSERT_TRUE(box) << row.said;
        EXPECT_TRUE(Contains(box->text, row.said)) << box->text;
        EXPECT_EQ(*box, (Message{box->text, row.title, row.icon, row.outcome.result.detail}));
        EXPECT_FALSE(Contains(box->text, "/api/")) << box->text;
    }
    // The module's box as it has always been.
    EXPECT_EQ(BoardingMessage(Ended(E::WriteFailed, K::Module, 1), Planned(1, 1)),
              (Message{"Variable write failed!", "Error", MessageIcon::None}));
}

// A boarding that left fuel out keeps the success sentence and says how
// much was boarded and what did not fit; tanks a simulator holds smaller
// than the model's are named full.
TEST(BoardingBox, SaysWhatWasBoardedAndWhatDidNotFit) {
    using Tanks = std::array<double, sim::TankCount>;
    const struct {
        K kind;
        BoardingPlan planned;
        std::optional<Tanks> capacity;
        Tanks boarded;
        const char* added;
    } cases[] = {
        {K::Module, Planned(4000, 1000), std::nullopt, {}, ""},
        {K::Module,
         Planned(8630, 28803, 13937),
         std::nullopt,
         {},
         "\r\n\r\n46063 Lbs. of fuel were boarded; 13937 Lbs. of the planned fuel did not fit "
         "into the tanks."},
        {K::XPlane,
         Planned(8630, 1000),
         Tanks{8613.8, 8613.8, 28835.4},
         {8613.8, 8613.8, 1000},
         "\r\n\r\n18228 Lbs. of fuel were boarded; 32 Lbs. of the planned fuel did not fit into "
         "the tanks. Full in X-Plane: the left main tank at 8614 Lbs. and the right main tank at "
         "8614 Lbs."},
        {K::XPlane, Planned(4000, 1000), Tanks{8700, 8700, 29000}, {4000, 4000, 1000}, ""},
    };
    for (const auto& c : cases) {
        sim::BoardingOutcome outcome = Ended(E::Boarded, c.kind);
        outcome.result.capacityPounds = c.capacity;
        outcome.result.boardedPounds = c.boarded;
        const std::optional<Message> box = BoardingMessage(outcome, c.planned);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, std::string(BoardedText) + c.added);
        EXPECT_EQ(box->title, "Success!");
    }
}

TEST(BoardingQuestion, AskedOnlyWhenThePlanDoesNotFit) {
    tarnwell::plan::PlanFigures figures;
    figures.landingWeight = 120000;
    figures.totalFuel = 60000;
    figures.mainTankFuel = 8630;
    figures.centerTankFuel = 28803;
    const Boarding unfit =
        PrepareBoarding(figures, tarnwell::data::ModelId::B737_800, tarnwell::plan::Unit::Pounds);
    ASSERT_TRUE(unfit.question);
    EXPECT_EQ(*unfit.question,
              (Question{{"The planned fuel does not fit into the tanks: the Boeing 737-800 NG "
                         "holds 46063 Lbs., 13937 Lbs. less than the 60000 Lbs. planned.\r\n\r\n"
                         "The total fuel is shown in red: the plan cannot be flown as it "
                         "stands.\r\n\r\nBoard fills the tanks and leaves the rest out; Cancel "
                         "boards nothing.",
                         "Board Fuel", MessageIcon::Exclamation},
                        "Board"}));
    figures.totalFuel = 46063;
    EXPECT_FALSE(
        PrepareBoarding(figures, tarnwell::data::ModelId::B737_800, tarnwell::plan::Unit::Pounds)
            .question);
}

TEST(ConnectBox, SaysWhatElseWasLookedForAndWhere) {
    const std::string described = sim::ConnectionFailureText(sim::IpcErrNoFs);
    const sim::Endpoint xplane{"127.0.0.1", 8086};
    const sim::Endpoint flightgear{"127.0.0.1", 8080};
    using O = sim::OpenEnd;
    const sim::WebAttempt silentXPlane{K::XPlane, xplane, O::NoAnswer, T::NoAnswer, "refused"};
    const sim::WebAttempt silentFlightGear{K::FlightGear, flightgear, O::NoAnswer, T::None, ""};
    const sim::WebAttempt refusing{K::XPlane, xplane, O::NotThisSimulator,
                                   T::IncomingTrafficDisabled, "GET /api/capabilities: 403"};
    const sim::WebAttempt webPage{K::FlightGear, flightgear, O::NotThisSimulator, T::BadAnswer,
                                  "text/html"};
    const std::string elsewhere =
        " To look elsewhere, start Tarnwell with --xplane=HOST:PORT or --flightgear=HOST:PORT.";
    const struct {
        sim::ConnectFailure failure;
        std::string text;
        std::string details;
    } cases[] = {
        {{K::Module, sim::IpcErrNoFs, {}, false}, described, ""},
        {{K::Module, sim::IpcErrNoFs, {silentXPlane, silentFlightGear}, false},
         described + "\r\n\r\nAlso looked for: X-Plane at 127.0.0.1:8086, FlightGear at " +
             "127.0.0.1:8080. Nothing answers there." + elsewhere,
         ""},
        {{K::Module, sim::IpcErrNoFs, {refusing, silentFlightGear}, false},
         described + "\r\n\r\nAlso looked for: X-Plane at 127.0.0.1:8086, FlightGear at " +
             "127.0.0.1:8080. X-Plane refuses the request: in X-Plane's network settings, " +
             "untick Disable Incoming Traffic." + elsewhere,
         "X-Plane at 127.0.0.1:8086: GET /api/capabilities: 403"},
        {{K::Module, sim::IpcErrNoFs, {{K::XPlane, {"::1", 8086}}, webPage}, false},
         described + "\r\n\r\nAlso looked for: X-Plane at [::1]:8086, FlightGear at " +
             "127.0.0.1:8080. Something other than FlightGear answers at 127.0.0.1:8080." +
             elsewhere,
         "FlightGear at 127.0.0.1:8080: text/html"},
        {{K::XPlane, 0, {refusing}, false},
         "X-Plane connection failure at 127.0.0.1:8086.\r\n\r\nX-Plane refuses the request: in "
         "X-Plane's network settings, untick Disable Incoming Traffic.",
         refusing.detail},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConnectFailureMessage(c.failure),
                  (Message{c.text, "Error!", MessageIcon::Critical, c.details}));
    }
    // A host of 3,000 characters is quoted cut.
    const sim::ConnectFailure longHost{
        K::XPlane, 0, {{K::XPlane, {std::string(3000, 'h'), 8086}}}, false};
    EXPECT_TRUE(Contains(ConnectFailureMessage(longHost).text,
                         "at " + std::string(QuoteLimit, 'h') + "...:8086."));
}

TEST(PayloadBox, FailuresInTheirOwnWords) {
    sim::PayloadOutcome outcome;
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"Read failed!", "Error", MessageIcon::None}));

    outcome.kind = K::FlightGear;
    outcome.result.trouble = T::BadAnswer;
    outcome.result.detail = "/payload/weight[1]/weight-lb: \"abc\"";
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"Read failed!\r\n\r\nFlightGear gave an answer the planner cannot use.",
                       "Error", MessageIcon::None, outcome.result.detail}));

    outcome.result = {};
    outcome.result.end = sim::PayloadEnd::WrongAircraft;
    outcome.result.loadedAircraft = "c172p";
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"The aircraft loaded in FlightGear is \"c172p\", not a Boeing 737-800 NG. "
                       "The payload was not read.\r\n\r\nLoad the Boeing 737-800 NG in the "
                       "simulator, or choose the model that is loaded, then try again.",
                       "Error", MessageIcon::Exclamation}));
}

TEST(CutForBox, CutsWholeCharactersOnly) {
    EXPECT_EQ(CutForBox("exactly10!", 10), "exactly10!");
    EXPECT_EQ(CutForBox("eleven char", 10), "eleven cha...");
    EXPECT_EQ(CutForBox("Z\xC3\xBCrich", 2), "Z\xC3\xBC...");  // after the two bytes of u-umlaut
}
