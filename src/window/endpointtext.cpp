#include "window/endpointtext.h"

#include <algorithm>

namespace tarnwell::window {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::optional<std::uint16_t> ReadPort(std::string_view text) {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), IsDigit)) {
        return std::nullopt;
    }
    unsigned port = 0;
    for (char c : text) {
        port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port == 0 || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

bool IsHostName(std::string_view host) {
    return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
        return IsLetter(c) || IsDigit(c) || c == '-' || c == '.' || c == '_';
    });
}

bool IsIpv6(std::string_view host) {
    return host.find(':') != std::string_view::npos &&
           std::all_of(host.begin(), host.end(),
                       [](char c) { return IsHexDigit(c) || c == ':' || c == '.'; });
}

}  // namespace

std::optional<sim::Endpoint> ReadEndpoint(std::string_view text) {
    sim::Endpoint endpoint;
    std::string_view port = text;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close + 1 >= text.size() || text[close + 1] != ':' ||
            !IsIpv6(text.substr(1, close - 1))) {
            return std::nullopt;
        }
        endpoint.host = std::string(text.substr(1, close - 1));
        port = text.substr(close + 2);
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        if (!IsHostName(text.substr(0, colon))) {
            return std::nullopt;
        }
        endpoint.host = std::string(text.substr(0, colon));
        port = text.substr(colon + 1);
    }
    const std::optional<std::uint16_t> number = ReadPort(port);
    if (!number) {
        return std::nullopt;
    }
    endpoint.port = *number;
    return endpoint;
}

}  // namespace tarnwell::window
