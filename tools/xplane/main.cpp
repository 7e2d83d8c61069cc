// tarnwell-xplane: a stand-in for X-Plane 12's local web API, so that
// Tarnwell's X-Plane link and its tests can board fuel and read the payload
// without the simulator, and meet on demand every fault a real one (or
// something else on its port) can show.
//
// It serves the REST side of the API as X-Plane documents it: the
// unversioned GET /api/capabilities (from v2), and under /api/v1 ... /api/vN
// the dataref list with its name filter, the dataref count, and reading
// (GET) and writing (PATCH) a dataref's value by its session id. The
// datarefs are the few a fuel planner needs: the aircraft's ICAO code, the
// tank loads and capacities, the payload and the weights around them.
// Every write it takes is printed on standard output, one line each.
// Run with --help for the options; docs/simulator.md describes its use.
//
// The options and faults are read in options.cpp, the datarefs and the
// answers are datarefs.cpp's, the web server and the transport faults
// serving.cpp's; here the signals and the run from start to stop.
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <winsock2.h>
#else
#include <pthread.h>
#include <signal.h>
#endif

#include <httplib.h>

#include <atomic>
#include <thread>

#include "xplane/datarefs.h"
#include "xplane/options.h"
#include "xplane/print.h"
#include "xplane/serving.h"
#include "xplane/stopping.h"

namespace tarnwell::tools::xplane {
namespace {

#ifdef _WIN32
std::atomic<bool> finished{false};

// Ctrl+C, Ctrl+Break and the console closing stop the stand-in; Windows
// ends the process when this returns, so it waits for main to finish.
BOOL WINAPI OnConsoleEvent(DWORD) {
    RequestStop();
    for (int i = 0; i < 40 && !finished; ++i) {
        Sleep(100);
    }
    return TRUE;
}

// The same lines as on Linux, for the tests that read them.
void TakeSignals() {
    _setmode(_fileno(stdout), _O_BINARY);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ReleaseSignals() {
    finished = true;
}
#else
// SIGHUP starts a new session, SIGINT and SIGTERM stop the stand-in.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}

// The signals go to one thread that waits for them; blocked here before
// any other thread starts, so that none of those takes them.
void TakeSignals() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

std::thread signalWaiter;

void WaitForSignals(Simulator& simulator) {
    signalWaiter = std::thread([&simulator] {
        const sigset_t signals = StopSignals();
        for (;;) {
            int received = 0;
            if (sigwait(&signals, &received) != 0) {
                continue;
            }
            if (received != SIGHUP) {
                RequestStop();
                return;
            }
            simulator.NewSession();
        }
    });
}

// The waiter ends on the signal it waits for, sent to it alone.
void ReleaseSignals() {
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
}
#endif

int Run(const Options& options) {
    TakeSignals();
    Simulator simulator(options);
    std::atomic<long> served{0};
    httplib::Server http;
    Route(http, simulator, options, served);
    const int port = Bind(http, options);
    if (port <= 0) {
        return 1;
    }
    StopServing(http);
    PrintOpening(options, simulator, port);
#ifndef _WIN32
    WaitForSignals(simulator);
#endif
    if (!StopRequested()) {
        http.listen_after_bind();
    }
    RequestStop();
    Print("tarnwell-xplane: stopped\n");
    ReleaseSignals();
    return 0;
}

}  // namespace
}  // namespace tarnwell::tools::xplane

int main(int argc, char** argv) {
    tarnwell::tools::xplane::Options options;
    if (const int status = tarnwell::tools::xplane::ParseOptions(argc, argv, options);
        status != 0) {
        return status < 0 ? 0 : status;
    }
    return tarnwell::tools::xplane::Run(options);
}
