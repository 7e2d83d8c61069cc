#include "sim/module/simulator_operations.h"

#include <cstddef>

#include "sim/module/byte_order.h"
#include "sim/usable_weight.h"

namespace tarnwell::sim {

PayloadReading ReadPayload(SimConnection& link, const StationStarting& starting) {
    PayloadReading reading;
    std::int32_t total = 0;
    for (std::int32_t offset = OffsetFirstPayloadStation; offset <= OffsetLastPayloadStation;
         offset += PayloadStationStride) {
        if (starting) {
            starting(reading.stationsRead);
        }
        std::array<std::byte, 8> bytes{};
        if (!link.ReadFromSimulator(offset, static_cast<std::int32_t>(bytes.size()), bytes.data(),
                                    reading.resultCode)) {
            reading.exchangeFailed = true;
            return reading;
        }
        const double weight = LoadLittleEndianDouble(bytes.data());
        reading.stationPounds[reading.stationsRead++] = weight;
        // A weight that is not a number or too large counts as unread.
        const std::optional<std::int32_t> sum = AddStationWeight(total, weight);
        if (!sum) {
            return reading;
        }
        total = *sum;
    }
    reading.totalPounds = total;
    return reading;
}

namespace {

struct TankOffset {
    Tank tank;
    std::int32_t offset;
};
constexpr TankOffset TankOffsets[] = {{Tank::LeftMain, OffsetLeftMainLevel},
                                      {Tank::RightMain, OffsetRightMainLevel},
                                      {Tank::Center, OffsetCenterLevel}};

}  // namespace

TankWrites WriteTankLevels(SimConnection& link, std::int32_t mainLevel, std::int32_t centerLevel,
                           const TankStarting& starting) {
    TankWrites result;
    for (const TankOffset& write : TankOffsets) {
        if (starting) {
            starting(write.tank);
        }
        const std::int32_t level = write.tank == Tank::Center ? centerLevel : mainLevel;
        std::array<std::byte, 4> bytes{};
        StoreLittleEndian32(bytes.data(), static_cast<std::uint32_t>(level));
        if (!link.WriteToSimulator(write.offset, static_cast<std::int32_t>(bytes.size()),
                                   bytes.data(), result.resultCode)) {
            result.failed = write.tank;
            return result;
        }
    }
    return result;
}

TankReadings ReadTankLevels(SimConnection& link, const TankStarting& starting) {
    TankReadings result;
    for (const TankOffset& read : TankOffsets) {
        if (starting) {
            starting(read.tank);
        }
        std::array<std::byte, 4> bytes{};
        if (!link.ReadFromSimulator(read.offset, static_cast<std::int32_t>(bytes.size()),
                                    bytes.data(), result.resultCode)) {
            result.failed = read.tank;
            return result;
        }
        result.levels[TankIndex(read.tank)] =
            static_cast<std::int32_t>(LoadLittleEndian32(bytes.data()));
    }
    return result;
}

}  // namespace tarnwell::sim
