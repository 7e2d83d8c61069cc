#pragma once

// Windows only. A test that opens the simulator link must not run beside a
// simulator it did not start: the client connects to the first window of
// class UIPCMAIN (or FS98MAIN) it finds, so the test would send its requests,
// test fuel among them, to the real simulator. Such a test calls
// FindForeignSimulatorWindow before it opens the link and, when a window is
// found, prints ForeignSimulatorRefusal and ends with
// ForeignSimulatorExitCode (registered with CTest as SKIP_RETURN_CODE).

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "sim/module/fsuipc_client.h"

namespace tarnwell::test {

// The exit status of a check that refused to run: the test did not run,
// which is neither a pass nor a failure of the program.
inline constexpr int ForeignSimulatorExitCode = 77;

struct SimulatorWindow {
    const char* windowClass = nullptr;  // UIPCMAIN or FS98MAIN
    DWORD processId = 0;                // the process that owns the window
};

// The first top-level window of a class the simulator link connects to
// whose process is not one of `started` (the stand-ins the test started
// itself); none when there is no such window.
inline std::optional<SimulatorWindow> FindForeignSimulatorWindow(
    std::span<const DWORD> started = {}) {
    for (const char* windowClass : {sim::WindowClassUipc, sim::WindowClassFs98}) {
        for (HWND found = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr); found != nullptr;
             found = ::FindWindowExA(nullptr, found, windowClass, nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(found, &owner);
            if (std::find(started.begin(), started.end(), owner) == started.end()) {
                return SimulatorWindow{windowClass, owner};
            }
        }
    }
    return std::nullopt;
}

inline bool ForeignSimulatorWindowExists(std::span<const DWORD> started = {}) {
    return FindForeignSimulatorWindow(started).has_value();
}

// The line a refusing test prints.
inline std::string ForeignSimulatorRefusal(const SimulatorWindow& window) {
    return std::string("Refusing to run: a simulator window of class ") + window.windowClass +
           " (process " + std::to_string(window.processId) +
           ") is open that this test did not start; the test would connect to it and could "
           "write into its tanks. Close the simulator (or WideClient) and run the test again.";
}

}  // namespace tarnwell::test
