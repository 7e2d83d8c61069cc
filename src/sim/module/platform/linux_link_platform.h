#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/module/platform/platform.h"

// The Linux simulator link: the Win32 services of the FSUIPC
// client emulated so that the client exchanges real requests with a
// stand-in simulator (tools/tarnwell-sim) on the same machine and user.
//
//   window of class C      a Unix-domain stream socket listening at
//                          <runtime folder>/fsuipc-C, found when a connection
//                          to it succeeds and its peer is this user
//   registered message     process-local table, 0xC000 upward
//   global atom            process-local table of names, 0xC000 upward
//   file mapping           shm_open("/" + name, O_RDWR | O_CREAT | O_EXCL, 0600)
//                          + ftruncate; close + shm_unlink. An object of the
//                          name left by an earlier process of this user with
//                          the same id is removed first.
//   view of the mapping    memory of this process's own, copied into the
//                          object before each message and back after the
//                          reply once the object is found whole
//   SendMessageTimeoutA    one connection per message: request frame out,
//                          4-byte reply in, the whole exchange bounded by the
//                          time-out; no reply in time: last error 0
//
// Request frame (little-endian): message id (4), wParam (4), lParam (4),
// name length L (4, 1..255), the atom's name (L bytes, no terminator).
// Reply frame: the message result, signed 32-bit little-endian.
namespace tarnwell::sim {

// Last-error values the emulation reports (Win32 numbering).
inline constexpr std::uint32_t ErrorAccessDenied = 5;            // peer of another user
inline constexpr std::uint32_t ErrorNotEnoughMemory = 8;         // mapping could not be sized
inline constexpr std::uint32_t ErrorInvalidParameter = 87;       // unknown atom, bad name
inline constexpr std::uint32_t ErrorConnectionAborted = 1236;    // reset or closed connection
inline constexpr std::uint32_t ErrorInvalidWindowHandle = 1400;  // nobody listens any more

// $XDG_RUNTIME_DIR if set and not empty, else /tmp.
std::string RuntimeFolder();

// <folder>/fsuipc-<className>.
std::string SocketPath(const std::string& folder, const std::string& className);

class LinuxLinkPlatform final : public Platform {
public:
    explicit LinuxLinkPlatform(std::string runtimeFolder = RuntimeFolder());
    // Unmaps and removes whatever mappings are still held.
    ~LinuxLinkPlatform() override;

    LinuxLinkPlatform(const LinuxLinkPlatform&) = delete;
    LinuxLinkPlatform& operator=(const LinuxLinkPlatform&) = delete;

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

    const std::string& Folder() const { return folder_; }

private:
    struct Mapping {
        int fd = -1;
        std::string name;  // with the leading "/"
        std::size_t size = 0;
    };
    struct View {
        void* address = nullptr;
        std::size_t size = 0;
        MappingHandle mapping = 0;
    };

    // Carries the view of the area named shmName into the area (toArea) or
    // back. False when that failed or the area is no longer of its size.
    bool ExchangeArea(const std::string& shmName, bool toArea);

    std::string folder_;
    std::vector<std::string> windows_;  // handle = index + 1: the socket path
    std::vector<Mapping> mappings_;     // handle = index + 1; fd -1 when closed
    std::vector<View> views_;
    std::uint32_t lastError_ = 0;
};

}  // namespace tarnwell::sim
