#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnwell::data {

// The four 737 Next Generation models the planner knows, by model index:
// 0 = 737-600, 1 = 737-700, 2 = 737-800, 3 = 737-900.
inline constexpr int ModelCount = 4;

enum class ModelId { B737_600, B737_700, B737_800, B737_900 };

constexpr int ModelIndex(ModelId model) {
    return static_cast<int>(model);
}

// The model at a position (an option button, a saved setting); the 737-600
// for a position outside 0..3.
constexpr ModelId ModelAt(int modelIndex) {
    return modelIndex >= 0 && modelIndex < ModelCount ? static_cast<ModelId>(modelIndex)
                                                      : ModelId::B737_600;
}

// Limits and tank capacities of one model, in whole pounds.
struct AircraftModel {
    std::string_view modelName;
    std::int32_t basicOperatingWeight;
    std::int32_t maxZeroFuelWeight;
    std::int32_t maxLandingWeight;
    std::int32_t maxTakeoffWeight;
    std::int32_t maxTaxiWeight;
    std::int32_t mainTankCapacity;  // one wing tank; the aircraft has two
    std::int32_t centerTankCapacity;
};

inline constexpr std::array<AircraftModel, ModelCount> Models{{
    {"Boeing 737-600 NG", 80200, 113500, 120500, 144000, 144500, 8630, 28803},
    {"Boeing 737-700 NG", 83000, 120500, 128000, 153500, 154000, 8630, 28803},
    {"Boeing 737-800 NG", 91300, 136000, 144000, 173000, 173500, 8630, 28803},
    {"Boeing 737-900 NG", 94580, 140300, 146300, 174200, 174700, 8630, 28803},
}};

// How the simulators name each model, by model index: the ICAO aircraft
// type designator, and the series as aircraft files name it.
inline constexpr std::array<std::string_view, ModelCount> IcaoTypes{"B736", "B737", "B738", "B739"};
inline constexpr std::array<std::string_view, ModelCount> SeriesNames{"737-600", "737-700",
                                                                      "737-800", "737-900"};

// The model at a model index; the index must lie within 0..3.
constexpr const AircraftModel& Model(int modelIndex) {
    return Models.at(modelIndex);
}

constexpr const AircraftModel& Model(ModelId model) {
    return Models.at(static_cast<std::size_t>(ModelIndex(model)));
}

// Total fuel capacity: both wing tanks plus the centre tank.
constexpr std::int32_t FuelCapacity(const AircraftModel& model) {
    return 2 * model.mainTankCapacity + model.centerTankCapacity;
}

}  // namespace tarnwell::data
