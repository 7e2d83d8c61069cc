// Board Fuel's sequence on its own, with steps that fail where a case says.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <limits>
#include <string>
#include <vector>

#include "sim/web/web_boarding.h"

namespace tarnwell::sim {
namespace {

using namespace std::chrono_literals;

enum class Fails { None, Check, Aircraft, Capacities, Layout, Unlike, SecondWrite, ReadBack, Held };

struct Case {
    const char* name;
    Fails fails;
    BoardingEnd end;
    std::size_t tanksWritten;
    const char* ran;  // the steps run: c check, r capacities, w each write, b read back
    Trouble trouble = Trouble::None;
    const char* detail = "";
    const char* cancelAt = "";  // a wait step's text that raises the cancel flag
    std::array<double, TankCount> pounds{6000, 4000, 12000};
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

// Capacities that take the order but for the left main's 6000 lb.
constexpr std::array<double, TankCount> Capacity{5000, 5000, 20000};

class FakeSteps final : public WebBoardingSteps {
public:
    explicit FakeSteps(const Case& c) : c_(c) {}

    std::string ran;
    std::vector<double> written;

    std::string SimulatorName() const override { return "Sim"; }
    std::chrono::milliseconds RequestLimit() const override { return 100ms; }
    int ReadBackRequests() const override { return 2; }
    AircraftCheck CheckAircraft(const ExpectedAircraft&, const CancelFlag& cancel,
                                const WaitReport& report) override {
        Tell(report, "Checking", 'c');
        if (c_.fails == Fails::Aircraft) {
            return {AircraftCheck::End::Other, "C172", {false, Trouble::None, "C172 loaded"}};
        }
        return Failing(Fails::Check, cancel)
                   ? AircraftCheck{AircraftCheck::End::Failed, "", Problem(cancel)}
                   : AircraftCheck{AircraftCheck::End::Expected, "B738", {}};
    }
    Trouble UnusableFigureTrouble() const override { return Trouble::Refused; }
    TankPounds ReadCapacities(const CancelFlag& cancel, const WaitReport& report) override {
        Tell(report, "Capacities", 'r');
        if (c_.fails == Fails::Layout) {
            return {std::nullopt, {false, Trouble::None, "two tanks"}, true};
        }
        if (Failing(Fails::Capacities, cancel)) {
            return {std::nullopt, Problem(cancel)};
        }
        return {
            c_.fails == Fails::Unlike ? std::array<double, TankCount>{5000, 5000, 900} : Capacity,
            {}};
    }
    std::string UnlikeDetail(Tank tank, double simulatorPounds, double modelPounds) const override {
        return std::string(TankName(tank)) + " " +
               std::to_string(static_cast<int>(simulatorPounds)) + " of " +
               std::to_string(static_cast<int>(modelPounds));
    }
    bool WriteTank(Tank, double pounds, const CancelFlag& cancel, WebProblem& problem) override {
        ran += 'w';
        written.push_back(pounds);
        if (cancel.Raised() || (c_.fails == Fails::SecondWrite && written.size() == 2)) {
            problem = Problem(cancel);
            return false;
        }
        return true;
    }
    TankPounds ReadBack(const CancelFlag& cancel, const WaitReport& report) override {
        Tell(report, "Reading back", 'b');
        if (Failing(Fails::ReadBack, cancel)) {
            return {std::nullopt, Problem(cancel)};
        }
        std::array<double, TankCount> held{5000, 4000, 12000};
        held[2] += c_.fails == Fails::Held ? 2 : 0.5;
        return {held, {}};
    }

private:
    void Tell(const WaitReport& report, const char* what, char step) {
        ran += step;
        report(WaitStep{what, 1, 1, 100ms});
    }
    bool Failing(Fails step, const CancelFlag& cancel) const {
        return c_.fails == step || cancel.Raised();
    }
    static WebProblem Problem(const CancelFlag& cancel) {
        return {cancel.Raised(), cancel.Raised() ? Trouble::None : Trouble::NoAnswer, "failed"};
    }

    const Case& c_;
};

using B = BoardingEnd;
using F = Fails;
using T = Trouble;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
// clang-format off
const Case Cases[] = {
    {"boards", F::None, B::Boarded, 3, "crwwwb"},
    {"check_fails", F::Check, B::CheckFailed, 0, "c", T::NoAnswer, "failed"},
    {"check_cancelled", F::None, B::Cancelled, 0, "c", T::None, "", "Checking"},
    {"another_aircraft", F::Aircraft, B::WrongAircraft, 0, "c", T::None, "C172 loaded"},
    {"figure_no_fuel_load", F::None, B::CheckFailed, 0, "c", T::Refused,
     "The plan's centre tank figure is not a fuel load.", "", {6000, 4000, NaN}},
    {"figure_below_zero", F::None, B::CheckFailed, 0, "c", T::Refused, "right main", "",
     {6000, -1, 12000}},
    {"capacities_unread", F::Capacities, B::CheckFailed, 0, "cr", T::NoAnswer, "failed"},
    {"another_layout", F::Layout, B::TanksUnlike, 0, "cr", T::None, "two tanks"},
    {"unlike_centre", F::Unlike, B::TanksUnlike, 0, "cr", T::None, "centre 900 of 20000"},
    {"second_write_fails", F::SecondWrite, B::WriteFailed, 1, "crww", T::NoAnswer, "failed"},
    {"cancelled_between_writes", F::None, B::Cancelled, 1, "crww", T::None, "", "right main"},
    {"read_back_fails", F::ReadBack, B::Differs, 3, "crwwwb", T::NoAnswer, "failed"},
    {"read_back_cancelled", F::None, B::Cancelled, 3, "crwwwb", T::None, "", "Reading back"},
    {"holds_other_figures", F::Held, B::Differs, 3, "crwwwb"},
};
// clang-format on

class WebBoarding : public testing::TestWithParam<Case> {};

TEST_P(WebBoarding, EndsAtTheStepThatFails) {
    const Case& c = GetParam();
    FakeSteps steps(c);
    CancelFlag cancel;
    std::vector<WaitStep> told;
    const WaitReport report = [&](const WaitStep& step) {
        told.push_back(step);
        if (*c.cancelAt != '\0' && step.what.find(c.cancelAt) != std::string::npos) {
            cancel.Raise();
        }
    };
    const FuelOrder order{c.pounds, {5100, 5100, 20000}, {}};
    const BoardingResult result = BoardWeb(order, cancel, report, steps);

    EXPECT_EQ(result.end, c.end) << result.detail;
    EXPECT_EQ(result.tanksWritten, c.tanksWritten);
    EXPECT_EQ(steps.ran, c.ran);
    EXPECT_EQ(result.trouble, c.trouble);
    EXPECT_NE(result.detail.find(c.detail), std::string::npos) << result.detail;
    EXPECT_TRUE(c.end != B::Cancelled || result.detail.empty()) << result.detail;
    const bool checked = c.fails != F::Check && std::string(c.cancelAt) != "Checking";
    EXPECT_EQ(result.loadedAircraft, c.fails == F::Aircraft ? "C172" : checked ? "B738" : "");
    // Capacities kept once read, the order cut to them from then on.
    const bool capacitiesRead =
        steps.ran.size() > 1 && c.fails != F::Capacities && c.fails != F::Layout;
    EXPECT_EQ(result.capacityPounds.has_value(), capacitiesRead);
    EXPECT_EQ(result.boardedPounds[0], capacitiesRead && c.fails != F::Unlike ? 5000 : 6000);
    EXPECT_EQ(result.heldPounds.has_value(), c.end == B::Boarded || c.fails == F::Held);
    // Each write told with the requests left, the read back's two tries included.
    std::size_t write = 0;
    for (const WaitStep& step : told) {
        if (step.what.rfind("Writing the ", 0) == 0) {
            ASSERT_LT(write, steps.written.size());
            EXPECT_EQ(step.what, std::string("Writing the ") + TankName(BoardingOrder[write]) +
                                     " tank level in Sim...");
            EXPECT_EQ(step.limit, static_cast<int>(TankCount - write + 2) * 100ms);
            EXPECT_EQ(steps.written[write], result.boardedPounds[write]);
            ++write;
        }
    }
    EXPECT_EQ(write, steps.written.size());
}

INSTANTIATE_TEST_SUITE_P(Steps, WebBoarding, testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

// A payload read's aircraft check: the aircraft kept, a cancel telling nothing.
TEST(CheckedPayload, EndsAsTheCheck) {
    const PayloadResult read = CheckedPayload({AircraftCheck::End::Expected, "B738", {}});
    EXPECT_EQ(read.end, PayloadEnd::Read);
    EXPECT_EQ(read.loadedAircraft, "B738");
    const PayloadResult other =
        CheckedPayload({AircraftCheck::End::Other, "", {false, Trouble::None, "no type code"}});
    EXPECT_EQ(other.end, PayloadEnd::WrongAircraft);
    EXPECT_EQ(other.detail, "no type code");
    const PayloadResult failed =
        CheckedPayload({AircraftCheck::End::Failed, "", {false, Trouble::NoFlight, "unknown"}});
    EXPECT_EQ(failed.end, PayloadEnd::Failed);
    EXPECT_EQ(failed.trouble, Trouble::NoFlight);
    const PayloadResult cancelled =
        CheckedPayload({AircraftCheck::End::Failed, "", {true, Trouble::NoAnswer, "text"}});
    EXPECT_EQ(cancelled.end, PayloadEnd::Cancelled);
    EXPECT_EQ(cancelled.trouble, Trouble::None);
    EXPECT_TRUE(cancelled.detail.empty());
}

// Refresh on a web simulator: the payload as read, then the read back, a
// figure that is no weight unknown and a failed request the end.
TEST(ReadWebAircraft, TakesWhatCanBeHeldAndEndsAtAFailedRequest) {
    const auto payload = [](PayloadEnd end, Trouble trouble) {
        return PayloadResult{end, 452, "B738", trouble, ""};
    };
    const std::optional<double> unknown;
    const struct {
        const char* name;
        PayloadResult payload;
        Fails fails;
        std::array<double, TankCount> capacity;
        PayloadEnd end;
        const char* ran;
        std::array<std::optional<double>, TankCount> tanks;
        std::optional<std::int32_t> payloadPounds;
    } cases[] = {
        {"read",
         payload(PayloadEnd::Read, Trouble::None),
         F::None,
         {5100, 5100, 20000},
         PayloadEnd::Read,
         "b",
         {5000, 4000, 12000.5},
         452},
        {"more than a tank holds",
         payload(PayloadEnd::Read, Trouble::None),
         F::None,
         {4000, 5100, 20000},
         PayloadEnd::Read,
         "b",
         {unknown, 4000, 12000.5},
         452},
        {"a payload that is no weight",
         payload(PayloadEnd::Failed, Trouble::BadAnswer),
         F::None,
         {5100, 5100, 20000},
         PayloadEnd::Read,
         "b",
         {5000, 4000, 12000.5},
         std::nullopt},
        {"no answer to the payload",
         payload(PayloadEnd::Failed, Trouble::NoAnswer),
         F::None,
         {5100, 5100, 20000},
         PayloadEnd::Failed,
         "",
         {},
         std::nullopt},
        {"another aircraft",
         payload(PayloadEnd::WrongAircraft, Trouble::None),
         F::None,
         {5100, 5100, 20000},
         PayloadEnd::WrongAircraft,
         "",
         {},
         std::nullopt},
        {"no answer to the read back",
         payload(PayloadEnd::Read, Trouble::None),
         F::ReadBack,
         {5100, 5100, 20000},
         PayloadEnd::Failed,
         "b",
         {},
         std::nullopt},
    };
    for (const auto& c : cases) {
        const Case steps_case{c.name, c.fails, B::Boarded, 0, ""};
        FakeSteps steps(steps_case);
        const CancelFlag cancel;
        const AircraftResult result = ReadWebAircraft(
            c.payload, c.capacity, cancel, [](const WaitStep&) {}, steps);
        EXPECT_EQ(result.end, c.end) << c.name;
        EXPECT_EQ(steps.ran, c.ran) << c.name;
        EXPECT_EQ(result.tankPounds, c.tanks) << c.name;
        EXPECT_EQ(result.payloadPounds, c.payloadPounds) << c.name;
        EXPECT_EQ(result.loadedAircraft, "B738") << c.name;
    }
}

}  // namespace
}  // namespace tarnwell::sim
