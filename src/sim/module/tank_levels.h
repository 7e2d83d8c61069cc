#pragma once

#include <cstdint>
#include <optional>

// How the simulator encodes what is in a tank, and where it keeps the
// figures the planner writes and reads.
namespace tarnwell::sim {

inline constexpr std::int32_t OffsetLeftMainLevel = 0x0B7C;
inline constexpr std::int32_t OffsetRightMainLevel = 0x0B94;
inline constexpr std::int32_t OffsetCenterLevel = 0x0B74;

// A full tank: the fraction of capacity times 128 times 65,536.
inline constexpr std::int32_t FullTankLevel = 0x800000;

// The payload stations the planner adds up: four 8-byte doubles in pounds,
// 48 bytes apart from 0x1400.
inline constexpr std::int32_t OffsetFirstPayloadStation = 0x1400;
inline constexpr std::int32_t PayloadStationStride = 48;
inline constexpr std::int32_t OffsetLastPayloadStation = 0x1490;

// The level of a tank holding `pounds` of its `capacity`, rounded to the
// nearest whole number with ties to even. Empty when the fuel does not fit
// the tank (below zero, above full) or is not a number: such a level must
// never reach the simulator.
std::optional<std::int32_t> TankLevel(double pounds, std::int32_t capacity);

// The pounds a tank of `capacity` holds at `level`, the way back from
// TankLevel. Empty when the level is no tank's (below empty, above full)
// or there is no capacity: the simulator's answer is then unknown.
std::optional<double> TankPoundsAt(std::int32_t level, std::int32_t capacity);

}  // namespace tarnwell::sim
