#include "dispatch/dispatch_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "plan/arithmetic.h"
#include "plan/plan_steps.h"

namespace tarnwell::dispatch {
namespace {

constexpr const char* NoFigure = "--";

// A pound difference in the display unit, with its sign.
std::string SignedText(std::int64_t pounds, plan::Unit unit) {
    const double shown = unit == plan::Unit::Kilograms
                             ? static_cast<double>(pounds) * plan::KilogramsPerPound
                             : static_cast<double>(pounds);
    const std::optional<std::int32_t> whole = plan::RoundToInt32(shown);
    if (!whole) {
        return NoFigure;
    }
    return (*whole > 0 ? "+" : "") + plan::DecimalText(*whole);
}

std::string PercentText(std::int64_t difference, std::int32_t of) {
    if (of == 0) {
        return NoFigure;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f %%",
                  static_cast<double>(difference) * 100.0 / static_cast<double>(of));
    return text;
}

}  // namespace

std::optional<std::int32_t> TolerancePounds(const DispatchFigures& dispatch) {
    if (!dispatch.tripFuel) {
        return std::nullopt;
    }
    return plan::RoundToInt32(*dispatch.tripFuel * TolerancePercent / 100.0);
}

std::array<CheckRow, CheckRowCount> CheckRows(const DispatchFigures& dispatch,
                                              const plan::PlanFigures& planner, bool complete,
                                              plan::Unit unit) {
    struct Source {
        const char* label;
        std::optional<std::int32_t> dispatch;
        std::int32_t planner;
    };
    const std::array<Source, CheckRowCount> sources{{
        {"Trip fuel", dispatch.tripFuel, planner.enrouteFuel},
        {"Alternate fuel", dispatch.alternateFuel, planner.alternateFuel},
        {"Block fuel", dispatch.blockFuel, planner.totalFuel},
        {"Zero fuel weight", dispatch.zeroFuelWeight, planner.zeroFuelWeight},
        {"Takeoff weight", dispatch.takeoffWeight, planner.takeoffWeight},
        {"Landing weight", dispatch.landingWeight, planner.landingWeight},
    }};
    const std::optional<std::int32_t> tolerance = TolerancePounds(dispatch);
    std::array<CheckRow, CheckRowCount> rows;
    for (std::size_t i = 0; i < CheckRowCount; ++i) {
        const Source& source = sources[i];
        CheckRow& row = rows[i];
        row.label = source.label;
        row.dispatch = source.dispatch ? plan::FromPounds(*source.dispatch, unit) : NoFigure;
        row.planner = complete ? plan::FromPounds(source.planner, unit) : NoFigure;
        if (!complete || !source.dispatch) {
            row.difference = row.percent = NoFigure;
            continue;
        }
        const std::int64_t difference =
            static_cast<std::int64_t>(source.planner) - *source.dispatch;
        row.difference = SignedText(difference, unit);
        row.percent = PercentText(difference, *source.dispatch);
        // Without a trip fuel to measure by, each figure is its own measure.
        const double measure =
            tolerance ? double(*tolerance) : std::fabs(*source.dispatch * TolerancePercent / 100.0);
        row.beyondTolerance = std::fabs(static_cast<double>(difference)) > measure;
    }
    return rows;
}

plan::PlanFigures WithBlockFuel(plan::PlanFigures figures, std::int32_t blockFuel,
                                const data::AircraftModel& model) {
    const plan::TankSplit split = plan::SplitTanks(blockFuel, model);
    figures.totalFuel = blockFuel;
    figures.centerTankFuel = split.centerTankFuel;
    figures.mainTankFuel = split.mainTankFuel;
    return figures;
}

}  // namespace tarnwell::dispatch
