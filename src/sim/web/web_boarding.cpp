#include "sim/web/web_boarding.h"

#include <cmath>

#include "sim/tank_capacity.h"
#include "sim/usable_weight.h"
#include "sim/web/web_client.h"

namespace tarnwell::sim {
namespace {

// Ends the command with `end`, or as cancelled; a cancel tells no trouble.
template <typename Result, typename End>
Result& Stop(Result& result, End end, End cancelled, const WebProblem& problem) {
    result.end = problem.cancelled ? cancelled : end;
    if (!problem.cancelled) {
        result.trouble = problem.trouble;
        result.detail = problem.detail;
    }
    return result;
}

// The first tank, in BoardingOrder, whose plan figure is no fuel load.
std::optional<Tank> UnusableFigure(const std::array<double, TankCount>& pounds) {
    for (Tank tank : BoardingOrder) {
        const double figure = pounds[TankIndex(tank)];
        if (!std::isfinite(figure) || figure < 0) {
            return tank;
        }
    }
    return std::nullopt;
}

}  // namespace

PayloadResult CheckedPayload(const AircraftCheck& check) {
    PayloadResult result;
    result.loadedAircraft = check.loadedAircraft;
    switch (check.end) {
        case AircraftCheck::End::Expected:
            result.end = PayloadEnd::Read;
            return result;
        case AircraftCheck::End::Other:
            return Stop(result, PayloadEnd::WrongAircraft, PayloadEnd::Cancelled, check.problem);
        case AircraftCheck::End::Failed:
            break;
    }
    return Stop(result, PayloadEnd::Failed, PayloadEnd::Cancelled, check.problem);
}

BoardingResult BoardWeb(const FuelOrder& order, const CancelFlag& cancel, const WaitReport& report,
                        WebBoardingSteps& steps) {
    BoardingResult result;
    result.boardedPounds = order.pounds;
    auto stop = [&](BoardingEnd end, const WebProblem& problem) {
        return Stop(result, end, BoardingEnd::Cancelled, problem);
    };

    const AircraftCheck check = steps.CheckAircraft(order.aircraft, cancel, report);
    result.loadedAircraft = check.loadedAircraft;
    if (check.end != AircraftCheck::End::Expected) {
        return stop(check.end == AircraftCheck::End::Other ? BoardingEnd::WrongAircraft
                                                           : BoardingEnd::CheckFailed,
                    check.problem);
    }
    if (const std::optional<Tank> tank = UnusableFigure(order.pounds)) {
        return stop(BoardingEnd::CheckFailed, {false, steps.UnusableFigureTrouble(),
                                               std::string("The plan's ") + TankName(*tank) +
                                                   " tank figure is not a fuel load."});
    }

    const TankPounds capacity = steps.ReadCapacities(cancel, report);
    if (!capacity.pounds) {
        return stop(capacity.otherLayout ? BoardingEnd::TanksUnlike : BoardingEnd::CheckFailed,
                    capacity.problem);
    }
    result.capacityPounds = capacity.pounds;
    if (const std::optional<Tank> unlike = UnlikeTank(*capacity.pounds, order.capacityPounds)) {
        const std::size_t i = TankIndex(*unlike);
        return stop(BoardingEnd::TanksUnlike,
                    {false, Trouble::None,
                     steps.UnlikeDetail(*unlike, (*capacity.pounds)[i], order.capacityPounds[i])});
    }
    result.boardedPounds = FittedPounds(order.pounds, *capacity.pounds);

    const int readBack = steps.ReadBackRequests();
    for (std::size_t i = 0; i < TankCount; ++i) {
        const Tank tank = BoardingOrder[i];
        TellStep(report,
                 std::string("Writing the ") + TankName(tank) + " tank level in " +
                     steps.SimulatorName() + "...",
                 static_cast<int>(TankCount - i) + readBack, steps.RequestLimit());
        WebProblem problem;
        if (!steps.WriteTank(tank, result.boardedPounds[TankIndex(tank)], cancel, problem)) {
            result.tanksWritten = i;
            return stop(BoardingEnd::WriteFailed, problem);
        }
    }
    result.tanksWritten = TankCount;

    const TankPounds held = steps.ReadBack(cancel, report);
    if (!held.pounds) {
        // Written but not confirmed: the figures the simulator holds are unknown.
        return stop(BoardingEnd::Differs, held.problem);
    }
    SettleReadBack(result, *held.pounds);
    return result;
}

AircraftResult ReadWebAircraft(const PayloadResult& payload,
                               const std::array<double, TankCount>& capacityPounds,
                               const CancelFlag& cancel, const WaitReport& report,
                               WebBoardingSteps& steps) {
    AircraftResult result;
    result.loadedAircraft = payload.loadedAircraft;
    const bool unknownPayload =
        payload.end == PayloadEnd::Failed && payload.trouble == Trouble::BadAnswer;
    if (payload.end != PayloadEnd::Read && !unknownPayload) {
        result.end = payload.end;
        result.trouble = payload.trouble;
        result.detail = payload.detail;
        return result;
    }
    const TankPounds held = steps.ReadBack(cancel, report);
    if (!held.pounds && held.problem.trouble != Trouble::BadAnswer) {
        return Stop(result, PayloadEnd::Failed, PayloadEnd::Cancelled, held.problem);
    }
    result.end = PayloadEnd::Read;
    if (!unknownPayload) {
        result.payloadPounds = payload.totalPounds;
    }
    // What the simulator said of the payload stays in the details.
    result.detail = payload.detail;
    if (!held.pounds) {
        result.detail += (result.detail.empty() ? "" : "\n") + held.problem.detail;
        return result;
    }
    for (std::size_t i = 0; i < TankCount; ++i) {
        result.tankPounds[i] = UsableTankPounds((*held.pounds)[i], capacityPounds[i]);
    }
    return result;
}

}  // namespace tarnwell::sim
