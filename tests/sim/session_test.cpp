// Which simulator a session reaches: the interface module first, then, only
// when the module finds no simulator at all, X-Plane's web API and then
// FlightGear's HTTP server, each a small server in this process.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "sim/fake_platform.h"
#include "sim/simulator_session.h"
#include "support/test_timing.h"

namespace tarnwell::sim {
namespace {

using namespace std::chrono_literals;
using testing::FakePlatform;

// What a web port holds.
enum class Web { Nothing, Simulator, WebPage };

// A server on a free port of 127.0.0.1 answering as the simulator does, or
// as some other web server; Nothing leaves the port closed.
class WebServer {
public:
    WebServer(Web kind, const char* simulatorAnswer) {
        port_ = static_cast<std::uint16_t>(server_.bind_to_any_port("127.0.0.1"));
        server_.Get(".*",
                    [this, kind, simulatorAnswer](const httplib::Request&, httplib::Response& res) {
                        ++requests_;
                        if (kind == Web::WebPage) {
                            return res.set_content("<html>router</html>", "text/html");
                        }
                        res.set_content(simulatorAnswer, "application/json");
                    });
        if (kind == Web::Nothing) {
            server_.stop();
            return;
        }
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(1ms);
        }
    }
    ~WebServer() {
        server_.stop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::uint16_t port() const { return port_; }
    int requests() const { return requests_; }

private:
    httplib::Server server_;
    std::thread thread_;
    std::uint16_t port_ = 0;
    std::atomic<int> requests_{0};
};

struct Case {
    const char* name;
    SimulatorChoice choice;
    bool moduleThere;
    bool moduleAnswersWrongly;  // an old module version: the pilot's simulator all the same
    Web xplane;
    Web flightgear;
    // What the session ends up with: a link to this simulator, or, when
    // empty, the failure told for `failedFor` with the module's code.
    std::optional<SimulatorKind> connected;
    SimulatorKind failedFor = SimulatorKind::Module;
    std::int32_t moduleCode = 0;
    bool webAsked = true;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

using C = SimulatorChoice;
using K = SimulatorKind;
const Case Cases[] = {
    {"module_first", C::Auto, true, false, Web::Simulator, Web::Simulator, K::Module, {}, 0, false},
    {"xplane_when_no_module", C::Auto, false, false, Web::Simulator, Web::Simulator, K::XPlane},
    {"flightgear_after_a_web_page", C::Auto, false, false, Web::WebPage, Web::Simulator,
     K::FlightGear},
    {"none_is_the_module_box", C::Auto, false, false, Web::Nothing, Web::WebPage, std::nullopt,
     K::Module, IpcErrNoFs},
    {"a_wrong_module_is_told", C::Auto, true, true, Web::Simulator, Web::Simulator, std::nullopt,
     K::Module, IpcErrVersion, false},
    {"module_only", C::Module, false, false, Web::Simulator, Web::Simulator, std::nullopt,
     K::Module, IpcErrNoFs, false},
    {"xplane_only", C::XPlane, true, false, Web::Nothing, Web::Simulator, std::nullopt, K::XPlane,
     0, false},
    {"flightgear_only", C::FlightGear, true, false, Web::Simulator, Web::Simulator, K::FlightGear},
};

class Session : public ::testing::TestWithParam<Case> {};

TEST_P(Session, ReachesTheSimulatorTheChoiceAllows) {
    const Case& c = GetParam();
    WebServer xplane(c.xplane,
                     R"({"api":{"versions":["v1","v2"]},"x-plane":{"version":"12.1.4"}})");
    WebServer flightgear(c.flightgear, R"({"path":"/sim/aircraft","name":"aircraft",)"
                                       R"("value":"737-800YV","type":"string","index":0})");
    auto platform = std::make_unique<FakePlatform>();
    platform->uipcWindow = c.moduleThere;
    if (c.moduleAnswersWrongly) {
        platform->SetVersions(0x19980004, 0xFADE0007);
    }
    SimulatorOptions options;
    options.choice = c.choice;
    options.xplane = {"127.0.0.1", xplane.port()};
    options.flightgear = {"127.0.0.1", flightgear.port()};
    options.webTiming = test::AnsweredInTime();
    SimulatorSession session(options, std::move(platform));

    const CancelFlag cancel;
    // The payload read connects first; what it then reads is not this test's.
    const PayloadOutcome outcome = session.ReadPayload({}, cancel, {});
    if (c.connected) {
        const char* names[] = {"the simulator", "X-Plane", "FlightGear"};
        EXPECT_FALSE(outcome.notConnected) << outcome.notConnected->detail;
        EXPECT_EQ(outcome.simulator, names[static_cast<int>(*c.connected)]);
    } else {
        ASSERT_TRUE(outcome.notConnected);
        EXPECT_FALSE(session.Connected());
        EXPECT_EQ(outcome.notConnected->simulator, c.failedFor);
        if (c.failedFor == K::Module) {
            EXPECT_EQ(outcome.notConnected->moduleCode, c.moduleCode);
        } else {
            EXPECT_NE(outcome.notConnected->detail.find("127.0.0.1"), std::string::npos);
        }
    }
    EXPECT_EQ(xplane.requests() + flightgear.requests() > 0, c.webAsked);
}

INSTANTIATE_TEST_SUITE_P(Choices, Session, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnwell::sim
