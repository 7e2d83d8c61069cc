#include "sim/win32_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace tarnwell::sim {

WindowHandle Win32Platform::FindWindowByClass(const char* className) {
    return reinterpret_cast<WindowHandle>(::FindWindowExA(nullptr, nullptr, className, nullptr));
}

std::uint32_t Win32Platform::RegisterMessage(const char* name) {
    return ::RegisterWindowMessageA(name);
}

std::uint32_t Win32Platform::CurrentProcessId() {
    return ::GetCurrentProcessId();
}

std::uint16_t Win32Platform::AddGlobalAtom(const char* name) {
    return ::GlobalAddAtomA(name);
}

void Win32Platform::DeleteGlobalAtom(std::uint16_t atom) {
    ::GlobalDeleteAtom(atom);
}

MappingHandle Win32Platform::CreateMapping(const char* name, std::uint32_t size) {
    const HANDLE mapping =
        ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
    lastError_ = ::GetLastError();
    systemError_ = lastError_;
    return reinterpret_cast<MappingHandle>(mapping);
}

void* Win32Platform::MapView(MappingHandle mapping) {
    return ::MapViewOfFile(reinterpret_cast<HANDLE>(mapping), FILE_MAP_WRITE, 0, 0, 0);
}

void Win32Platform::UnmapView(void* view) {
    ::UnmapViewOfFile(view);
}

void Win32Platform::CloseMapping(MappingHandle mapping) {
    ::CloseHandle(reinterpret_cast<HANDLE>(mapping));
}

bool Win32Platform::SendMessageWithTimeout(WindowHandle window, std::uint32_t message,
                                           std::int32_t wParam, std::int32_t lParam,
                                           std::uint32_t timeoutMs, std::int64_t* result) {
    DWORD_PTR answer = 0;
    // SendMessageTimeoutA does not set the last error on every failure: a
    // value left over from an earlier call must not be taken for its own.
    ::SetLastError(0);
    // wParam is the atom as the client stores it, sign-extended to WPARAM.
    const LRESULT delivered = ::SendMessageTimeoutA(
        reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(static_cast<LONG_PTR>(wParam)),
        static_cast<LPARAM>(lParam), SMTO_BLOCK, timeoutMs, &answer);
    if (delivered == 0) {
        systemError_ = ::GetLastError();
        lastError_ = systemError_ == ErrorTimeout ? 0 : systemError_;
        return false;
    }
    *result = static_cast<std::int64_t>(static_cast<LONG_PTR>(answer));
    return true;
}

void Win32Platform::Pause(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace tarnwell::sim
