#include "window/simulatorcommands.h"

#include <optional>
#include <string>

#include "data/aircraft.h"
#include "sim/simulator_operations.h"
#include "sim/tank_levels.h"
#include "window/busycursor.h"
#include "window/frmmain.h"
#include "window/message.h"

using tarnwell::window::Message;
using tarnwell::window::MessageIcon;

namespace tarnwell::window {

const char* TankWaitText(tarnwell::sim::Tank tank) {
    switch (tank) {
        case tarnwell::sim::Tank::LeftMain:
            return "Writing the left main tank level...";
        case tarnwell::sim::Tank::RightMain:
            return "Writing the right main tank level...";
        case tarnwell::sim::Tank::Center:
            break;
    }
    return "Writing the centre tank level...";
}

QString StationWaitText(std::size_t station) {
    return QStringLiteral("Reading payload station %1 of %2...")
        .arg(station + 1)
        .arg(tarnwell::sim::PayloadStationCount);
}

SimulatorCommands::SimulatorCommands(FrmMain& window, tarnwell::sim::SimConnection& link)
    : window_(window), link_(link), worker_(window) {
    link_.SetCancelFlag(&worker_.Flag());
}

SimulatorCommands::~SimulatorCommands() {
    worker_.CancelAndWait();
    link_.SetCancelFlag(nullptr);
}

void SimulatorCommands::BoardFuel() {
    if (worker_.Running()) {
        return;
    }
    const BusyCursor busy;
    if (!window_.CalculateFuelPlan()) {
        return;
    }
    const tarnwell::plan::PlanFigures& plan = window_.Figures();
    const tarnwell::data::AircraftModel& model = tarnwell::data::Model(window_.SelectedModel());
    const std::optional<std::int32_t> mainLevel =
        tarnwell::sim::TankLevel(plan.mainTankFuel, model.mainTankCapacity);
    const std::optional<std::int32_t> centerLevel =
        tarnwell::sim::TankLevel(plan.centerTankFuel, model.centerTankCapacity);
    // A tailwind can take the total fuel below zero; a negative level must
    // never reach the simulator's tanks.
    if (!mainLevel || !centerLevel) {
        window_.ShowMessage({NegativeFuelText, "Error", MessageIcon::Exclamation});
        return;
    }
    tarnwell::sim::TankWrites writes;
    const bool ran = RunConnected([&] {
        writes = tarnwell::sim::WriteTankLevels(
            link_, *mainLevel, *centerLevel, [this](tarnwell::sim::Tank tank) {
                worker_.Tell(QString::fromLatin1(TankWaitText(tank)));
            });
    });
    if (!ran) {
        return;
    }
    if (writes.failed) {
        window_.ShowMessage({WriteFailedText, "Error", MessageIcon::None});
        return;
    }
    window_.ShowMessage({BoardedText, "Success!", MessageIcon::Information});
}

void SimulatorCommands::ReadPayload() {
    if (worker_.Running()) {
        return;
    }
    const BusyCursor busy;
    tarnwell::sim::PayloadReading reading;
    const bool ran = RunConnected([&] {
        reading = tarnwell::sim::ReadPayload(
            link_, [this](std::size_t station) { worker_.Tell(StationWaitText(station)); });
    });
    if (!ran) {
        return;
    }
    // The total is taken only when every station was read, so a failed read
    // leaves the plan's payload as the payload field shows it.
    if (!reading.totalPounds) {
        window_.ShowMessage({ReadFailedText, "Error", MessageIcon::None});
        return;
    }
    window_.TakePayload(*reading.totalPounds);
    const bool kilograms = window_.DisplayUnit() == tarnwell::plan::Unit::Kilograms;
    window_.ShowMessage(
        {PayloadReadText + window_.PayloadText() + (kilograms ? " kilograms." : " pounds."),
         "Success!", MessageIcon::Information});
}

bool SimulatorCommands::RunConnected(const std::function<void()>& exchanges) {
    std::optional<std::int32_t> connectFailure;
    const bool ended = worker_.Run([&] {
        if (Connect(connectFailure)) {
            exchanges();
        }
    });
    if (!ended) {
        Disconnect();
        return false;
    }
    if (connectFailure) {
        ShowConnectionFailure(*connectFailure);
        return false;
    }
    return true;
}

bool SimulatorCommands::Connect(std::optional<std::int32_t>& failure) {
    if (link_.SimConnected()) {
        return true;
    }
    worker_.Tell(QString::fromLatin1(ConnectingText));
    std::int32_t code = 0;
    if (link_.ConnectToSimulator(code)) {
        return true;
    }
    failure = code;
    return false;
}

void SimulatorCommands::Disconnect() {
    link_.IpcClose();
    link_.SetSimConnected(false);
}

void SimulatorCommands::ShowConnectionFailure(std::int32_t code) {
    window_.ShowMessage({tarnwell::sim::ConnectionFailureText(code), ConnectionFailureTitle,
                         MessageIcon::Critical});
}

}  // namespace tarnwell::window
