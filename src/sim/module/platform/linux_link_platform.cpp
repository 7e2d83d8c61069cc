#include "sim/module/platform/linux_link_platform.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>

#include "sim/module/byte_order.h"

namespace tarnwell::sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t FirstTableValue = 0xC000;
constexpr std::size_t AtomSlots = 0x10000 - FirstTableValue;  // 0xC000..0xFFFF
constexpr std::size_t MaxNameLength = 255;

// The process-local tables standing in for the system's registered messages
// and global atoms. Atoms are reference-counted like Win32 global atoms.
struct SharedTables {
    std::mutex mutex;
    std::vector<std::string> messages;   // id = 0xC000 + index
    std::vector<std::string> atomNames;  // atom = 0xC000 + index; empty when free
    std::vector<unsigned> atomCounts;
    // Shared-memory names this process holds now, whatever link holds them.
    std::vector<std::string> heldMappings;
};

SharedTables& Tables() {
    static SharedTables tables;
    return tables;
}

bool NameIsUsable(const char* name) {
    if (name == nullptr) {
        return false;
    }
    const std::size_t length = std::strlen(name);
    return length >= 1 && length <= MaxNameLength;
}

// A socket closed when it goes out of scope.
class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    void Reset(int fd) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

// Milliseconds left until the deadline, rounded up; 0 when it has passed.
int RemainingMs(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return ms > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(ms);
}

// Waits for events on fd until the deadline: 1 ready, 0 timed out, -1 error.
int WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int ms = RemainingMs(deadline);
        const int ready = ::poll(&entry, 1, ms);
        if (ready > 0) {
            return 1;
        }
        if (ready == 0) {
            if (ms == 0) {
                return 0;
            }
            continue;  // woke early; poll again with what is left
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

// After a send or receive on fd that moved no bytes (n <= 0): true to try
// again (interrupted, or the socket became ready before the deadline);
// false to give up, with the last error of a time-out (0) or of a broken
// or closed connection.
bool CarryOn(ssize_t n, int fd, short events, Clock::time_point deadline,
             std::uint32_t& lastError) {
    if (n < 0 && errno == EINTR) {
        return true;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        const int ready = WaitFor(fd, events, deadline);
        if (ready > 0) {
            return true;
        }
        lastError = ready == 0 ? 0 : ErrorConnectionAborted;
        return false;
    }
    lastError = ErrorConnectionAborted;
    return false;
}

bool PeerIsThisUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || length != sizeof peer) {
        return false;
    }
    return peer.uid == ::geteuid();
}

enum class Step { Done, TimedOut, Failed };

// Connects a non-blocking stream socket to path before the deadline.
Step Connect(const std::string& path, Clock::time_point deadline, Socket& out,
             std::uint32_t& error) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        error = ErrorInvalidWindowHandle;
        return Step::Failed;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = ErrorNotEnoughMemory;
        return Step::Failed;
    }
    Socket socket(fd);
    for (;;) {
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            break;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN) {
            // The listener's backlog is full: try again shortly, within the time-out.
            if (RemainingMs(deadline) == 0) {
                error = 0;
                return Step::TimedOut;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (errno == EINPROGRESS) {
            const int ready = WaitFor(fd, POLLOUT, deadline);
            if (ready == 0) {
                error = 0;
                return Step::TimedOut;
            }
            int failure = 0;
            socklen_t length = sizeof failure;
            if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0 ||
                failure != 0) {
                error = ErrorInvalidWindowHandle;
                return Step::Failed;
            }
            break;
        }
        error = (errno == EACCES || errno == EPERM) ? ErrorAccessDenied : ErrorInvalidWindowHandle;
        return Step::Failed;
    }
    if (!PeerIsThisUser(fd)) {
        error = ErrorAccessDenied;
        return Step::Failed;
    }
    out.Reset(socket.Release());
    return Step::Done;
}

// Takes the shared-memory name for this process: true when it was free here.
bool HoldMappingName(const std::string& shmName) {
    SharedTables& tables = Tables();
    const std::lock_guard<std::mutex> lock(tables.mutex);
    for (const std::string& held : tables.heldMappings) {
        if (held == shmName) {
            return false;
        }
    }
    tables.heldMappings.push_back(shmName);
    return true;
}

void ReleaseMappingName(const std::string& shmName) {
    SharedTables& tables = Tables();
    const std::lock_guard<std::mutex> lock(tables.mutex);
    for (std::size_t i = 0; i < tables.heldMappings.size(); ++i) {
        if (tables.heldMappings[i] == shmName) {
            tables.heldMappings.erase(tables.heldMappings.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

// The area's name carries this process's id, so an object of that name
// that this process does not hold was left by an earlier process with the
// same id (one that crashed or was killed while connected). Removes it
// when it belongs to this user; true when it was removed.
bool RemoveStaleArea(const std::string& shmName) {
    const int fd = ::shm_open(shmName.c_str(), O_RDONLY, 0);
    if (fd < 0) {
        return false;  // another user's, which this user may not open
    }
    struct stat status {};
    const bool ours = ::fstat(fd, &status) == 0 && status.st_uid == ::geteuid();
    ::close(fd);
    return ours && ::shm_unlink(shmName.c_str()) == 0;
}

// The whole frame sent before the deadline; false, with the error, otherwise.
bool SendWhole(int fd, const unsigned char* data, std::size_t length, Clock::time_point deadline,
               std::uint32_t& error) {
    std::size_t sent = 0;
    while (sent < length) {
        const ssize_t n = ::send(fd, data + sent, length - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (!CarryOn(n, fd, POLLOUT, deadline, error)) {
            return false;
        }
    }
    return true;
}

// Exactly `length` bytes received before the deadline; false, with the
// error, otherwise.
bool ReceiveWhole(int fd, unsigned char* data, std::size_t length, Clock::time_point deadline,
                  std::uint32_t& error) {
    std::size_t received = 0;
    while (received < length) {
        const ssize_t n = ::recv(fd, data + received, length - received, 0);
        if (n > 0) {
            received += static_cast<std::size_t>(n);
        } else if (!CarryOn(n, fd, POLLIN, deadline, error)) {
            return false;  // a close (n == 0) before the whole reply ends here too
        }
    }
    return true;
}

// Writes or reads the whole of `size` bytes at the start of the area.
bool CopyWhole(int fd, void* data, std::size_t size, bool toArea) {
    auto* bytes = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = toArea ? ::pwrite(fd, bytes + done, size - done, static_cast<off_t>(done))
                                 : ::pread(fd, bytes + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;  // an area cut short by the peer reads short
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string RuntimeFolder() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (folder != nullptr && folder[0] != '\0') {
        return folder;
    }
    return "/tmp";
}

std::string SocketPath(const std::string& folder, const std::string& className) {
    return folder + "/fsuipc-" + className;
}

LinuxLinkPlatform::LinuxLinkPlatform(std::string runtimeFolder)
    : folder_(std::move(runtimeFolder)) {}

LinuxLinkPlatform::~LinuxLinkPlatform() {
    for (const View& view : views_) {
        ::munmap(view.address, view.size);
    }
    for (std::size_t i = 0; i < mappings_.size(); ++i) {
        CloseMapping(i + 1);
    }
}

WindowHandle LinuxLinkPlatform::FindWindowByClass(const char* className) {
    if (!NameIsUsable(className)) {
        return 0;
    }
    const std::string path = SocketPath(folder_, className);
    // Like FindWindowExA, answer at once: one attempt, no waiting.
    Socket socket;
    std::uint32_t error = 0;
    if (Connect(path, Clock::now(), socket, error) != Step::Done) {
        return 0;
    }
    for (std::size_t i = 0; i < windows_.size(); ++i) {
        if (windows_[i] == path) {
            return i + 1;
        }
    }
    windows_.push_back(path);
    return windows_.size();
}

std::uint32_t LinuxLinkPlatform::RegisterMessage(const char* name) {
    if (!NameIsUsable(name)) {
        return 0;
    }
    SharedTables& tables = Tables();
    const std::lock_guard<std::mutex> lock(tables.mutex);
    for (std::size_t i = 0; i < tables.messages.size(); ++i) {
        if (tables.messages[i] == name) {
            return FirstTableValue + static_cast<std::uint32_t>(i);
        }
    }
    if (tables.messages.size() >= AtomSlots) {
        return 0;
    }
    tables.messages.emplace_back(name);
    return FirstTableValue + static_cast<std::uint32_t>(tables.messages.size() - 1);
}

std::uint32_t LinuxLinkPlatform::CurrentProcessId() {
    return static_cast<std::uint32_t>(::getpid());
}

std::uint16_t LinuxLinkPlatform::AddGlobalAtom(const char* name) {
    if (!NameIsUsable(name)) {
        return 0;
    }
    SharedTables& tables = Tables();
    const std::lock_guard<std::mutex> lock(tables.mutex);
    std::size_t freeSlot = tables.atomNames.size();
    for (std::size_t i = 0; i < tables.atomNames.size(); ++i) {
        if (tables.atomCounts[i] != 0 && tables.atomNames[i] == name) {
            ++tables.atomCounts[i];
            return static_cast<std::uint16_t>(FirstTableValue + i);
        }
        if (tables.atomCounts[i] == 0 && freeSlot == tables.atomNames.size()) {
            freeSlot = i;
        }
    }
    if (freeSlot == tables.atomNames.size()) {
        if (freeSlot >= AtomSlots) {
            return 0;
        }
        tables.atomNames.emplace_back();
        tables.atomCounts.push_back(0);
    }
    tables.atomNames[freeSlot] = name;
    tables.atomCounts[freeSlot] = 1;
    return static_cast<std::uint16_t>(FirstTableValue + freeSlot);
}

void LinuxLinkPlatform::DeleteGlobalAtom(std::uint16_t atom) {
    if (atom < FirstTableValue) {
        return;
    }
    SharedTables& tables = Tables();
    const std::lock_guard<std::mutex> lock(tables.mutex);
    const std::size_t slot = atom - FirstTableValue;
    if (slot < tables.atomCounts.size() && tables.atomCounts[slot] != 0) {
        if (--tables.atomCounts[slot] == 0) {
            tables.atomNames[slot].clear();
        }
    }
}

MappingHandle LinuxLinkPlatform::CreateMapping(const char* name, std::uint32_t size) {
    if (!NameIsUsable(name) || std::strchr(name, '/') != nullptr || size == 0) {
        lastError_ = ErrorInvalidParameter;
        return 0;
    }
    const std::string shmName = std::string("/") + name;
    // One area of a name per process, as a named mapping is one per system.
    if (!HoldMappingName(shmName)) {
        lastError_ = ErrorAlreadyExists;
        return 0;
    }
    int fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0 && errno == EEXIST && RemoveStaleArea(shmName)) {
        fd = ::shm_open(shmName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    }
    if (fd < 0) {
        lastError_ = errno == EEXIST   ? ErrorAlreadyExists
                     : errno == EACCES ? ErrorAccessDenied
                                       : ErrorInvalidParameter;
        ReleaseMappingName(shmName);
        return 0;
    }
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        ::shm_unlink(shmName.c_str());
        ReleaseMappingName(shmName);
        lastError_ = ErrorNotEnoughMemory;
        return 0;
    }
    lastError_ = 0;
    for (std::size_t i = 0; i < mappings_.size(); ++i) {
        if (mappings_[i].fd < 0) {
            mappings_[i] = Mapping{fd, shmName, size};
            return i + 1;
        }
    }
    mappings_.push_back(Mapping{fd, shmName, size});
    return mappings_.size();
}

void* LinuxLinkPlatform::MapView(MappingHandle mapping) {
    if (mapping == 0 || mapping > mappings_.size() || mappings_[mapping - 1].fd < 0) {
        return nullptr;
    }
    const Mapping& entry = mappings_[mapping - 1];
    for (const View& view : views_) {
        if (view.mapping == mapping) {
            return nullptr;  // one view per area: the client needs no more
        }
    }
    // The view is memory of this process's own, not the shared object: the
    // peer may cut the object short at any time, and touching a mapped page
    // past its end would end the program. The area's bytes travel between
    // the two with each message.
    void* address =
        ::mmap(nullptr, entry.size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED) {
        return nullptr;
    }
    CopyWhole(entry.fd, address, entry.size, false);
    views_.push_back(View{address, entry.size, mapping});
    return address;
}

void LinuxLinkPlatform::UnmapView(void* view) {
    for (std::size_t i = 0; i < views_.size(); ++i) {
        if (views_[i].address == view) {
            ::munmap(view, views_[i].size);
            views_.erase(views_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void LinuxLinkPlatform::CloseMapping(MappingHandle mapping) {
    if (mapping == 0 || mapping > mappings_.size()) {
        return;
    }
    Mapping& entry = mappings_[mapping - 1];
    if (entry.fd >= 0) {
        ::close(entry.fd);
        ::shm_unlink(entry.name.c_str());
        ReleaseMappingName(entry.name);
        entry.fd = -1;
        entry.name.clear();
    }
}

bool LinuxLinkPlatform::ExchangeArea(const std::string& shmName, bool toArea) {
    for (std::size_t i = 0; i < mappings_.size(); ++i) {
        const Mapping& entry = mappings_[i];
        if (entry.fd < 0 || entry.name != shmName) {
            continue;
        }
        for (const View& view : views_) {
            if (view.mapping != i + 1) {
                continue;
            }
            if (toArea) {
                // The area keeps the size it was made with, whatever the
                // peer did to it since.
                return ::ftruncate(entry.fd, static_cast<off_t>(entry.size)) == 0 &&
                       CopyWhole(entry.fd, view.address, view.size, true);
            }
            struct stat status {};
            return ::fstat(entry.fd, &status) == 0 &&
                   status.st_size == static_cast<off_t>(entry.size) &&
                   CopyWhole(entry.fd, view.address, view.size, false);
        }
    }
    return true;  // not an area of this link's: nothing to carry
}

bool LinuxLinkPlatform::SendMessageWithTimeout(WindowHandle window, std::uint32_t message,
                                               std::int32_t wParam, std::int32_t lParam,
                                               std::uint32_t timeoutMs, std::int64_t* result) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (window == 0 || window > windows_.size()) {
        lastError_ = ErrorInvalidWindowHandle;
        return false;
    }

    // The request frame: header, then the name the atom holds.
    std::array<unsigned char, 16 + MaxNameLength> frame{};
    std::size_t nameLength = 0;
    {
        SharedTables& tables = Tables();
        const std::lock_guard<std::mutex> lock(tables.mutex);
        const auto atom = static_cast<std::uint16_t>(wParam);
        const std::size_t slot = atom - FirstTableValue;
        if (atom < FirstTableValue || slot >= tables.atomCounts.size() ||
            tables.atomCounts[slot] == 0) {
            lastError_ = ErrorInvalidParameter;
            return false;
        }
        const std::string& name = tables.atomNames[slot];
        nameLength = name.size();
        std::memcpy(frame.data() + 16, name.data(), nameLength);
    }
    StoreLittleEndian32(frame.data(), message);
    StoreLittleEndian32(frame.data() + 4, static_cast<std::uint32_t>(wParam));
    StoreLittleEndian32(frame.data() + 8, static_cast<std::uint32_t>(lParam));
    StoreLittleEndian32(frame.data() + 12, static_cast<std::uint32_t>(nameLength));
    const std::size_t frameLength = 16 + nameLength;
    const std::string shmName =
        "/" + std::string(reinterpret_cast<const char*>(frame.data() + 16), nameLength);
    Socket socket;
    std::uint32_t error = 0;
    const Step connected = Connect(windows_[window - 1], deadline, socket, error);
    if (connected != Step::Done) {
        lastError_ = error;
        return false;
    }
    const int fd = socket.fd();
    // An area that cannot be handed over, or comes back cut short, is an
    // exchange that failed like one with bad data: the message result is
    // not 1, and the client copies nothing.
    if (!ExchangeArea(shmName, true)) {
        *result = 0;
        return true;
    }

    std::array<unsigned char, 4> reply{};
    if (!SendWhole(fd, frame.data(), frameLength, deadline, lastError_) ||
        !ReceiveWhole(fd, reply.data(), reply.size(), deadline, lastError_)) {
        return false;
    }
    const std::uint32_t value = LoadLittleEndian32(reply.data());
    *result = ExchangeArea(shmName, false) ? static_cast<std::int32_t>(value) : 0;
    return true;
}

void LinuxLinkPlatform::Pause(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace tarnwell::sim
