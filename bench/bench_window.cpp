// Times the window against floors measured in the same run:
//
//   - one keystroke in txtPayload of the real window (filter, change
//     handler, recalculation, rewrites) against one keystroke in a bare
//     QLineEdit in a window with no handlers, with and without the repaint
//     that follows, and against that bare keystroke plus the four field
//     writes every payload keystroke has to make;
//   - creating, loading and showing the window inside a running program
//     against a window holding the same widgets and no logic, and against
//     a plain form of the same standard controls without the artwork and
//     the font fitting either;
//   - importing a saved dispatch plan, from the file's name to the
//     recalculated window and its check, against one payload keystroke;
//   - redrawing the open load sheet after a keystroke (the sheet made from
//     the planner and painted) against the keystroke itself with its
//     repaint, and writing the sheet as a PDF against one keystroke;
//   - a whole program start, process start to the first shown window,
//     against an empty Qt window, the same widgets without logic and the
//     plain form, and the resident memory at that point (--startup-table
//     N: N starts of each, interleaved, medians).
//
// The settings store is a temporary folder, never the user's.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "window/appicon.h"
#include "window/frmmain.h"
#include "window/loadsheetfiles.h"
#include "window/loadsheetwindow.h"
#include "window/plannerwidgets.h"

extern char** environ;

using tarnwell::window::AppIcon;
using tarnwell::window::BuildPlannerControls;
using tarnwell::window::BuildPlannerWidgets;

namespace {

using Clock = std::chrono::steady_clock;
using tarnwell::window::FrmMain;

// Shows the window and runs the event loop until it is on the screen and
// its first picture is drawn (busy, so no sleep rounds the time).
void ShowAndWait(QWidget& window) {
    window.show();
    while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
        QApplication::processEvents();
    }
    QApplication::processEvents();
}

// The window with the same widgets as the planner and none of its logic:
// no handlers, no settings store, no plan, no simulator link.
std::unique_ptr<QWidget> SameWidgetsWindow() {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Boeing Tarnwell"));
    window->setWindowIcon(AppIcon());
    BuildPlannerWidgets(window.get(), nullptr);
    return window;
}

// A plain form: the same standard controls, named and placed alike, with no
// logic, no artwork (banner, icon) and no font fitting: the least a window
// of these controls costs.
std::unique_ptr<QWidget> PlainFormWindow() {
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Boeing Tarnwell"));
    BuildPlannerControls(window.get(), nullptr);
    return window;
}

std::unique_ptr<FrmMain> LoadedPlanner() {
    auto window = std::make_unique<FrmMain>();
    window->SetMessagePresenter([](const tarnwell::window::Message&) {});
    window->Form_Load();
    return window;
}

// Gives a field of a shown window the keyboard focus, caret at the end.
QLineEdit* Focus(QWidget& window, QLineEdit* field) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    field->setFocus();
    field->end(false);
    QApplication::processEvents();
    return field;
}

// A digit, or backspace to take it away again, so the field keeps its
// length and every keystroke does the same work.
void Keystrokes(benchmark::State& state, QLineEdit* field, bool repaint) {
    bool digit = true;
    for (auto _ : state) {
        QTest::keyClick(field, digit ? Qt::Key_5 : Qt::Key_Backspace);
        digit = !digit;
        if (repaint) {
            QApplication::processEvents();
        }
    }
}

void PlannerKeystroke(benchmark::State& state, bool repaint) {
    const auto window = LoadedPlanner();
    ShowAndWait(*window);
    // The 737-800 example of a full plan.
    window->findChild<QRadioButton*>("optModel800")->setChecked(true);
    window->findChild<QComboBox*>("cboCruisingAlt")->setCurrentIndex(3);
    window->findChild<QComboBox*>("cboTripDistance")->setCurrentIndex(8);
    window->findChild<QLineEdit*>("txtHeadwind")->setText("20");
    window->findChild<QLineEdit*>("txtHoldingFuel")->setText("2000");
    auto* payload = window->findChild<QLineEdit*>("txtPayload");
    payload->setText("3000");
    Focus(*window, payload);
    // Every change of the payload runs one calculation.
    int changes = 0;
    QObject::connect(payload, &QLineEdit::textChanged, [&changes] { ++changes; });
    Keystrokes(state, payload, repaint);
    state.counters["calculations_per_keystroke"] =
        static_cast<double>(changes) / static_cast<double>(state.iterations());
}

void BareKeystroke(benchmark::State& state, bool repaint) {
    QWidget window;
    window.resize(510, 469);
    auto* field = new QLineEdit(&window);
    field->setGeometry(160, 360, 65, 19);
    field->setText("3000");
    ShowAndWait(window);
    Keystrokes(state, Focus(window, field), repaint);
}

// The least any payload keystroke can cost: the bare keystroke, plus
// writing new texts into four other fields, as every payload keystroke
// must (zero fuel, landing, take-off and taxi-out weight), and nothing else.
void BareKeystrokeWithFourWrites(benchmark::State& state) {
    QWidget window;
    window.resize(510, 469);
    auto* field = new QLineEdit(&window);
    field->setGeometry(160, 360, 65, 19);
    field->setText("3000");
    std::vector<QLineEdit*> weights;
    for (int i = 0; i < 4; ++i) {
        weights.push_back(new QLineEdit(&window));
        weights.back()->setGeometry(160, 380 + 20 * i, 65, 19);
    }
    int count = 0;
    QObject::connect(field, &QLineEdit::textChanged, [&weights, &count] {
        ++count;
        for (QLineEdit* weight : weights) {
            weight->setText(QString::number(80000 + count % 2));
        }
    });
    ShowAndWait(window);
    Keystrokes(state, Focus(window, field), false);
}

void PayloadKeystroke(benchmark::State& state) {
    PlannerKeystroke(state, false);
}
void BareLineEditKeystroke(benchmark::State& state) {
    BareKeystroke(state, false);
}
void PayloadKeystrokeWithRepaint(benchmark::State& state) {
    PlannerKeystroke(state, true);
}
void BareLineEditKeystrokeWithRepaint(benchmark::State& state) {
    BareKeystroke(state, true);
}
BENCHMARK(PayloadKeystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareLineEditKeystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareKeystrokeWithFourWrites)->Unit(benchmark::kMicrosecond);
BENCHMARK(PayloadKeystrokeWithRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BareLineEditKeystrokeWithRepaint)->Unit(benchmark::kMicrosecond);

// A saved flight plan, from its file's name to the window recalculated and
// the check shown; two plans in turn, so that every import changes inputs.
void DispatchImport(benchmark::State& state) {
    const auto window = LoadedPlanner();
    ShowAndWait(*window);
    const QString plans[] = {QStringLiteral(TARNWELL_OFP_SAMPLES "/b738_lbs.xml"),
                             QStringLiteral(TARNWELL_OFP_SAMPLES "/b737_kgs.json")};
    int turn = 0;
    for (auto _ : state) {
        if (!window->Dispatch().ImportFile(plans[turn++ % 2])) {
            state.SkipWithError("a sample plan was not imported");
            return;
        }
    }
}
BENCHMARK(DispatchImport)->Unit(benchmark::kMillisecond);

// The 737-800 example of a full plan, the load sheet open beside it.
std::unique_ptr<FrmMain> PlannerWithLoadSheet() {
    auto window = LoadedPlanner();
    ShowAndWait(*window);
    window->findChild<QRadioButton*>("optModel800")->setChecked(true);
    window->findChild<QComboBox*>("cboCruisingAlt")->setCurrentIndex(3);
    window->findChild<QComboBox*>("cboTripDistance")->setCurrentIndex(8);
    window->findChild<QLineEdit*>("txtPayload")->setText("30000");
    window->OpenLoadSheet();
    ShowAndWait(window->LoadSheet());
    return window;
}

// What a keystroke adds when the load sheet is open: the sheet made from
// the planner and what changed of its picture painted. Each turn shows
// another payload, as typing does, so the figures that change are new.
void LoadSheetRedraw(benchmark::State& state) {
    const auto window = PlannerWithLoadSheet();
    auto* payload = window->findChild<QLineEdit*>("txtPayload");
    std::vector<tarnwell::loadsheet::LoadSheet> typed;
    for (int i = 0; i < 256; ++i) {
        payload->setText(QString::number(30000 + 7 * i));
        typed.push_back(window->LoadSheetNow());
    }
    tarnwell::window::LoadSheetView& view = window->LoadSheet().View();
    std::size_t turn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(window->LoadSheetNow());
        view.Show(typed[turn++ % typed.size()]);
        // The parts it marked for redrawing, drawn as the event loop does.
        QApplication::processEvents();
    }
}
BENCHMARK(LoadSheetRedraw)->Unit(benchmark::kMicrosecond);

void LoadSheetPdf(benchmark::State& state) {
    const auto window = PlannerWithLoadSheet();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("sheet.pdf"));
    const tarnwell::loadsheet::LoadSheet sheet = window->LoadSheetNow();
    for (auto _ : state) {
        if (!tarnwell::window::WriteLoadSheet(path, sheet, "2026-12-10 14:05 UTC").empty()) {
            state.SkipWithError("the PDF was not written");
            return;
        }
    }
}
BENCHMARK(LoadSheetPdf)->Unit(benchmark::kMillisecond);

// Inside a running program: create, load and show the window again.
void WindowStartUp(benchmark::State& state) {
    for (auto _ : state) {
        const auto window = LoadedPlanner();
        ShowAndWait(*window);
    }
}
void SameWidgetsStartUp(benchmark::State& state) {
    for (auto _ : state) {
        const auto window = SameWidgetsWindow();
        ShowAndWait(*window);
    }
}
void PlainFormStartUp(benchmark::State& state) {
    for (auto _ : state) {
        const auto window = PlainFormWindow();
        ShowAndWait(*window);
    }
}
BENCHMARK(WindowStartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(SameWidgetsStartUp)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainFormStartUp)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------------------
// Whole program starts, each in a process of its own.

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

// One program start in this process: shows the window of the kind asked
// for, then prints the resident memory and ends.
int StartOnce(int argc, char* argv[], const std::string& kind) {
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (kind == "planner") {
        window = LoadedPlanner();
    } else if (kind == "widgets") {
        window = SameWidgetsWindow();
    } else if (kind == "plain") {
        window = PlainFormWindow();
    } else {
        window = std::make_unique<QWidget>();
    }
    ShowAndWait(*window);
    std::printf("%ld\n", ResidentKiB());
    std::fflush(stdout);
    return 0;
}

struct Start {
    double seconds = 0;
    long residentKiB = 0;
};

// Starts this program as a child showing one kind of window; the time runs
// from the spawn to the child's report that its window is shown.
Start TimeStart(const char* self, const char* kind) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    const char* args[] = {self, "--start-once", kind, nullptr};
    pid_t child = 0;
    const Clock::time_point start = Clock::now();
    const int spawned =
        posix_spawn(&child, self, &actions, nullptr, const_cast<char**>(args), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    Start result;
    char text[64] = {};
    std::size_t length = 0;
    while (spawned == 0 && length < sizeof text - 1) {
        const ssize_t got = ::read(pipeEnds[0], text + length, sizeof text - 1 - length);
        if (got <= 0) {
            break;
        }
        length += static_cast<std::size_t>(got);
        if (std::memchr(text, '\n', length) != nullptr) {
            result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
    }
    result.residentKiB = std::strtol(text, nullptr, 10);
    ::close(pipeEnds[0]);
    int status = 0;
    if (spawned == 0) {
        ::waitpid(child, &status, 0);
    }
    return result;
}

template <typename T>
T Median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? T{} : values[values.size() / 2];
}

void PrintMemoryRow(const char* floorName, double memoryMiB, double floorMiB) {
    std::printf(
        "| resident memory after start-up vs %s | %.1f MiB | %.1f MiB | %.2f (%+.1f MiB) |\n",
        floorName, memoryMiB, floorMiB, memoryMiB / floorMiB, memoryMiB - floorMiB);
}

int StartupTable(const char* self, int starts) {
    std::vector<double> planner, widgets, plain, empty;
    std::vector<long> plannerMemory, widgetsMemory, plainMemory;
    for (int i = 0; i < starts; ++i) {
        const Start p = TimeStart(self, "planner");
        const Start w = TimeStart(self, "widgets");
        const Start f = TimeStart(self, "plain");
        const Start e = TimeStart(self, "empty");
        if (p.seconds == 0 || w.seconds == 0 || f.seconds == 0 || e.seconds == 0) {
            std::fprintf(stderr, "a start of the program failed\n");
            return 1;
        }
        planner.push_back(p.seconds);
        widgets.push_back(w.seconds);
        plain.push_back(f.seconds);
        empty.push_back(e.seconds);
        plannerMemory.push_back(p.residentKiB);
        widgetsMemory.push_back(w.residentKiB);
        plainMemory.push_back(f.residentKiB);
    }
    RatioReporter::PrintRow("program start to the first shown window vs an empty Qt window",
                            Median(planner), Median(empty));
    RatioReporter::PrintRow(
        "program start to the first shown window vs the same widgets without logic",
        Median(planner), Median(widgets));
    RatioReporter::PrintRow(
        "program start to the first shown window vs a plain form (no logic, artwork or font "
        "fitting)",
        Median(planner), Median(plain));
    const auto mib = [](long kib) { return static_cast<double>(kib) / 1024; };
    PrintMemoryRow("the same widgets without logic", mib(Median(plannerMemory)),
                   mib(Median(widgetsMemory)));
    PrintMemoryRow("a plain form", mib(Median(plannerMemory)), mib(Median(plainMemory)));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", config.path().toLocal8Bit());

    if (argc > 2 && std::strcmp(argv[1], "--start-once") == 0) {
        return StartOnce(argc, argv, argv[2]);
    }
    if (argc > 2 && std::strcmp(argv[1], "--startup-table") == 0) {
        return StartupTable(argv[0], std::max(1, std::atoi(argv[2])));
    }

    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"one keystroke in txtPayload vs in a bare QLineEdit", "PayloadKeystroke",
         "BareLineEditKeystroke"},
        {"one keystroke in txtPayload vs a bare keystroke plus four bare field writes",
         "PayloadKeystroke", "BareKeystrokeWithFourWrites"},
        {"the same, with the repaint that follows", "PayloadKeystrokeWithRepaint",
         "BareLineEditKeystrokeWithRepaint"},
        {"create, load and show the window vs the same widgets without logic", "WindowStartUp",
         "SameWidgetsStartUp"},
        {"create, load and show the window vs a plain form", "WindowStartUp", "PlainFormStartUp"},
        {"importing a saved dispatch plan (target: 20 ms) vs one payload keystroke",
         "DispatchImport", "PayloadKeystroke"},
        {"redrawing the open load sheet after a keystroke (target: at most the keystroke) vs "
         "one keystroke in txtPayload with its repaint",
         "LoadSheetRedraw", "PayloadKeystrokeWithRepaint"},
        {"writing the load sheet as PDF (target: 100 ms) vs one payload keystroke", "LoadSheetPdf",
         "PayloadKeystroke"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
