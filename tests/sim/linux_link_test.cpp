// The client over the real Linux simulator link, end to end against the
// stand-in simulator tools/tarnwell-sim (started as a child process with a
// private runtime folder), plus the link's own contract checked with a
// listener of the test's own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sim/module/byte_order.h"
#include "sim/module/connection.h"
#include "sim/module/platform/linux_link_platform.h"
#include "support/standin_simulator.h"

namespace tarnwell::sim {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using test::CanConnect;
using test::MappingExists;
using test::Simulator;
using test::TempFolder;

// Short timings keep the failing paths brief; the algorithm is unchanged.
constexpr FsuipcTiming Quick{300, 5};

// Removes a shared-memory object at the end of a test, whatever happened.
class RemovedAtEnd {
public:
    explicit RemovedAtEnd(std::string name) : name_(std::move(name)) {}
    ~RemovedAtEnd() { ::shm_unlink(name_.c_str()); }

private:
    std::string name_;
};

// Whether the user may execute the program (every folder on its way open).
bool CanRunAs(uid_t user, const std::string& program) {
    const pid_t child = ::fork();
    if (child == 0) {
        const bool can =
            ::setgid(user) == 0 && ::setuid(user) == 0 && ::access(program.c_str(), X_OK) == 0;
        ::_exit(can ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

class LinuxLinkTest : public ::testing::Test {
protected:
    TempFolder folder;
};

// ---- the runtime folder ----------------------------------------------------

TEST(RuntimeFolderTest, XdgRuntimeDirElseTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved != nullptr ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(RuntimeFolder(), "/run/user/4242");
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(RuntimeFolder(), "/tmp");
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(RuntimeFolder(), "/tmp");
    if (saved != nullptr) {
        ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
    }
    EXPECT_EQ(SocketPath("/run/user/1000", "UIPCMAIN"), "/run/user/1000/fsuipc-UIPCMAIN");
}

// ---- end to end against tarnwell-sim ----------------------------------------

TEST_F(LinuxLinkTest, NoSimulatorGivesCode2) {
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcErrNoFs);
    EXPECT_EQ(code, IpcErrNoFs);
    EXPECT_FALSE(sim.SimConnected());
}

TEST_F(LinuxLinkTest, OpenAndVersionCheck) {
    Simulator simulator(folder.path(), {"--fsuipc-version", "0x39990000", "--sim-version", "7"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform);  // the real timing: one 100 ms pause
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_TRUE(sim.SimConnected());
    EXPECT_EQ(sim.Client().FsuipcVersion(), 0x39990000);
    EXPECT_EQ(sim.Client().SimVersion(), 7u);
    EXPECT_TRUE(MappingExists(platform.CurrentProcessId()));

    sim.IpcClose();
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
    const std::string output = simulator.Output();
    EXPECT_NE(output.find("FSUIPC version read: 0x39990000"), std::string::npos) << output;
    EXPECT_NE(output.find("simulator version read: 0xFADE0007 (FS2004)"), std::string::npos);
    EXPECT_NE(output.find("area FSASMLIB:IPC:"), std::string::npos);
    EXPECT_NE(output.find("answered 1"), std::string::npos);
}

TEST_F(LinuxLinkTest, AnotherSimulatorVersionThanRequestedGivesCode8) {
    Simulator simulator(folder.path(), {"--sim-version", "6"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimFs2004, code));
    EXPECT_EQ(code, IpcErrWrongFs);
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
    ASSERT_TRUE(client.IpcOpen(SimFs2002, code));
    EXPECT_EQ(client.SimVersion(), 6u);
}

TEST_F(LinuxLinkTest, OldFsuipcUnderFs98mainGivesCode14) {
    Simulator simulator(folder.path(), {"--fsuipc-version", "0x19980004"}, "FS98MAIN");
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrRunning);
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
}

TEST_F(LinuxLinkTest, WithoutTheFadeMarkUnderUipcmainGivesCode7) {
    Simulator simulator(folder.path(), {"--sim-version-word", "0x12340007"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrVersion);
}

TEST_F(LinuxLinkTest, WriteThenReadBack) {
    Simulator simulator(folder.path(), {});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));

    const std::int32_t main = 4194304;
    const std::int32_t centre = 1456204;
    ASSERT_TRUE(sim.WriteToSimulator(0x0B7C, 4, &main, code));
    ASSERT_TRUE(sim.WriteToSimulator(0x0B94, 4, &main, code));
    ASSERT_TRUE(sim.WriteToSimulator(0x0B74, 4, &centre, code));
    std::int32_t back = 0;
    ASSERT_TRUE(sim.ReadFromSimulator(0x0B7C, 4, &back, code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(back, 4194304);
    ASSERT_TRUE(sim.ReadFromSimulator(0x0B74, 4, &back, code));
    EXPECT_EQ(back, 1456204);

    const std::string output = simulator.Output();
    EXPECT_NE(output.find("left main tank level set to 4194304 (50.0 %)"), std::string::npos)
        << output;
    EXPECT_NE(output.find("right main tank level set to 4194304 (50.0 %)"), std::string::npos);
    EXPECT_NE(output.find("centre tank level set to 1456204 (17.4 %)"), std::string::npos);
    EXPECT_NE(output.find("left main tank level read: 4194304 (50.0 %)"), std::string::npos);
    EXPECT_EQ(simulator.Count("exchange "), 6);
}

TEST_F(LinuxLinkTest, SeveralRequestsInOneBatch) {
    Simulator simulator(folder.path(), {"--station", "1=150.4", "--station", "2=150.5", "--station",
                                        "3=151.5", "--station", "4=0", "--station", "5=999"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));

    double stations[4] = {-1, -1, -1, -1};
    const std::int32_t level = 8388608;
    std::int32_t levelBack = 0;
    ASSERT_TRUE(client.IpcWrite(0x0B74, 4, &level, code));
    for (int k = 0; k < 4; ++k) {
        ASSERT_TRUE(client.IpcRead(0x1400 + 48 * k, 8, &stations[k], code));
    }
    ASSERT_TRUE(client.IpcRead(0x0B74, 4, &levelBack, code));
    ASSERT_TRUE(client.IpcRead(0x3308, 4, nullptr, code));  // carried out, not copied
    ASSERT_TRUE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcOk);
    EXPECT_EQ(stations[0], 150.4);
    EXPECT_EQ(stations[1], 150.5);
    EXPECT_EQ(stations[2], 151.5);
    EXPECT_EQ(stations[3], 0.0);
    EXPECT_EQ(levelBack, 8388608);

    const std::string output = simulator.Output();
    EXPECT_EQ(simulator.Count("exchange "), 2) << output;  // the version check and this batch
    EXPECT_NE(output.find("payload station 1 (0x1400) weight read: 150.4 lb"), std::string::npos)
        << output;
    EXPECT_NE(output.find("payload station 4 (0x1490) weight read: 0 lb"), std::string::npos);
    EXPECT_EQ(output.find("payload station 5 (0x14C0) weight read"), std::string::npos);
    EXPECT_NE(output.find("centre tank level set to 8388608 (100.0 %)"), std::string::npos);
}

TEST_F(LinuxLinkTest, TheSimulatorGoneBetweenExchanges) {
    auto simulator = std::make_unique<Simulator>(folder.path(), std::vector<std::string>{});
    ASSERT_TRUE(simulator->ready());
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));

    simulator->Stop(SIGKILL);  // gone, its socket file left behind
    const std::int32_t level = 1000;
    std::int32_t back = 7;
    EXPECT_FALSE(sim.WriteToSimulator(0x0B7C, 4, &level, code));
    EXPECT_EQ(code, IpcErrSendMsg);  // refused connections: a non-zero last error
    EXPECT_FALSE(sim.ReadFromSimulator(0x0B7C, 4, &back, code));
    EXPECT_EQ(code, IpcErrSendMsg);
    EXPECT_EQ(back, 7);
    EXPECT_TRUE(sim.Client().IsOpen());
    EXPECT_TRUE(sim.SimConnected());

    // A simulator started again serves the same open link.
    simulator = std::make_unique<Simulator>(folder.path(), std::vector<std::string>{});
    ASSERT_TRUE(simulator->ready());
    EXPECT_TRUE(sim.WriteToSimulator(0x0B7C, 4, &level, code));
    EXPECT_TRUE(sim.ReadFromSimulator(0x0B7C, 4, &back, code));
    EXPECT_EQ(back, 1000);
}

TEST_F(LinuxLinkTest, ASimulatorThatNeverAnswersIsBoundedByTheTimeOut) {
    Simulator simulator(folder.path(), {"--normal-answers", "1", "--answer", "never"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    constexpr FsuipcTiming timing{40, 5};
    SimConnection sim(platform, timing);
    std::int32_t code = -1;
    ASSERT_TRUE(sim.ConnectToSimulator(code));

    std::int32_t value = 3;
    const auto start = Clock::now();
    EXPECT_FALSE(sim.ReadFromSimulator(0x0B7C, 4, &value, code));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(code, IpcErrTimeout);
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(sim.SimConnected());
    EXPECT_TRUE(sim.Client().IsOpen());
    // 11 attempts of 40 ms and 10 pauses of 5 ms, and not much more.
    EXPECT_GE(elapsed, 11 * 40ms + 10 * 5ms);
    EXPECT_LT(elapsed, 2s);
}

TEST_F(LinuxLinkTest, AnOpenAgainstASimulatorThatNeverAnswersFailsWithCode11) {
    Simulator simulator(folder.path(), {"--answer", "never"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform, FsuipcTiming{20, 2});
    std::int32_t code = -1;
    const auto start = Clock::now();
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_LT(Clock::now() - start, 2s);
    EXPECT_EQ(code, IpcErrTimeout);
    EXPECT_NE(ConnectionFailureText(code).find("IPC timed out all retries"), std::string::npos);
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
}

TEST_F(LinuxLinkTest, ASimulatorAnswering0) {
    Simulator simulator(folder.path(), {"--answer", "zero"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    SimConnection sim(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(sim.ConnectToSimulator(code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_FALSE(sim.SimConnected());
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
}

TEST_F(LinuxLinkTest, ASimulatorAnswering0OnAnOpenLink) {
    Simulator simulator(folder.path(), {"--normal-answers", "1", "--answer", "zero"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    std::int32_t value = 3;
    ASSERT_TRUE(client.IpcRead(0x0B7C, 4, &value, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_EQ(value, 3);
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrNoData);
    EXPECT_TRUE(client.IsOpen());
}

TEST_F(LinuxLinkTest, GarbageRecordsAreRefusedWithCode13) {
    Simulator simulator(folder.path(), {"--normal-answers", "1", "--answer", "garbage"});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code));
    double weight = -1;
    ASSERT_TRUE(client.IpcRead(0x1400, 8, &weight, code));
    EXPECT_FALSE(client.IpcProcess(code));
    EXPECT_EQ(code, IpcErrData);
    EXPECT_EQ(weight, -1);
}

TEST_F(LinuxLinkTest, TheAreaIsExclusive) {
    Simulator simulator(folder.path(), {});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    FsuipcClient first(platform, Quick);
    FsuipcClient second(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(first.IpcOpen(SimAny, code));
    // Same process, same name: the second open meets the first one's area.
    EXPECT_FALSE(second.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrMap);
    EXPECT_TRUE(first.IsOpen());
    first.IpcClose();
    EXPECT_TRUE(second.IpcOpen(SimAny, code));
}

// An area of this process's name left behind by an earlier process that had
// the same id: stale when it is this user's, and made afresh.
TEST_F(LinuxLinkTest, AnAreaLeftByAnEarlierProcessOfThisUserIsMadeAfresh) {
    Simulator simulator(folder.path(), {});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    const std::string name = "/" + MappingName(platform.CurrentProcessId());
    const RemovedAtEnd removed(name);
    const int left = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(left, 0);
    ASSERT_EQ(::ftruncate(left, 16), 0);
    ::close(left);

    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    ASSERT_TRUE(client.IpcOpen(SimAny, code)) << code;
    struct stat status {};
    const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fstat(fd, &status), 0);
    ::close(fd);
    EXPECT_EQ(status.st_size, 0x8000);
    client.IpcClose();
    EXPECT_FALSE(MappingExists(platform.CurrentProcessId()));
}

TEST_F(LinuxLinkTest, AnAreaOfAnotherUserIsRefusedAndLeftAlone) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to leave an area of another user";
    }
    Simulator simulator(folder.path(), {});
    ASSERT_TRUE(simulator.ready());
    LinuxLinkPlatform platform(folder.path());
    const std::string name = "/" + MappingName(platform.CurrentProcessId());
    const RemovedAtEnd removed(name);
    const int left = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(left, 0);
    ASSERT_EQ(::fchown(left, 65534, 65534), 0);
    ::close(left);

    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrMap);
    struct stat status {};
    const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::fstat(fd, &status), 0);
    ::close(fd);
    EXPECT_EQ(status.st_uid, 65534u);
}

TEST_F(LinuxLinkTest, TheSimulatorRefusesNamesOutsideTheIpcPrefix) {
    Simulator simulator(folder.path(), {});
    ASSERT_TRUE(simulator.ready());
    const std::string path = SocketPath(folder.path(), "UIPCMAIN");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string name = "OTHER:1";
    unsigned char frame[16 + 7] = {0x00, 0xC0, 0, 0, 0x00, 0xC0, 0xFF, 0xFF,
                                   0,    0,    0, 0, 7,    0,    0,    0};
    std::memcpy(frame + 16, name.data(), name.size());
    ASSERT_EQ(::send(fd, frame, sizeof frame, MSG_NOSIGNAL), static_cast<ssize_t>(sizeof frame));
    unsigned char reply[4];
    EXPECT_EQ(::recv(fd, reply, sizeof reply, 0), 0);  // closed without a reply
    ::close(fd);
    EXPECT_NE(simulator.Output().find("does not start with FSASMLIB:IPC:"), std::string::npos)
        << simulator.Output();
}

TEST_F(LinuxLinkTest, BothSidesRefuseAPeerOfAnotherUser) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to run the simulator as another user";
    }
    constexpr uid_t nobody = 65534;
    ASSERT_EQ(::chmod(folder.path().c_str(), 0777), 0);
    Simulator simulator(folder.path(), {}, "UIPCMAIN", nobody);
    if (!simulator.ready() && !CanRunAs(nobody, folder.path() + "/tarnwell-sim")) {
        GTEST_SKIP() << "user " << nobody << " cannot run a program kept in " << folder.path()
                     << " (a folder mounted noexec?)";
    }
    ASSERT_TRUE(simulator.ready()) << simulator.Output();

    // The client does not take a socket of another user for FSUIPC's window.
    LinuxLinkPlatform platform(folder.path());
    EXPECT_EQ(platform.FindWindowByClass("UIPCMAIN"), 0u);
    FsuipcClient client(platform, Quick);
    std::int32_t code = -1;
    EXPECT_FALSE(client.IpcOpen(SimAny, code));
    EXPECT_EQ(code, IpcErrNoFs);
    // And the simulator refused this user's connections.
    const std::string output = simulator.WaitForOutput("is not this user");
    EXPECT_NE(output.find("is not this user"), std::string::npos) << output;
}

// ---- the link's contract, seen by a listener of the test's own ---------------

// FSUIPC's window as a socket of the test's own: the platform finds it (the
// look-up's connection is taken here), and each test answers the messages
// itself.
class OwnListenerTest : public LinuxLinkTest {
protected:
    void SetUp() override {
        path = SocketPath(folder.path(), "UIPCMAIN");
        listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ASSERT_EQ(::listen(listener, 4), 0);
        window = platform.FindWindowByClass("UIPCMAIN");
        ASSERT_NE(window, 0u);
        ::close(::accept(listener, nullptr, nullptr));  // the look-up's connection
    }
    void TearDown() override { StopListening(); }

    void StopListening() {
        if (listener >= 0) {
            ::close(listener);
            listener = -1;
        }
    }

    // Takes the next message's connection and reads its request frame.
    int AcceptFrame(std::vector<unsigned char>& frame) const {
        const int fd = ::accept(listener, nullptr, nullptr);
        unsigned char buffer[512];
        std::size_t got = 0;
        while (got < 16 || got < 16 + static_cast<std::size_t>(buffer[12])) {
            const ssize_t n = ::recv(fd, buffer + got, sizeof buffer - got, 0);
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        frame.assign(buffer, buffer + got);
        return fd;
    }

    static void ReplyAndClose(int fd, std::int32_t result) {
        unsigned char reply[4];
        StoreLittleEndian32(reply, static_cast<std::uint32_t>(result));
        ::send(fd, reply, sizeof reply, MSG_NOSIGNAL);
        ::close(fd);
    }

    std::string path;
    int listener = -1;
    LinuxLinkPlatform platform{folder.path()};
    WindowHandle window = 0;
};

TEST_F(OwnListenerTest, TheRequestFrameAndTheReply) {
    EXPECT_EQ(platform.FindWindowByClass("FS98MAIN"), 0u);

    const std::uint32_t message = platform.RegisterMessage("FSASMLIB:IPC");
    EXPECT_GE(message, 0xC000u);
    EXPECT_EQ(platform.RegisterMessage("FSASMLIB:IPC"), message);
    const std::string name = MappingName(platform.CurrentProcessId());
    const std::uint16_t atom = platform.AddGlobalAtom(name.c_str());
    ASSERT_GE(atom, 0xC000u);

    std::vector<unsigned char> received;
    std::thread server([&] { ReplyAndClose(AcceptFrame(received), 1); });
    std::int64_t result = 0;
    const std::int32_t wParam = static_cast<std::int16_t>(atom);
    const bool delivered =
        platform.SendMessageWithTimeout(window, message, wParam, 0, 2000, &result);
    server.join();
    platform.DeleteGlobalAtom(atom);

    ASSERT_TRUE(delivered);
    EXPECT_EQ(result, 1);
    ASSERT_EQ(received.size(), 16 + name.size());
    auto word = [&](std::size_t at) { return LoadLittleEndian32(received.data() + at); };
    EXPECT_EQ(word(0), message);
    EXPECT_EQ(word(4), 0xFFFF0000u | atom);  // sign-extended, as the client stores it
    EXPECT_EQ(word(8), 0u);
    EXPECT_EQ(word(12), name.size());
    EXPECT_EQ(std::string(received.begin() + 16, received.end()), name);
}

// A peer that cuts the shared area short while it handles a message: the
// exchange fails like one with bad data, the view stays usable, and the next
// exchange finds the area at its size again.
TEST_F(OwnListenerTest, AnAreaCutShortByThePeerIsAFailedExchange) {
    const std::string name = MappingName(platform.CurrentProcessId());
    const RemovedAtEnd removed("/" + name);
    const MappingHandle mapping = platform.CreateMapping(name.c_str(), 0x8000);
    ASSERT_NE(mapping, 0u);
    auto* view = static_cast<unsigned char*>(platform.MapView(mapping));
    ASSERT_NE(view, nullptr);
    const std::uint16_t atom = platform.AddGlobalAtom(name.c_str());

    // Answers one message, having cut the area to `size` bytes; 1 as result.
    const auto answer = [&](off_t size) {
        std::vector<unsigned char> frame;
        const int fd = AcceptFrame(frame);
        const int area = ::shm_open(("/" + name).c_str(), O_RDWR, 0);
        if (size >= 0 && area >= 0) {
            EXPECT_EQ(::ftruncate(area, size), 0);
        }
        struct stat status {};
        ::fstat(area, &status);
        EXPECT_EQ(status.st_size, size >= 0 ? size : 0x8000);
        ::close(area);
        ReplyAndClose(fd, 1);
    };
    for (off_t cut : {off_t{0}, off_t{100}, off_t{-1}}) {
        view[0x7FFF] = 7;
        std::thread peer(answer, cut);
        std::int64_t result = -1;
        EXPECT_TRUE(platform.SendMessageWithTimeout(window, 0xC000, static_cast<std::int16_t>(atom),
                                                    0, 2000, &result));
        peer.join();
        EXPECT_EQ(result, cut >= 0 ? 0 : 1) << cut;
        EXPECT_EQ(view[0x7FFF], 7);  // the view is the process's own
    }
    platform.DeleteGlobalAtom(atom);
    platform.UnmapView(view);
    platform.CloseMapping(mapping);
}

TEST_F(OwnListenerTest, ClosedWithoutAReplyIsAFailureWithAnError) {
    const std::uint16_t atom = platform.AddGlobalAtom("FSASMLIB:IPC:TEST:1");
    std::thread server([&] { ::close(::accept(listener, nullptr, nullptr)); });
    std::int64_t result = 0;
    EXPECT_FALSE(platform.SendMessageWithTimeout(window, 0xC000, static_cast<std::int16_t>(atom), 0,
                                                 2000, &result));
    server.join();
    EXPECT_NE(platform.LastError(), 0u);

    // Nobody listening at all: also an error, not a time-out.
    StopListening();
    ::unlink(path.c_str());
    EXPECT_FALSE(platform.SendMessageWithTimeout(window, 0xC000, static_cast<std::int16_t>(atom), 0,
                                                 2000, &result));
    EXPECT_EQ(platform.LastError(), ErrorInvalidWindowHandle);
    platform.DeleteGlobalAtom(atom);
}

TEST_F(LinuxLinkTest, MappingsAreExclusiveAndRemovedWhenClosed) {
    LinuxLinkPlatform platform(folder.path());
    const std::string name = "FSASMLIB:IPC:TEST" + std::to_string(::getpid()) + ":1";
    const MappingHandle mapping = platform.CreateMapping(name.c_str(), 0x8000);
    ASSERT_NE(mapping, 0u);
    EXPECT_EQ(platform.LastError(), 0u);
    EXPECT_EQ(platform.CreateMapping(name.c_str(), 0x8000), 0u);
    EXPECT_EQ(platform.LastError(), ErrorAlreadyExists);

    void* view = platform.MapView(mapping);
    ASSERT_NE(view, nullptr);
    struct stat status {};
    const int fd = ::shm_open(("/" + name).c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::fstat(fd, &status), 0);
    ::close(fd);
    EXPECT_EQ(status.st_size, 0x8000);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    static_cast<unsigned char*>(view)[0x7FFF] = 1;  // the whole area is mapped

    platform.UnmapView(view);
    platform.CloseMapping(mapping);
    EXPECT_LT(::shm_open(("/" + name).c_str(), O_RDONLY, 0), 0);
}

}  // namespace
}  // namespace tarnwell::sim
