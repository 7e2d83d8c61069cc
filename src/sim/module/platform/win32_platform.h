#pragma once

#include <cstdint>

#include "sim/module/platform/platform.h"

// The FSUIPC client's services as the real Win32 calls (user32, kernel32,
// advapi32). Compiled on Windows only (MSVC or MinGW-w64).
namespace tarnwell::sim {

// What Windows leaves as the last error when SendMessageTimeoutA gave up
// waiting (Windows 10 and 11 and Wine 8 set it; older releases may leave 0).
inline constexpr std::uint32_t ErrorTimeout = 1460;  // ERROR_TIMEOUT

class Win32Platform final : public Platform {
public:
    WindowHandle FindWindowByClass(const char* className) override;
    std::uint32_t RegisterMessage(const char* name) override;
    std::uint32_t CurrentProcessId() override;
    std::uint16_t AddGlobalAtom(const char* name) override;
    void DeleteGlobalAtom(std::uint16_t atom) override;
    // The area grants this user and SYSTEM full access and nobody else, so
    // that a simulator of the same user opens it whether or not either side
    // runs elevated. Falls back to the default security if the user cannot
    // be told from the process token.
    MappingHandle CreateMapping(const char* name, std::uint32_t size) override;
    std::uint32_t LastError() override { return lastError_; }
    void* MapView(MappingHandle mapping) override;
    void UnmapView(void* view) override;
    void CloseMapping(MappingHandle mapping) override;
    // A send that timed out leaves the last error 0, whatever the Windows
    // release reported (ERROR_TIMEOUT or nothing), so that the client counts
    // it as a time-out (code 11), as the Linux link does. Any other failure
    // (a window gone, a send refused across privilege levels) keeps its
    // error and ends as a failed send (code 12).
    bool SendMessageWithTimeout(WindowHandle window, std::uint32_t message, std::int32_t wParam,
                                std::int32_t lParam, std::uint32_t timeoutMs,
                                std::int64_t* result) override;
    void Pause(std::uint32_t milliseconds) override;

    // GetLastError as the system left it after the latest send or mapping,
    // before the time-out was folded into 0: for the checks and diagnostics.
    std::uint32_t SystemError() const { return systemError_; }

private:
    // GetLastError taken right after the calls whose error the client reads,
    // so that nothing in between can overwrite it.
    std::uint32_t lastError_ = 0;
    std::uint32_t systemError_ = 0;
};

}  // namespace tarnwell::sim
