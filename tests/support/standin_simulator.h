#pragma once

// The stand-in simulator tools/tarnwell-sim as a child process of a test,
// serving the Linux simulator link in a private runtime folder.

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/module/fsuipc_client.h"
#include "sim/module/platform/linux_link_platform.h"

#ifndef TARNWELL_SIM_EXE
#error "TARNWELL_SIM_EXE must name the tarnwell-sim executable"
#endif

extern char** environ;

namespace tarnwell::sim::test {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A private runtime folder, removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        char pattern[] = "/tmp/tarnwell-link-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made != nullptr) {
            path_ = made;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline bool CanConnect(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// tarnwell-sim as a child process, its output in a file; always stopped.
class Simulator {
public:
    Simulator(const std::string& folder, std::vector<std::string> arguments,
              const std::string& windowClass = "UIPCMAIN", uid_t runAs = 0)
        : folder_(folder), output_(folder + "/sim-" + windowClass + ".log") {
        // Another user may not reach the build folder (a checkout under a
        // private home or temporary folder): that one runs a copy kept in
        // the runtime folder, which the test opens to it.
        std::string program = TARNWELL_SIM_EXE;
        if (runAs != 0) {
            program = folder + "/tarnwell-sim";
            std::error_code ignored;
            std::filesystem::copy_file(TARNWELL_SIM_EXE, program,
                                       std::filesystem::copy_options::overwrite_existing, ignored);
            ::chmod(program.c_str(), 0755);
        }
        std::vector<std::string> args{program, "--class", windowClass};
        args.insert(args.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);

        std::vector<std::string> envStrings;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (std::strncmp(*entry, "XDG_RUNTIME_DIR=", 16) != 0) {
                envStrings.emplace_back(*entry);
            }
        }
        envStrings.push_back("XDG_RUNTIME_DIR=" + folder);
        std::vector<char*> envp;
        for (std::string& entry : envStrings) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);

        const int out = ::open(output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
            if (runAs != 0 && (::setgid(runAs) != 0 || ::setuid(runAs) != 0)) {
                ::_exit(127);
            }
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out);

        const std::string socket = SocketPath(folder, windowClass);
        const auto deadline = Clock::now() + 5s;
        while (Clock::now() < deadline && !CanConnect(socket)) {
            std::this_thread::sleep_for(2ms);
        }
        ready_ = CanConnect(socket);
    }

    ~Simulator() { Stop(SIGTERM); }

    bool ready() const { return ready_; }

    // Ends the simulator (SIGKILL leaves its socket file behind).
    void Stop(int signal) {
        if (pid_ <= 0) {
            return;
        }
        ::kill(pid_, signal);
        int status = 0;
        const auto deadline = Clock::now() + 3s;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, &status, 0);
                break;
            }
            std::this_thread::sleep_for(1ms);
        }
        pid_ = -1;
    }

    std::string Output() const {
        std::ifstream in(output_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // The output once it holds the text (or after two seconds).
    std::string WaitForOutput(const std::string& what) const {
        const auto deadline = Clock::now() + 2s;
        std::string text = Output();
        while (text.find(what) == std::string::npos && Clock::now() < deadline) {
            std::this_thread::sleep_for(2ms);
            text = Output();
        }
        return text;
    }

    int Count(const std::string& what) const {
        const std::string text = Output();
        int count = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1)) {
            ++count;
        }
        return count;
    }

private:
    std::string folder_;
    std::string output_;
    pid_t pid_ = -1;
    bool ready_ = false;
};

inline bool MappingExists(std::uint32_t processId) {
    const std::string name = "/" + MappingName(processId);
    const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    return false;
}

}  // namespace tarnwell::sim::test
