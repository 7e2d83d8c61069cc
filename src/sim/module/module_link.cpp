#include "sim/module/module_link.h"

#include <chrono>
#include <utility>

#include "sim/module/simulator_operations.h"

namespace tarnwell::sim {

std::string TankWaitText(Tank tank) {
    return std::string("Writing the ") + TankName(tank) + " tank level...";
}

std::string StationWaitText(std::size_t station) {
    return "Reading payload station " + std::to_string(station + 1) + " of " +
           std::to_string(PayloadStationCount) + "...";
}

std::string TankReadWaitText(Tank tank) {
    return std::string("Reading the ") + TankName(tank) + " tank level...";
}

AttemptReport::AttemptReport(SimConnection& connection, const WaitReport& report,
                             FsuipcTiming timing)
    : connection_(connection), report_(report), timing_(timing) {
    connection_.Client().SetAttemptReport([this](int attempt) { Tell(attempt); });
}

AttemptReport::~AttemptReport() {
    connection_.Client().SetAttemptReport({});
}

void AttemptReport::Step(std::string what) {
    what_ = std::move(what);
}

void AttemptReport::Tell(int attempt) const {
    if (!report_) {
        return;
    }
    // Each try waits at most one send time-out and the pause before the next.
    const int left = FsuipcClient::SendAttempts - attempt + 1;
    const std::chrono::milliseconds limit(
        left * static_cast<int>(timing_.sendTimeoutMs + timing_.pauseMs));
    report_(WaitStep{what_, attempt, FsuipcClient::SendAttempts, limit});
}

OpenEnd OpenModule(SimConnection& connection, const CancelFlag& cancel, const WaitReport& report,
                   FsuipcTiming timing, std::int32_t& resultCode) {
    connection.SetCancelFlag(&cancel);
    AttemptReport attempts(connection, report, timing);
    attempts.Step(ModuleConnectingText);
    const bool open = connection.ConnectToSimulator(resultCode);
    connection.SetCancelFlag(nullptr);
    if (open) {
        return OpenEnd::Open;
    }
    return resultCode == IpcCancelled ? OpenEnd::Cancelled : OpenEnd::NoAnswer;
}

namespace {

// The model's capacity of a tank, in the whole pounds the module's levels
// are counted against.
std::int32_t Capacity(const std::array<double, TankCount>& capacityPounds, Tank tank) {
    return static_cast<std::int32_t>(capacityPounds[TankIndex(tank)]);
}

// How a read whose exchange failed ends: cancelled, or failed.
PayloadEnd FailedRead(std::int32_t resultCode) {
    return resultCode == IpcCancelled ? PayloadEnd::Cancelled : PayloadEnd::Failed;
}

class Opener final : public SimulatorOpener {
public:
    Opener(std::unique_ptr<Platform> platform, FsuipcTiming timing)
        : connection_(std::move(platform), timing), timing_(timing) {}

    OpenResult Open(const CancelFlag& cancel, const WaitReport& report) override {
        OpenResult result;
        const OpenEnd end = OpenModule(connection_, cancel, report, timing_, result.moduleCode);
        if (end == OpenEnd::Open) {
            result.link = std::make_unique<ModuleLink>(connection_, timing_);
        }
        result.end = end != OpenEnd::NoAnswer || result.moduleCode == IpcErrNoFs
                         ? end
                         : OpenEnd::NotThisSimulator;
        return result;
    }

    void Release() override {
        connection_.IpcClose();
        connection_.SetSimConnected(false);
    }

private:
    SimConnection connection_;
    FsuipcTiming timing_;
};

}  // namespace

std::unique_ptr<SimulatorOpener> ModuleOpener(std::unique_ptr<Platform> platform,
                                              FsuipcTiming timing) {
    return std::make_unique<Opener>(std::move(platform), timing);
}

ModuleLink::ModuleLink(SimConnection& connection, FsuipcTiming timing)
    : connection_(connection), timing_(timing) {}

BoardingResult ModuleLink::BoardFuel(const FuelOrder& order, const CancelFlag& cancel,
                                     const WaitReport& report) {
    BoardingResult result;
    result.boardedPounds = order.pounds;
    // Left and right main share one level; the order was checked to fit
    // the tanks before it came here.
    const std::optional<std::int32_t> mainLevel = TankLevel(
        order.pounds[TankIndex(Tank::LeftMain)], Capacity(order.capacityPounds, Tank::LeftMain));
    const std::optional<std::int32_t> centerLevel = TankLevel(
        order.pounds[TankIndex(Tank::Center)], Capacity(order.capacityPounds, Tank::Center));
    if (!mainLevel || !centerLevel) {
        result.end = BoardingEnd::WriteFailed;
        return result;
    }
    connection_.SetCancelFlag(&cancel);
    AttemptReport attempts(connection_, report, timing_);
    const TankWrites writes =
        WriteTankLevels(connection_, *mainLevel, *centerLevel,
                        [&attempts](Tank tank) { attempts.Step(TankWaitText(tank)); });
    connection_.SetCancelFlag(nullptr);

    if (!writes.failed) {
        result.end = BoardingEnd::Boarded;
        result.tanksWritten = TankCount;
        return result;
    }
    result.tanksWritten = TankIndex(*writes.failed);
    if (writes.resultCode == IpcCancelled) {
        result.end = BoardingEnd::Cancelled;
        return result;
    }
    result.end = BoardingEnd::WriteFailed;
    return result;
}

PayloadResult ModuleLink::ReadPayload(const ExpectedAircraft& /*aircraft*/,
                                      const CancelFlag& cancel, const WaitReport& report) {
    connection_.SetCancelFlag(&cancel);
    AttemptReport attempts(connection_, report, timing_);
    const PayloadReading reading = tarnwell::sim::ReadPayload(
        connection_, [&attempts](std::size_t station) { attempts.Step(StationWaitText(station)); });
    connection_.SetCancelFlag(nullptr);

    PayloadResult result;
    if (reading.totalPounds) {
        result.end = PayloadEnd::Read;
        result.totalPounds = *reading.totalPounds;
    } else if (reading.exchangeFailed) {
        result.end = FailedRead(reading.resultCode);
    } else {
        // A station weight that is no payload weight.
        result.end = PayloadEnd::Failed;
    }
    return result;
}

AircraftResult ModuleLink::ReadAircraft(const ExpectedAircraft& /*aircraft*/,
                                        const std::array<double, TankCount>& capacityPounds,
                                        const CancelFlag& cancel, const WaitReport& report) {
    connection_.SetCancelFlag(&cancel);
    AttemptReport attempts(connection_, report, timing_);
    const PayloadReading payload = tarnwell::sim::ReadPayload(
        connection_, [&attempts](std::size_t station) { attempts.Step(StationWaitText(station)); });
    const TankReadings tanks = payload.exchangeFailed
                                   ? TankReadings{}
                                   : ReadTankLevels(connection_, [&attempts](Tank tank) {
                                         attempts.Step(TankReadWaitText(tank));
                                     });
    connection_.SetCancelFlag(nullptr);

    AircraftResult result;
    if (payload.exchangeFailed) {
        result.end = FailedRead(payload.resultCode);
        return result;
    }
    if (tanks.failed) {
        result.end = FailedRead(tanks.resultCode);
        return result;
    }
    result.end = PayloadEnd::Read;
    result.payloadPounds = payload.totalPounds;
    for (Tank tank : BoardingOrder) {
        result.tankPounds[TankIndex(tank)] =
            TankPoundsAt(tanks.levels[TankIndex(tank)], Capacity(capacityPounds, tank));
    }
    return result;
}

}  // namespace tarnwell::sim
