#pragma once

// A web server on 127.0.0.1 that never finishes an answer: it takes one
// request and then sends what it was told to, one byte at a time, slowly
// enough that no read time-out ever runs out, until the client goes or the
// server is destroyed. Winsock on Windows.

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace tarnwell::test {

namespace trickling {
#ifdef _WIN32
using Socket = SOCKET;
constexpr Socket NoSocket = INVALID_SOCKET;
inline int Poll(pollfd* entry, int timeoutMs) {
    return ::WSAPoll(entry, 1, timeoutMs);
}
inline void Close(Socket s) {
    ::closesocket(s);
}
inline Socket Open() {
    return ::socket(AF_INET, SOCK_STREAM, 0);
}
inline Socket Accept(Socket listener) {
    return ::accept(listener, nullptr, nullptr);
}
constexpr int SendFlags = 0;
#else
using Socket = int;
constexpr Socket NoSocket = -1;
inline int Poll(pollfd* entry, int timeoutMs) {
    return ::poll(entry, 1, timeoutMs);
}
inline void Close(Socket s) {
    ::close(s);
}
inline Socket Open() {
    return ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
}
inline Socket Accept(Socket listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}
constexpr int SendFlags = MSG_NOSIGNAL;
#endif
}  // namespace trickling

class TricklingServer {
public:
    enum class Sends {
        SlowHeaders,       // a status line and 2,000 bytes of headers, byte by byte
        EndlessHeader,     // a header line that never ends
        EndlessChunkSize,  // a chunked body whose first chunk-size line never ends
    };

    explicit TricklingServer(Sends what) : what_(what) {
#ifdef _WIN32
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
#endif
        listener_ = trickling::Open();
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener_, 4) == 0 &&
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
        thread_ = std::thread([this] { Serve(); });
    }

    ~TricklingServer() {
        stopping_ = true;
        thread_.join();
        trickling::Close(listener_);
#ifdef _WIN32
        ::WSACleanup();
#endif
    }

    TricklingServer(const TricklingServer&) = delete;
    TricklingServer& operator=(const TricklingServer&) = delete;

    std::uint16_t port() const {
        return port_;
    }

    // Waits until a whole request has come in; false if none came within the bound.
    bool WaitForRequest(std::chrono::seconds bound = std::chrono::seconds(120)) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, bound, [this] { return requested_; });
    }

private:
    // What follows the request, byte by byte; past its end, `endless` for ever.
    void Script(std::string& start, char& endless) const {
        switch (what_) {
            case Sends::SlowHeaders:
                start = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nX-Pad: " +
                        std::string(2000, 'p') + "\r\nContent-Length: 2\r\n\r\n{}";
                endless = '\0';
                return;
            case Sends::EndlessHeader:
                start = "HTTP/1.1 200 OK\r\nX-Endless: ";
                endless = 'e';
                return;
            case Sends::EndlessChunkSize:
                start = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1;ext=";
                endless = 'x';
                return;
        }
    }

    // Waits for `fd` to be readable, giving up when the server stops.
    bool Readable(trickling::Socket fd) const {
        pollfd entry{fd, POLLIN, 0};
        while (!stopping_) {
            if (trickling::Poll(&entry, 20) > 0) {
                return true;
            }
        }
        return false;
    }

    void Serve() {
        if (!Readable(listener_)) {
            return;
        }
        const trickling::Socket connection = trickling::Accept(listener_);
        if (connection == trickling::NoSocket) {
            return;
        }
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && Readable(connection)) {
            const auto got = ::recv(connection, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(got));
        }
        {
            const std::lock_guard lock(mutex_);
            requested_ = true;
        }
        arrived_.notify_all();

        std::string start;
        char endless = '\0';
        Script(start, endless);
        // A byte every 50 ms: far within any read time-out, never an answer.
        for (std::size_t sent = 0; !stopping_; ++sent) {
            const char byte = sent < start.size() ? start[sent] : endless;
            if (byte == '\0' || ::send(connection, &byte, 1, trickling::SendFlags) != 1) {
                break;
            }
            pollfd entry{connection, POLLIN, 0};
            // The client's end shut or closed: its request is over.
            if (trickling::Poll(&entry, 50) > 0 &&
                ::recv(connection, buffer, sizeof buffer, 0) <= 0) {
                break;
            }
        }
        // Holds the connection open, silent, until the server is destroyed.
        while (!stopping_ && Readable(connection) &&
               ::recv(connection, buffer, sizeof buffer, 0) > 0) {
        }
        trickling::Close(connection);
    }

    Sends what_;
    trickling::Socket listener_ = trickling::NoSocket;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool requested_ = false;
    std::thread thread_;
};

}  // namespace tarnwell::test
