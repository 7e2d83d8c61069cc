// Starts one Windows command line exactly as given, waits for the process
// and ends with its exit status:
//
//   run_and_wait "COMMAND LINE"
//
// The installer's /D= option must be the last on its command line and
// unquoted, spaces and all, which no Unix-side launcher of Windows
// programs can write; this one passes its argument on untouched.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc != 2) {
        std::fprintf(stderr, "usage: run_and_wait \"COMMAND LINE\"\n");
        return 2;
    }
    std::wstring command = argv[1];
    ::LocalFree(argv);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        std::fprintf(stderr, "run_and_wait: cannot start %ls (error %lu)\n", command.c_str(),
                     ::GetLastError());
        return 127;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return static_cast<int>(status);
}
