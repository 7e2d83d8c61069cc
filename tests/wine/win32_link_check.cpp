// End-to-end checks of the simulator link on the real Win32 calls: the
// program's connection routines and FSUIPC client, over the back-end that
// MakeSystemPlatform gives on Windows, against the stand-in simulator
// win32_sim.exe (beside this program), which the checks start themselves.
// What the client wrote is checked on the simulator's side, through the
// stand-in's own Peek/Info messages, not read back through the client.
//
// Runs natively on Windows and under Wine (scripts/test.sh). Prints the
// failed checks of each case and a summary; exits 0 only if all passed, and
// 77 (without opening the link) when a simulator window it did not start is
// open, since the client would connect to that one.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <aclapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sim/module/connection.h"
#include "sim/module/fsuipc_client.h"
#include "sim/module/platform/system_platform.h"
#include "sim/module/platform/win32_platform.h"
#include "support/foreign_simulator.h"

using namespace tarnwell::sim;

namespace {

// ---- a small check counter --------------------------------------------------

struct Tally {
    int passed = 0;
    int failed = 0;
    int failedCases = 0;
    int cases = 0;
};

Tally tally;
int caseFailures = 0;

void Record(bool ok, const std::string& what, int line) {
    if (ok) {
        ++tally.passed;
        return;
    }
    ++tally.failed;
    ++caseFailures;
    std::printf("    FAILED (line %d): %s\n", line, what.c_str());
}

template <typename A, typename B>
void RecordEqual(const A& actual, const B& expected, const char* text, int line) {
    const bool ok = actual == expected;
    if (ok) {
        Record(true, {}, line);
        return;
    }
    std::ostringstream what;
    what.precision(17);
    what << text << ": got " << actual << ", expected " << expected;
    Record(false, what.str(), line);
}

#define CHECK(condition) Record((condition), #condition, __LINE__)
#define CHECK_EQ(actual, expected) \
    RecordEqual((actual), (expected), #actual " == " #expected, __LINE__)

template <typename Body>
void Case(const char* name, Body body) {
    caseFailures = 0;
    ++tally.cases;
    std::printf("[ run  ] %s\n", name);
    std::fflush(stdout);
    body();
    if (caseFailures != 0) {
        ++tally.failedCases;
    }
    std::printf("[ %s ] %s\n", caseFailures == 0 ? " ok " : "FAIL", name);
    std::fflush(stdout);
}

// ---- the stand-in simulator ----------------------------------------------------

// This program's folder, with its final separator, in UTF-16: the folder may
// be longer than MAX_PATH and hold letters outside the ANSI code page.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            path.resize(length);
            break;
        }
        // Cut short: the buffer was too small.
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

UINT Registered(const char* name) {
    return ::RegisterWindowMessageA(name);
}

// One stand-in simulator process, ended (and waited for) when it goes.
class StandIn {
public:
    StandIn(const char* windowClass, const std::string& options) {
        std::wstring command = L"\"" + ProgramFolder() + L"win32_sim.exe\" --class " +
                               Widen(windowClass) + L" " + Widen(options);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_)) {
            std::printf("    cannot start win32_sim.exe (error %lu)\n", ::GetLastError());
            return;
        }
        // Its window, told from any other of the class by the process id.
        for (int waited = 0; window_ == nullptr && waited < 30000; waited += 20) {
            if (::WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0) {
                std::printf("    win32_sim.exe ended before its window appeared\n");
                return;
            }
            for (HWND found = ::FindWindowExA(nullptr, nullptr, windowClass, nullptr);
                 found != nullptr; found = ::FindWindowExA(nullptr, found, windowClass, nullptr)) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(found, &owner);
                if (owner == process_.dwProcessId) {
                    window_ = found;
                    break;
                }
            }
        }
    }

    ~StandIn() { Stop(); }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool Ready() const { return window_ != nullptr; }

    // Closes the window and waits for the process; a stalled one is ended.
    void Stop() {
        if (process_.hProcess == nullptr) {
            return;
        }
        if (window_ != nullptr && !stalled_) {
            ::PostMessageA(window_, WM_CLOSE, 0, 0);
        }
        if (::WaitForSingleObject(process_.hProcess, stalled_ ? 0 : 10000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process_.hProcess, 1);
            ::WaitForSingleObject(process_.hProcess, 10000);
        }
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
        process_ = {};
        window_ = nullptr;
    }

    std::uint32_t Peek(std::uint32_t offset) const {
        return static_cast<std::uint32_t>(Ask("TarnwellSim:Peek", offset, 0));
    }
    void Poke(std::uint32_t offset, std::uint32_t value) const {
        Ask("TarnwellSim:Poke", offset, static_cast<LPARAM>(value));
    }
    double PeekDouble(std::uint32_t offset) const {
        const std::uint64_t bits = std::uint64_t{Peek(offset)} | std::uint64_t{Peek(offset + 4)}
                                                                     << 32;
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    void PokeDouble(std::uint32_t offset, double value) const {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        Poke(offset, static_cast<std::uint32_t>(bits));
        Poke(offset + 4, static_cast<std::uint32_t>(bits >> 32));
    }
    // IPC messages the simulator has received so far.
    long long Received() const { return Ask("TarnwellSim:Info", 0, 0); }
    // The wParam of the last one, as the simulator got it.
    long long LastWParam() const { return Ask("TarnwellSim:Info", 1, 0); }
    // The process id in the last mapping name, -1 if it was not well formed.
    long long LastProcessId() const { return Ask("TarnwellSim:Info", 2, 0); }
    // The receivers that took the last atom: 1 a 32-bit one, 2 a 64-bit one.
    long long LastTakenBy() const { return Ask("TarnwellSim:Info", 3, 0); }
    void AnswerNormally() const { Ask("TarnwellSim:Answer", 0, 0); }
    void AnswerZero() const { Ask("TarnwellSim:Answer", 1, 0); }
    // Each IPC message is carried out only after a delay of this long.
    void AnswerSlowly(std::uint32_t delayMs) const {
        Ask("TarnwellSim:Answer", 3, static_cast<LPARAM>(delayMs));
    }
    // An IPC message with a wParam of the check's choosing: the answer.
    long long SendIpc(WPARAM wParam) const { return Ask("FSASMLIB:IPC", wParam, 0); }
    // From now on IPC messages get no answer; the process is ended at Stop.
    void NeverAnswer() {
        Ask("TarnwellSim:Answer", 2, 0);
        stalled_ = true;
    }

private:
    LRESULT Ask(const char* message, WPARAM wParam, LPARAM lParam) const {
        DWORD_PTR answer = 0;
        if (window_ == nullptr || ::SendMessageTimeoutA(window_, Registered(message), wParam,
                                                        lParam, SMTO_BLOCK, 5000, &answer) == 0) {
            std::printf("    the stand-in did not answer %s\n", message);
            return -1;
        }
        return static_cast<LRESULT>(answer);
    }

    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    bool stalled_ = false;
};

// ---- the cases --------------------------------------------------------------------

constexpr std::int32_t LeftTank = 0x0B7C;
constexpr std::int32_t RightTank = 0x0B94;
constexpr std::int32_t CenterTank = 0x0B74;
constexpr std::int32_t StationOffset(int station) {
    return 0x1400 + 48 * (station - 1);
}
constexpr std::uint32_t Sentinel = 0xA5A55A5Au;

const char* const NoSimulatorText =
    "FSUIPC connection failure: Cannot link to FSUIPC or WideClient\r\n\r\n"
    "Ensure that Flight Simulator is running.";

std::string FailureText(std::int32_t code) {
    return "FSUIPC connection failure: " + std::string(IpcErrorText(code)) +
           "\r\n\r\nEnsure that Flight Simulator is running.";
}

void NoSimulator() {
    Case("no simulator: code 2 and its message", [] {
        SimConnection sim(MakeSystemPlatform());
        std::int32_t code = -1;
        CHECK(!sim.ConnectToSimulator(code));
        CHECK_EQ(code, IpcErrNoFs);
        CHECK_EQ(ConnectionFailureText(code), std::string(NoSimulatorText));
        CHECK(!sim.SimConnected());
        CHECK(!sim.Client().IsOpen());
    });
}

// The open and its version check under one window class. The refusal code
// of a failed check tells the class: 7 for UIPCMAIN, 14 for FS98MAIN.
void VersionCheck(StandIn& standIn, const char* windowClass, std::int32_t refusal) {
    const std::string under = std::string(" under ") + windowClass;
    Case(("open accepted" + under).c_str(), [&] {
        SimConnection sim(MakeSystemPlatform());
        std::int32_t code = -1;
        const long long before = standIn.Received();
        CHECK(sim.ConnectToSimulator(code));
        CHECK_EQ(code, IpcOk);
        CHECK(sim.SimConnected());
        CHECK_EQ(sim.Client().FsuipcVersion(), 0x39990000);
        CHECK_EQ(sim.Client().SimVersion(), 7u);
        // Both versions came in the first try: one exchange.
        CHECK_EQ(standIn.Received() - before, 1);
        // The atom travels sign-extended, and names this process's area.
        CHECK(sim.Client().Atom() < 0);
        CHECK_EQ(standIn.LastWParam(), static_cast<long long>(sim.Client().Atom()));
        CHECK_EQ(standIn.LastProcessId(), static_cast<long long>(::GetCurrentProcessId()));
        CHECK_EQ(standIn.LastTakenBy(), 3);
        // The client's version write does not disturb FSUIPC's words.
        CHECK_EQ(standIn.Peek(0x3308), 0xFADE0007u);
        sim.IpcClose();
        CHECK(!sim.Client().IsOpen());
    });

    Case(("FSUIPC too old: code " + std::to_string(refusal) + under).c_str(), [&] {
        standIn.Poke(0x3304, 0x19980004);
        SimConnection sim(MakeSystemPlatform());
        std::int32_t code = -1;
        CHECK(!sim.ConnectToSimulator(code));
        CHECK_EQ(code, refusal);
        CHECK_EQ(ConnectionFailureText(code), FailureText(refusal));
        CHECK(!sim.SimConnected());
        CHECK(!sim.Client().IsOpen());
        CHECK_EQ(sim.Client().Atom(), 0);
        // The oldest version accepted.
        standIn.Poke(0x3304, 0x19980005);
        CHECK(sim.ConnectToSimulator(code));
        CHECK_EQ(code, IpcOk);
        standIn.Poke(0x3304, 0x39990000);
    });

    Case(("not a simulator word at 0x3308: code " + std::to_string(refusal) + under).c_str(), [&] {
        standIn.Poke(0x3308, 0x12340007);
        SimConnection sim(MakeSystemPlatform());
        std::int32_t code = -1;
        CHECK(!sim.ConnectToSimulator(code));
        CHECK_EQ(code, refusal);
        standIn.Poke(0x3308, 0xFADE0007);
    });

    Case(("FSUIPC answering zeros: five tries, code " + std::to_string(refusal) + under).c_str(),
         [&] {
             standIn.Poke(0x3304, 0);
             standIn.Poke(0x3308, 0);
             SimConnection sim(MakeSystemPlatform());
             std::int32_t code = -1;
             const long long before = standIn.Received();
             const ULONGLONG start = ::GetTickCount64();
             CHECK(!sim.ConnectToSimulator(code));
             const ULONGLONG elapsed = ::GetTickCount64() - start;
             CHECK_EQ(code, refusal);
             CHECK_EQ(standIn.Received() - before, 5);
             // Each try is followed by the 100 ms pause.
             CHECK(elapsed >= 450);
             standIn.Poke(0x3304, 0x39990000);
             standIn.Poke(0x3308, 0xFADE0007);
         });

    Case(("requested simulator version: 8 when it differs" + under).c_str(), [&] {
        auto platform = MakeSystemPlatform();
        FsuipcClient client(*platform);
        std::int32_t code = -1;
        CHECK(!client.IpcOpen(SimFs2002, code));
        CHECK_EQ(code, IpcErrWrongFs);
        CHECK(!client.IsOpen());
        CHECK(client.IpcOpen(SimFs2004, code));
        CHECK_EQ(code, IpcOk);
        CHECK_EQ(client.SimVersion(), 7u);
    });
}

void BoardTanks(StandIn& standIn, SimConnection& sim) {
    Case("tank levels written, each in an exchange of its own", [&] {
        const std::int32_t tanks[] = {LeftTank, RightTank, CenterTank};
        const std::int32_t levels[] = {4194304, 4194305, 8388608};
        for (std::int32_t tank : tanks) {
            standIn.Poke(tank - 4, Sentinel);
            standIn.Poke(tank + 4, Sentinel);
        }
        const long long before = standIn.Received();
        std::int32_t code = -1;
        for (int i = 0; i < 3; ++i) {
            CHECK(sim.WriteToSimulator(tanks[i], 4, &levels[i], code));
            CHECK_EQ(code, IpcOk);
        }
        CHECK_EQ(standIn.Received() - before, 3);
        for (int i = 0; i < 3; ++i) {
            CHECK_EQ(standIn.Peek(tanks[i]), static_cast<std::uint32_t>(levels[i]));
            // Four bytes, no more: the neighbours are untouched.
            CHECK_EQ(standIn.Peek(tanks[i] - 4), Sentinel);
            CHECK_EQ(standIn.Peek(tanks[i] + 4), Sentinel);
        }
    });
}

void ReadStations(StandIn& standIn, SimConnection& sim) {
    const double weights[] = {150.4, 150.5, 151.5, 0.0};
    Case("payload stations read, each in an exchange of its own", [&] {
        // Something in the next station's first bytes too, so a read of the
        // wrong size or place shows.
        for (int k = 1; k <= 5; ++k) {
            standIn.PokeDouble(StationOffset(k), k <= 4 ? weights[k - 1] : -1.0);
        }
        const long long before = standIn.Received();
        std::int32_t code = -1;
        for (int k = 1; k <= 4; ++k) {
            double read = 99999.0;
            CHECK(sim.ReadFromSimulator(StationOffset(k), 8, &read, code));
            CHECK_EQ(code, IpcOk);
            CHECK_EQ(read, standIn.PeekDouble(StationOffset(k)));
            CHECK_EQ(read, weights[k - 1]);
        }
        CHECK_EQ(standIn.Received() - before, 4);
    });

    Case("reads and writes mixed in one batch", [&] {
        FsuipcClient& client = sim.Client();
        const std::int32_t levels[] = {1000, 2000, 3000};
        const std::int32_t tanks[] = {LeftTank, RightTank, CenterTank};
        double read[4] = {-7, -7, -7, -7};
        std::int32_t code = -1;
        for (int i = 0; i < 4; ++i) {
            CHECK(client.IpcRead(StationOffset(i + 1), 8, &read[i], code));
            if (i < 3) {
                CHECK(client.IpcWrite(tanks[i], 4, &levels[i], code));
            }
        }
        const long long before = standIn.Received();
        CHECK(client.IpcProcess(code));
        CHECK_EQ(code, IpcOk);
        CHECK_EQ(standIn.Received() - before, 1);
        for (int i = 0; i < 4; ++i) {
            CHECK_EQ(read[i], weights[i]);
        }
        for (int i = 0; i < 3; ++i) {
            CHECK_EQ(standIn.Peek(tanks[i]), static_cast<std::uint32_t>(levels[i]));
        }
    });
}

void ResultZero(StandIn& standIn, SimConnection& sim) {
    Case("message result 0: code 13, batch lost, link kept", [&] {
        standIn.Poke(LeftTank, 111);
        standIn.AnswerZero();
        std::int32_t code = -1;
        std::int32_t level = -5;
        CHECK(!sim.ReadFromSimulator(LeftTank, 4, &level, code));
        CHECK_EQ(code, IpcErrData);
        CHECK_EQ(level, -5);
        // The queue was emptied: nothing is left to send.
        const long long before = standIn.Received();
        CHECK(!sim.Client().IpcProcess(code));
        CHECK_EQ(code, IpcErrNoData);
        CHECK_EQ(standIn.Received(), before);
        // The link stays open and works once the simulator answers again.
        standIn.AnswerNormally();
        CHECK(sim.SimConnected());
        CHECK(sim.ReadFromSimulator(LeftTank, 4, &level, code));
        CHECK_EQ(level, 111);
    });
}

void OpenTwiceAndReopen(StandIn& standIn, SimConnection& sim) {
    Case("open on an open link: code 1; closed link: code 9; reopen", [&] {
        std::int32_t code = -1;
        CHECK(!sim.Client().IpcOpen(SimAny, code));
        CHECK_EQ(code, IpcErrOpen);
        CHECK(sim.Client().IsOpen());
        std::int32_t level = 0;
        CHECK(sim.ReadFromSimulator(LeftTank, 4, &level, code));

        sim.IpcClose();
        const long long before = standIn.Received();
        CHECK(!sim.ReadFromSimulator(LeftTank, 4, &level, code));
        CHECK_EQ(code, IpcErrNotOpen);
        CHECK_EQ(standIn.Received(), before);
        // The same area name again: the close released the atom and mapping
        // (an area still held would refuse the open with code 5).
        CHECK(sim.ConnectToSimulator(code));
        CHECK_EQ(code, IpcOk);
    });
}

// 11 sends of timeoutMs and 10 pauses of pauseMs, within reason.
void CheckRetryTime(ULONGLONG elapsed, const FsuipcTiming& timing) {
    const ULONGLONG expected = 11ull * timing.sendTimeoutMs + 10ull * timing.pauseMs;
    CHECK(elapsed + 30 >= expected);
    CHECK(elapsed < expected + 5000);
}

// What the system said about the last send: Windows 10 and 11 leave
// ERROR_TIMEOUT (1460) after a time-out, older releases 0.
void ReportSend(std::int32_t code, const Win32Platform& platform, ULONGLONG elapsed) {
    std::printf("    code %d (system error %u) after %llu ms\n", code, platform.SystemError(),
                static_cast<unsigned long long>(elapsed));
}

void StallAfterOpen(StandIn& standIn) {
    Case("simulator stops answering: code 11 after the retries, link kept", [&] {
        // A short time-out for this case only; the program uses 2 s and 100 ms.
        const FsuipcTiming timing{100, 10};
        Win32Platform platform;
        SimConnection sim(platform, timing);
        std::int32_t code = -1;
        CHECK(sim.ConnectToSimulator(code));
        standIn.NeverAnswer();
        const std::int32_t level = 4194304;
        const ULONGLONG start = ::GetTickCount64();
        CHECK(!sim.WriteToSimulator(LeftTank, 4, &level, code));
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        ReportSend(code, platform, elapsed);
        CHECK_EQ(code, IpcErrTimeout);
        CheckRetryTime(elapsed, timing);
        CHECK(sim.SimConnected());
        CHECK(sim.Client().IsOpen());
        standIn.Stop();
    });
}

void StallAtOpen(StandIn& standIn) {
    Case("simulator never answers the open: code 11, nothing held", [&] {
        const FsuipcTiming timing{50, 10};
        standIn.NeverAnswer();
        Win32Platform platform;
        SimConnection sim(platform, timing);
        std::int32_t code = -1;
        const ULONGLONG start = ::GetTickCount64();
        CHECK(!sim.ConnectToSimulator(code));
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        ReportSend(code, platform, elapsed);
        CHECK_EQ(code, IpcErrTimeout);
        CHECK_EQ(ConnectionFailureText(code), FailureText(IpcErrTimeout));
        CheckRetryTime(elapsed, timing);
        CHECK(!sim.SimConnected());
        CHECK(!sim.Client().IsOpen());
        CHECK_EQ(sim.Client().Atom(), 0);
        standIn.Stop();
    });
}

// A simulator that is busy, not gone: the sends time out, yet it carries out
// the batch when it gets to it (there is no way to take a sent batch back),
// and the link goes on working once it answers in time again. Then the
// simulator goes away: a send to a window that no longer exists fails at
// once, as a failed send and not as a time-out.
void SlowThenGone(StandIn& standIn) {
    const FsuipcTiming timing{100, 10};
    Win32Platform platform;
    SimConnection sim(platform, timing);
    std::int32_t code = -1;
    Case("connect to a third stand-in", [&] { CHECK(sim.ConnectToSimulator(code)); });
    if (!sim.SimConnected()) {
        return;
    }

    Case("slow simulator: code 11, the batch carried out late, link kept", [&] {
        standIn.Poke(LeftTank, 0);
        const long long before = standIn.Received();
        standIn.AnswerSlowly(3 * timing.sendTimeoutMs / 2);
        const std::int32_t level = 4194304;
        CHECK(!sim.WriteToSimulator(LeftTank, 4, &level, code));
        CHECK_EQ(code, IpcErrTimeout);
        // The stand-in handles its messages in order, so this waits for the
        // late ones.
        standIn.AnswerNormally();
        std::printf("    %lld of the 11 timed-out sends reached the simulator\n",
                    standIn.Received() - before);
        CHECK(standIn.Received() - before >= 1);
        CHECK_EQ(standIn.Peek(LeftTank), static_cast<std::uint32_t>(level));
        std::int32_t read = 0;
        CHECK(sim.ReadFromSimulator(LeftTank, 4, &read, code));
        CHECK_EQ(code, IpcOk);
        CHECK_EQ(read, level);
    });

    Case("simulator gone after the open: code 12 without waiting", [&] {
        standIn.Stop();
        const std::int32_t level = 1;
        const ULONGLONG start = ::GetTickCount64();
        CHECK(!sim.WriteToSimulator(LeftTank, 4, &level, code));
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        ReportSend(code, platform, elapsed);
        CHECK_EQ(code, IpcErrSendMsg);
        CHECK(platform.SystemError() != 0 && platform.SystemError() != ErrorTimeout);
        // Only the ten pauses: no send waited for its time-out.
        CHECK(elapsed < 11ull * timing.sendTimeoutMs);
        CHECK(sim.SimConnected());
    });
}

// The atom goes out as its 16 bits sign-extended, which is what a 32-bit
// simulator (seeing wParam cut to 32 bits) and a 64-bit one both take. The
// stand-in refuses the forms a client could send by mistake.
void AtomForms(StandIn& standIn, SimConnection& sim) {
    Case("atom taken by 32-bit and 64-bit receivers; wrong forms refused", [&] {
        const std::int32_t atom = sim.Client().Atom();
        CHECK(atom >= -0x4000 && atom < 0);  // 0xC000..0xFFFF sign-extended
        std::int32_t level = 0;
        std::int32_t code = -1;
        CHECK(sim.ReadFromSimulator(LeftTank, 4, &level, code));
        CHECK_EQ(standIn.LastTakenBy(), 3);
        // The 16 bits without sign: neither receiver takes it.
        CHECK_EQ(standIn.SendIpc(static_cast<std::uint16_t>(atom)), 0);
        CHECK_EQ(standIn.LastTakenBy(), 0);
        if constexpr (sizeof(WPARAM) == 8) {
            // Sign-extended to 32 bits only: right for a 32-bit receiver alone.
            CHECK_EQ(standIn.SendIpc(static_cast<std::uint32_t>(atom)), 0);
            CHECK_EQ(standIn.LastTakenBy(), 1);
        }
        CHECK_EQ(standIn.SendIpc(static_cast<WPARAM>(static_cast<LONG_PTR>(atom))), 1);
    });
}

// SIDs kept in DWORDs, which keeps them aligned.
std::vector<DWORD> CurrentUserSid() {
    std::vector<DWORD> sid;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return sid;
    }
    DWORD needed = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::vector<DWORD> buffer(needed / sizeof(DWORD) + 1);
    if (::GetTokenInformation(token, TokenUser, buffer.data(),
                              static_cast<DWORD>(buffer.size() * sizeof(DWORD)), &needed)) {
        const PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        sid.resize(::GetLengthSid(user) / sizeof(DWORD) + 1);
        ::CopySid(static_cast<DWORD>(sid.size() * sizeof(DWORD)), sid.data(), user);
    }
    ::CloseHandle(token);
    return sid;
}

// The simulator (of the same user) opens the area whether the planner runs
// elevated or not only if the area's DACL names the user itself.
void AreaSecurity(SimConnection& sim) {
    Case("shared area open to this user and SYSTEM only", [&] {
        std::vector<DWORD> user = CurrentUserSid();
        DWORD system[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
        DWORD systemSize = sizeof system;
        CHECK(!user.empty());
        CHECK(::CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize));
        PACL dacl = nullptr;
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        const DWORD status = ::GetSecurityInfo(reinterpret_cast<HANDLE>(sim.Client().Mapping()),
                                               SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                               nullptr, &dacl, nullptr, &descriptor);
        CHECK_EQ(status, static_cast<DWORD>(ERROR_SUCCESS));
        if (status != ERROR_SUCCESS || dacl == nullptr || user.empty()) {
            CHECK(dacl != nullptr);
            ::LocalFree(descriptor);
            return;
        }
        CHECK_EQ(dacl->AceCount, 2);
        bool userAllowed = false;
        bool systemAllowed = false;
        for (DWORD i = 0; i < dacl->AceCount; ++i) {
            void* entry = nullptr;
            if (!::GetAce(dacl, i, &entry)) {
                CHECK(false);
                continue;
            }
            const auto* ace = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
            CHECK_EQ(static_cast<int>(ace->Header.AceType), ACCESS_ALLOWED_ACE_TYPE);
            CHECK_EQ(ace->Mask, static_cast<DWORD>(FILE_MAP_ALL_ACCESS));
            const PSID sid = const_cast<DWORD*>(&ace->SidStart);
            userAllowed = userAllowed || ::EqualSid(sid, user.data());
            systemAllowed = systemAllowed || ::EqualSid(sid, system);
        }
        CHECK(userAllowed);
        CHECK(systemAllowed);
        ::LocalFree(descriptor);
    });
}

}  // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (const auto foreign = tarnwell::test::FindForeignSimulatorWindow()) {
        std::printf("%s\n", tarnwell::test::ForeignSimulatorRefusal(*foreign).c_str());
        return tarnwell::test::ForeignSimulatorExitCode;
    }
    NoSimulator();

    // FS98MAIN alone first: with a UIPCMAIN window about, the client takes that one.
    StandIn wideClient(WindowClassFs98, "");
    Case("stand-in simulator started (FS98MAIN)", [&] { CHECK(wideClient.Ready()); });
    if (wideClient.Ready()) {
        VersionCheck(wideClient, WindowClassFs98, IpcErrRunning);
    }

    StandIn fsuipc(WindowClassUipc, "");
    Case("stand-in simulator started (UIPCMAIN)", [&] { CHECK(fsuipc.Ready()); });
    if (fsuipc.Ready() && wideClient.Ready()) {
        Case("UIPCMAIN preferred to FS98MAIN", [&] {
            const long long before = wideClient.Received();
            const long long taken = fsuipc.Received();
            SimConnection sim(MakeSystemPlatform());
            std::int32_t code = -1;
            CHECK(sim.ConnectToSimulator(code));
            CHECK_EQ(wideClient.Received(), before);
            CHECK_EQ(fsuipc.Received() - taken, 1);
        });
    }
    if (fsuipc.Ready()) {
        VersionCheck(fsuipc, WindowClassUipc, IpcErrVersion);
        SimConnection sim(MakeSystemPlatform());
        std::int32_t code = -1;
        Case("connect for the commands", [&] {
            CHECK(sim.ConnectToSimulator(code));
            CHECK_EQ(code, IpcOk);
        });
        if (sim.SimConnected()) {
            AtomForms(fsuipc, sim);
            AreaSecurity(sim);
            BoardTanks(fsuipc, sim);
            ReadStations(fsuipc, sim);
            ResultZero(fsuipc, sim);
            OpenTwiceAndReopen(fsuipc, sim);
        }
        sim.IpcClose();
        StallAfterOpen(fsuipc);
    }
    fsuipc.Stop();
    {
        StandIn busy(WindowClassUipc, "");
        Case("stand-in simulator started (UIPCMAIN, third)", [&] { CHECK(busy.Ready()); });
        if (busy.Ready()) {
            SlowThenGone(busy);
        }
    }
    if (wideClient.Ready()) {
        StallAtOpen(wideClient);
    }
    wideClient.Stop();

    std::printf("Win32 simulator link: %d cases, %d failed; %d checks, %d passed, %d failed\n",
                tally.cases, tally.failedCases, tally.passed + tally.failed, tally.passed,
                tally.failed);
    return tally.failed == 0 ? 0 : 1;
}
