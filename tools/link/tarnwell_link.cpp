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
#include <string>
#include <vector>

#include "command_line.h"
#include "sim/module/connection.h"
#include "sim/module/platform/system_platform.h"
#include "sim/module/simulator_operations.h"

using namespace tarnwell::sim;

namespace {

// What the command line asked for.
struct Request {
    std::int64_t mainLevel = 0;
    std::int64_t centerLevel = 0;
    std::int64_t offset = 0;
    std::int64_t size = 0;
    std::vector<std::int64_t> bytes;
};

int Failed(const char* what, std::int32_t code) {
    std::printf("%s failed: %s (code %d)\n", what, std::string(IpcErrorText(code)).c_str(), code);
    return 1;
}

int Board(SimConnection& sim, const Request& request) {
    const auto main = static_cast<std::int32_t>(request.mainLevel);
    const auto centre = static_cast<std::int32_t>(request.centerLevel);
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
            return Failed("Variable write", written.resultCode);
        }
        std::printf("%s tank level set to %d\n", tank.name, tank.level);
    }
    return 0;
}

unsigned StationOffset(std::size_t station) {
    return static_cast<unsigned>(OffsetFirstPayloadStation +
                                 static_cast<std::int32_t>(station) * PayloadStationStride);
}

int Payload(SimConnection& sim) {
    const PayloadReading reading = ReadPayload(sim);
    for (std::size_t i = 0; i < reading.stationsRead; ++i) {
        std::printf("station at 0x%04X: %g lb\n", StationOffset(i), reading.stationPounds[i]);
    }
    if (reading.totalPounds) {
        std::printf("payload weight: %d lb\n", *reading.totalPounds);
        return 0;
    }
    if (reading.exchangeFailed) {
        return Failed("Read", reading.resultCode);
    }
    // A station weight that is negative, not a number or too large.
    std::printf("Read failed: the weight at 0x%04X is not a payload weight\n",
                StationOffset(reading.stationsRead - 1));
    return 1;
}

int Read(SimConnection& sim, const Request& request) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(request.size));
    std::int32_t code = 0;
    if (!sim.ReadFromSimulator(static_cast<std::int32_t>(request.offset),
                               static_cast<std::int32_t>(request.size), bytes.data(), code)) {
        return Failed("Read", code);
    }
    std::printf("0x%04llX:", static_cast<long long>(request.offset));
    for (unsigned char byte : bytes) {
        std::printf(" %02X", byte);
    }
    std::printf("\n");
    return 0;
}

int Write(SimConnection& sim, const Request& request) {
    const std::vector<unsigned char> bytes(request.bytes.begin(), request.bytes.end());
    std::int32_t code = 0;
    if (!sim.WriteToSimulator(static_cast<std::int32_t>(request.offset),
                              static_cast<std::int32_t>(bytes.size()), bytes.data(), code)) {
        return Failed("Write", code);
    }
    std::printf("%zu byte%s written at 0x%04llX\n", bytes.size(), bytes.size() == 1 ? "" : "s",
                static_cast<long long>(request.offset));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "The planner's simulator link from the command line: board the tanks, read the "
        "payload, or read and write single offsets.",
        "tarnwell-link"};
    app.require_subcommand(0, 1);
    app.footer(
        "Levels are tank levels as the interface module keeps them: 0 is empty, 8388608 "
        "full.\nNumbers may be 0x-prefixed.");
    Request request;
    const auto level = CLI::Range(std::int64_t{0}, std::int64_t{FullTankLevel});
    CLI::App* board = app.add_subcommand("board", "the three tank writes of \"Board Fuel\"");
    board->add_option("MAIN_LEVEL", request.mainLevel, "left and right main tank level")
        ->required()
        ->check(level);
    board->add_option("CENTRE_LEVEL", request.centerLevel, "centre tank level")
        ->required()
        ->check(level);
    CLI::App* payload =
        app.add_subcommand("payload", "the four station reads of \"Read Payload Weight\"");
    CLI::App* read = app.add_subcommand("read", "one read, shown in hexadecimal");
    read->add_option("OFFSET", request.offset)->required()->check(CLI::Range(0, 0xFFFF));
    read->add_option("SIZE", request.size)->required()->check(CLI::Range(0, 32492));
    CLI::App* write = app.add_subcommand("write", "one write of the given bytes");
    write->add_option("OFFSET", request.offset)->required()->check(CLI::Range(0, 0xFFFF));
    write->add_option("BYTE", request.bytes)->required()->check(CLI::Range(0, 255));

    if (const std::optional<int> status = tarnwell::tools::ParseCommandLine(app, argc, argv)) {
        return *status;
    }
    if (app.get_subcommands().empty()) {
        std::fprintf(stderr,
                     "tarnwell-link: a command is needed: board, payload, read or write "
                     "(see --help)\n");
        return 2;
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
    if (board->parsed()) {
        status = Board(sim, request);
    } else if (payload->parsed()) {
        status = Payload(sim);
    } else if (read->parsed()) {
        status = Read(sim, request);
    } else {
        status = Write(sim, request);
    }
    sim.IpcClose();
    return status;
}
