// The X-Plane and FlightGear links against a web server in this process: a
// small stand-in of each simulator, with one fault laid over it per case.
#include <gtest/gtest.h>
#include <httplib.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "plan/units.h"
#include "sim/web/flightgear_link.h"
#include "sim/web/web_client.h"
#include "sim/web/xplane_link.h"
#include "support/test_timing.h"
#include "support/trickling_server.h"

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
    std::string body = "";  // Body: the JSON answered; Forbidden: the body, if not X-Plane's
    int from = 1;           // the first matching request it answers
    int until = 1 << 30;    // the last
};

const FuelOrder Order{
    {4000.5, 4000.5, 12000}, {8630, 8630, 28803}, {"Boeing 737-800 NG", "B738", "737-800"}};

struct Case {
    const char* name;
    Sim sim;
    std::variant<OpenEnd, BoardingEnd, PayloadEnd> expected;  // which command, and its end
    Fault fault = {};
    std::int32_t figure = 0;  // BoardFuel: tanks written; ReadPayload: the pounds
    // A part of the detail (WrongAircraft: the aircraft quoted, then the detail).
    const char* detail = "";
    Trouble trouble = Trouble::None;
    std::array<double, TankCount> pounds = Order.pounds;  // what Board Fuel orders
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const WebTiming Timing = test::AnsweredInTime();

// A node as FlightGear's property server describes it.
json FgNode(const char* name, int index, json value, json children = nullptr) {
    json node = {{"path", "/"}, {"name", name}, {"index", index}, {"value", value}};
    if (!children.is_null()) {
        node["children"] = children;
    }
    return node;
}

// The datarefs the X-Plane link asks for, as the stand-in lists them: Laminar's
// 737-800, 46,063 lb of fuel, 0.187 of it in each wing and 0.626 in the centre.
struct Listed {
    const char* name;
    int id;
    const char* type;
    json value;
};
const std::array<Listed, 6> XPlaneDatarefs{{
    {XPlaneAircraftDataref, 101, "data", "IGI3MzggAGp1bms="},  // " b738 \0junk"
    {XPlaneFuelDataref, 102, "float_array", nullptr},
    {XPlanePayloadDataref, 103, "float", 10000.0},
    {XPlaneTankCountDataref, 104, "int", 3},
    {XPlaneFuelCapacityDataref, 105, "float", 20893.826171875},
    {XPlaneTankRatioDataref, 106, "float_array", {0.187f, 0.626f, 0.187f, 0, 0, 0, 0, 0, 0}},
}};
const std::array<double, TankCount> LaminarPounds{8613.78, 8613.78, 28835.4};

json ListEntry(const Listed& dataref) {
    return {{"id", dataref.id},
            {"name", dataref.name},
            {"value_type", dataref.type},
            {"is_writable", true}};
}

// The lookup answer listing every dataref, a field of m_fuel's entry
// changed, and `extra` added.
std::string ListWithFuel(const char* field, json value, json extra = nullptr) {
    json list = json::array();
    for (const Listed& dataref : XPlaneDatarefs) {
        list.push_back(ListEntry(dataref));
        if (dataref.id == 102) {
            list.back()[field] = value;
        }
    }
    if (!extra.is_null()) {
        list.push_back(extra);
    }
    return json{{"data", list}}.dump();
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
        std::smatch value;
        json answer;
        if (req.path == "/api/capabilities") {
            answer = {{"api", {{"versions", {"v1", "v2"}}}}, {"x-plane", {{"version", "12.1.4"}}}};
        } else if (req.path == "/api/v1/datarefs/count") {
            answer = {{"data", 3000}};
        } else if (std::regex_match(req.path, std::regex("/api/v[12]/datarefs"))) {
            answer["data"] = json::array();
            for (std::size_t i = 0; i < req.get_param_value_count("filter[name]"); ++i) {
                const std::string name = req.get_param_value("filter[name]", i);
                const auto* found =
                    std::find_if(XPlaneDatarefs.begin(), XPlaneDatarefs.end(),
                                 [&](const Listed& dataref) { return name == dataref.name; });
                if (found == XPlaneDatarefs.end()) {
                    res.status = 404;
                    return res.set_content(R"({"error_code":"invalid_dataref_name"})",
                                           "application/json");
                }
                answer["data"].push_back(ListEntry(*found));
            }
        } else if (std::regex_match(req.path, value,
                                    std::regex("/api/v[12]/datarefs/(\\d+)/value"))) {
            if (req.method == "PATCH") {
                ++writes;
                xplaneFuel.at(std::stoul(req.get_param_value("index"))) =
                    json::parse(req.body)["data"].get<float>();
            } else {
                const std::size_t slot = std::stoul(value[1]) - 101;
                answer["data"] = slot == 1 ? json(xplaneFuel) : XPlaneDatarefs.at(slot).value;
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
        {
            const std::lock_guard lock(slowMutex_);
            released_ = true;
        }
        slowEnd_.notify_all();
        if (!quit_) {  // a second stop trips the library's own check
            server_.stop();
        }
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
                if (!fault.body.empty()) {
                    return res.set_content(fault.body, "text/plain");
                }
                return res.set_content(
                    R"({"error_code":"dataref_is_readonly","error_message":"read-only"})",
                    "application/json");
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
            case Act::Slow: {  // answers only once the case is over
                std::unique_lock lock(slowMutex_);
                slowEnd_.wait(lock, [this] { return released_; });
                return res.set_content("{}", "application/json");
            }
            case Act::Quit:
                quit_ = true;
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
    std::mutex slowMutex_;
    std::condition_variable slowEnd_;
    bool released_ = false;
    std::atomic<bool> quit_{false};
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
    OpenResult opened =
        (c.sim == X ? OpenXPlane : OpenFlightGear)(endpoint, cancel, report, Timing);
    std::string detail = opened.detail;

    if (const auto* end = std::get_if<OpenEnd>(&c.expected)) {
        EXPECT_EQ(opened.end, *end);
        EXPECT_EQ(opened.link == nullptr, *end != OpenEnd::Open);
        EXPECT_EQ(opened.trouble, c.trouble);
    } else if (const auto* end = std::get_if<BoardingEnd>(&c.expected)) {
        ASSERT_EQ(opened.end, OpenEnd::Open) << detail;
        FuelOrder order = Order;
        order.pounds = c.pounds;
        const BoardingResult result = opened.link->BoardFuel(order, cancel, report);
        detail = *end == BoardingEnd::WrongAircraft
                     ? "\"" + result.loadedAircraft + "\" " + result.detail
                     : result.detail;
        EXPECT_EQ(result.end, *end) << detail;
        EXPECT_EQ(result.trouble, c.trouble);
        EXPECT_EQ(result.tanksWritten, static_cast<std::size_t>(c.figure));
        EXPECT_TRUE(c.figure > 0 || sims_.writes == 0);
        EXPECT_TRUE((*end != BoardingEnd::WrongAircraft && *end != BoardingEnd::TanksUnlike &&
                     *end != BoardingEnd::CheckFailed) ||
                    sims_.writes == 0);
        if (*end == BoardingEnd::Boarded) {
            // Each tank takes the order, cut to what the simulator's tank holds.
            for (std::size_t i = 0; i < TankCount; ++i) {
                const double capacity = c.sim == X ? result.capacityPounds.value()[i] : c.pounds[i];
                EXPECT_NEAR(result.boardedPounds[i], std::min(c.pounds[i], capacity), 1e-6);
                EXPECT_NEAR(result.heldPounds.value()[i], result.boardedPounds[i], 0.01);
                EXPECT_NEAR(sims_.Held(c.sim)[i], result.boardedPounds[i], 0.01);
                EXPECT_TRUE(c.sim != X || std::abs(capacity - LaminarPounds[i]) < 0.05);
            }
            EXPECT_NE(steps.at(steps.size() - 4).what.find("left main"), std::string::npos);
            EXPECT_NE(steps.at(steps.size() - 3).what.find("right main"), std::string::npos);
            EXPECT_NE(steps.at(steps.size() - 2).what.find("centre"), std::string::npos);
        }
    } else {
        ASSERT_EQ(opened.end, OpenEnd::Open) << detail;
        const PayloadResult result = opened.link->ReadPayload(Order.aircraft, cancel, report);
        detail = result.end == PayloadEnd::WrongAircraft
                     ? "\"" + result.loadedAircraft + "\" " + result.detail
                     : result.detail;
        EXPECT_EQ(result.end, std::get<PayloadEnd>(c.expected)) << detail;
        EXPECT_EQ(result.trouble, c.trouble);
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
const std::string C172 = R"({"data":"QzE3MgAAAAA="})";           // "C172", NULs
const std::string StartsWithNul = R"({"data":"AEI3MzgAAAA="})";  // "\0B738", NULs
// m_fuel as lists show it: read-only two ways, listed again with another id,
// given another's id.
const std::string ReadOnly = ListWithFuel("is_writable", false);
const std::string WritableAsZero = ListWithFuel("is_writable", 0);
const std::string FuelTwice =
    ListWithFuel("id", 102, {{"id", 107}, {"name", XPlaneFuelDataref}, {"is_writable", true}});
const std::string FuelWithAnothersId = ListWithFuel("id", 101);
// The tanks: two, and a centre far smaller than the 737's.
const std::string TwoTanks = R"({"data":2})";
const std::string SmallCentre = R"({"data":[0.187,0.3,0.187,0,0,0,0,0,0]})";
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

// `levels` arrays, one inside the other, as `{"<key>":[[[...]]]}`.
std::string Nested(const char* key, int levels) {
    return std::string("{\"") + key + "\":" + std::string(levels, '[') + std::string(levels, ']') +
           "}";
}
const std::string DeepVersions = R"({"api":)" + Nested("versions", 200000) + "}";
const std::string DeepData = Nested("data", 200000);
// A FlightGear station whose weight is 200,000 arrays deep.
const std::string DeepStation =
    R"({"name":"payload","children":[{"name":"weight","index":0,"children":)"
    R"([{"name":"weight-lb","index":0,)" +
    Nested("value", 200000).substr(1) + "]}]}";

using B = BoardingEnd;
using P = PayloadEnd;
using O = OpenEnd;
using T = Trouble;
constexpr std::array<double, TankCount> FullTanks{8630, 8630, 28803};
// clang-format off
const Case Cases[] = {
    // Good paths.
    {"opens", X, O::Open},
    {"boards", X, B::Boarded, {}, 3},
    {"boards_before_capabilities", X, B::Boarded, {"", "capabilities", Act::NotFound}, 3},
    {"another_aircraft", X, B::WrongAircraft, {"GET", "101/", Act::Body, C172}, 0, "C172"},
    {"reads_payload", X, P::Read, {}, 22046},
    {"full_wings_cut_to_the_tanks", X, B::Boarded, {}, 3, "", T::None, FullTanks},
    {"opens", F, O::Open},
    {"boards", F, B::Boarded, {}, 3},
    {"another_aircraft", F, B::WrongAircraft,
     {"GET", "aircraft", Act::Body, FgNode("aircraft", 0, "c172p").dump(), 2}, 0, "c172p"},
    {"adds_stations_rounded_each", F, P::Read, {}, 350},
    // Something else answers, or nothing does.
    {"html_page", X, O::NotThisSimulator, {"", "", Act::Html}, 0, "not JSON", T::BadAnswer},
    {"404_everywhere", X, O::NotThisSimulator, {"", "", Act::NotFound}, 0, "", T::BadAnswer},
    {"redirect", X, O::NotThisSimulator, {"", "", Act::Redirect}, 0, "to http://192.0.2.1/login",
     T::BadAnswer},
    {"other_json", X, O::NotThisSimulator, {"", "", Act::Body, R"({"api":"v1"})"}, 0, "",
     T::BadAnswer},
    {"traffic_refused", X, O::NotThisSimulator, {"", "", Act::Forbidden}, 0,
     "GET /api/capabilities at 127.0.0.1:", T::IncomingTrafficDisabled},
    {"traffic_refused_in_text", X, O::NotThisSimulator, {"", "", Act::Forbidden, "Forbidden"}, 0,
     "answered 403 Forbidden.", T::IncomingTrafficDisabled},
    {"answer_over_1_mib", X, O::NotThisSimulator, {"", "", Act::Huge}, 0, "1048576 bytes",
     T::BadAnswer},
    {"never_answers", X, O::NoAnswer, {"", "", Act::Slow}, 0, "", T::NoAnswer},
    {"html_page", F, O::NotThisSimulator, {"", "", Act::Html}},
    {"404_everywhere", F, O::NotThisSimulator, {"", "", Act::NotFound}},
    {"redirect", F, O::NotThisSimulator, {"", "", Act::Redirect}},
    {"other_json", F, O::NotThisSimulator, {"", "", Act::Body, "[1,2]"}},
    {"quits", F, O::NoAnswer, {"", "", Act::Quit}, 0, "broke off"},
    // Answers nested 200,000 levels deep are refused as they are parsed (the
    // capabilities then as any that are not JSON).
    {"capabilities_nested_deep", X, O::Open, {"", "capabilities", Act::Body, DeepVersions}},
    {"aircraft_nested_deep", X, B::CheckFailed, {"GET", "101/", Act::Body, DeepData}, 0, "deeper",
     T::BadAnswer},
    {"read_back_nested_deep", X, B::Differs, {"GET", "102/", Act::Body, DeepData}, 3, "deeper",
     T::BadAnswer},
    {"payload_nested_deep", X, P::Failed, {"GET", "103/", Act::Body, DeepData}, 0, "deeper",
     T::BadAnswer},
    {"aircraft_nested_deep", F, O::NotThisSimulator, {"GET", "aircraft", Act::Body, DeepData}},
    {"station_nested_deep", F, P::Failed, {"GET", "payload", Act::Body, DeepStation}, 0, "deeper",
     T::BadAnswer},
    // X-Plane's faults while boarding and reading.
    // ... before any write: the aircraft, the lookup, the tanks.
    {"type_code_starts_with_nul", X, B::WrongAircraft, {"GET", "101/", Act::Body, StartsWithNul},
     0, "\"\" X-Plane's sim/aircraft/view/acf_ICAO names no type code"},
    {"no_flight_loaded", X, B::CheckFailed, {"GET", "filter", Act::NotFound}, 0,
     "does not know sim/aircraft/view/acf_ICAO, sim/flightmodel/weight/m_fuel, ", T::NoFlight},
    {"traffic_refused_after_open", X, B::CheckFailed, {"GET", "filter", Act::Forbidden, "No"}, 0,
     "(403 Forbidden)", T::IncomingTrafficDisabled},
    {"cut_json", X, B::CheckFailed, {"GET", "101/", Act::Body, R"({"data":"QjczOA)"}, 0, "JSON",
     T::BadAnswer},
    {"listed_read_only", X, B::CheckFailed, {"GET", "filter", Act::Body, ReadOnly}, 0,
     "read-only", T::ReadOnly},
    {"writable_as_zero", X, B::CheckFailed, {"GET", "filter", Act::Body, WritableAsZero}, 0,
     "read-only", T::ReadOnly},
    {"listed_twice_with_another_id", X, B::CheckFailed, {"GET", "filter", Act::Body, FuelTwice},
     0, "lists sim/flightmodel/weight/m_fuel twice, with the ids 102 and 107", T::BadAnswer},
    {"listed_with_anothers_id", X, B::CheckFailed,
     {"GET", "filter", Act::Body, FuelWithAnothersId}, 0, "the id of another dataref, 101",
     T::BadAnswer},
    {"two_tanks", X, B::TanksUnlike, {"GET", "104/", Act::Body, TwoTanks}, 0,
     "has 2 fuel tanks (sim/aircraft/overflow/acf_num_tanks)"},
    {"a_small_centre_tank", X, B::TanksUnlike, {"GET", "106/", Act::Body, SmallCentre}, 0,
     "centre tank holds 13818.9 lb (sim/aircraft/weight/acf_m_fuel_tot x "
     "sim/aircraft/overflow/acf_tank_rat[1]), the model's 28803 lb."},
    {"no_fuel_capacity", X, B::CheckFailed, {"GET", "105/", Act::NotFound}, 0,
     "acf_m_fuel_tot (404 Not Found)", T::NoFlight},
    {"tank_shares_cut_short", X, B::CheckFailed, {"GET", "106/", Act::Body, R"({"data":[1]})"}, 0,
     "no right main tank share: [1]", T::BadAnswer},
    // ... writing and reading back.
    {"read_only_dataref", X, B::WriteFailed, {"PATCH", "", Act::Forbidden}, 0, RefusedWrite,
     T::ReadOnly},
    {"keeps_another_value", X, B::Differs, {"PATCH", "", Act::Body, "null"}, 3},
    {"quits_between_writes", X, B::WriteFailed, {"PATCH", "", Act::Quit, "", 2}, 1, "not answer",
     T::NoAnswer},
    {"slow_write", X, B::WriteFailed, {"PATCH", "", Act::Slow, "", 3}, 2, "did not answer",
     T::NoAnswer},
    {"cancelled_between_writes", X, B::Cancelled, {"", "right main", Act::Cancel}, 1},
    {"reset_mid_body", X, B::Differs, {"GET", "102/", Act::Reset}, 3, "broke off", T::NoAnswer},
    {"read_back_nan", X, B::Differs, {"GET", "102/", Act::Body, R"({"data":[NaN]})"}, 3, "JSON",
     T::BadAnswer},
    {"read_back_negative", X, B::Differs, {"GET", "102/", Act::Body, R"({"data":[-5,0,0]})"}, 3,
     "no left main tank level: [-5,0,0]", T::BadAnswer},
    {"read_back_wrong_type", X, B::Differs, {"GET", "102/", Act::Body, R"({"data":"1814"})"}, 3,
     "", T::BadAnswer},
    // ... reading the payload.
    {"payload_of_another_aircraft", X, P::WrongAircraft, {"GET", "101/", Act::Body, C172}, 0,
     "\"C172\""},
    {"payload_aircraft_unread", X, P::Failed, {"GET", "101/", Act::Slow}, 0, "did not answer",
     T::NoAnswer},
    {"payload_nan", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":NaN})"}, 0, "not JSON",
     T::BadAnswer},
    {"payload_negative", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":-5})"}, 0, ": -5.",
     T::BadAnswer},
    {"payload_huge", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":1e30})"}, 0, ": 1e+30.",
     T::BadAnswer},
    {"payload_text", X, P::Failed, {"GET", "103/", Act::Body, R"({"data":"12"})"}, 0, "\"12\"",
     T::BadAnswer},
    {"payload_missing", X, P::Failed, {"GET", "m_fixed", Act::NotFound}, 0,
     "does not know sim/aircraft/view/acf_ICAO, sim/flightmodel/weight/m_fixed", T::NoFlight},
    {"payload_over_1_mib_chunked", X, P::Failed, {"GET", "103/", Act::Chunked}, 0, "longer than",
     T::BadAnswer},
    {"payload_cancelled", X, P::Cancelled, {"", "payload", Act::Cancel}},
    // FlightGear's faults while boarding and reading.
    {"ignores_the_write", F, B::Differs, {"POST", "", Act::Body, "{}"}, 3},
    {"tank_missing", F, B::WriteFailed, {"POST", "tank[2]", Act::NotFound}, 2, NoTank,
     T::BadAnswer},
    {"quits_between_writes", F, B::WriteFailed, {"POST", "", Act::Quit, "", 2}, 1, "not answer",
     T::NoAnswer},
    {"cancelled_between_writes", F, B::Cancelled, {"", "centre", Act::Cancel}, 2},
    {"read_back_wrong_type", F, B::Differs, {"GET", "fuel", Act::Body, LevelAsText, 2}, 3,
     "tank[0]", T::BadAnswer},
    {"payload_negative", F, P::Failed, {"GET", "payload", Act::Body, NegativeStation}, 0, ": -9.",
     T::BadAnswer},
    {"no_payload_stations", F, P::Failed, {"GET", "payload", Act::NotFound}, 0, "no payload",
     T::BadAnswer},
    {"payload_slow", F, P::Failed, {"GET", "payload", Act::Slow}, 0, "did not answer",
     T::NoAnswer},
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
     "capacity-gal_us", T::BadAnswer},
    {"capacity_read_again", F, B::Boarded, {"GET", "fuel", Act::Slow, "", 1, 1}, 3},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Faults, WebLinks, testing::ValuesIn(Cases), [](const auto& info) {
    return std::string(info.param.sim == X ? "XPlane_" : "FlightGear_") + info.param.name;
});

// The client itself, against servers that never finish an answer: every
// request ends within its whole limit, headers included, and at once when
// cancelled, whatever the server sends.
struct Trickle {
    const char* name;
    test::TricklingServer::Sends sends;
    bool cancel;  // raised once the server has the request
    WebEnd expected;
};

void PrintTo(const Trickle& c, std::ostream* os) {
    *os << c.name;
}

using Sends = test::TricklingServer::Sends;
const Trickle Trickles[] = {
    {"headers_past_the_limit", Sends::SlowHeaders, false, WebEnd::NoAnswer},
    {"endless_header_line", Sends::EndlessHeader, false, WebEnd::NoAnswer},
    {"endless_chunk_size_line", Sends::EndlessChunkSize, false, WebEnd::NoAnswer},
    {"cancelled_while_headers_trickle", Sends::SlowHeaders, true, WebEnd::Cancelled},
    {"cancelled_in_an_endless_header", Sends::EndlessHeader, true, WebEnd::Cancelled},
    {"cancelled_in_a_chunk_size_line", Sends::EndlessChunkSize, true, WebEnd::Cancelled},
};

class Trickling : public testing::TestWithParam<Trickle> {};

TEST_P(Trickling, EndsWithinTheLimit) {
    const Trickle& c = GetParam();
    test::TricklingServer server(c.sends);
    ASSERT_NE(server.port(), 0);
    // Ending a cancelled request is left to the cancel alone: its own limit
    // is minutes away. The server sends a byte every 50 ms, so a read
    // time-out of a second never runs out.
    const WebTiming timing = c.cancel ? WebTiming{60s, 60s, 1 << 20} : WebTiming{1s, 1s, 1 << 20};
    WebClient client({"127.0.0.1", server.port()}, timing);
    CancelFlag cancel;
    std::thread canceller([&] {
        if (c.cancel && server.WaitForRequest()) {
            cancel.Raise();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    const WebReply reply = client.Get("/api/capabilities", cancel);
    const auto took = std::chrono::steady_clock::now() - start;
    canceller.join();

    EXPECT_EQ(reply.end, c.expected) << reply.error;
    // Bounds for a loaded machine, well short of what the server would take
    // (SlowHeaders: 100 s) and of the cancelled request's own limit.
    EXPECT_LT(took, c.cancel ? 30s : client.RequestLimit() + 30s);
}

INSTANTIATE_TEST_SUITE_P(Servers, Trickling, testing::ValuesIn(Trickles),
                         [](const auto& info) { return std::string(info.param.name); });

// What a box quotes is cut before the value is printed, and reads as the
// value's JSON up to the cut.
TEST(Quote, CutsWithoutPrintingTheWhole) {
    const json array = json(std::vector<int>(1000000, 7));
    EXPECT_EQ(Quote(array), array.dump().substr(0, QuoteLength - 3) + "...");
    const json text = std::string(1 << 20, 'a') + "\n";
    EXPECT_EQ(Quote(text), "\"" + std::string(QuoteLength - 4, 'a') + "...");
    const json small = {{"b", {1.5, "x\n"}}, {"a", nullptr}};
    EXPECT_EQ(Quote(small), small.dump());
    EXPECT_EQ(
        Quote(json::parse(R"({"k":"\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9)"
                          R"(\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"})"))
            .size(),
        QuoteLength);
}

// The depth an answer may nest, at its edge.
TEST(ParseAnswer, RefusesDeeperThanAnySimulator) {
    const auto nested = [](int levels) {
        return std::string(levels, '[') + std::string(levels, ']');
    };
    EXPECT_EQ(ParseAnswer(nested(MaxJsonDepth)).end, JsonEnd::Parsed);
    EXPECT_EQ(ParseAnswer(nested(MaxJsonDepth + 1)).end, JsonEnd::TooDeep);
    EXPECT_EQ(ParseAnswer(nested(MaxJsonDepth + 1) + "x").end, JsonEnd::TooDeep);
    EXPECT_EQ(ParseAnswer("").end, JsonEnd::Parsed);
    EXPECT_EQ(ParseAnswer("[1,").end, JsonEnd::NotJson);
}

// The link's own base64, held to RFC 4648's examples through the type code
// it decodes, and refusing a text not in groups of four, a digit outside
// the alphabet, padding inside.
TEST(XPlaneTypeCode, DecodesTheStandardsBase64Examples) {
    const char* const examples[][2] = {{"", ""},
                                       {"Zg==", "f"},
                                       {"Zm8=", "fo"},
                                       {"Zm9v", "foo"},
                                       {"Zm9vYg==", "foob"},
                                       {"Zm9vYmE=", "fooba"},
                                       {"Zm9vYmFy", "foobar"}};
    for (const auto& [text, code] : examples) {
        EXPECT_EQ(XPlaneTypeCode(text), std::optional<std::string>(code)) << text;
    }
    for (const char* bad : {"Zg=", "Zm9v!A==", "Zg=A", "Zg==Zm8=", "Z==="}) {
        EXPECT_EQ(XPlaneTypeCode(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace tarnwell::sim
