// The X-Plane and FlightGear links against a web server in this process: a
// small stand-in of each simulator, with one fault laid over it per case.
#include <gtest/gtest.h>
#include <httplib.h>

#include <array>
#include <chrono>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "plan/units.h"
#include "sim/flightgear_link.h"
#include "sim/xplane_link.h"

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#endif

namespace tarnwell::sim {
namespace {

using nlohmann::json;
using namespace std::chrono_literals;

enum class Sim { XPlane, FlightGear };
constexpr Sim X = Sim::XPlane, F = Sim::FlightGear;

// What a fault answers instead of the simulator; Cancel raises the cancel
// flag when a step's text holds the target instead.
enum class Act {
    None,
    Html,
    NotFound,
    Forbidden,
    Redirect,
    Body,
    Huge,
    Chunked,
    Reset,
    Slow,
    Quit,
    Cancel
};

struct Fault {
    const char* method = "";  // "" for any
    const char* target = "";  // a part of the path and query, "" for any
    Act act = Act::None;
    std::string body = "";  // Body: the JSON answered
    int from = 1;           // the first matching request it answers
    int until = 1 << 30;    // the last
};

struct Case {
    const char* name;
    Sim sim;
    std::variant<OpenEnd, BoardingEnd, PayloadEnd> expected;  // which command, and its end
    Fault fault = {};
    std::int32_t figure = 0;  // BoardFuel: tanks written; ReadPayload: the pounds
    const char* detail = "";  // a part of the detail (WrongAircraft: the aircraft)
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const FuelOrder Order{
    {4000.5, 4000.5, 12000}, {8630, 8630, 28803}, 0, 0, {"Boeing 737-800 NG", "B738", "737-800"}};
// Short time-outs keep every case bounded; under valgrind, which runs both
// ends some twenty times slower, they grow with it.
int Slowdown() {
    return RUNNING_ON_VALGRIND ? 10 : 1;
}
const WebTiming Short{200ms * Slowdown(), 200ms * Slowdown(), 1 << 20, 200ms * Slowdown(), 2};

// A node as FlightGear's property server describes it.
json FgNode(const char* name, int index, json value, json children = nullptr) {
    json node = {{"path", "/"}, {"name", name}, {"index", index}, {"value", value}};
    if (!children.is_null()) {
        node["children"] = children;
    }
    return node;
}

// The stand-ins keep what the real ones keep: X-Plane kilograms in single
// precision, FlightGear pounds held to each tank's capacity.
struct Simulators {
    std::array<float, 9> xplaneFuel{};
    std::array<double, 5> fgLevels{}, fgCapacity{8630, 8630, 28803, 0.5, 0.5};
    int writes = 0;

    // What each tank holds, in pounds, indexed by TankIndex.
    std::array<double, TankCount> Held(Sim sim) const {
        if (sim == X) {
            return {xplaneFuel[0] / plan::KilogramsPerPound,
                    xplaneFuel[2] / plan::KilogramsPerPound,
                    xplaneFuel[1] / plan::KilogramsPerPound};
        }
        return {fgLevels[0], fgLevels[1], fgLevels[2]};
    }

    void XPlane(const httplib::Request& req, httplib::Response& res) {
        static const std::map<std::string, std::pair<int, const char*>> Datarefs{
            {XPlaneAircraftDataref, {101, "data"}},
            {XPlaneFuelDataref, {102, "float_array"}},
            {XPlanePayloadDataref, {103, "float"}}};
        std::smatch value;
        json answer;
        if (req.path == "/api/capabilities") {
            answer = {{"api", {{"versions", {"v1", "v2"}}}}, {"x-plane", {{"version", "12.1.4"}}}};
        } else if (req.path == "/api/v1/datarefs/count") {
            answer = {{"data", 3000}};
        } else if (std::regex_match(req.path, std::regex("/api/v[12]/datarefs"))) {
            const auto found = Datarefs.find(req.get_param_value("filter[name]"));
            if (found == Datarefs.end()) {
                res.status = 404;
                return res.set_content(R"({"error_code":"invalid_dataref_name"})",
                                       "application/json");
            }
            answer["data"] = {{{"id", found->second.first},
                               {"name", found->first},
                               {"value_type", found->second.second},
                               {"is_writable", true}}};
        } else if (std::regex_match(req.path, value,
                                    std::regex("/api/v[12]/datarefs/(\\d+)/value"))) {
            if (req.method == "PATCH") {
                ++writes;
                xplaneFuel.at(std::stoul(req.get_param_value("index"))) =
                    json::parse(req.body)["data"].get<float>();
            } else {
                answer["data"] = value[1] == "101"   ? json("IGI3MzggAGp1bms=")  // " b738 \0junk"
                                 : value[1] == "102" ? json(xplaneFuel)
                                                     : json(10000.0);
            }
        } else {
            res.status = 404;
        }
        res.set_content(answer.dump(), "application/json");
    }

    void FlightGear(const httplib::Request& req, httplib::Response& res) {
        std::smatch tank;
        json answer = json::object();
        if (req.path == "/json/sim/aircraft") {
            answer = FgNode("aircraft", 0, "737-800YV");
        } else if (std::regex_match(
                       req.path, tank,
                       std::regex(R"(/json/consumables/fuel/tank\[(\d)\]/level-lbs)"))) {
            ++writes;
            const std::size_t n = std::stoul(tank[1]);
            fgLevels.at(n) = std::min(json::parse(req.body)["value"].get<double>(), fgCapacity[n]);
        } else if (req.path == "/json/consumables/fuel") {
            answer = FgNode("fuel", 0, "", json::array());
            for (int n = 0; n < 5; ++n) {
                answer["children"].push_back(
                    FgNode("tank", n, "",
                           {FgNode("level-lbs", 0, fgLevels[n]),
                            FgNode("capacity-gal_us", 0, fgCapacity[n] / 6.7),
                            FgNode("density-ppg", 0, 6.7)}));
            }
        } else if (req.path == "/json/payload") {
            answer = FgNode("payload", 0, "", json::array());
            for (int n : {0, 1, 2}) {
                const double pounds = std::array{180.5, 170.5, 0.0}[n];
                answer["children"].push_back(
                    FgNode("weight", n, "", {FgNode("weight-lb", 0, pounds)}));
            }
        } else {
            res.status = 404;
        }
        res.set_content(answer.dump(), "application/json");
    }
};

class WebLinks : public testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        port_ = server_.bind_to_any_port("127.0.0.1");
        const auto handler = [this](const httplib::Request& req, httplib::Response& res) {
            const Fault& fault = GetParam().fault;
            const bool matches = fault.act != Act::None && fault.act != Act::Cancel &&
                                 (*fault.method == '\0' || req.method == fault.method) &&
                                 req.target.find(fault.target) != std::string::npos;
            if (matches && ++hits_ >= fault.from && hits_ <= fault.until) {
                return Apply(fault, res);
            }
            GetParam().sim == X ? sims_.XPlane(req, res) : sims_.FlightGear(req, res);
        };
        server_.Get(".*", handler);
        server_.Post(".*", handler);
        server_.Patch(".*", handler);
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    void TearDown() override {
        server_.stop();
        thread_.join();
    }

    void Apply(const Fault& fault, httplib::Response& res) {
        // Declares a body it never finishes: the connection drops mid-answer.
        const auto cut = [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
            return offset == 0 && sink.write("{\"data\": [1", 11);
        };
        switch (fault.act) {
            case Act::Html:
                return res.set_content("<html><body>Router login</body></html>", "text/html");
            case Act::NotFound:
                res.status = 404;
                return res.set_content("404 Not Found", "text/plain");
            case Act::Forbidden:
                res.status = 403;
                return res.set_content(R"({"error_message":"read-only"})", "application/json");
            case Act::Redirect:
                return res.set_redirect("http://192.0.2.1/login");
            case Act::Body:
                return res.set_content(fault.body, "application/json");
            case Act::Huge:
                return res.set_content(std::string(1200000, ' ') + "{}", "application/json");
            case Act::Chunked:  // no length declared: the limit holds as it comes
                return res.set_chunked_content_provider(
                    "application/json", [](std::size_t offset, httplib::DataSink& sink) {
                        const std::string blanks(65536, ' ');
                        return offset < 1300000 ? sink.write(blanks.data(), blanks.size())
                                                : (sink.done(), true);
                    });
            case Act::Slow:
                std::this_thread::sleep_for(2 * Short.requestTimeout);
                return res.set_content("{}", "application/json");
            case Act::Quit:
                server_.stop();
                [[fallthrough]];
            case Act::Reset:
                return res.set_content_provider(1000, "application/json", cut);
            case Act::None:
            case Act::Cancel:
                break;
        }
    }

    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    Simulators sims_;
    int hits_ = 0;
};

TEST_P(WebLinks, EndsAsTheSimulatorAnswers) {
    const Case& c = GetParam();
    CancelFlag cancel;
    std::vector<WaitStep> steps;
    const WaitReport report = [&](const WaitStep& step) {
        steps.push_back(step);
        if (c.fault.act == Act::Cancel && step.what.find(c.fault.target) != std::string::npos) {
            cancel.Raise();
        }
    };
    const Endpoint endpoint{"127.0.0.1", static_cast<std::uint16_t>(port_)};
    OpenResult opened = (c.sim == X ? OpenXPlane : OpenFlightGear)(endpoint, cancel, report, Short);
    std::string detail = opened.detail;

    if (const auto* end = std::get_if<OpenEnd>(&c.expected)) {
        EXPECT_EQ(opened.end, *end);
        EXPECT_EQ(opened.link == nullptr, *end != OpenEnd::Open);
    } else if (const auto* end = std::get_if<BoardingEnd>(&c.expected)) {
        ASSERT_EQ(opened.end, OpenEnd::Open) << detail;
        const BoardingResult result = opened.link->BoardFuel(Order, cancel, report);
        detail = *end == BoardingEnd::WrongAircraft ? result.loadedAircraft : result.detail;
        EXPECT_EQ(result.end, *end) << detail;
        EXPECT_EQ(result.tanksWritten, static_cast<std::size_t>(c.figure));
        EXPECT_EQ(result.failed, *end == BoardingEnd::WriteFailed
                                     ? std::optional(BoardingOrder[c.figure])
                                     : std::nullopt);
        EXPECT_TRUE((*end != BoardingEnd::WrongAircraft && *end != BoardingEnd::TanksUnlike &&
                     *end != BoardingEnd::CheckFailed) ||
                    sims_.writes == 0);
        if (*end == BoardingEnd::Boarded) {
            for (std::size_t i = 0; i < TankCount; ++i) {
                EXPECT_NEAR(result.heldPounds.value()[i], Order.pounds[i], 0.01);
                EXPECT_NEAR(sims_.Held(c.sim)[i], Order.pounds[i], 0.01);
            }
            EXPECT_NE(steps.at(steps.size() - 4).what.find("left main"), std::string::npos);
            EXPECT_NE(steps.at(steps.size() - 3).what.find("right main"), std::string::npos);
            EXPECT_NE(steps.at(steps.size() - 2).what.find("centre"), std::string::npos);
        }
    } else {
        ASSERT_EQ(opened.end, OpenEnd::Open) << detail;
        const PayloadResult result = opened.link->ReadPayload(Order.aircraft, cancel, report);
        detail = result.end == PayloadEnd::WrongAircraft ? result.loadedAircraft : result.detail;
        EXPECT_EQ(result.end, std::get<PayloadEnd>(c.expected)) << detail;
        EXPECT_EQ(result.totalPounds, c.figure);
    }
    EXPECT_NE(detail.find(c.detail), std::string::npos) << detail;
    ASSERT_FALSE(steps.empty());
    for (const WaitStep& step : steps) {
        EXPECT_NE(step.what.find(c.sim == X ? "X-Plane" : "FlightGear"), std::string::npos);
        EXPECT_GT(step.limit, 0ms);
    }
}

// Answers of the right shape that hold the wrong thing.
const std::string C172 = R"({"data":"QzE3MgAAAAA="})";  // "C172", NULs
const std::string ReadOnly =
    json{{"data", {{{"id", 102}, {"name", XPlaneFuelDataref}, {"is_writable", false}}}}}.dump();
const std::string LevelAsText =
    FgNode("fuel", 0, "", {FgNode("tank", 0, "", {FgNode("level-lbs", 0, "4000")})}).dump();
const std::string NegativeStation =
    FgNode("payload", 0, "", {FgNode("weight", 0, "", {FgNode("weight-lb", 0, -9)})}).dump();
// Tanks as FlightGear lists them: capacity in US gallons at 6.7 lb each.
std::string FgTanks(std::vector<double> capacities) {
    json tanks = json::array();
    for (std::size_t n = 0; n < capacities.size(); ++n) {
        tanks.push_back(FgNode(
            "tank", static_cast<int>(n), "",
            {FgNode("capacity-gal_us", 0, capacities[n] / 6.7), FgNode("density-ppg", 0, 6.7)}));
    }
    return FgNode("fuel", 0, "", tanks).dump();
}
// Stations numbered with a gap, as a tree may list them.
std::string FgWeights(const char* parent, const char* name, const char* leaf) {
    json children = json::array();
    for (int n : {0, 2, 3}) {
        children.push_back(*leaf == '\0' ? FgNode(name, n, 5000.4)
                                         : FgNode(name, n, "", {FgNode(leaf, 0, 5000.4)}));
    }
    return FgNode(parent, 0, "", children).dump();
}
const std::string PointMasses = FgWeights("inertia", "pointmass-weight-lbs", "");
const std::string GappedStations = FgWeights("payload", "weight", "weight-lb");
const std::string FgAircraft738 = FgNode("aircraft", 0, "738").dump();
const std::string FgAircraft737 = FgNode("aircraft", 0, "737-700").dump();
const char* const RefusedWrite =
    "X-Plane refused the write of sim/flightmodel/weight/m_fuel (403 Forbidden: read-only).";
const char* const NoTank =
    "FlightGear refused the write of /consumables/fuel/tank[2]/level-lbs (404 Not Found).";

using B = BoardingEnd;
using P = PayloadEnd;
using O = OpenEnd;
// clang-format off
const Case Cases[] = {
    // Good paths.
    {"opens", X, O::Open},
    {"boards", X, B::Boarded, {}, 3},
    {"boards_before_capabilities", X, B::Boarded, {"", "capabilities", Act::NotFound}, 3},
    {"another_aircraft", X, B::WrongAircraft, {"GET", "101/", Act::Body, C172}, 0, "C172"},
    {"reads_payload", X, P::Read, {}, 22046},
    {"opens", F, O::Open},
    {"boards", F, B::Boarded, {}, 3},
    {"another_aircraft", F, B::WrongAircraft,
     {"GET", "aircraft", Act::Body, FgNode("aircraft", 0, "c172p").dump(), 2}, 0, "c172p"},
    {"adds_stations_rounded_each", F, P::Read, {}, 350},
    // Something else answers, or nothing does.
    {"html_page", X, O::NotThisSimulator, {"", "", Act::Html}, 0, "not JSON"},
    {"404_everywhere", X, O::NotThisSimulator, {"", "", Act::NotFound}},
    {"redirect", X, O::NotThisSimulator, {"", "", Act::Redirect}, 0, "to http://192.0.2.1/login"},
    {"other_json", X, O::NotThisSimulator, {"", "", Act::Body, R"({"api":"v1"})"}},
    {"traffic_refused", X, O::NotThisSimulator, {"", "", Act::Forbidden}, 0, "incoming traffic"},
    {"answer_over_1_mib", X, O::NotThisSimulator, {"", "", Act::Huge}, 0, "1048576 bytes"},
    {"never_answers", X, O::NoAnswer, {"", "", Act::Slow}},
    {"html_page", F, O::NotThisSimulator, {"", "", Act::Html}},
    {"404_everywhere", F, O::NotThisSimulator, {"", "", Act::NotFound}},
    {"redirect", F, O::NotThisSimulator, {"", "", Act::Redirect}},
    {"other_json", F, O::NotThisSimulator, {"", "", Act::Body, "[1,2]"}},
    {"quits", F, O::NoAnswer, {"", "", Act::Quit}, 0, "broke off"},
    // X-Plane's faults while boarding and reading.
    {"no_flight_loaded", X, B::WriteFailed, {"GET", "filter", Act::NotFound}, 0, "load a flight"},
    {"cut_json", X, B::WriteFailed, {"GET", "101/", Act::Body, R"({"data":"QjczOA)"}, 0, "JSON"},
    {"read_only_dataref", X, B::WriteFailed, {"PATCH", "", Act::Forbidden}, 0, RefusedWrite},
    {"listed_read_only", X, B::WriteFailed, {"GET", "m_fuel", Act::Body, ReadOnly}, 0, "read-only"},
    {"keeps_another_value", X, B::Differs, {"PATCH", "", Act::Body, "null"}, 3},
    {"quits_between_writes", X, B::WriteFailed, {"PATCH", "", Act::Quit, "", 2}, 1, "not answer"},
    {"slow_write", X, B::WriteFailed, {"PATCH", "", Act::Slow, "", 3}, 2, "did not answer"},
    {"cancelled_between_writes", X, B::Cancelled, {"", "right main", Act::Cancel}, 1},
    {"reset_mid_body", X, B::Differs, {"GET", "102/", Act::Reset}, 3, "broke off"},
    {"read_back_nan", X, B::Differs, {"GET", "102/", Act::Body, R"({"data":[NaN]})"}, 3, "JSON"},
    {"read_back_negative", X, B::Differs,
     {"GET", "102/", Act::Body, R"({"data":[-5,0,0]})"}, 3, "no left main tank level: [-5,0,0]"},
    {"read_back_wrong_type", X, B::Differs, {"GET", "102/", Act::Body, R"({"data":"1814"})"}, 3},
    {"payload_nan", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":NaN})"}, 0, "not JSON"},
    {"payload_negative", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":-5})"}, 0, ": -5."},
    {"payload_huge", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":1e30})"}, 0, ": 1e+30."},
    {"payload_text", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":"12"})"}, 0, "\"12\""},
    {"payload_missing", X, P::Failed, {"GET", "m_fixed", Act::NotFound}, 0, "has no sim/flight"},
    {"payload_over_1_mib_chunked", X, P::Failed, {"GET", "103/", Act::Chunked}, 0, "longer than"},
    {"payload_cancelled", X, P::Cancelled, {"", "payload", Act::Cancel}},
    // FlightGear's faults while boarding and reading.
    {"ignores_the_write", F, B::Differs, {"POST", "", Act::Body, "{}"}, 3},
    {"tank_missing", F, B::WriteFailed, {"POST", "tank[2]", Act::NotFound}, 2, NoTank},
    {"quits_between_writes", F, B::WriteFailed, {"POST", "", Act::Quit, "", 2}, 1, "not answer"},
    {"cancelled_between_writes", F, B::Cancelled, {"", "centre", Act::Cancel}, 2},
    {"read_back_wrong_type", F, B::Differs, {"GET", "fuel", Act::Body, LevelAsText, 2}, 3,
     "tank[0]"},
    {"payload_negative", F, P::Failed, {"GET", "payload", Act::Body, NegativeStation}, 0, ": -9."},
    {"no_payload_stations", F, P::Failed, {"GET", "payload", Act::NotFound}, 0, "no payload"},
    {"payload_slow", F, P::Failed, {"GET", "payload", Act::Slow}, 0, "did not answer"},
    // FlightGear's own aircraft and tanks.
    {"short_id_738", F, B::Boarded, {"GET", "aircraft", Act::Body, FgAircraft738, 2}, 3},
    {"another_737", F, B::WrongAircraft, {"GET", "aircraft", Act::Body, FgAircraft737, 2}, 0,
     "737-700"},
    {"payload_another_aircraft", F, P::WrongAircraft,
     {"GET", "aircraft", Act::Body, FgAircraft737, 2}, 0, "737-700"},
    {"payload_point_masses", F, P::Read, {"GET", "inertia", Act::Body, PointMasses}, 15000},
    {"payload_stations_gapped", F, P::Read, {"GET", "payload", Act::Body, GappedStations}, 15000},
    {"payload_read_again", F, P::Read, {"GET", "inertia", Act::Slow, "", 1, 1}, 350},
    {"two_tanks", F, B::TanksUnlike, {"GET", "fuel", Act::Body, FgTanks({8630, 8630})}, 0,
     "tank[2]"},
    {"centre_far_smaller", F, B::TanksUnlike,
     {"GET", "fuel", Act::Body, FgTanks({8630, 8630, 5000})}, 0, "centre tank holds 5000"},
    {"capacity_unread", F, B::CheckFailed, {"GET", "fuel", Act::Body, LevelAsText}, 0,
     "capacity-gal_us"},
    {"capacity_read_again", F, B::Boarded, {"GET", "fuel", Act::Slow, "", 1, 1}, 3},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Faults, WebLinks, testing::ValuesIn(Cases), [](const auto& info) {
    return std::string(info.param.sim == X ? "XPlane_" : "FlightGear_") + info.param.name;
});

}  // namespace
}  // namespace tarnwell::sim
