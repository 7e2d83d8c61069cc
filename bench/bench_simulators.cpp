// The simulator commands through the real window, from the click to the
// box, against floors measured in the same run:
//
//   - Board Fuel into the X-Plane stand-in (tools/tarnwell-xplane), the link
//     opened afresh as on the first click (capabilities, dataref lookups,
//     the aircraft check, three writes, the read-back), and on a link that
//     is open already, against one bare HTTP request to the same stand-in;
//   - Board Fuel when no simulator runs at all: trying X-Plane's and
//     FlightGear's ports after the interface module found nothing, against
//     the same click that asks the module alone.
//
// The settings store and the runtime folder are temporary, never the user's.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

#include "ratio_reporter.h"
#include "sim/module/platform/system_platform.h"
#include "support/dead_port.h"
#include "window/frmmain.h"
#include "window/simulatorlinks.h"

namespace {

using tarnwell::sim::SimulatorChoice;
using tarnwell::sim::SimulatorOptions;
using tarnwell::sim::SimulatorSession;
using tarnwell::window::FrmMain;

// The X-Plane stand-in on a free port, for the whole run.
class XPlaneStandIn {
public:
    XPlaneStandIn() {
        process_.start(QStringLiteral(TARNWELL_XPLANE_EXE),
                       {QStringLiteral("--port"), QStringLiteral("0")});
        QByteArray line;
        while (!line.contains('\n') && process_.waitForReadyRead(5000)) {
            line += process_.readLine();
        }
        port_ = static_cast<std::uint16_t>(line.trimmed().split(':').last().toUInt());
    }
    ~XPlaneStandIn() {
        process_.terminate();
        process_.waitForFinished(3000);
    }
    std::uint16_t port() const { return port_; }

private:
    QProcess process_;
    std::uint16_t port_ = 0;
};

XPlaneStandIn& StandIn() {
    static XPlaneStandIn standIn;
    return standIn;
}

SimulatorOptions Simulators(SimulatorChoice choice, std::uint16_t xplanePort) {
    SimulatorOptions options;
    options.choice = choice;
    options.xplane = {"127.0.0.1", xplanePort};
    options.flightgear = {"127.0.0.1", tarnwell::test::DeadPort()};
    return options;
}

// A loaded 737-800 planner whose boxes only count.
struct Planner {
    explicit Planner(const SimulatorOptions& options) : window(options) {
        window.SetMessagePresenter([this](const tarnwell::window::Message&) { ++boxes; });
        window.Form_Load();
        // The stand-in flies the 737-800.
        window.findChild<QRadioButton*>(QStringLiteral("optModel800"))->setChecked(true);
    }
    // Clicks Board Fuel and runs the event loop until its box is up.
    void BoardFuel() {
        const int before = boxes;
        window.findChild<QPushButton*>(QStringLiteral("cmdBoardFuel"))->click();
        while (boxes == before) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    FrmMain window;
    int boxes = 0;
};

void BoardFuelFirstClick(benchmark::State& state) {
    const SimulatorOptions options = Simulators(SimulatorChoice::XPlane, StandIn().port());
    Planner planner(options);
    for (auto _ : state) {
        state.PauseTiming();
        planner.window.SetSimulatorSession(
            tarnwell::window::MakeSimulatorSession(options, tarnwell::sim::MakeSystemPlatform()));
        state.ResumeTiming();
        planner.BoardFuel();
    }
}

void BoardFuelLinkOpen(benchmark::State& state) {
    Planner planner(Simulators(SimulatorChoice::XPlane, StandIn().port()));
    planner.BoardFuel();
    for (auto _ : state) {
        planner.BoardFuel();
    }
}

void BareRequest(benchmark::State& state) {
    for (auto _ : state) {
        httplib::Client client("127.0.0.1", StandIn().port());
        benchmark::DoNotOptimize(client.Get("/api/capabilities"));
    }
}

void NoSimulatorAuto(benchmark::State& state) {
    Planner planner(Simulators(SimulatorChoice::Auto, tarnwell::test::DeadPort()));
    for (auto _ : state) {
        planner.BoardFuel();
    }
}

void NoSimulatorModuleOnly(benchmark::State& state) {
    Planner planner(Simulators(SimulatorChoice::Module, tarnwell::test::DeadPort()));
    for (auto _ : state) {
        planner.BoardFuel();
    }
}

BENCHMARK(BoardFuelFirstClick)->Unit(benchmark::kMillisecond);
BENCHMARK(BoardFuelLinkOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BareRequest)->Unit(benchmark::kMillisecond);
BENCHMARK(NoSimulatorAuto)->Unit(benchmark::kMillisecond);
BENCHMARK(NoSimulatorModuleOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir folder;
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", folder.path().toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"Board Fuel into the X-Plane stand-in, click to box, first click vs one bare request",
         "BoardFuelFirstClick", "BareRequest"},
        {"Board Fuel into the X-Plane stand-in, click to box, link open vs one bare request",
         "BoardFuelLinkOpen", "BareRequest"},
        {"Board Fuel with no simulator, click to box: module, X-Plane and FlightGear tried vs "
         "the module alone",
         "NoSimulatorAuto", "NoSimulatorModuleOnly"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
