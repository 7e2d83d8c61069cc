// tarnwell-sim: a stand-in for Flight Simulator with FSUIPC, serving the
// Linux simulator link so that Tarnwell's simulator commands
// and the project's end-to-end tests can run on Linux.
//
// It listens on the Unix-domain socket <runtime folder>/fsuipc-<class>,
// takes one request frame per connection, carries out the read and write
// records in the client's shared memory area against a 64 KiB offset space,
// answers with the message result, and prints every exchange in plain words.
// Run with --help for the options; docs/simulator.md describes its use.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command_line.h"
#include "sim/module/byte_order.h"

namespace {

constexpr std::size_t OffsetSpaceSize = 0x10000;  // 64 KiB
constexpr std::size_t AreaSize = 0x8000;          // the client's shared area
constexpr std::string_view NamePrefix = "FSASMLIB:IPC:";
constexpr std::uint32_t FsuipcVersionOffset = 0x3304;
constexpr std::uint32_t SimVersionOffset = 0x3308;
constexpr std::uint32_t VersionCheckOffset = 0x330A;
constexpr std::uint32_t FirstStationOffset = 0x1400;
constexpr std::uint32_t StationStep = 48;
constexpr int StationCount = 61;
constexpr int FrameWaitMs = 2000;  // how long a client may take to send its frame
constexpr std::size_t MaxHeld = 32;

enum class Answer { Normal, Zero, Never, Garbage };

struct Options {
    std::string windowClass = "UIPCMAIN";
    std::string folder;
    std::uint32_t fsuipcVersion = 0x39990000;   // "3.999"
    std::uint32_t simVersionWord = 0xFADE0007;  // FS2004
    std::vector<std::pair<int, double>> stations;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> values32;
    Answer answer = Answer::Normal;
    long normalAnswers = 0;
};

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int) {
    stopRequested = 1;
}

const char* SimName(std::uint32_t code) {
    static const char* const names[] = {"Any", "FS98",   "FS2K",   "CFS2",        "CFS1",
                                        "FLY", "FS2002", "FS2004", "FSYETANOTHER"};
    return code < 9 ? names[code] : "unknown simulator";
}

std::uint32_t Le32(const unsigned char* at) {
    return tarnwell::sim::LoadLittleEndian32(at);
}

void PutLe32(unsigned char* at, std::uint32_t value) {
    tarnwell::sim::StoreLittleEndian32(at, value);
}

// Parses the command line into options. The exit status when the program
// ends here (--help: 0, a bad option or value: 2); empty when it goes on.
std::optional<int> ParseOptions(int argc, char** argv, Options& options) {
    CLI::App app{"A stand-in for Flight Simulator with FSUIPC on the Linux simulator link.",
                 "tarnwell-sim"};
    app.footer("Numbers may be decimal or 0x-prefixed hexadecimal.");
    app.add_option("--class", options.windowClass, "window class to serve (default UIPCMAIN)")
        ->check(CLI::IsMember({"UIPCMAIN", "FS98MAIN"}));
    app.add_option("--fsuipc-version", options.fsuipcVersion,
                   "value at 0x3304 (default 0x39990000)");
    std::uint32_t simVersion = 0;
    app.add_option("--sim-version", simVersion,
                   "simulator version code in the low 16 bits of 0x3308, upper 16 bits 0xFADE "
                   "(default 7, FS2004)")
        ->check(CLI::Range(0u, 0xFFFFu));
    app.add_option("--sim-version-word", options.simVersionWord,
                   "the whole 32-bit value at 0x3308 (e.g. 0x12340007)");
    std::vector<std::string> stations;
    app.add_option("--station", stations,
                   "K=POUNDS: weight of payload station K (1.." + std::to_string(StationCount) +
                       "), a double at 0x1400 + 48*(K-1); may be given several times");
    std::vector<std::string> values32;
    app.add_option("--value32", values32,
                   "OFFSET=N: a 32-bit value at the offset to start with (a tank level, "
                   "0x0B7C, 0x0B94 or 0x0B74, say); may be given several times");
    const std::map<std::string, Answer> answers{{"normal", Answer::Normal},
                                                {"zero", Answer::Zero},
                                                {"never", Answer::Never},
                                                {"garbage", Answer::Garbage}};
    std::string answer = "normal";
    app.add_option("--answer", answer,
                   "normal (default), zero (answer 0, carry nothing out), never (keep the "
                   "connection, never answer), garbage (answer 1 over garbage records)")
        ->check(CLI::IsMember({"normal", "zero", "never", "garbage"}));
    app.add_option("--normal-answers", options.normalAnswers,
                   "answer the first N exchanges normally, then as --answer")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--runtime-dir", options.folder,
                   "folder of the socket (default $XDG_RUNTIME_DIR, else /tmp)")
        ->check(CLI::ExistingDirectory);
    if (const std::optional<int> status = tarnwell::tools::ParseCommandLine(app, argc, argv)) {
        return status;
    }
    options.answer = answers.at(answer);
    if (app.count("--sim-version") > 0) {
        options.simVersionWord = 0xFADE0000u | simVersion;
    }
    for (const std::string& station : stations) {
        char* end = nullptr;
        const long number = std::strtol(station.c_str(), &end, 10);
        const char* weightText = *end == '=' ? end + 1 : nullptr;
        const double weight = weightText != nullptr ? std::strtod(weightText, &end) : 0.0;
        if (number < 1 || number > StationCount || weightText == nullptr || end == weightText ||
            *end != '\0') {
            std::fprintf(stderr, "tarnwell-sim: --station K=POUNDS with K 1..%d, not %s\n",
                         StationCount, station.c_str());
            return 2;
        }
        options.stations.emplace_back(static_cast<int>(number), weight);
    }
    for (const std::string& value : values32) {
        char* end = nullptr;
        const unsigned long offset = std::strtoul(value.c_str(), &end, 0);
        const char* numberText = *end == '=' ? end + 1 : nullptr;
        const long long number = numberText != nullptr ? std::strtoll(numberText, &end, 0) : 0;
        if (numberText == nullptr || end == numberText || *end != '\0' ||
            offset + 4 > OffsetSpaceSize || number < INT32_MIN || number > UINT32_MAX) {
            std::fprintf(stderr,
                         "tarnwell-sim: --value32 OFFSET=N inside the offset space, not %s\n",
                         value.c_str());
            return 2;
        }
        options.values32.emplace_back(static_cast<std::uint32_t>(offset),
                                      static_cast<std::uint32_t>(number));
    }
    return std::nullopt;
}

// The simulator's offset space and the plain-words account of each request.
class OffsetSpace {
public:
    explicit OffsetSpace(const Options& options) : options_(options) {
        Restore();
        for (const auto& [station, weight] : options.stations) {
            std::memcpy(&bytes_[StationOffset(station)], &weight, sizeof weight);
        }
        for (const auto& [offset, value] : options.values32) {
            PutLe32(&bytes_[offset], value);
        }
    }

    // Carries out one record; false (with why) when it would leave the offset space.
    bool Read(std::uint32_t offset, std::uint32_t size, unsigned char* into, std::string& why) {
        if (!Inside(offset, size, why)) {
            return false;
        }
        std::memcpy(into, &bytes_[offset], size);
        std::printf("  %s\n", Describe(false, offset, size, into).c_str());
        return true;
    }

    bool Write(std::uint32_t offset, std::uint32_t size, const unsigned char* from,
               std::string& why) {
        if (!Inside(offset, size, why)) {
            return false;
        }
        std::memcpy(&bytes_[offset], from, size);
        std::printf("  %s\n", Describe(true, offset, size, from).c_str());
        // The version words are FSUIPC's own: a write there (the client's
        // check writes 0 to 0x330A) does not change them.
        Restore();
        return true;
    }

private:
    static std::size_t StationOffset(int station) {
        return FirstStationOffset + StationStep * static_cast<std::uint32_t>(station - 1);
    }

    static bool Inside(std::uint32_t offset, std::uint32_t size, std::string& why) {
        if (std::uint64_t{offset} + size > OffsetSpaceSize) {
            char text[120];
            std::snprintf(text, sizeof text,
                          "%" PRIu32 " bytes at 0x%04" PRIX32
                          " lie outside the 64 KiB offset space",
                          size, offset);
            why = text;
            return false;
        }
        return true;
    }

    void Restore() {
        PutLe32(&bytes_[FsuipcVersionOffset], options_.fsuipcVersion);
        PutLe32(&bytes_[SimVersionOffset], options_.simVersionWord);
    }

    static std::string Describe(bool write, std::uint32_t offset, std::uint32_t size,
                                const unsigned char* data) {
        char text[256];
        const char* tank = offset == 0x0B7C   ? "left main tank"
                           : offset == 0x0B94 ? "right main tank"
                           : offset == 0x0B74 ? "centre tank"
                                              : nullptr;
        if (tank != nullptr && size == 4) {
            const auto level = static_cast<std::int32_t>(Le32(data));
            std::snprintf(text, sizeof text, "%s level %s %" PRId32 " (%.1f %%)", tank,
                          write ? "set to" : "read:", level, level / 8388608.0 * 100.0);
            return text;
        }
        if (offset >= FirstStationOffset && size == 8 &&
            (offset - FirstStationOffset) % StationStep == 0 &&
            (offset - FirstStationOffset) / StationStep < StationCount) {
            double weight = 0.0;
            std::memcpy(&weight, data, sizeof weight);
            std::snprintf(text, sizeof text,
                          "payload station %" PRIu32 " (0x%04" PRIX32 ") weight %s %g lb",
                          (offset - FirstStationOffset) / StationStep + 1, offset,
                          write ? "set to" : "read:", weight);
            return text;
        }
        if (!write && offset == FsuipcVersionOffset && size == 4) {
            std::snprintf(text, sizeof text, "FSUIPC version read: 0x%08" PRIX32, Le32(data));
            return text;
        }
        if (!write && offset == SimVersionOffset && size == 4) {
            const std::uint32_t word = Le32(data);
            std::snprintf(text, sizeof text, "simulator version read: 0x%08" PRIX32 " (%s)", word,
                          (word >> 16) == 0xFADE ? SimName(word & 0xFFFF) : "no 0xFADE mark");
            return text;
        }
        if (write && offset == VersionCheckOffset && size == 2) {
            std::snprintf(text, sizeof text,
                          "version check: 0x%04" PRIX32
                          " written to 0x330A (FSUIPC keeps 0xFADE there)",
                          static_cast<std::uint32_t>(data[0] | data[1] << 8));
            return text;
        }
        std::string line;
        std::snprintf(text, sizeof text, "%s %" PRIu32 " byte%s at 0x%04" PRIX32 "%s",
                      write ? "wrote" : "read", size, size == 1 ? "" : "s", offset,
                      size == 0 ? "" : ":");
        line = text;
        const std::uint32_t shown = size < 16 ? size : 16;
        for (std::uint32_t i = 0; i < shown; ++i) {
            std::snprintf(text, sizeof text, " %02X", data[i]);
            line += text;
        }
        if (shown < size) {
            line += " ...";
        }
        return line;
    }

    const Options& options_;
    std::array<unsigned char, OffsetSpaceSize> bytes_{};
};

bool PeerOf(int fd, ucred& peer) {
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof peer;
}

// Reads exactly size bytes within the wait; the count read (less on EOF,
// error or time-out).
std::size_t ReadFully(int fd, unsigned char* into, std::size_t size, int waitMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    std::size_t got = 0;
    while (got < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            break;
        }
        pollfd entry{fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) {
            if (stopRequested) {
                break;
            }
            continue;
        }
        if (ready <= 0) {
            break;
        }
        const ssize_t n = ::recv(fd, into + got, size - got, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    return got;
}

void Reply(int fd, std::int32_t result) {
    unsigned char frame[4];
    PutLe32(frame, static_cast<std::uint32_t>(result));
    if (::send(fd, frame, sizeof frame, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof frame)) {
        std::printf("  answered %" PRId32 "\n", result);
    } else {
        std::printf("  could not answer: the client is gone\n");
    }
}

class Simulator {
public:
    explicit Simulator(const Options& options) : options_(options), space_(options) {}

    // Handles one accepted connection; true when it is to be held open (never answer).
    bool Serve(int fd) {
        ucred peer{};
        if (!PeerOf(fd, peer)) {
            std::printf("refused a connection: its user cannot be told\n");
            return false;
        }
        if (peer.uid != ::geteuid()) {
            std::printf("refused a connection from pid %ld: user %lu is not this user (%lu)\n",
                        static_cast<long>(peer.pid), static_cast<unsigned long>(peer.uid),
                        static_cast<unsigned long>(::geteuid()));
            return false;
        }

        unsigned char header[16];
        const std::size_t got = ReadFully(fd, header, sizeof header, FrameWaitMs);
        if (got == 0) {
            std::printf("pid %ld looked for the simulator's window\n", static_cast<long>(peer.pid));
            return false;
        }
        if (got < sizeof header) {
            std::printf("refused pid %ld: incomplete request frame (%zu bytes)\n",
                        static_cast<long>(peer.pid), got);
            return false;
        }
        const std::uint32_t message = Le32(header);
        const std::uint32_t wParam = Le32(header + 4);
        const std::uint32_t lParam = Le32(header + 8);
        const std::uint32_t nameLength = Le32(header + 12);
        if (nameLength < 1 || nameLength > 255) {
            std::printf("refused pid %ld: mapping name length %" PRIu32 " is not 1 to 255\n",
                        static_cast<long>(peer.pid), nameLength);
            return false;
        }
        char name[256] = {};
        if (ReadFully(fd, reinterpret_cast<unsigned char*>(name), nameLength, FrameWaitMs) !=
            nameLength) {
            std::printf("refused pid %ld: incomplete mapping name\n", static_cast<long>(peer.pid));
            return false;
        }
        const std::string_view mapping(name, nameLength);
        std::string shown;
        for (char c : mapping) {
            shown += (c >= 0x20 && c < 0x7F) ? c : '?';
        }
        if (mapping.substr(0, NamePrefix.size()) != NamePrefix ||
            mapping.find('\0') != std::string_view::npos ||
            mapping.find('/') != std::string_view::npos) {
            std::printf("refused pid %ld: mapping name \"%s\" does not start with %s\n",
                        static_cast<long>(peer.pid), shown.c_str(),
                        std::string(NamePrefix).c_str());
            return false;
        }

        ++exchanges_;
        std::printf("exchange %ld from pid %ld: message 0x%04" PRIX32 ", atom 0x%08" PRIX32
                    ", lParam %" PRIu32 ", area %s\n",
                    exchanges_, static_cast<long>(peer.pid), message, wParam, lParam,
                    shown.c_str());

        const Answer answer =
            exchanges_ <= options_.normalAnswers ? Answer::Normal : options_.answer;
        if (answer == Answer::Never) {
            std::printf("  not answering (as told)\n");
            return true;
        }
        if (answer == Answer::Zero) {
            std::printf("  answering 0 without carrying out the requests (as told)\n");
            Reply(fd, 0);
            return false;
        }

        std::string shmName = "/";
        shmName += mapping;
        const int area = ::shm_open(shmName.c_str(), O_RDWR, 0);
        if (area < 0) {
            std::printf("  cannot open the shared area: %s\n", std::strerror(errno));
            Reply(fd, 0);
            return false;
        }
        struct stat status {};
        if (::fstat(area, &status) != 0 || status.st_uid != ::geteuid()) {
            std::printf("  refused: the shared area does not belong to this user\n");
            ::close(area);
            return false;
        }
        if (status.st_size < static_cast<off_t>(AreaSize)) {
            std::printf("  the shared area has %lld bytes, not %zu\n",
                        static_cast<long long>(status.st_size), AreaSize);
            ::close(area);
            Reply(fd, 0);
            return false;
        }
        void* mapped = ::mmap(nullptr, AreaSize, PROT_READ | PROT_WRITE, MAP_SHARED, area, 0);
        ::close(area);
        if (mapped == MAP_FAILED) {
            std::printf("  cannot map the shared area: %s\n", std::strerror(errno));
            Reply(fd, 0);
            return false;
        }
        auto* view = static_cast<unsigned char*>(mapped);
        std::int32_t result = 1;
        if (answer == Answer::Garbage) {
            WriteGarbage(view);
            std::printf("  answering 1 over garbage records (as told)\n");
        } else {
            result = CarryOut(view) ? 1 : 0;
        }
        ::munmap(mapped, AreaSize);
        Reply(fd, result);
        return false;
    }

private:
    // The records in order up to the end marker; false at the first bad one.
    bool CarryOut(unsigned char* view) {
        std::size_t position = 0;
        std::string why;
        for (;;) {
            if (position + 4 > AreaSize) {
                std::printf("  stopped: no end marker inside the shared area\n");
                return false;
            }
            const std::uint32_t code = Le32(view + position) & 0xFFFFu;
            if (code == 0) {
                return true;
            }
            const std::size_t header = code == 1 ? 16 : code == 2 ? 12 : 0;
            if (header == 0) {
                std::printf("  stopped: unknown request code %" PRIu32 " at byte %zu\n", code,
                            position);
                return false;
            }
            if (position + header > AreaSize) {
                std::printf("  stopped: a record header runs past the shared area\n");
                return false;
            }
            const std::uint32_t offset = Le32(view + position + 4);
            const std::uint32_t size = Le32(view + position + 8);
            if (size > AreaSize - position - header) {
                std::printf("  stopped: a record of %" PRIu32 " bytes runs past the shared area\n",
                            size);
                return false;
            }
            unsigned char* data = view + position + header;
            const bool done = code == 1 ? space_.Read(offset, size, data, why)
                                        : space_.Write(offset, size, data, why);
            if (!done) {
                std::printf("  stopped: %s\n", why.c_str());
                return false;
            }
            position += header + size;
        }
    }

    void WriteGarbage(unsigned char* view) {
        std::uint32_t state = 0x2545F491u + static_cast<std::uint32_t>(exchanges_);
        for (std::size_t i = 0; i < AreaSize; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            view[i] = static_cast<unsigned char>(state);
        }
        PutLe32(view, 0x00007777u);  // a request code no client knows
    }

    const Options& options_;
    OffsetSpace space_;
    long exchanges_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    if (const std::optional<int> status = ParseOptions(argc, argv, options)) {
        return *status;
    }
    if (options.folder.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        options.folder = runtime != nullptr && runtime[0] != '\0' ? runtime : "/tmp";
    }
    const std::string path = options.folder + "/fsuipc-" + options.windowClass;

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        std::fprintf(stderr, "tarnwell-sim: socket path too long: %s\n", path.c_str());
        return 1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no SA_RESTART: poll wakes up with EINTR
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        std::perror("tarnwell-sim: socket");
        return 1;
    }
    // A socket file left behind by a simulator that was killed is replaced;
    // one that still answers belongs to a running simulator.
    if (::connect(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        std::fprintf(stderr, "tarnwell-sim: another simulator already serves %s\n", path.c_str());
        return 1;
    }
    ::close(listener);
    // Non-blocking, so that a connection given up before it is accepted
    // cannot block the loop in accept.
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ::unlink(path.c_str());
    const mode_t oldMask = ::umask(0077);
    const int bound = ::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::umask(oldMask);
    if (server < 0 || bound != 0 || ::listen(server, 16) != 0) {
        std::fprintf(stderr, "tarnwell-sim: cannot listen at %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }

    const std::uint32_t word = options.simVersionWord;
    std::printf("tarnwell-sim: serving window class %s at %s\n", options.windowClass.c_str(),
                path.c_str());
    std::printf("  FSUIPC version 0x%08" PRIX32 ", simulator version 0x%08" PRIX32 " (%s)\n",
                options.fsuipcVersion, word,
                (word >> 16) == 0xFADE ? SimName(word & 0xFFFF) : "no 0xFADE mark");
    for (const auto& [station, weight] : options.stations) {
        std::printf("  payload station %d (0x%04X): %g lb\n", station,
                    static_cast<unsigned>(FirstStationOffset + StationStep * (station - 1)),
                    weight);
    }
    static const char* const modes[] = {"normally", "0", "never", "with garbage records"};
    if (options.normalAnswers > 0 && options.answer != Answer::Normal) {
        std::printf("  answering the first %ld exchanges normally, then %s\n",
                    options.normalAnswers, modes[static_cast<int>(options.answer)]);
    } else {
        std::printf("  answering %s\n", modes[static_cast<int>(options.answer)]);
    }
    std::printf("Press Ctrl+C to stop.\n");

    Simulator simulator(options);
    std::deque<int> held;  // connections that are never answered
    while (!stopRequested) {
        std::vector<pollfd> watched;
        watched.push_back(pollfd{server, POLLIN, 0});
        for (int fd : held) {
            watched.push_back(pollfd{fd, POLLIN, 0});
        }
        const int ready = ::poll(watched.data(), watched.size(), -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::perror("tarnwell-sim: poll");
            break;
        }
        // A held connection that becomes readable has been closed by its client.
        for (std::size_t i = 1; i < watched.size(); ++i) {
            if (watched[i].revents != 0) {
                std::printf("a client stopped waiting for an answer\n");
                ::close(watched[i].fd);
                for (auto it = held.begin(); it != held.end(); ++it) {
                    if (*it == watched[i].fd) {
                        held.erase(it);
                        break;
                    }
                }
            }
        }
        if ((watched[0].revents & POLLIN) != 0) {
            const int client = ::accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                continue;
            }
            if (simulator.Serve(client)) {
                if (held.size() >= MaxHeld) {
                    ::close(held.front());
                    held.pop_front();
                }
                held.push_back(client);
            } else {
                ::close(client);
            }
        }
    }
    for (int fd : held) {
        ::close(fd);
    }
    ::close(server);
    ::unlink(path.c_str());
    std::printf("tarnwell-sim: stopped\n");
    return 0;
}
