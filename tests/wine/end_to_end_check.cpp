// The real tarnwell.exe end to end, as a user drives it: its buttons are
// clicked with mouse messages, its message boxes are recognised by their
// titles, their texts copied with Ctrl+C and the boxes closed, and what it
// did is checked where it lands: the tank levels in the stand-in simulator
// win32_sim.exe (asked through the stand-in's own Peek message) or in the
// lines the X-Plane stand-in prints, and the inputs in the registry.
//
//   end_to_end_check TARNWELL.EXE
//   end_to_end_check TARNWELL.EXE --flightgear PORT
//
// win32_sim.exe is taken from this program's folder, tarnwell-xplane.exe
// from the build's tools folder beside it. The second form runs only the
// FlightGear case, against a FlightGear its caller started
// (tests/wine/flightgear_check.sh, which reads the tanks back). The check
// writes the program's settings key, so it runs only under Wine, in a
// throw-away prefix (tests/wine/run.sh makes one); on Windows it refuses to
// run. Prints each case and a summary; exits 0 only if every check passed.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "sim/module/tank_levels.h"
#include "support/foreign_simulator.h"

namespace {

const wchar_t* const SettingsKey = L"Software\\VB and VBA Program Settings\\Tarnwell\\Settings";
const wchar_t* const WindowTitle = L"Boeing Tarnwell";
const wchar_t* const WaitDialogTitle = L"Tarnwell";
constexpr DWORD WaitMilliseconds = 30000;

int failures = 0;

void Check(bool ok, const char* what, int line) {
    if (!ok) {
        ++failures;
        std::printf("    FAILED (line %d): %s\n", line, what);
    }
}
#define CHECK(condition) Check((condition), #condition, __LINE__)

bool UnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// ---- the registry, as earlier versions wrote it: REG_SZ text ---------------

void ClearSettings() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
}

void StoreSetting(const wchar_t* name, const std::wstring& text) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

// The stored text, "<absent>" when there is none and "<type N>" when the
// value is not REG_SZ.
std::wstring StoredSetting(const wchar_t* name) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    DWORD type = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, text,
                       &size) != ERROR_SUCCESS) {
        return L"<absent>";
    }
    return type == REG_SZ ? std::wstring(text) : L"<type " + std::to_wstring(type) + L">";
}

// ---- processes and their windows ---------------------------------------------

class Process {
public:
    // `output`, an inheritable handle, takes the process's standard output
    // and error.
    explicit Process(const std::wstring& commandLine, HANDLE output = nullptr) {
        std::wstring command = commandLine;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (output != nullptr) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = startup.hStdError = output;
        }
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, output != nullptr, 0,
                              nullptr, nullptr, &startup, &info_)) {
            std::printf("    cannot start %ls (error %lu)\n", commandLine.c_str(),
                        ::GetLastError());
        }
    }
    ~Process() {
        if (info_.hProcess != nullptr) {
            if (::WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
                ::TerminateProcess(info_.hProcess, 1);
                ::WaitForSingleObject(info_.hProcess, WaitMilliseconds);
            }
            ::CloseHandle(info_.hThread);
            ::CloseHandle(info_.hProcess);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }

    // A top-level window of this process with the given title (any, when
    // null) and class (any, when null), visible unless a class is given (the
    // stand-in's window is hidden), waited for; null when none appears in
    // time (`wait` milliseconds).
    HWND WaitForWindow(const wchar_t* title, const wchar_t* windowClass = nullptr,
                       DWORD wait = WaitMilliseconds) const {
        for (DWORD waited = 0; Started() && waited < wait; waited += 50) {
            for (HWND found = ::FindWindowExW(nullptr, nullptr, windowClass, title);
                 found != nullptr; found = ::FindWindowExW(nullptr, found, windowClass, title)) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(found, &owner);
                if (owner == info_.dwProcessId && (windowClass || ::IsWindowVisible(found))) {
                    return found;
                }
            }
            if (::WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) {
                return nullptr;
            }
        }
        return nullptr;
    }

    // The exit status once the process has ended, -1 if it did not in time.
    long ExitStatus() const {
        DWORD status = 0;
        if (!Started() ||
            ::WaitForSingleObject(info_.hProcess, WaitMilliseconds) != WAIT_OBJECT_0 ||
            !::GetExitCodeProcess(info_.hProcess, &status)) {
            return -1;
        }
        return static_cast<long>(status);
    }

private:
    PROCESS_INFORMATION info_{};
};

// A click in the middle of a push button, given in the window's layout
// units (twips, 15 to a pixel at 96 dots per inch), scaled to the window's
// dots per inch.
void Click(HWND window, int left, int top, int width, int height) {
    const UINT dpi = ::GetDpiForWindow(window) != 0 ? ::GetDpiForWindow(window) : 96;
    POINT at{::MulDiv(left + width / 2, static_cast<int>(dpi), 15 * 96),
             ::MulDiv(top + height / 2, static_cast<int>(dpi), 15 * 96)};
    POINT screen = at;
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    const LPARAM where = MAKELPARAM(at.x, at.y);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, where);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::PostMessageW(window, WM_LBUTTONUP, 0, where);
}

// A click at a point of a window's client area, in pixels.
void ClickAt(HWND window, int x, int y) {
    POINT screen{x, y};
    ::ClientToScreen(window, &screen);
    ::SetCursorPos(screen.x, screen.y);
    const LPARAM where = MAKELPARAM(x, y);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, where);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, where);
    ::PostMessageW(window, WM_LBUTTONUP, 0, where);
}

void ClickReadPayload(HWND window) {
    Click(window, 4200, 6090, 1815, 375);
}

void ClickBoardFuel(HWND window) {
    Click(window, 4200, 6570, 1815, 375);
}

// Closes a message box as its OK button would.
void CloseBox(HWND box) {
    ::PostMessageW(box, WM_CLOSE, 0, 0);
    for (DWORD waited = 0; ::IsWindow(box) && ::IsWindowVisible(box) && waited < WaitMilliseconds;
         waited += 50) {
        ::Sleep(50);
    }
}

// Waits for the program's message box titled `title` and closes it. False
// when no such box appeared.
bool DismissBox(const Process& program, const wchar_t* title) {
    const HWND box = program.WaitForWindow(title);
    if (box != nullptr) {
        CloseBox(box);
    }
    return box != nullptr;
}

// The program's message box titled `title`, waited for, its text copied as
// a user copies a box's text (Ctrl+C, then the clipboard), then closed.
// "<no box>" when none appeared, "<nothing copied>" when Ctrl+C gave
// nothing. The clipboard is emptied first, and Ctrl+C repeated, so that
// neither an earlier box's text nor a key press the box missed counts.
std::wstring BoxText(const Process& program, const wchar_t* title) {
    const HWND box = program.WaitForWindow(title);
    if (box == nullptr) {
        return L"<no box>";
    }
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    INPUT keys[4]{};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = i == 0 || i == 3 ? VK_CONTROL : 'C';
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    std::wstring text = L"<nothing copied>";
    for (int tries = 0; tries < 50 && !::IsClipboardFormatAvailable(CF_UNICODETEXT); ++tries) {
        if (tries % 10 == 0) {
            ::SetForegroundWindow(box);
            ::SendInput(4, keys, sizeof(INPUT));
        }
        ::Sleep(100);
    }
    if (::OpenClipboard(nullptr)) {
        if (const HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
                text = chars;
                ::GlobalUnlock(data);
            }
        }
        ::CloseClipboard();
    }
    CloseBox(box);
    return text;
}

// True when a box's text holds `part`; otherwise prints the text.
bool Contains(const std::wstring& text, std::wstring_view part) {
    if (text.find(part) != std::wstring::npos) {
        return true;
    }
    std::printf("    the box said: %ls\n", text.c_str());
    return false;
}

// ---- the stand-in simulator ----------------------------------------------------

class StandIn {
public:
    explicit StandIn(const std::wstring& options)
        : process_(L"\"" + ProgramFolder() + L"win32_sim.exe\" --class UIPCMAIN " + options),
          window_(process_.WaitForWindow(nullptr, L"UIPCMAIN")) {}
    ~StandIn() {
        if (window_ != nullptr) {
            ::PostMessageW(window_, WM_CLOSE, 0, 0);
        }
        process_.ExitStatus();
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool Ready() const { return window_ != nullptr; }

    std::uint32_t Peek(std::int32_t offset) const {
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(window_, ::RegisterWindowMessageW(L"TarnwellSim:Peek"),
                              static_cast<WPARAM>(offset), 0, SMTO_BLOCK, 5000, &answer);
        return static_cast<std::uint32_t>(answer);
    }

private:
    Process process_;
    HWND window_;
};

// The inputs of a plan whose total fuel is 9,630 lb: the 737-600 over
// 200 n.m. with a 600 kt tailwind leaves 310 lb, and 9,320 lb of holding
// fuel tops it up; the 737-800, which the web simulators are loaded with,
// leaves 330 lb and takes 9,300 lb. Each wing then takes 4,315 lb, half a
// main tank, and the centre 1,000 lb.
void StoreKnownPlan(bool b737_800 = false) {
    ClearSettings();
    StoreSetting(L"Model", b737_800 ? L"2" : L"0");
    StoreSetting(L"WindType", L"1");
    StoreSetting(L"Headwind", L"600");
    StoreSetting(L"HoldingFuel", b737_800 ? L"9300" : L"9320");
}

// The known plan's levels in the stand-in: half of each main tank, 1,000 lb
// of the centre's 28,803.
bool HoldsKnownPlan(const StandIn& sim) {
    using namespace tarnwell::sim;
    return sim.Peek(OffsetLeftMainLevel) == 4194304 && sim.Peek(OffsetRightMainLevel) == 4194304 &&
           sim.Peek(OffsetCenterLevel) == 291241;
}

// The X-Plane stand-in tarnwell-xplane.exe on a free port; what it prints
// goes into a file of its own, gone with the last handle.
class XPlaneStandIn {
public:
    explicit XPlaneStandIn(const std::wstring& options)
        : path_(TemporaryFile()),
          output_(::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                &inherited_, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr)),
          process_(
              L"\"" + ProgramFolder() + L"..\\..\\tools\\tarnwell-xplane.exe\" --port 0 " + options,
              output_) {
        for (DWORD waited = 0; Port().empty() && waited < WaitMilliseconds; waited += 50) {
            ::Sleep(50);
        }
    }
    ~XPlaneStandIn() { ::CloseHandle(output_); }
    XPlaneStandIn(const XPlaneStandIn&) = delete;
    XPlaneStandIn& operator=(const XPlaneStandIn&) = delete;

    // From its first line, "listening on 127.0.0.1:PORT"; empty until then.
    std::wstring Port() const {
        const std::string text = Output();
        const std::string_view start = "listening on 127.0.0.1:";
        const std::size_t end = text.find_first_of("\r\n");
        if (text.rfind(start, 0) != 0 || end == std::string::npos) {
            return {};
        }
        return std::wstring(text.begin() + start.size(), text.begin() + end);
    }

    std::string Output() const {
        std::string text;
        const HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD read = 0;
        while (file != INVALID_HANDLE_VALUE &&
               ::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
            text.append(buffer, read);
        }
        ::CloseHandle(file);
        return text;
    }

private:
    static std::wstring TemporaryFile() {
        wchar_t folder[MAX_PATH + 1] = {};
        wchar_t name[MAX_PATH + 1] = {};
        ::GetTempPathW(MAX_PATH, folder);
        ::GetTempFileNameW(folder, L"txp", 0, name);
        return name;
    }

    SECURITY_ATTRIBUTES inherited_{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    std::wstring path_;
    HANDLE output_;
    Process process_;
};

// The started program's main window, waited for and checked, with the
// stand-in it is to talk to (if any) ready; null when either is missing.
HWND MainWindow(const Process& tarnwell, const StandIn* sim = nullptr) {
    const bool simReady = sim == nullptr || sim->Ready();
    CHECK(simReady);
    const HWND window = tarnwell.WaitForWindow(WindowTitle);
    CHECK(window != nullptr);
    return simReady ? window : nullptr;
}

// Closes the program as its close box does and checks it ends cleanly.
void CloseNormally(const Process& tarnwell, HWND window) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    CHECK(tarnwell.ExitStatus() == 0);
}

// Board Fuel and Read Payload Weight through the window of a program that
// reaches a web simulator holding a 737-800: the success boxes, and the
// payload (whole pounds) shown and saved.
void BoardAndReadPayload(const Process& tarnwell, const std::wstring& payload) {
    const HWND window = MainWindow(tarnwell);
    if (window == nullptr) {
        return;
    }
    ClickBoardFuel(window);
    CHECK(Contains(BoxText(tarnwell, L"Success!"), L"The fuel was successfully boarded."));
    ClickReadPayload(window);
    CHECK(Contains(BoxText(tarnwell, L"Success!"),
                   L"Payload weight read as " + payload + L" pounds."));
    CloseNormally(tarnwell, window);
    CHECK(StoredSetting(L"Payload") == payload);
}

template <typename Body>
void Case(const char* name, Body body) {
    const int before = failures;
    std::printf("[ run  ] %s\n", name);
    std::fflush(stdout);
    body();
    std::printf("[ %s ] %s\n", failures == before ? " ok " : "FAIL", name);
    std::fflush(stdout);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc != 2 && !(argc == 4 && std::wstring_view(argv[2]) == L"--flightgear")) {
        std::printf("usage: end_to_end_check TARNWELL.EXE [--flightgear PORT]\n");
        return 2;
    }
    if (!UnderWine()) {
        std::printf(
            "end_to_end_check writes Tarnwell's settings in the registry, so it runs only "
            "under Wine, in a throw-away prefix; not run.\n");
        return 2;
    }
    // The program would connect to a real simulator as readily as to the
    // stand-in, and board test fuel into it.
    if (const auto foreign = tarnwell::test::FindForeignSimulatorWindow()) {
        std::printf("%s\n", tarnwell::test::ForeignSimulatorRefusal(*foreign).c_str());
        return tarnwell::test::ForeignSimulatorExitCode;
    }
    const std::wstring program = L"\"" + std::wstring(argv[1]) + L"\"";
    const std::wstring flightgearPort = argc == 4 ? argv[3] : L"";
    ::LocalFree(argv);

    if (!flightgearPort.empty()) {
        Case("FlightGear: boarding and reading the payload through the window", [&] {
            StoreKnownPlan(true);
            BoardAndReadPayload(
                Process(program + L" --simulator=flightgear --flightgear=127.0.0.1:" +
                        flightgearPort),
                L"19790");
        });
        std::printf("%d failed\n", failures);
        return failures == 0 ? 0 : 1;
    }

    Case("boarding and reading the payload through the window", [&] {
        StoreKnownPlan();
        const StandIn sim(L"--station 1=150.4 --station 2=150.5 --station 3=151.5 --station 4=0");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell, &sim);
        if (window == nullptr) {
            return;
        }
        ClickBoardFuel(window);
        CHECK(DismissBox(tarnwell, L"Success!"));
        CHECK(HoldsKnownPlan(sim));

        ClickReadPayload(window);
        CHECK(DismissBox(tarnwell, L"Success!"));
        CloseNormally(tarnwell, window);
        CHECK(StoredSetting(L"Payload") == L"452");
    });

    Case("the inputs come back at the next start and are saved again alike", [&] {
        const std::vector<const wchar_t*> keys{
            L"CruisingAlt", L"TripDistance", L"AlternateDistance", L"Headwind",
            L"Payload",     L"HoldingFuel",  L"MinimumFuel",       L"TaxiFuel",
            L"Model",       L"Units",        L"WindType"};
        std::vector<std::wstring> before;
        for (const wchar_t* key : keys) {
            before.push_back(StoredSetting(key));
        }
        CHECK(before[4] == L"452");
        CHECK(before[5] == L"9320");
        CHECK(before[10] == L"1");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell);
        CloseNormally(tarnwell, window);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            CHECK(StoredSetting(keys[i]) == before[i]);
        }
    });

    Case("a restarted simulator: one write failure, then the new one is boarded", [&] {
        StoreKnownPlan();
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell);
        if (window == nullptr) {
            return;
        }
        {
            const StandIn first(L"");
            CHECK(first.Ready());
            ClickBoardFuel(window);
            CHECK(DismissBox(tarnwell, L"Success!"));
        }
        const StandIn second(L"");
        CHECK(second.Ready());
        // The open link still names the first stand-in's window: the write
        // fails, and the failure closes the link.
        ClickBoardFuel(window);
        CHECK(Contains(BoxText(tarnwell, L"Error"), L"Variable write failed!"));
        CHECK(second.Peek(tarnwell::sim::OffsetLeftMainLevel) == 0);
        ClickBoardFuel(window);
        CHECK(Contains(BoxText(tarnwell, L"Success!"), L"The fuel was successfully boarded."));
        CHECK(HoldsKnownPlan(second));
        CloseNormally(tarnwell, window);
    });

    Case("X-Plane: boarding and reading the payload through the window", [&] {
        StoreKnownPlan(true);
        const XPlaneStandIn xplane(L"--payload 2000");
        CHECK(!xplane.Port().empty());
        BoardAndReadPayload(
            Process(program + L" --simulator=xplane --xplane=127.0.0.1:" + xplane.Port()), L"4409");
        // Left, right, centre: X-Plane's tanks 0, 2 and 1, in kilograms.
        const std::string written = xplane.Output();
        for (const char* line : {"m_fuel[0] set to 1957.25 kg", "m_fuel[2] set to 1957.25 kg",
                                 "m_fuel[1] set to 453.59 kg"}) {
            CHECK(written.find(line) != std::string::npos);
        }
    });

    Case("a dispatch plan from the command line, its block fuel boarded into X-Plane", [&] {
        StoreKnownPlan(true);
        const XPlaneStandIn xplane(L"");
        CHECK(!xplane.Port().empty());
        const Process tarnwell(program + L" --simulator=xplane --xplane=127.0.0.1:" +
                               xplane.Port() + L" \"--dispatch=" TARNWELL_OFP_SAMPLE L"\"");
        const HWND window = MainWindow(tarnwell);
        const HWND panel = tarnwell.WaitForWindow(L"Dispatch Plan - Tarnwell");
        CHECK(panel != nullptr);
        if (window == nullptr || panel == nullptr) {
            return;
        }
        // Board Dispatch Fuel is the panel's bottom left button.
        RECT client{};
        ::GetClientRect(panel, &client);
        const UINT dpi = ::GetDpiForWindow(panel) != 0 ? ::GetDpiForWindow(panel) : 96;
        ClickAt(panel, ::MulDiv(60, static_cast<int>(dpi), 96),
                client.bottom - ::MulDiv(24, static_cast<int>(dpi), 96));
        CHECK(Contains(BoxText(tarnwell, L"Success!"), L"The fuel was successfully boarded."));
        CloseNormally(tarnwell, window);
        CHECK(StoredSetting(L"Payload") == L"30000");
        CHECK(StoredSetting(L"TripDistance") == L"11");
        // 28,550 lb: the centre takes the 11,290 the full wings leave.
        const std::string written = xplane.Output();
        CHECK(written.find("m_fuel[1] set to 5121.") != std::string::npos);
        if (written.find("m_fuel[1] set to 5121.") == std::string::npos) {
            std::printf("    the stand-in printed: %s\n", written.c_str());
        }
    });

    Case("no simulator: the connection failure box, nothing else changes", [&] {
        StoreKnownPlan();
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell);
        if (window == nullptr) {
            return;
        }
        ClickBoardFuel(window);
        CHECK(DismissBox(tarnwell, L"Error!"));
        CloseNormally(tarnwell, window);
        CHECK(StoredSetting(L"HoldingFuel") == L"9320");
    });

    Case("a simulator that answers 0: the connection failure box, no tank written", [&] {
        StoreKnownPlan();
        const StandIn sim(L"--answer zero");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell, &sim);
        if (window == nullptr) {
            return;
        }
        ClickBoardFuel(window);
        CHECK(DismissBox(tarnwell, L"Error!"));
        using namespace tarnwell::sim;
        CHECK(sim.Peek(OffsetLeftMainLevel) == 0);
        CHECK(sim.Peek(OffsetCenterLevel) == 0);
        CloseNormally(tarnwell, window);
    });

    Case("a simulator that never answers: the time-out box, then a normal close", [&] {
        StoreKnownPlan();
        const StandIn sim(L"--answer never");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell, &sim);
        if (window == nullptr) {
            return;
        }
        ClickBoardFuel(window);
        CHECK(DismissBox(tarnwell, L"Error!"));
        CloseNormally(tarnwell, window);
    });

    Case("a simulator that never answers: the window stays alive and Cancel ends the wait", [&] {
        StoreKnownPlan();
        const StandIn sim(L"--answer never");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell, &sim);
        if (window == nullptr) {
            return;
        }
        ClickBoardFuel(window);
        const HWND dialog = tarnwell.WaitForWindow(WaitDialogTitle);
        CHECK(dialog != nullptr);
        if (dialog == nullptr) {
            return;
        }
        // The window's thread answers at once: Windows would not call the
        // window "Not Responding".
        DWORD_PTR answer = 0;
        CHECK(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer) != 0);
        // Escape is the dialog's Cancel; the dialog stays up until the
        // command has ended.
        const ULONGLONG cancelled = ::GetTickCount64();
        ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
        while (::IsWindow(dialog) && ::IsWindowVisible(dialog) &&
               ::GetTickCount64() - cancelled < WaitMilliseconds) {
            ::Sleep(10);
        }
        const ULONGLONG waited = ::GetTickCount64() - cancelled;
        std::printf("    Cancel to the dialog's end: %llu ms\n", waited);
        // One send time-out of 2 s, with room for a loaded machine.
        CHECK(waited < 4000);
        // No box follows a cancelled command.
        CHECK(tarnwell.WaitForWindow(L"Error!", nullptr, 1000) == nullptr);
        CloseNormally(tarnwell, window);
    });

    Case("ending the Windows session saves the inputs as a close does", [&] {
        StoreKnownPlan();
        const StandIn sim(L"--station 1=1000");
        const Process tarnwell(program);
        const HWND window = MainWindow(tarnwell, &sim);
        if (window == nullptr) {
            return;
        }
        ClickReadPayload(window);
        CHECK(DismissBox(tarnwell, L"Success!"));
        // What Windows sends at log-off and shut-down: the query, then the
        // end, after which the process may be ended without a close.
        DWORD_PTR answer = 0;
        ::SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                              WaitMilliseconds, &answer);
        CHECK(answer != 0);
        ::SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK,
                              WaitMilliseconds, &answer);
        CHECK(StoredSetting(L"Payload") == L"1000");
    });

    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
