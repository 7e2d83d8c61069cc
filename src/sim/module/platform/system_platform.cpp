#include "sim/module/platform/system_platform.h"

#if defined(_WIN32)
#include "sim/module/platform/win32_platform.h"
#elif defined(__linux__)
#include "sim/module/platform/linux_link_platform.h"
#else
#error "The simulator link has a back-end for Windows and Linux only."
#endif

namespace tarnwell::sim {

std::unique_ptr<Platform> MakeSystemPlatform() {
#if defined(_WIN32)
    return std::make_unique<Win32Platform>();
#else
    return std::make_unique<LinuxLinkPlatform>();
#endif
}

}  // namespace tarnwell::sim
