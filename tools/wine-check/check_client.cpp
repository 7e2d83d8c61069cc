// Runs the program's connection routines on the Win32 back-end: without a
// FSUIPC window (expects code 2), or with one (expects the open, a write read
// back and a payload station read). Not part of the program.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "sim/connection.h"
#include "sim/system_platform.h"

using namespace tarnwell::sim;

int main(int argc, char** argv) {
    const bool expectWindow = argc > 1 && std::strcmp(argv[1], "with-window") == 0;
    SimConnection sim(MakeSystemPlatform());
    std::int32_t code = -1;
    tarnwell::plan::Message failure;
    const bool connected = sim.ConnectToSimulator(code, failure);
    std::printf("connect: %d, code %d, FSUIPC 0x%08X, simulator %u\n", connected, code,
                static_cast<unsigned>(sim.Client().FsuipcVersion()), sim.Client().SimVersion());
    if (!expectWindow) {
        const bool ok = !connected && code == IpcErrNoFs &&
                        failure.text == "FSUIPC connection failure: Cannot link to FSUIPC or "
                                        "WideClient\r\n\r\nEnsure that Flight Simulator is running.";
        std::printf("%s\n", ok ? "PASS without window" : "FAIL without window");
        return ok ? 0 : 1;
    }
    const std::int32_t level = 4194304;
    std::int32_t back = 0;
    double station = 0.0;
    const bool ok = connected && sim.Client().SimVersion() == 7 &&
                    sim.WriteToSimulator(0x0B7C, 4, &level, code) &&
                    sim.ReadFromSimulator(0x0B7C, 4, &back, code) && back == level &&
                    sim.ReadFromSimulator(0x1400, 8, &station, code) && station == 150.4;
    sim.IpcClose();
    PostMessageA(FindWindowExA(nullptr, nullptr, "UIPCMAIN", nullptr), WM_CLOSE, 0, 0);
    std::printf("%s (code %d)\n", ok ? "PASS with window" : "FAIL with window", code);
    return ok ? 0 : 1;
}
