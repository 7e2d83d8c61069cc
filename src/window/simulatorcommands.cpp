#include "window/simulatorcommands.h"

#include <optional>
#include <string>

#include "data/aircraft.h"
#include "plan/message.h"
#include "sim/simulator_operations.h"
#include "sim/tank_levels.h"
#include "window/busycursor.h"
#include "window/frmmain.h"

using tarnwell::plan::Message;
using tarnwell::plan::MessageIcon;

namespace tarnwell::window {

void SimulatorCommands::BoardFuel() {
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
    if (!Connect()) {
        return;
    }
    if (tarnwell::sim::WriteTankLevels(link_, *mainLevel, *centerLevel).failed) {
        window_.ShowMessage({WriteFailedText, "Error", MessageIcon::None});
        return;
    }
    window_.ShowMessage({BoardedText, "Success!", MessageIcon::Information});
}

void SimulatorCommands::ReadPayload() {
    const BusyCursor busy;
    if (!Connect()) {
        return;
    }
    // The total is taken only when every station was read, so a failed read
    // leaves the plan's payload as the payload field shows it.
    const tarnwell::sim::PayloadReading reading = tarnwell::sim::ReadPayload(link_);
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

bool SimulatorCommands::Connect() {
    if (link_.SimConnected()) {
        return true;
    }
    std::int32_t code = 0;
    if (link_.ConnectToSimulator(code)) {
        return true;
    }
    window_.ShowMessage({tarnwell::sim::ConnectionFailureText(code), ConnectionFailureTitle,
                         MessageIcon::Critical});
    return false;
}

}  // namespace tarnwell::window
