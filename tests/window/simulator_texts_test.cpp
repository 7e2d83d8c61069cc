// The boxes the simulator commands end with, worded from results built by
// hand: every end of a boarding and a payload read, every trouble, every
// way a connection fails, and the question before a plan that does not fit.
#include "window/simulatorcommands.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sim/connection.h"

using namespace tarnwell::window;
using tarnwell::data::ModelId;
using tarnwell::plan::PlanFigures;
using tarnwell::plan::Unit;
namespace sim = tarnwell::sim;

namespace {

bool Contains(const std::string& text, const std::string& words) {
    return text.find(words) != std::string::npos;
}

// 737-800 NG, 8,630 lb a wing and 28,803 lb in the centre: 46,063 lb in all.
BoardingPlan Planned(double wing, double center, std::int32_t unboarded = 0) {
    BoardingPlan planned;
    planned.pounds = {wing, wing, center};
    planned.capacityPounds = {8630, 8630, 28803};
    planned.unboardedPounds = unboarded;
    planned.modelName = "Boeing 737-800 NG";
    return planned;
}

sim::BoardingOutcome Ended(sim::BoardingEnd end,
                           sim::SimulatorKind kind = sim::SimulatorKind::XPlane) {
    sim::BoardingOutcome outcome;
    outcome.kind = kind;
    outcome.simulator = kind == sim::SimulatorKind::Module   ? "the simulator"
                        : kind == sim::SimulatorKind::XPlane ? "X-Plane"
                                                             : "FlightGear";
    outcome.result.end = end;
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

TEST(Troubles, EachHasAPilotsSentence) {
    const struct {
        sim::Trouble trouble;
        const char* sentence;
    } cases[] = {
        {sim::Trouble::None, ""},
        {sim::Trouble::NoAnswer, "X-Plane did not answer in time, or the connection to it broke."},
        {sim::Trouble::IncomingTrafficDisabled,
         "X-Plane refuses the request: in X-Plane's network settings, untick Disable Incoming "
         "Traffic."},
        {sim::Trouble::Refused, "X-Plane refused the request."},
        {sim::Trouble::NoFlight, "X-Plane has no flight loaded: start a flight, then try again."},
        {sim::Trouble::ReadOnly,
         "X-Plane does not let other programs change the fuel: the aircraft may manage it "
         "itself."},
        {sim::Trouble::BadAnswer, "X-Plane gave an answer the planner cannot use."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TroubleSentence(c.trouble, "X-Plane"), c.sentence);
    }
}

// One row for each way a boarding ends: the box's title and icon, words
// it must hold and words it must not, and what goes to its details.
TEST(BoardingBox, EveryEndHasItsOwnWords) {
    using E = sim::BoardingEnd;
    using I = MessageIcon;
    const std::string detail = "PATCH /api/v2/datarefs/42/value?index=0: 403 Forbidden";
    struct Row {
        const char* name;
        sim::BoardingOutcome outcome;
        const char* title;
        I icon;
        const char* said;
        const char* notSaid;
    };
    auto with = [&detail](sim::BoardingOutcome o, std::size_t written, sim::Trouble trouble) {
        o.result.tanksWritten = written;
        o.result.trouble = trouble;
        o.result.detail = detail;
        return o;
    };
    sim::BoardingOutcome unlike = Ended(E::TanksUnlike, sim::SimulatorKind::FlightGear);
    unlike.result.capacityPounds = {{8630, 8630, 5000}};
    sim::BoardingOutcome wrong = Ended(E::WrongAircraft);
    wrong.result.loadedAircraft = std::string(3000, 'C');
    sim::BoardingOutcome noType = Ended(E::WrongAircraft);
    const Row rows[] = {
        {"the module's write failure", Ended(E::WriteFailed, sim::SimulatorKind::Module), "Error",
         I::None, "Variable write failed!", "tank"},
        {"a web write failure after one tank",
         with(Ended(E::WriteFailed), 1, sim::Trouble::Refused), "Error", I::None,
         "Variable write failed!\r\n\r\nX-Plane refused the request.\r\n\r\nThe left main tank "
         "holds the planned fuel now; the right main and centre tanks do not.",
         "403"},
        {"a web write failure on the first tank",
         with(Ended(E::WriteFailed), 0, sim::Trouble::NoAnswer), "Error", I::None,
         "No tank was written: nothing was boarded.", "403"},
        {"a check that failed", with(Ended(E::CheckFailed), 0, sim::Trouble::NoFlight), "Error",
         I::None,
         "Nothing was boarded: X-Plane could not be asked which aircraft is loaded and what its "
         "tanks hold.\r\n\r\nX-Plane has no flight loaded",
         "Variable write failed!"},
        {"tanks of another layout", unlike, "Error", I::Exclamation,
         "Nothing was boarded: the tanks of the aircraft loaded in FlightGear are not those of a "
         "Boeing 737-800 NG. Its centre tank holds 5000 Lbs.; the Boeing 737-800 NG's holds "
         "28803 Lbs.\r\n\r\nLoad the Boeing 737-800 NG",
         "Variable write failed!"},
        {"another aircraft, its long name cut", wrong, "Error", I::Exclamation,
         "The aircraft loaded in X-Plane is "
         "\"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC"
         "CCCCC...\", not a Boeing 737-800 NG. Nothing was boarded.",
         "CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC"},
        {"an aircraft without a type code", noType, "Error", I::Exclamation,
         "The aircraft loaded in X-Plane has no type code, not a Boeing 737-800 NG.", "\"\""},
        {"a cancel after the first tank", with(Ended(E::Cancelled), 1, sim::Trouble::None),
         "Cancelled", I::Exclamation,
         "Boarding was cancelled. The left main tank holds the planned fuel now; the right main "
         "and centre tanks do not.",
         "the  tanks"},
        {"a cancel after two tanks", with(Ended(E::Cancelled), 2, sim::Trouble::None), "Cancelled",
         I::Exclamation, "the centre tank does not.", "the  tanks"},
        {"a cancel after the last write", with(Ended(E::Cancelled), 3, sim::Trouble::None),
         "Cancelled", I::Exclamation,
         "The cancel came after the last tank was written, so the boarding completed: all three "
         "tanks hold the planned fuel now. X-Plane was not asked to confirm what they hold.",
         "do not"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::optional<Message> box = BoardingMessage(row.outcome, Planned(4000, 1000));
        ASSERT_TRUE(box);
        EXPECT_EQ(box->title, row.title);
        EXPECT_EQ(box->icon, row.icon);
        EXPECT_TRUE(Contains(box->text, row.said)) << box->text;
        EXPECT_FALSE(Contains(box->text, row.notSaid)) << box->text;
        EXPECT_EQ(box->details, row.outcome.result.detail);
    }
    EXPECT_EQ(BoardingMessage(Ended(E::WriteFailed, sim::SimulatorKind::Module), Planned(1, 1)),
              (Message{"Variable write failed!", "Error", MessageIcon::None}));
    EXPECT_FALSE(BoardingMessage(Ended(E::Cancelled), Planned(1, 1)));
}

// A boarding that left fuel out keeps the success sentence and says how
// much was boarded, how much did not fit and, where the simulator's tanks
// are smaller than the model's, which of them are full.
TEST(BoardingBox, SaysWhatWasBoardedAndWhatDidNotFit) {
    const struct {
        const char* name;
        sim::SimulatorKind kind;
        BoardingPlan planned;
        std::optional<std::array<double, sim::TankCount>> capacity;
        std::array<double, sim::TankCount> boarded;
        const char* added;
    } cases[] = {
        {"everything fits", sim::SimulatorKind::Module, Planned(4000, 1000), std::nullopt, {}, ""},
        {"more than the model holds",
         sim::SimulatorKind::Module,
         Planned(8630, 28803, 13937),
         std::nullopt,
         {},
         "\r\n\r\n46063 Lbs. of fuel were boarded; 13937 Lbs. of the planned fuel did not fit into "
         "the tanks."},
        {"X-Plane's wings smaller",
         sim::SimulatorKind::XPlane,
         Planned(8630, 1000),
         std::array<double, 3>{8613.8, 8613.8, 28835.4},
         {8613.8, 8613.8, 1000},
         "\r\n\r\n18228 Lbs. of fuel were boarded; 32 Lbs. of the planned fuel did not fit into "
         "the tanks. Full in X-Plane: the left main tank at 8614 Lbs. and the right main tank at "
         "8614 Lbs."},
        {"X-Plane's tanks larger",
         sim::SimulatorKind::XPlane,
         Planned(4000, 1000),
         std::array<double, 3>{8700, 8700, 29000},
         {4000, 4000, 1000},
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::BoardingOutcome outcome = Ended(sim::BoardingEnd::Boarded, c.kind);
        outcome.result.capacityPounds = c.capacity;
        outcome.result.boardedPounds = c.boarded;
        const std::optional<Message> box = BoardingMessage(outcome, c.planned);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text, std::string(BoardedText) + c.added);
        EXPECT_EQ(*box, (Message{box->text, "Success!", MessageIcon::Information}));
    }
}

TEST(BoardingQuestion, AskedOnlyWhenThePlanDoesNotFit) {
    PlanFigures figures;
    figures.zeroFuelWeight = 91300;
    figures.landingWeight = 120000;
    figures.takeoffWeight = 151300;
    figures.taxiWeight = 151300;
    figures.totalFuel = 60000;
    figures.mainTankFuel = 8630;
    figures.centerTankFuel = 28803;
    const Boarding unfit = PrepareBoarding(figures, ModelId::B737_800, Unit::Pounds);
    ASSERT_FALSE(unfit.refusal);
    ASSERT_TRUE(unfit.question);
    EXPECT_EQ(*unfit.question,
              (Question{{"The planned fuel does not fit into the tanks: the Boeing 737-800 NG "
                         "holds 46063 Lbs., 13937 Lbs. less than the 60000 Lbs. planned.\r\n\r\n"
                         "The total fuel is shown in red: the plan cannot be flown as it "
                         "stands.\r\n\r\nBoard fills the tanks and leaves the rest out; Cancel "
                         "boards nothing.",
                         "Board Fuel", MessageIcon::Exclamation},
                        "Board"}));
    EXPECT_EQ(unfit.planned.unboardedPounds, 13937);

    // The 737-600's lower limits: more weights red, named in the order the
    // window shows them.
    const Boarding heavy = PrepareBoarding(figures, ModelId::B737_600, Unit::Kilograms);
    ASSERT_TRUE(heavy.question);
    EXPECT_TRUE(Contains(heavy.question->message.text,
                         "The take-off weight, taxi weight and total fuel are shown in red"))
        << heavy.question->message.text;
    EXPECT_TRUE(Contains(heavy.question->message.text, "6322 Kgs. less than the 27216 Kgs."));

    figures.totalFuel = 46063;
    EXPECT_FALSE(PrepareBoarding(figures, ModelId::B737_800, Unit::Pounds).question);
}

TEST(ConnectBox, SaysWhatElseWasLookedForAndWhere) {
    const std::string described = sim::ConnectionFailureText(sim::IpcErrNoFs);
    const sim::Endpoint xplane{"127.0.0.1", 8086};
    const sim::Endpoint flightgear{"127.0.0.1", 8080};
    const std::string lookElsewhere =
        " To look elsewhere, start Tarnwell with --xplane=HOST:PORT or --flightgear=HOST:PORT.";
    using K = sim::SimulatorKind;
    using E = sim::OpenEnd;
    using T = sim::Trouble;
    const struct {
        const char* name;
        sim::ConnectFailure failure;
        Message box;
    } cases[] = {
        {"the module alone",
         {K::Module, sim::IpcErrNoFs, {}, false},
         {described, "Error!", MessageIcon::Critical}},
        {"nothing anywhere",
         {K::Module,
          sim::IpcErrNoFs,
          {{K::XPlane, xplane, E::NoAnswer, T::NoAnswer, "connect: refused"},
           {K::FlightGear, flightgear, E::NoAnswer, T::None, "connect: refused"}},
          false},
         {described +
              "\r\n\r\nAlso looked for: X-Plane at 127.0.0.1:8086, FlightGear at 127.0.0.1:8080. "
              "Nothing answers there." +
              lookElsewhere,
          "Error!", MessageIcon::Critical}},
        {"X-Plane refusing",
         {K::Module,
          sim::IpcErrNoFs,
          {{K::XPlane, xplane, E::NotThisSimulator, T::IncomingTrafficDisabled,
            "GET /api/capabilities: 403 Forbidden"},
           {K::FlightGear, flightgear, E::NoAnswer, T::NoAnswer, "connect: refused"}},
          false},
         {described +
              "\r\n\r\nAlso looked for: X-Plane at 127.0.0.1:8086, FlightGear at 127.0.0.1:8080. "
              "X-Plane refuses the request: in X-Plane's network settings, untick Disable "
              "Incoming Traffic." +
              lookElsewhere,
          "Error!", MessageIcon::Critical,
          "X-Plane at 127.0.0.1:8086: GET /api/capabilities: 403 Forbidden"}},
        {"a web page where FlightGear was looked for",
         {K::Module,
          sim::IpcErrNoFs,
          {{K::XPlane, {"::1", 8086}, E::NoAnswer, T::NoAnswer, ""},
           {K::FlightGear, flightgear, E::NotThisSimulator, T::BadAnswer, "200 OK, text/html"}},
          false},
         {described +
              "\r\n\r\nAlso looked for: X-Plane at [::1]:8086, FlightGear at 127.0.0.1:8080. "
              "Something other than FlightGear answers at 127.0.0.1:8080." +
              lookElsewhere,
          "Error!", MessageIcon::Critical, "FlightGear at 127.0.0.1:8080: 200 OK, text/html"}},
        {"X-Plane chosen, refusing",
         {K::XPlane,
          0,
          {{K::XPlane, xplane, E::NotThisSimulator, T::IncomingTrafficDisabled, "403 Forbidden"}},
          false},
         {"X-Plane connection failure at 127.0.0.1:8086.\r\n\r\nX-Plane refuses the request: in "
          "X-Plane's network settings, untick Disable Incoming Traffic.",
          "Error!", MessageIcon::Critical, "403 Forbidden"}},
        {"FlightGear chosen, not there",
         {K::FlightGear,
          0,
          {{K::FlightGear, flightgear, E::NoAnswer, T::NoAnswer, "connect: refused"}},
          false},
         {"FlightGear connection failure at 127.0.0.1:8080.\r\n\r\nNothing answers there, or not "
          "in time. Ensure that FlightGear is running with its HTTP server (fgfs --httpd=PORT).",
          "Error!", MessageIcon::Critical, "connect: refused"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConnectFailureMessage(c.failure), c.box) << c.name;
    }

    // A host of 3,000 characters is quoted cut.
    sim::ConnectFailure longHost{
        K::XPlane,
        0,
        {{K::XPlane, {std::string(3000, 'h'), 8086}, E::NoAnswer, T::NoAnswer, ""}},
        false};
    const Message box = ConnectFailureMessage(longHost);
    EXPECT_TRUE(Contains(box.text, "at " + std::string(QuoteLimit, 'h') + "...:8086.")) << box.text;
    EXPECT_LT(box.text.size(), 400u);
}

TEST(PayloadBox, FailuresInTheirOwnWords) {
    sim::PayloadOutcome outcome;
    outcome.simulator = "the simulator";
    outcome.result.end = sim::PayloadEnd::Failed;
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"Read failed!", "Error", MessageIcon::None}));

    outcome.kind = sim::SimulatorKind::FlightGear;
    outcome.simulator = "FlightGear";
    outcome.result.trouble = sim::Trouble::BadAnswer;
    outcome.result.detail = "/payload/weight[1]/weight-lb: \"abc\"";
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"Read failed!\r\n\r\nFlightGear gave an answer the planner cannot use.",
                       "Error", MessageIcon::None, "/payload/weight[1]/weight-lb: \"abc\""}));

    outcome.result = {};
    outcome.result.end = sim::PayloadEnd::WrongAircraft;
    outcome.result.loadedAircraft = "c172p";
    EXPECT_EQ(PayloadFailureMessage(outcome, "Boeing 737-800 NG"),
              (Message{"The aircraft loaded in FlightGear is \"c172p\", not a Boeing 737-800 NG. "
                       "The payload was not read.\r\n\r\nLoad the Boeing 737-800 NG in the "
                       "simulator, or choose the model that is loaded, then try again.",
                       "Error", MessageIcon::Exclamation}));

    outcome.result.end = sim::PayloadEnd::Cancelled;
    EXPECT_FALSE(PayloadFailureMessage(outcome, "Boeing 737-800 NG"));
}

TEST(CutForBox, CutsWholeCharactersOnly) {
    EXPECT_EQ(CutForBox("short", 10), "short");
    EXPECT_EQ(CutForBox("exactly10!", 10), "exactly10!");
    EXPECT_EQ(CutForBox("eleven char", 10), "eleven cha...");
    // "Zürich-Flughafen": the cut falls after the two bytes of ü.
    EXPECT_EQ(CutForBox("Z\xC3\xBCrich", 2), "Z\xC3\xBC...");
}
