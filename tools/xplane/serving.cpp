#include "xplane/serving.h"

#ifndef _WIN32
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "xplane/print.h"
#include "xplane/stopping.h"

namespace tarnwell::tools::xplane {
namespace {

constexpr std::size_t HugePadding = 3u << 19;  // 1.5 MiB: past a client's 1 MiB limit

#ifdef __linux__
int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}
#endif

// Resets the connection between the two ports at once, before the server's
// own orderly close: disconnecting a TCP socket (connect to AF_UNSPEC) sends
// a reset. Linux only; elsewhere the server closes the connection.
void ResetConnection([[maybe_unused]] int localPort, [[maybe_unused]] int remotePort) {
#ifdef __linux__
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            PortOf(local) == localPort && PortOf(peer) == remotePort) {
            sockaddr unspecified{};
            unspecified.sa_family = AF_UNSPEC;
            connect(fd, &unspecified, sizeof unspecified);
            return;
        }
    }
#endif
}

// Puts the simulator's answer into the response, as the transport fault
// damages it.
void Deliver(std::string body, Transport transport, const httplib::Request& request,
             httplib::Response& response) {
    if (transport == Transport::BadJson) {
        const auto colon = body.find(':');
        if (colon != std::string::npos) {
            body.erase(colon, 1);
        }
    } else if (transport == Transport::Truncated) {
        body.resize(body.size() / 2);
    } else if (transport == Transport::HugeBody && !body.empty()) {
        body.insert(0, HugePadding, ' ');
    } else if (transport == Transport::Reset) {
        // The headers announce the whole answer (a write's as "null"); half
        // of it goes out, then the connection is reset.
        if (body.empty()) {
            body = "null";
        }
        const std::size_t length = body.size();
        response.set_content_provider(
            length, "application/json",
            [body, local = request.local_port, remote = request.remote_port](
                std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body.data(), body.size() / 2);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
                ResetConnection(local, remote);
                return false;
            });
        return;
    }
    if (!body.empty()) {
        response.set_content(body, "application/json");
    }
}

// Answers one request: the simulator's answer, or what a fault makes of it.
void Serve(Simulator& simulator, const Options& options, std::atomic<long>& served,
           const httplib::Request& request, httplib::Response& response) {
    const bool faulty = ++served > options.normalAnswers;
    const Transport transport = faulty ? options.transport : Transport::None;
    if (faulty && options.slowMs > 0 && !Wait(options.slowMs)) {
        return;
    }
    if (transport == Transport::Never) {
        Wait(-1);
        return;
    }
    if (transport == Transport::Html) {
        response.status = 200;
        response.set_content(
            "<!DOCTYPE html>\n<html><head><title>Welcome</title></head>\n"
            "<body><h1>It works!</h1><p>This is not X-Plane.</p></body></html>\n",
            "text/html");
    } else if (transport == Transport::NotFound) {
        response.status = 404;
        response.set_content("<html><body><h1>404 Not Found</h1></body></html>\n", "text/html");
    } else if (transport == Transport::TrafficDisabled) {
        // X-Plane documents no body for it; plain text stands for one that
        // is not JSON.
        response.status = 403;
        response.set_content("Forbidden\n", "text/plain");
    } else if (transport == Transport::Redirect) {
        response.set_redirect("/elsewhere" + request.target);
    } else {
        const Answer answer = simulator.Handle(request, faulty);
        response.status = answer.status;
        Deliver(answer.body, transport, request, response);
    }
    if (options.verbose) {
        Print("  %s %s -> %d\n", request.method.c_str(), request.target.c_str(), response.status);
    }
}

}  // namespace

void Route(httplib::Server& http, Simulator& simulator, const Options& options,
           std::atomic<long>& served) {
    const auto handler = [&](const httplib::Request& request, httplib::Response& response) {
        Serve(simulator, options, served, request, response);
    };
    http.Get(".*", handler);
    http.Patch(".*", handler);
    http.Post(".*", handler);
    http.Put(".*", handler);
    http.Delete(".*", handler);
    http.Options(".*", handler);
}

int Bind(httplib::Server& http, const Options& options) {
    // A second stand-in on the same port fails instead of sharing it.
    http.set_socket_options([](socket_t sock) {
        int yes = 1;
#ifdef _WIN32
        setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                   sizeof yes);
#else
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
#endif
    });
    const int port = options.port == 0 ? http.bind_to_any_port(options.host)
                     : http.bind_to_port(options.host, options.port) ? options.port
                                                                     : -1;
    if (port <= 0) {
        std::fprintf(stderr, "tarnwell-xplane: cannot listen on %s:%d\n", options.host.c_str(),
                     options.port);
        return -1;
    }
    return port;
}

void PrintOpening(const Options& options, const Simulator& simulator, int port) {
    Print("listening on %s:%d\n", options.host.c_str(), port);
    Print("tarnwell-xplane: X-Plane web API up to v%d at http://%s:%d/api/v%d\n%s  faults: %s\n",
          options.api, options.host.c_str(), port, options.api, simulator.Describe().c_str(),
          options.faults.empty() ? "none" : options.faults.c_str());
    if (options.normalAnswers > 0) {
        Print("  the first %ld requests answered without the faults\n", options.normalAnswers);
    }
    Print("Press Ctrl+C to stop.\n");
}

}  // namespace tarnwell::tools::xplane
