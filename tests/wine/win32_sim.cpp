// A stand-in for the simulator with FSUIPC on the real Win32 exchange, for
// trying the simulator link on Windows (or under Wine) without a simulator.
//
// It creates a hidden top-level window of class UIPCMAIN (or FS98MAIN, the
// class FSUIPC shows through WideClient) and handles the registered message
// "FSASMLIB:IPC": it checks that wParam holds the atom sign-extended, as
// both a 32-bit receiver (which sees wParam cut to 32 bits) and a 64-bit
// one see it, looks up the name of the client's shared area from the atom,
// opens that mapping, carries out the request records up to
// the end marker against a 64 KiB offset space and answers 1. The offset
// space is zero except the version words and the station weights given.
//
//   win32_sim [--class UIPCMAIN|FS98MAIN] [--fsuipc-version N]
//             [--sim-version-word N] [--station K=POUNDS]...
//             [--answer normal|zero|never] [--verbose]
//
// The link check (win32_link_check.cpp) steers it and looks into its offset
// space with four messages of its own, sent to the same window:
//   "TarnwellSim:Peek"    wParam offset: the 32-bit value there;
//   "TarnwellSim:Poke"    wParam offset, lParam value: store 32 bits there;
//   "TarnwellSim:Answer"  wParam 0 normal, 1 zero, 2 never, 3 slow (carry
//                         out each IPC message lParam ms late): how to
//                         answer the next IPC messages;
//   "TarnwellSim:Info"    wParam 0: IPC messages received so far; 1: the
//                         wParam of the last one; 2: the process id named in
//                         the last mapping name (-1 if it was not one); 3:
//                         the receivers that took the last atom, bit 0 a
//                         32-bit one, bit 1 a 64-bit one.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t SpaceSize = 0x10000;  // FSUIPC's offsets are 16-bit
constexpr std::size_t AreaSize = 0x8000;    // the client's shared area
constexpr std::uint32_t FsuipcVersionOffset = 0x3304;
constexpr std::uint32_t VersionWordsEnd = 0x330C;  // 0x3304..0x330B
constexpr std::uint32_t StationBase = 0x1400;
constexpr std::uint32_t StationStride = 48;
constexpr int StationCount = 61;
constexpr std::string_view MappingPrefix = "FSASMLIB:IPC:";

enum class Answer { Normal = 0, Zero = 1, Never = 2, Slow = 3 };

// Receivers that take an atom (Info 3).
constexpr LRESULT TakenBy32Bit = 1;
constexpr LRESULT TakenBy64Bit = 2;

struct Simulator {
    unsigned char space[SpaceSize] = {};
    Answer answer = Answer::Normal;
    DWORD slowMs = 0;
    bool verbose = false;
    UINT ipcMessage = 0;
    UINT peekMessage = 0;
    UINT pokeMessage = 0;
    UINT answerMessage = 0;
    UINT infoMessage = 0;
    LRESULT received = 0;
    LRESULT lastWParam = 0;
    LRESULT lastProcessId = -1;
    LRESULT lastTakenBy = 0;
};

Simulator sim;

std::uint32_t Load32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void Store32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// The process id in "FSASMLIB:IPC:<hex>:1", or -1.
LRESULT ProcessIdInName(std::string_view name) {
    if (name.substr(0, MappingPrefix.size()) != MappingPrefix || name.size() < 3 ||
        name.substr(name.size() - 2) != ":1") {
        return -1;
    }
    const std::string digits(
        name.substr(MappingPrefix.size(), name.size() - MappingPrefix.size() - 2));
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
        return -1;
    }
    return static_cast<LRESULT>(std::strtoul(digits.c_str(), nullptr, 16));
}

// Carries out the records from the start of the area up to the end marker.
// False at the first record that is not a read or a write, or that leaves
// the area or the offset space; the records before it stay carried out.
bool CarryOut(unsigned char* area) {
    std::size_t position = 0;
    for (;;) {
        if (position + 4 > AreaSize) {
            return false;
        }
        const std::uint32_t code = Load32(area + position) & 0xFFFFu;
        if (code == 0) {
            return true;
        }
        const std::size_t header = code == 1 ? 16 : 12;
        if ((code != 1 && code != 2) || position + header > AreaSize) {
            return false;
        }
        const std::uint32_t offset = Load32(area + position + 4);
        const std::uint32_t size = Load32(area + position + 8);
        if (size > AreaSize - position - header || offset > SpaceSize ||
            size > SpaceSize - offset) {
            return false;
        }
        unsigned char* data = area + position + header;
        if (code == 1) {
            std::memcpy(data, sim.space + offset, size);
        } else {
            // The version words are FSUIPC's own: the client's version check
            // writes 0 to 0x330A, and FSUIPC keeps 0xFADE there.
            for (std::uint32_t i = 0; i < size; ++i) {
                if (offset + i < FsuipcVersionOffset || offset + i >= VersionWordsEnd) {
                    sim.space[offset + i] = data[i];
                }
            }
        }
        if (sim.verbose) {
            std::printf("  %s %u bytes at 0x%04X\n", code == 1 ? "read" : "wrote", size, offset);
        }
        position += header + size;
    }
}

// The receivers that find the atom in wParam in the form the client must
// send: its 16 bits sign-extended (0xC000 as 0xFFFFC000). A 32-bit simulator
// sees wParam cut to 32 bits; a 64-bit one sees all of it (in a 32-bit build
// of this stand-in, wParam sign-extended).
LRESULT TakenBy(WPARAM wParam) {
    const auto atom = static_cast<std::int16_t>(wParam & 0xFFFFu);
    const auto seen32 = static_cast<std::uint32_t>(wParam);
    const auto seen64 = static_cast<std::uint64_t>(static_cast<LONG_PTR>(wParam));
    LRESULT takenBy = 0;
    if (seen32 == static_cast<std::uint32_t>(std::int32_t{atom})) {
        takenBy |= TakenBy32Bit;
    }
    if (seen64 == static_cast<std::uint64_t>(std::int64_t{atom})) {
        takenBy |= TakenBy64Bit;
    }
    return takenBy;
}

// One IPC message: the atom in wParam names the client's shared area.
LRESULT HandleIpc(WPARAM wParam) {
    ++sim.received;
    sim.lastWParam = static_cast<LRESULT>(wParam);
    sim.lastProcessId = -1;
    sim.lastTakenBy = TakenBy(wParam);
    if (sim.verbose) {
        std::printf("IPC message %lld, wParam 0x%llX\n", static_cast<long long>(sim.received),
                    static_cast<unsigned long long>(wParam));
        std::fflush(stdout);
    }
    if (sim.answer == Answer::Never) {
        // Stall as a hung simulator does; the check program ends the process.
        for (;;) {
            ::Sleep(INFINITE);
        }
    }
    if (sim.answer == Answer::Zero) {
        return 0;
    }
    if (sim.answer == Answer::Slow) {
        // Busy as a loaded simulator is; the batch is carried out late.
        ::Sleep(sim.slowMs);
    }
    if (sim.lastTakenBy != (TakenBy32Bit | TakenBy64Bit)) {
        if (sim.verbose) {
            std::printf("  refused: not the atom sign-extended for a %s receiver\n",
                        (sim.lastTakenBy & TakenBy32Bit) == 0 ? "32-bit" : "64-bit");
        }
        return 0;
    }
    char name[256] = {};
    if (::GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name) == 0) {
        return 0;
    }
    sim.lastProcessId = ProcessIdInName(name);
    if (sim.verbose) {
        std::printf("exchange %lld over %s\n", static_cast<long long>(sim.received), name);
    }
    if (std::string_view(name).substr(0, MappingPrefix.size()) != MappingPrefix) {
        return 0;
    }
    const HANDLE mapping = ::OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (mapping == nullptr) {
        return 0;
    }
    LRESULT result = 0;
    if (void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) {
        MEMORY_BASIC_INFORMATION region{};
        if (::VirtualQuery(view, &region, sizeof region) != 0 && region.RegionSize >= AreaSize) {
            result = CarryOut(static_cast<unsigned char*>(view)) ? 1 : 0;
        }
        ::UnmapViewOfFile(view);
    }
    ::CloseHandle(mapping);
    std::fflush(stdout);
    return result;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == sim.ipcMessage) {
        return HandleIpc(wParam);
    }
    if (message == sim.peekMessage || message == sim.pokeMessage) {
        if (wParam > SpaceSize - 4) {
            return 0;
        }
        if (message == sim.pokeMessage) {
            Store32(sim.space + wParam, static_cast<std::uint32_t>(lParam));
        }
        return static_cast<LRESULT>(Load32(sim.space + wParam));
    }
    if (message == sim.answerMessage) {
        sim.answer = static_cast<Answer>(wParam <= 3 ? wParam : 0);
        sim.slowMs = static_cast<DWORD>(lParam);
        return 1;
    }
    if (message == sim.infoMessage) {
        switch (wParam) {
            case 0:
                return sim.received;
            case 1:
                return sim.lastWParam;
            case 2:
                return sim.lastProcessId;
            default:
                return sim.lastTakenBy;
        }
    }
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

bool ParseNumber(const char* text, std::uint32_t& value) {
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text, &end, 0);
    if (end == text || *end != '\0' || parsed > 0xFFFFFFFFul) {
        return false;
    }
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

bool ParseStation(const char* text) {
    char* end = nullptr;
    const long station = std::strtol(text, &end, 10);
    if (end == text || *end != '=' || station < 1 || station > StationCount) {
        return false;
    }
    const char* weightText = end + 1;
    const double pounds = std::strtod(weightText, &end);
    if (end == weightText || *end != '\0') {
        return false;
    }
    std::memcpy(sim.space + StationBase + StationStride * (station - 1), &pounds, sizeof pounds);
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: win32_sim [--class UIPCMAIN|FS98MAIN] [--fsuipc-version N]\n"
                 "                 [--sim-version-word N] [--station K=POUNDS]...\n"
                 "                 [--answer normal|zero|never] [--verbose]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string windowClass = "UIPCMAIN";
    Store32(sim.space + FsuipcVersionOffset, 0x39990000u);
    Store32(sim.space + FsuipcVersionOffset + 4, 0xFADE0007u);  // FS2004
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--verbose") {
            sim.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            return Usage();
        }
        const char* value = argv[++i];
        std::uint32_t number = 0;
        if (option == "--class" &&
            (std::strcmp(value, "UIPCMAIN") == 0 || std::strcmp(value, "FS98MAIN") == 0)) {
            windowClass = value;
        } else if (option == "--fsuipc-version" && ParseNumber(value, number)) {
            Store32(sim.space + FsuipcVersionOffset, number);
        } else if (option == "--sim-version-word" && ParseNumber(value, number)) {
            Store32(sim.space + FsuipcVersionOffset + 4, number);
        } else if (option == "--station" && ParseStation(value)) {
        } else if (option == "--answer" && std::strcmp(value, "normal") == 0) {
            sim.answer = Answer::Normal;
        } else if (option == "--answer" && std::strcmp(value, "zero") == 0) {
            sim.answer = Answer::Zero;
        } else if (option == "--answer" && std::strcmp(value, "never") == 0) {
            sim.answer = Answer::Never;
        } else {
            return Usage();
        }
    }

    sim.ipcMessage = ::RegisterWindowMessageA("FSASMLIB:IPC");
    sim.peekMessage = ::RegisterWindowMessageA("TarnwellSim:Peek");
    sim.pokeMessage = ::RegisterWindowMessageA("TarnwellSim:Poke");
    sim.answerMessage = ::RegisterWindowMessageA("TarnwellSim:Answer");
    sim.infoMessage = ::RegisterWindowMessageA("TarnwellSim:Info");
    if (sim.ipcMessage == 0 || sim.peekMessage == 0 || sim.pokeMessage == 0 ||
        sim.answerMessage == 0 || sim.infoMessage == 0) {
        std::fprintf(stderr, "win32_sim: cannot register the messages\n");
        return 1;
    }

    WNDCLASSA registration{};
    registration.lpfnWndProc = WindowProc;
    registration.hInstance = ::GetModuleHandleA(nullptr);
    registration.lpszClassName = windowClass.c_str();
    if (::RegisterClassA(&registration) == 0 ||
        ::CreateWindowExA(0, windowClass.c_str(), "Tarnwell stand-in simulator",
                          WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, nullptr,
                          nullptr, registration.hInstance, nullptr) == nullptr) {
        std::fprintf(stderr, "win32_sim: cannot create the %s window (error %lu)\n",
                     windowClass.c_str(), ::GetLastError());
        return 1;
    }
    if (sim.verbose) {
        std::printf("serving %s; close the window or end the process to stop\n",
                    windowClass.c_str());
        std::fflush(stdout);
    }

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageA(&message);
    }
    return 0;
}
