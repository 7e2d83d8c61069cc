#pragma once

#include <string_view>

namespace tarnwell::data {

// Axes of the trip tables. They match the planner's lists position for
// position, so a list position is an index.
inline constexpr int LevelCount = 5;      // FL290, FL310, FL330, FL350, FL370
inline constexpr int DistanceCount = 49;  // 200, 300, ..., 5000 nautical miles

// Nautical miles of the trip at a distance index.
constexpr int TripDistanceNm(int distanceIndex) {
    return (distanceIndex + 2) * 100;
}

// Trip fuel in thousands of pounds (3.1 means 3,100 lb); 0 marks a cell
// without data, and so does an index outside its axis.
double TripFuel(int modelIndex, int levelIndex, int distanceIndex);

// Trip time as "h:mm"; "0" marks a cell without data, and so does an index
// outside its axis.
std::string_view TripTime(int modelIndex, int levelIndex, int distanceIndex);

}  // namespace tarnwell::data
