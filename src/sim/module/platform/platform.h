#pragma once

#include <cstdint>

// The operating-system services the FSUIPC client needs, as one
// small interface so that the client's algorithm is the same everywhere:
//   - Win32Platform (win32_platform.h): the real user32/kernel32 calls;
//   - LinuxLinkPlatform (linux_link_platform.h): the same services emulated
//     over a Unix socket and POSIX shared memory;
//   - a test double with scripted answers and a fake clock (tests/sim).
// The calls come from one thread at a time: the thread that runs the
// client's current command (the window runs each on a worker thread).
namespace tarnwell::sim {

// Opaque handles; 0 means "none", as with the Win32 handles they stand for.
using WindowHandle = std::uintptr_t;
using MappingHandle = std::uintptr_t;

// Last-error values the client itself looks at.
inline constexpr std::uint32_t ErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

class Platform {
public:
    virtual ~Platform() = default;

    // FindWindowExA(0, 0, className, 0): a top-level window of that class, 0 if none.
    virtual WindowHandle FindWindowByClass(const char* className) = 0;

    // RegisterWindowMessageA: the system-wide id of the message name; 0 on failure.
    virtual std::uint32_t RegisterMessage(const char* name) = 0;

    // GetCurrentProcessId.
    virtual std::uint32_t CurrentProcessId() = 0;

    // GlobalAddAtomA: the atom (0xC000..0xFFFF for a string), 0 on failure.
    virtual std::uint16_t AddGlobalAtom(const char* name) = 0;

    // GlobalDeleteAtom.
    virtual void DeleteGlobalAtom(std::uint16_t atom) = 0;

    // CreateFileMappingA(INVALID_HANDLE_VALUE, 0, PAGE_READWRITE, 0, size, name):
    // a pagefile-backed mapping; 0 on failure. Sets the last error: 183 when a
    // mapping of that name already existed (a handle may still come back).
    virtual MappingHandle CreateMapping(const char* name, std::uint32_t size) = 0;

    // GetLastError: the last-error value left by the latest call above that sets it
    // (CreateMapping, SendMessageWithTimeout).
    virtual std::uint32_t LastError() = 0;

    // MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0): the whole mapping; null on failure.
    virtual void* MapView(MappingHandle mapping) = 0;

    // UnmapViewOfFile.
    virtual void UnmapView(void* view) = 0;

    // CloseHandle of the mapping.
    virtual void CloseMapping(MappingHandle mapping) = 0;

    // SendMessageTimeoutA(window, message, wParam, lParam, SMTO_BLOCK, timeoutMs, &result).
    // wParam is the client's 32-bit value, sign-extended where WPARAM is wider.
    // True when the message was delivered and answered within the time-out; the
    // message result is then in *result. False otherwise, with the last error 0
    // when the send timed out (whatever the system itself reported then) and
    // non-zero when it failed in any other way: a window gone, a send refused, a
    // connection reset or closed.
    virtual bool SendMessageWithTimeout(WindowHandle window, std::uint32_t message,
                                        std::int32_t wParam, std::int32_t lParam,
                                        std::uint32_t timeoutMs, std::int64_t* result) = 0;

    // Sleep.
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

}  // namespace tarnwell::sim
