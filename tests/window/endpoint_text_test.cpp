#include "window/endpointtext.h"

#include <gtest/gtest.h>

namespace tarnwell::window {
namespace {

struct Place {
    const char* text;
    std::optional<sim::Endpoint> read;
};

TEST(CommandLinePlace, IsHostAndPortOrRefused) {
    const sim::Endpoint local{"127.0.0.1", 8086};
    const Place places[] = {
        {"8086", local},
        {"localhost:8080", sim::Endpoint{"localhost", 8080}},
        {"192.168.1.20:8086", sim::Endpoint{"192.168.1.20", 8086}},
        {"[::1]:8086", sim::Endpoint{"::1", 8086}},
        {"[fe80::1:2]:65535", sim::Endpoint{"fe80::1:2", 65535}},
        {"1", sim::Endpoint{"127.0.0.1", 1}},
        // An IPv6 address without brackets would lose its last group to the port.
        {"::1", std::nullopt},
        {"[::1]", std::nullopt},
        {"[::1]8086", std::nullopt},
        {"[]:8086", std::nullopt},
        {"[host]:8086", std::nullopt},
        {"+8086", std::nullopt},
        {" 8086", std::nullopt},
        {"8086 ", std::nullopt},
        {"a:b:8086", std::nullopt},
        {":8080", std::nullopt},
        {"localhost:", std::nullopt},
        {"localhost:0", std::nullopt},
        {"localhost:70000", std::nullopt},
        {"localhost:008086", std::nullopt},
        {"local host:8086", std::nullopt},
        {"", std::nullopt},
    };
    for (const Place& place : places) {
        EXPECT_EQ(ReadEndpoint(place.text), place.read) << '"' << place.text << '"';
    }
}

}  // namespace
}  // namespace tarnwell::window
