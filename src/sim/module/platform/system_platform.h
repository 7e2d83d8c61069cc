#pragma once

#include <memory>

#include "sim/module/platform/platform.h"

namespace tarnwell::sim {

// The platform back-end for the system the program runs on: the Win32 calls
// on Windows, the Linux simulator link on Linux (in the runtime folder).
std::unique_ptr<Platform> MakeSystemPlatform();

}  // namespace tarnwell::sim
