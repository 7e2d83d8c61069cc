// tarnwell-link: the program's simulator link from the command line, for
// trying a simulator (tarnwell-sim on Linux) without the window. It uses the
// same connection routines and simulator operations as the window: one
// ConnectToSimulator, then one exchange per read or write.
//
//   tarnwell-link board MAIN_LEVEL CENTRE_LEVEL   the three tank writes of "Board Fuel"
//   tarnwell-link payload                         the four station reads of "Read Payload Weight"
//   tarnwell-link read OFFSET SIZE                one read, shown in hexadecimal
//   tarnwell-link write OFFSET BYTE...            one write of the given bytes
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "sim/connection.h"
#include "sim/simulator_operations.h"
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
    if (!sim.ConnectToSimulator(code)) {
        std::printf("Error!: %s\n", ConnectionFailureText(code).c_str());
        return 1;
    }
    std::printf("connected: FSUIPC version 0x%08X, simulator version %u\n",
                static_cast<unsigned>(sim.Client().FsuipcVersion()), sim.Client().SimVersion());

    int status = 0;
    if (command == "board") {
        const auto main = static_cast<std::int32_t>(a);
        const auto centre = static_cast<std::int32_t>(b);
        const TankWrites written = WriteTankLevels(sim, main, centre);
        const struct {
            Tank tank;
            std::int32_t level;
            const char* name;
        } tanks[] = {{Tank::LeftMain, main, "left main"},
                     {Tank::RightMain, main, "right main"},
                     {Tank::Center, centre, "centre"}};
        for (const auto& tank : tanks) {
            if (written.failed == tank.tank) {
                status = Failed("Variable write", written.resultCode);
                break;
            }
            std::printf("%s tank level set to %d\n", tank.name, tank.level);
        }
    } else if (command == "payload") {
        const PayloadReading reading = ReadPayload(sim);
        for (std::size_t i = 0; i < reading.stationsRead; ++i) {
            std::printf("station at 0x%04X: %g lb\n",
                        static_cast<unsigned>(OffsetFirstPayloadStation +
                                              static_cast<std::int32_t>(i) * PayloadStationStride),
                        reading.stationPounds[i]);
        }
        if (reading.totalPounds) {
            std::printf("payload weight: %d lb\n", *reading.totalPounds);
        } else if (reading.exchangeFailed) {
            status = Failed("Read", reading.resultCode);
        } else {
            // A station weight that is negative, not a number or too large.
            std::printf("Read failed: the weight at 0x%04X is not a payload weight\n",
                        static_cast<unsigned>(OffsetFirstPayloadStation +
                                              static_cast<std::int32_t>(reading.stationsRead - 1) *
                                                  PayloadStationStride));
            status = 1;
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
