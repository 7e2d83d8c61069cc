// A minimal FSUIPC for checking the Win32 back-end under Wine: a top-level
// window of class UIPCMAIN that, on the registered message "FSASMLIB:IPC",
// opens the mapping named by the atom in wParam, carries out the records
// against a 64 KiB offset space and returns 1. Not part of the program.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

unsigned char space[0x10000];
UINT ipcMessage = 0;

void SetVersions() {
    const std::uint32_t fsuipc = 0x39990000;
    const std::uint32_t sim = 0xFADE0007;
    std::memcpy(space + 0x3304, &fsuipc, 4);
    std::memcpy(space + 0x3308, &sim, 4);
}

LRESULT CarryOut(WPARAM wParam) {
    char name[256] = {};
    if (GlobalGetAtomNameA(static_cast<ATOM>(wParam), name, sizeof name) == 0) {
        return 0;
    }
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, name);
    if (mapping == nullptr) {
        return 0;
    }
    auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    LRESULT result = view != nullptr ? 1 : 0;
    std::size_t position = 0;
    while (view != nullptr && position + 16 <= 0x8000) {
        std::uint32_t code = 0, offset = 0, size = 0;
        std::memcpy(&code, view + position, 4);
        std::memcpy(&offset, view + position + 4, 4);
        std::memcpy(&size, view + position + 8, 4);
        code &= 0xFFFF;
        const std::size_t header = code == 1 ? 16 : 12;
        if (code == 0) {
            break;
        }
        if (code > 2 || size > 0x8000 - position - header || offset + size > sizeof space) {
            result = 0;
            break;
        }
        if (code == 1) {
            std::memcpy(view + position + header, space + offset, size);
        } else {
            std::memcpy(space + offset, view + position + header, size);
        }
        std::printf("%s %u bytes at 0x%04X (wParam 0x%llX, area %s)\n",
                    code == 1 ? "read" : "wrote", size, offset,
                    static_cast<unsigned long long>(wParam), name);
        position += header + size;
    }
    std::fflush(stdout);
    SetVersions();
    if (view != nullptr) {
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return result;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ipcMessage && ipcMessage != 0) {
        return CarryOut(wParam);
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main() {
    SetVersions();
    const double station = 150.4;
    std::memcpy(space + 0x1400, &station, sizeof station);
    ipcMessage = RegisterWindowMessageA("FSASMLIB:IPC");
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "UIPCMAIN";
    RegisterClassA(&windowClass);
    if (CreateWindowA("UIPCMAIN", "fake FSUIPC", 0, 0, 0, 10, 10, nullptr, nullptr,
                      windowClass.hInstance, nullptr) == nullptr) {
        std::printf("cannot create the window\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        DispatchMessageA(&message);
    }
    return 0;
}
