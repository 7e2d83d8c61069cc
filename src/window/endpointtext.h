#pragma once

#include <optional>
#include <string_view>

#include "sim/simulator.h"

namespace tarnwell::window {

// A web simulator's place as the command line gives it, "[HOST:]PORT": a
// port of digits alone from 1 to 65535, after a host name or IPv4 address
// and a colon, or after an IPv6 address in brackets and a colon
// ("[::1]:8086"); the host defaults to the local machine. Anything else,
// an IPv6 address without brackets among it (whose last group would pass
// for the port), is no place.
std::optional<sim::Endpoint> ReadEndpoint(std::string_view text);

}  // namespace tarnwell::window
