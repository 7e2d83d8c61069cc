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
#include <vector>

#include "sim/fake_platform.h"
#include "sim/module/module_link.h"
#include "sim/simulator_session.h"
#include "sim/web/flightgear_link.h"
#include "sim/web/xplane_link.h"
#include "support/test_timing.h"

namespace tarnwell::sim {
namespace {

using namespace std::chrono_literals;
using testing::FakePlatform;

// What a web port holds.
enum class Web { Nothing, Simulator, WebPage, Forbidden };

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
                        if (kind == Web::Forbidden) {
                            res.status = 403;
                            return res.set_content("Forbidden", "text/plain");
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

using C = SimulatorChoice;
using K = SimulatorKind;
using E = OpenEnd;

// A web simulator looked for, and how that ended.
struct Tried {
    K simulator;
    E end;
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
    // The web simulators the failure says were looked for, in order.
    std::vector<Tried> tried = {};
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

const std::vector<Tried> NothingThenAWebPage{{K::XPlane, E::NoAnswer},
                                             {K::FlightGear, E::NotThisSimulator}};
const std::vector<Tried> RefusedThenNothing{{K::XPlane, E::NotThisSimulator},
                                            {K::FlightGear, E::NoAnswer}};
const std::vector<Tried> XPlaneNotThere{{K::XPlane, E::NoAnswer}};

const Case Cases[] = {
    {"module_first", C::Auto, true, false, Web::Simulator, Web::Simulator, K::Module, {}, 0, false},
    {"xplane_when_no_module", C::Auto, false, false, Web::Simulator, Web::Simulator, K::XPlane},
    {"flightgear_after_a_web_page", C::Auto, false, false, Web::WebPage, Web::Simulator,
     K::FlightGear},
    {"none_is_the_module_box", C::Auto, false, false, Web::Nothing, Web::WebPage, std::nullopt,
     K::Module, IpcErrNoFs, true, NothingThenAWebPage},
    {"a_refusing_xplane_is_kept_for_the_module_box", C::Auto, false, false, Web::Forbidden,
     Web::Nothing, std::nullopt, K::Module, IpcErrNoFs, true, RefusedThenNothing},
    {"a_wrong_module_is_told", C::Auto, true, true, Web::Simulator, Web::Simulator, std::nullopt,
     K::Module, IpcErrVersion, false},
    {"module_only", C::Module, false, false, Web::Simulator, Web::Simulator, std::nullopt,
     K::Module, IpcErrNoFs, false},
    {"xplane_only", C::XPlane, true, false, Web::Nothing, Web::Simulator, std::nullopt, K::XPlane,
     0, false, XPlaneNotThere},
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
    SimulatorOpeners openers;
    openers.module = tarnwell::sim::ModuleOpener(std::move(platform));
    openers.xplane =
        tarnwell::sim::WebOpener(tarnwell::sim::OpenXPlane, options.xplane, options.webTiming);
    openers.flightgear = tarnwell::sim::WebOpener(tarnwell::sim::OpenFlightGear, options.flightgear,
                                                  options.webTiming);
    SimulatorSession session(options.choice, std::move(openers));

    const CancelFlag cancel;
    // The payload read connects first; what it then reads is not this test's.
    const PayloadOutcome outcome = session.ReadPayload({}, cancel, {});
    if (c.connected) {
        EXPECT_FALSE(outcome.notConnected);
        EXPECT_EQ(outcome.kind, *c.connected);
    } else {
        ASSERT_TRUE(outcome.notConnected);
        EXPECT_FALSE(session.Connected());
        const ConnectFailure& failure = *outcome.notConnected;
        EXPECT_EQ(failure.simulator, c.failedFor);
        if (c.failedFor == K::Module) {
            EXPECT_EQ(failure.moduleCode, c.moduleCode);
        }
        ASSERT_EQ(failure.webTried.size(), c.tried.size());
        for (std::size_t i = 0; i < c.tried.size(); ++i) {
            const WebAttempt& attempt = failure.webTried[i];
            EXPECT_EQ(attempt.simulator, c.tried[i].simulator);
            EXPECT_EQ(attempt.end, c.tried[i].end);
            EXPECT_EQ(attempt.where,
                      attempt.simulator == K::XPlane ? options.xplane : options.flightgear);
            if (c.xplane == Web::Forbidden && attempt.simulator == K::XPlane) {
                EXPECT_NE(attempt.detail.find("403"), std::string::npos) << attempt.detail;
            }
        }
    }
    EXPECT_EQ(xplane.requests() + flightgear.requests() > 0, c.webAsked);
}

INSTANTIATE_TEST_SUITE_P(Choices, Session, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnwell::sim
