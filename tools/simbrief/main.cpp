// tarnwell-simbrief: a stand-in for SimBrief's OFP fetcher, so that the
// planner's dispatch plans can be fetched in tests without the service and
// meet on demand every fault a real fetch can: no answer, an answer that
// crawls, another server's page, an answer far too large, half an answer,
// a server error.
//
// It answers GET /api/xml.fetcher.php?username=NAME or ?userid=ID with the
// file named for that user by --user, whatever else the query asks (json=v2
// included: the tests name the file they want), and an unknown user as
// SimBrief does, with 400 and its error OFP. Every request is printed on
// standard output, one line each, for the tests to count.
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "simbrief/options.h"

namespace tarnwell::tools::simbrief {
namespace {

constexpr const char* UnknownUser =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OFP>\n<fetch>\n<userid></userid>\n"
    "<static_id></static_id>\n<status>Error: Unknown UserID</status>\n<time>0.0012</time>\n"
    "</fetch>\n</OFP>\n";
constexpr std::size_t HugeSize = 8u << 20;  // 8 MiB: past any plan a reader should take

std::mutex printing;

// A line at a time, flushed, for the tests that read it while it runs.
void Print(const std::string& line) {
    const std::lock_guard<std::mutex> lock(printing);
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

// Stopping: the signal ends the server and every wait of the silent and
// trickling answers, which would otherwise hold the server's threads.
std::mutex stopMutex;
std::condition_variable stopSignal;
bool stopping = false;

// False when the stand-in stopped during the wait (a negative one: until then).
bool Wait(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(stopMutex);
    if (time.count() < 0) {
        stopSignal.wait(lock, [] { return stopping; });
    } else {
        stopSignal.wait_for(lock, time, [] { return stopping; });
    }
    return !stopping;
}

// SIGINT and SIGTERM go to one thread that waits for them, blocked before
// the server's threads start so that none of those takes them.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

std::atomic<bool> listenEnded{false};

std::thread WaitForSignals(httplib::Server& http) {
    return std::thread([&http] {
        const sigset_t signals = StopSignals();
        int received = 0;
        while (sigwait(&signals, &received) != 0) {
        }
        {
            const std::lock_guard<std::mutex> lock(stopMutex);
            stopping = true;
        }
        stopSignal.notify_all();
        // A signal just before the server listens stops it once it does;
        // stopped twice, it would fail.
        while (!http.is_running()) {
            if (listenEnded) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        http.stop();
    });
}

// SimBrief's own answer: the user's plan, or its error for a user it does
// not know.
void Answer(const Options& options, const httplib::Request& request, httplib::Response& response) {
    if (request.path != "/api/xml.fetcher.php") {
        response.status = 404;
        response.set_content("Not Found\n", "text/plain");
        return;
    }
    const char* key = request.has_param("username") ? "username" : "userid";
    const auto user = options.users.find(request.get_param_value(key));
    if (user == options.users.end()) {
        response.status = 400;
        response.set_content(UnknownUser, "application/xml");
        return;
    }
    response.status = 200;
    response.set_content(user->second.body, user->second.type);
}

void Serve(const Options& options, const httplib::Request& request, httplib::Response& response) {
    Print(request.method + " " + request.target + "\n");
    switch (options.fault) {
        case Fault::Silent:
            Wait(std::chrono::milliseconds(-1));
            return;
        case Fault::Html:
            response.set_content(
                "<!DOCTYPE html>\n<html><head><title>Welcome</title></head>\n"
                "<body><h1>It works!</h1><p>This is not SimBrief.</p></body></html>\n",
                "text/html");
            return;
        case Fault::Huge: {
            std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OFP>\n<fetch>\n";
            body.resize(HugeSize, ' ');
            response.set_content(body, "application/xml");
            return;
        }
        case Fault::ServerError:
            response.status = 500;
            response.set_content("Internal Server Error\n", "text/plain");
            return;
        default:
            break;
    }
    Answer(options, request, response);
    if (options.fault == Fault::Truncated) {
        response.body.resize(response.body.size() / 2);
    } else if (options.fault == Fault::Trickle) {
        // The answer's bytes, then spaces: a body that never ends.
        const std::string body = response.body;
        response.body.clear();
        response.set_chunked_content_provider(
            response.get_header_value("Content-Type"),
            [body](std::size_t offset, httplib::DataSink& sink) {
                const char byte = offset < body.size() ? body[offset] : ' ';
                return Wait(std::chrono::seconds(1)) && sink.write(&byte, 1);
            });
    }
}

int Run(const Options& options) {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);
    const bool tls = !options.tlsCert.empty();
    std::unique_ptr<httplib::Server> http =
        tls ? std::make_unique<httplib::SSLServer>(options.tlsCert.c_str(), options.tlsKey.c_str())
            : std::make_unique<httplib::Server>();
    if (!http->is_valid()) {
        std::fprintf(stderr, "tarnwell-simbrief: cannot serve HTTPS with %s and %s\n",
                     options.tlsCert.c_str(), options.tlsKey.c_str());
        return 1;
    }
    http->Get(".*", [&options](const httplib::Request& request, httplib::Response& response) {
        Serve(options, request, response);
    });
    // Without httplib's SO_REUSEPORT: a second stand-in on a port in use
    // fails instead of sharing it.
    http->set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    const int port = options.port == 0 ? http->bind_to_any_port("127.0.0.1")
                     : http->bind_to_port("127.0.0.1", options.port) ? options.port
                                                                     : -1;
    if (port <= 0) {
        std::fprintf(stderr, "tarnwell-simbrief: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    Print("listening on 127.0.0.1:" + std::to_string(port) + "\n");
    std::string users;
    for (const auto& [key, plan] : options.users) {
        users += (users.empty() ? "" : ", ") + key;
    }
    Print("tarnwell-simbrief: SimBrief's fetcher at " + std::string(tls ? "https" : "http") +
          "://127.0.0.1:" + std::to_string(port) +
          "/api/xml.fetcher.php\n  users: " + (users.empty() ? "none" : users) +
          "\n  fault: " + options.faultName + "\nPress Ctrl+C to stop.\n");
    std::thread signalWaiter = WaitForSignals(*http);
    http->listen_after_bind();
    // Ended by a signal, or on its own: the waiter then ends on the signal
    // it waits for, sent to it alone.
    listenEnded = true;
    pthread_kill(signalWaiter.native_handle(), SIGTERM);
    signalWaiter.join();
    Print("tarnwell-simbrief: stopped\n");
    return 0;
}

}  // namespace
}  // namespace tarnwell::tools::simbrief

int main(int argc, char** argv) {
    tarnwell::tools::simbrief::Options options;
    if (const int status = tarnwell::tools::simbrief::ParseOptions(argc, argv, options);
        status != 0) {
        return status < 0 ? 0 : status;
    }
    return tarnwell::tools::simbrief::Run(options);
}
