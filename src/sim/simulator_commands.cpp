#include "sim/simulator_commands.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "data/aircraft.h"
#include "plan/units.h"
#include "sim/tank_levels.h"

namespace tarnwell::sim {
namespace {

using plan::Message;
using plan::MessageIcon;

// The simulator's figures are little-endian, whatever the host is.
std::array<std::byte, 4> LittleEndian(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {std::byte(bits & 0xFF), std::byte((bits >> 8) & 0xFF), std::byte((bits >> 16) & 0xFF),
            std::byte((bits >> 24) & 0xFF)};
}

double DoubleFromLittleEndian(const std::array<std::byte, 8>& bytes) {
    std::uint64_t bits = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        bits = (bits << 8) | std::to_integer<std::uint64_t>(bytes[i]);
    }
    return std::bit_cast<double>(bits);
}

}  // namespace

void SimulatorCommands::BoardFuel() {
    if (!planner_.CalculateFuelPlan()) {
        return;
    }
    const plan::PlanFigures& plan = planner_.Figures();
    const data::AircraftModel& model = data::Model(planner_.SelectedModel());
    const std::optional<std::int32_t> mainLevel =
        TankLevel(plan.MainTankFuel, model.MainTankCapacity);
    const std::optional<std::int32_t> centerLevel =
        TankLevel(plan.CenterTankFuel, model.CenterTankCapacity);
    // A tailwind can take the total fuel below zero; a negative level must
    // never reach the simulator's tanks.
    if (!mainLevel || !centerLevel) {
        view_.ShowMessage({NegativeFuelText, "Error", MessageIcon::Exclamation});
        return;
    }
    if (!Connect()) {
        return;
    }
    if (!WriteLevel(OffsetLeftMainLevel, *mainLevel) ||
        !WriteLevel(OffsetRightMainLevel, *mainLevel) ||
        !WriteLevel(OffsetCenterLevel, *centerLevel)) {
        view_.ShowMessage({WriteFailedText, "Error", MessageIcon::None});
        return;
    }
    view_.ShowMessage({BoardedText, "Success!", MessageIcon::Information});
}

void SimulatorCommands::ReadPayload() {
    if (!Connect()) {
        return;
    }
    // The total is kept aside until every station has been read, so a
    // failed read leaves the plan's payload as the payload field shows it.
    std::int32_t total = 0;
    for (std::int32_t offset = OffsetFirstPayloadStation; offset <= OffsetLastPayloadStation;
         offset += PayloadStationStride) {
        std::array<std::byte, 8> bytes{};
        std::int32_t code = 0;
        std::optional<std::int32_t> sum;
        if (link_.ReadFromSimulator(offset, static_cast<std::int32_t>(bytes.size()), bytes.data(),
                                    code)) {
            // A weight that is not a number or too large counts as unread.
            sum = AddStationWeight(total, DoubleFromLittleEndian(bytes));
        }
        if (!sum) {
            view_.ShowMessage({ReadFailedText, "Error", MessageIcon::None});
            return;
        }
        total = *sum;
    }

    const int unit = view_.Selection(plan::Choice::Units);
    planner_.SetPayloadWeight(total);
    view_.SetText(plan::Field::Payload, plan::FromPounds(total, unit));
    const std::string unitWord = plan::IsKilograms(unit) ? " kilograms." : " pounds.";
    view_.ShowMessage({PayloadReadText + view_.Text(plan::Field::Payload) + unitWord, "Success!",
                       MessageIcon::Information});
}

bool SimulatorCommands::Connect() {
    if (link_.SimConnected()) {
        return true;
    }
    std::int32_t code = 0;
    Message failure;
    if (link_.ConnectToSimulator(code, failure)) {
        return true;
    }
    view_.ShowMessage(failure);
    return false;
}

bool SimulatorCommands::WriteLevel(std::int32_t offset, std::int32_t level) {
    const std::array<std::byte, 4> bytes = LittleEndian(level);
    std::int32_t code = 0;
    return link_.WriteToSimulator(offset, static_cast<std::int32_t>(bytes.size()), bytes.data(),
                                  code);
}

}  // namespace tarnwell::sim
