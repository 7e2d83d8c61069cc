#include "xplane/stopping.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tarnwell::tools::xplane {
namespace {

httplib::Server* server = nullptr;
std::atomic<bool> stopRequested{false};
std::atomic<bool> serverStopped{false};
std::mutex stopMutex;
std::condition_variable stopSignal;

}  // namespace

void StopServing(httplib::Server& listening) {
    server = &listening;
}

void RequestStop() {
    {
        const std::lock_guard<std::mutex> lock(stopMutex);
        stopRequested = true;
    }
    stopSignal.notify_all();
    // Once only: the server may not be stopped twice.
    if (server != nullptr && server->is_running() && !serverStopped.exchange(true)) {
        server->stop();
    }
}

bool StopRequested() {
    return stopRequested;
}

bool Wait(long ms) {
    std::unique_lock<std::mutex> lock(stopMutex);
    const auto stopping = [] { return stopRequested.load(); };
    if (ms < 0) {
        stopSignal.wait(lock, stopping);
    } else {
        stopSignal.wait_for(lock, std::chrono::milliseconds(ms), stopping);
    }
    return !stopRequested;
}

}  // namespace tarnwell::tools::xplane
