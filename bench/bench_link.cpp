// Boarding against the stand-in simulator (open the link with its version
// check, then the three tank writes, then close) against its floor: one
// bare round trip over the same kind of socket, a request out and four
// bytes back, with nothing behind it.
#include <benchmark/benchmark.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "ratio_reporter.h"
#include "sim/module/connection.h"
#include "sim/module/platform/linux_link_platform.h"
#include "support/standin_simulator.h"

namespace {

using tarnwell::sim::test::Simulator;
using tarnwell::sim::test::TempFolder;

sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
}

void Boarding(benchmark::State& state) {
    TempFolder folder;
    Simulator sim(folder.path(), {});
    if (!sim.ready()) {
        state.SkipWithError("the stand-in simulator did not start");
        return;
    }
    tarnwell::sim::LinuxLinkPlatform platform(folder.path());
    const std::array<std::int32_t, 3> offsets{0x0B7C, 0x0B94, 0x0B74};
    const std::int32_t level = 4194304;
    for (auto _ : state) {
        tarnwell::sim::SimConnection link(platform);
        std::int32_t code = 0;
        bool ok = link.ConnectToSimulator(code);
        for (std::int32_t offset : offsets) {
            ok = ok && link.WriteToSimulator(offset, 4, &level, code);
        }
        link.IpcClose();
        if (!ok) {
            state.SkipWithError("boarding failed");
            break;
        }
    }
}
BENCHMARK(Boarding)->Unit(benchmark::kMicrosecond);

// One tank write on a link that is open already: one exchange.
void TankWrite(benchmark::State& state) {
    TempFolder folder;
    Simulator sim(folder.path(), {});
    tarnwell::sim::LinuxLinkPlatform platform(folder.path());
    tarnwell::sim::SimConnection link(platform);
    std::int32_t code = 0;
    if (!sim.ready() || !link.ConnectToSimulator(code)) {
        state.SkipWithError("the stand-in simulator did not start");
        return;
    }
    const std::int32_t level = 4194304;
    for (auto _ : state) {
        if (!link.WriteToSimulator(0x0B7C, 4, &level, code)) {
            state.SkipWithError("the write failed");
            break;
        }
    }
}
BENCHMARK(TankWrite)->Unit(benchmark::kMicrosecond);

// A server that answers every connection with four bytes, as the
// simulator does, and does nothing else.
class EchoServer {
public:
    explicit EchoServer(const std::string& path) : path_(path) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = Address(path_);
        ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(listener_, 16);
        thread_ = std::thread([this] { Serve(); });
    }
    ~EchoServer() {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
        ::unlink(path_.c_str());
    }

private:
    void Serve() {
        while (!stop_) {
            const int peer = ::accept(listener_, nullptr, nullptr);
            if (peer < 0) {
                continue;
            }
            char request[64];
            const std::int32_t answer = 1;
            if (::recv(peer, request, sizeof request, 0) > 0) {
                (void)::send(peer, &answer, sizeof answer, MSG_NOSIGNAL);
            }
            ::close(peer);
        }
    }

    std::string path_;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BareRoundTrip(benchmark::State& state) {
    TempFolder folder;
    const std::string path = folder.path() + "/echo";
    EchoServer server(path);
    const sockaddr_un address = Address(path);
    // The size of a request frame of the link: 16 bytes and the area's name.
    const std::string request(16 + 24, 'x');
    for (auto _ : state) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        std::int32_t answer = 0;
        const bool ok =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(request.size()) &&
            ::recv(fd, &answer, sizeof answer, MSG_WAITALL) == sizeof answer;
        ::close(fd);
        if (!ok) {
            state.SkipWithError("the round trip failed");
            break;
        }
    }
}
BENCHMARK(BareRoundTrip)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char* argv[]) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"boarding (open + three writes) vs one bare socket round trip", "Boarding",
         "BareRoundTrip"},
        {"one tank write on an open link vs one bare socket round trip", "TankWrite",
         "BareRoundTrip"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
