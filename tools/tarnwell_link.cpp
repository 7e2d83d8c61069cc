// tarnwell-link: the program's simulator link from the command line, for
// trying a simulator (tarnwell-sim on Linux) without the window. It uses the
// same connection routines as the window: one ConnectToSimulator, then one
// exchange per read or write.
//
//   tarnwell-link board MAIN_LEVEL CENTRE_LEVEL   the three tank writes of "Board Fuel"
//   tarnwell-link payload                         the four station reads of "Read Payload Weight"
//   tarnwell-link read OFFSET SIZE                one read, shown in hexadecimal
//   tarnwell-link write OFFSET BYTE...            one write of the given bytes
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "sim/connection.h"
#include "sim/system_platform.h"

using namespace tarnwell::sim;

namespace {

bool Number(const char* text, long long low, long long high, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 0);
    return end != text && *end == '\0' && value >= low && value <= high;
}

int Usage() {
    std::fprintf(stderr,
                 "Usage: tarnwell-link board MAIN_LEVEL CENTRE_LEVEL\n"
                 "       tarnwell-link payload\n"
                 "       tarnwell-link read OFFSET SIZE\n"
                 "       tarnwell-link write OFFSET BYTE...\n"
                 "Levels are FSUIPC tank levels (8388608 = full). Numbers may be 0x-prefixed.\n");
    return 2;
}

int Failed(const char* what, std::int32_t code) {
    std::printf("%s failed: %s (code %d)\n", what, std::string(IpcErrorText(code)).c_str(), code);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return Usage();
    }
    const std::string_view command = argv[1];
    long long a = 0;
    long long b = 0;
    if (!((command == "board" && argc == 4 && Number(argv[2], INT32_MIN, INT32_MAX, a) &&
           Number(argv[3], INT32_MIN, INT32_MAX, b)) ||
          (command == "payload" && argc == 2) ||
          (command == "read" && argc == 4 && Number(argv[2], 0, 0xFFFF, a) &&
           Number(argv[3], 0, 32492, b)) ||
          (command == "write" && argc >= 4 && Number(argv[2], 0, 0xFFFF, a)))) {
        return Usage();
    }
    std::vector<unsigned char> bytes;
    for (int i = 3; command == "write" && i < argc; ++i) {
        long long byte = 0;
        if (!Number(argv[i], 0, 255, byte)) {
            return Usage();
        }
        bytes.push_back(static_cast<unsigned char>(byte));
    }

    SimConnection sim(MakeSystemPlatform());
    std::int32_t code = 0;
    tarnwell::plan::Message failure;
    if (!sim.ConnectToSimulator(code, failure)) {
        std::printf("%s: %s\n", failure.title.c_str(), failure.text.c_str());
        return 1;
    }
    std::printf("connected: FSUIPC version 0x%08X, simulator version %u\n",
                static_cast<unsigned>(sim.Client().FsuipcVersion()), sim.Client().SimVersion());

    int status = 0;
    if (command == "board") {
        const auto main = static_cast<std::int32_t>(a);
        const auto centre = static_cast<std::int32_t>(b);
        const struct {
            std::int32_t offset;
            const std::int32_t* level;
            const char* tank;
        } writes[] = {{0x0B7C, &main, "left main"}, {0x0B94, &main, "right main"},
                      {0x0B74, &centre, "centre"}};
        for (const auto& write : writes) {
            if (!sim.WriteToSimulator(write.offset, 4, write.level, code)) {
                status = Failed("Variable write", code);
                break;
            }
            std::printf("%s tank level set to %d\n", write.tank, *write.level);
        }
    } else if (command == "payload") {
        std::int64_t total = 0;
        for (std::int32_t offset = 0x1400; offset <= 0x1490; offset += 48) {
            double weight = 0.0;
            if (!sim.ReadFromSimulator(offset, 8, &weight, code)) {
                status = Failed("Read", code);
                break;
            }
            std::printf("station at 0x%04X: %g lb\n", static_cast<unsigned>(offset), weight);
            total += static_cast<std::int64_t>(std::nearbyint(weight));  // halves to even
        }
        if (status == 0) {
            std::printf("payload weight: %lld lb\n", static_cast<long long>(total));
        }
    } else if (command == "read") {
        bytes.assign(static_cast<std::size_t>(b), 0);
        if (!sim.ReadFromSimulator(static_cast<std::int32_t>(a), static_cast<std::int32_t>(b),
                                   bytes.data(), code)) {
            status = Failed("Read", code);
        } else {
            std::printf("0x%04llX:", a);
            for (unsigned char byte : bytes) {
                std::printf(" %02X", byte);
            }
            std::printf("\n");
        }
    } else {
        if (!sim.WriteToSimulator(static_cast<std::int32_t>(a),
                                  static_cast<std::int32_t>(bytes.size()), bytes.data(), code)) {
            status = Failed("Write", code);
        } else {
            std::printf("%zu byte%s written at 0x%04llX\n", bytes.size(),
                        bytes.size() == 1 ? "" : "s", a);
        }
    }
    sim.IpcClose();
    return status;
}
