// Times the window as a user meets it: from program start to the first
// shown window, and one keystroke in the payload field (the recalculation
// and every field it rewrites, with and without the repaint that follows).
//
//   bench_window                 start-up once, then the keystroke benchmarks
//   bench_window --startup-only  start-up once, then exit (for timing the
//                                whole process from outside)
//
// The settings store is a temporary folder, never the user's.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "window/frmmain.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A loaded window with the 737-800 example of a full plan entered.
class PlannedWindow {
public:
    PlannedWindow() {
        window_.SetMessagePresenter([](const tarnwell::plan::Message&) {});
        window_.Form_Load();
        (void)QTest::qWaitForWindowExposed(&window_);
        window_.findChild<QRadioButton*>("optModel800")->setChecked(true);
        window_.findChild<QComboBox*>("cboCruisingAlt")->setCurrentIndex(3);
        window_.findChild<QComboBox*>("cboTripDistance")->setCurrentIndex(8);
        window_.findChild<QLineEdit*>("txtHeadwind")->setText("20");
        window_.findChild<QLineEdit*>("txtHoldingFuel")->setText("2000");
        payload_ = window_.findChild<QLineEdit*>("txtPayload");
        payload_->setText("3000");
        window_.activateWindow();
        QApplication::setActiveWindow(&window_);
        payload_->setFocus();
        payload_->end(false);
        QApplication::processEvents();
    }

    // One keystroke: a digit, or backspace to take it away again, so the
    // field keeps its length and each keystroke does the same work.
    void Keystroke(bool digit) { QTest::keyClick(payload_, digit ? Qt::Key_5 : Qt::Key_Backspace); }

    int Calculations() const { return window_.CalculationCount(); }

private:
    FrmMain window_;
    QLineEdit* payload_ = nullptr;
};

void PayloadKeystroke(benchmark::State& state) {
    PlannedWindow window;
    bool digit = true;
    const int before = window.Calculations();
    for (auto _ : state) {
        window.Keystroke(digit);
        digit = !digit;
    }
    state.counters["calculations_per_keystroke"] =
        static_cast<double>(window.Calculations() - before) /
        static_cast<double>(state.iterations());
}
BENCHMARK(PayloadKeystroke)->Unit(benchmark::kMicrosecond);

void PayloadKeystrokeWithRepaint(benchmark::State& state) {
    PlannedWindow window;
    bool digit = true;
    for (auto _ : state) {
        window.Keystroke(digit);
        digit = !digit;
        QApplication::processEvents();  // the repaint of every changed field
    }
}
BENCHMARK(PayloadKeystrokeWithRepaint)->Unit(benchmark::kMicrosecond);

// Creating, loading and showing the window again inside a running program.
void WindowStartUp(benchmark::State& state) {
    for (auto _ : state) {
        FrmMain window;
        window.SetMessagePresenter([](const tarnwell::plan::Message&) {});
        window.Form_Load();
        benchmark::DoNotOptimize(QTest::qWaitForWindowExposed(&window));
    }
}
BENCHMARK(WindowStartUp)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char* argv[]) {
    const Clock::time_point start = Clock::now();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    {
        QApplication app(argc, argv);
        {
            FrmMain window;
            window.SetMessagePresenter([](const tarnwell::plan::Message&) {});
            window.Form_Load();
            if (!QTest::qWaitForWindowExposed(&window)) {
                std::fprintf(stderr, "the window was not shown\n");
                return 1;
            }
            std::printf("Start-up to the first shown window: %.1f ms (from main)\n",
                        MillisecondsSince(start));
        }
        if (argc > 1 && std::strcmp(argv[1], "--startup-only") == 0) {
            return 0;
        }
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}
