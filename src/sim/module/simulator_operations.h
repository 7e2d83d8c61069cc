#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "sim/module/connection.h"
#include "sim/module/tank_levels.h"
#include "sim/simulator.h"

// What the planner asks of the simulator, as values: the payload loaded,
// the three tank levels to set, and the levels the tanks hold now. Each read or write is an
// exchange of its own on a link that is already open; nothing is shown.
namespace tarnwell::sim {

inline constexpr std::size_t PayloadStationCount = 4;

struct PayloadReading {
    // The weights read, in pounds, in station order; the stations after a
    // failure are not read.
    std::array<double, PayloadStationCount> stationPounds{};
    std::size_t stationsRead = 0;
    // The total in whole pounds. Empty when a read failed, or a weight is
    // negative, not a finite number, or takes the total beyond 32 bits: the
    // reading stops at that station.
    std::optional<std::int32_t> totalPounds;
    // True when the total is empty because an exchange failed (resultCode
    // tells why) rather than because of a weight.
    bool exchangeFailed = false;
    std::int32_t resultCode = 0;  // of the last exchange
};

// Told which station (0 to 3) is about to be read, so that a caller
// waiting for the simulator can say what it waits for.
using StationStarting = std::function<void(std::size_t station)>;

// Reads the first four payload stations, 0x1400 to 0x1490.
PayloadReading ReadPayload(SimConnection& link, const StationStarting& starting = {});

struct TankWrites {
    // The tank whose write failed; the tanks before it are set. Empty when
    // all three are.
    std::optional<Tank> failed;
    std::int32_t resultCode = 0;  // of the last exchange
};

// Told which tank is about to be written.
using TankStarting = std::function<void(Tank tank)>;

// Sets the left main, right main and centre tank levels, in that order,
// stopping at the first write that fails.
TankWrites WriteTankLevels(SimConnection& link, std::int32_t mainLevel, std::int32_t centerLevel,
                           const TankStarting& starting = {});

struct TankReadings {
    // The levels read, indexed by TankIndex, in the simulator's encoding.
    std::array<std::int32_t, TankCount> levels{};
    // The tank whose read failed; the tanks after it are not read. Empty
    // when all three are.
    std::optional<Tank> failed;
    std::int32_t resultCode = 0;  // of the last exchange
};

// Reads the left main, right main and centre tank levels, in that order,
// each in an exchange of its own, stopping at the first that fails.
TankReadings ReadTankLevels(SimConnection& link, const TankStarting& starting = {});

}  // namespace tarnwell::sim
