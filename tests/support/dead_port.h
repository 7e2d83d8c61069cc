#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tarnwell::test {

// A port of 127.0.0.1 that belongs to the test process and where nothing
// listens: a socket is bound to it for the process's life but never
// listens, so that a connection there is refused at once and no other
// program can take the port meanwhile. 0 if none could be had.
inline std::uint16_t DeadPort() {
    static const std::uint16_t port = [] {
#ifdef _WIN32
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) {
            return std::uint16_t{0};
        }
        const SOCKET holder = ::socket(AF_INET, SOCK_STREAM, 0);
        if (holder == INVALID_SOCKET) {
            return std::uint16_t{0};
        }
        int length = sizeof(sockaddr_in);
#else
        const int holder = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (holder < 0) {
            return std::uint16_t{0};
        }
        socklen_t length = sizeof(sockaddr_in);
#endif
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (::bind(holder, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return std::uint16_t{0};
        }
        // The socket stays open, and so the port ours, until the process ends.
        return ntohs(address.sin_port);
    }();
    return port;
}

}  // namespace tarnwell::test
