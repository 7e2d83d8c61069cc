#pragma once

#include <cstdint>

#include "sim/platform.h"

// The FSUIPC client's services as the real Win32 calls (user32, kernel32).
// Compiled on Windows only (MSVC or MinGW-w64).
namespace tarnwell::sim {

class Win32Platform final : public Platform {
public:
    WindowHandle FindWindowByClass(const char* className) override;
    std::uint32_t RegisterMessage(const char* name) override;
    std::uint32_t CurrentProcessId() override;
    std::uint16_t AddGlobalAtom(const char* name) override;
    void DeleteGlobalAtom(std::uint16_t atom) override;
    MappingHandle CreateMapping(const char* name, std::uint32_t size) override;
    std::uint32_t LastError() override { return lastError_; }
    void* MapView(MappingHandle mapping) override;
    void UnmapView(void* view) override;
    void CloseMapping(MappingHandle mapping) override;
    bool SendMessageWithTimeout(WindowHandle window, std::uint32_t message, std::int32_t wParam,
                                std::int32_t lParam, std::uint32_t timeoutMs,
                                std::int64_t* result) override;
    void Pause(std::uint32_t milliseconds) override;

private:
    // GetLastError taken right after the calls whose error the client reads,
    // so that nothing in between can overwrite it.
    std::uint32_t lastError_ = 0;
};

}  // namespace tarnwell::sim
