// A dispatch plan file, any bytes: reading never crashes, and a plan it
// takes is turned into inputs the window's lists and fields can hold, with
// a check that stays within the figures' range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "data/trip_tables.h"
#include "dispatch/dispatch_check.h"
#include "dispatch/dispatch_import.h"
#include "dispatch/ofp.h"

using namespace tarnwell;

namespace {

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

void CheckPosition(const std::optional<int>& position, int count) {
    Check(!position || (*position >= 0 && *position < count));
}

void CheckWeight(const std::optional<std::int32_t>& pounds) {
    Check(!pounds || *pounds >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const dispatch::OfpRead read =
        dispatch::ReadOfp(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(read.plan.has_value() == read.error.empty());
    if (!read.plan) {
        return 0;
    }
    const dispatch::DispatchImport import = dispatch::ImportPlan(*read.plan);
    const dispatch::ImportedInputs& in = import.inputs;
    CheckPosition(in.cruisingAlt, data::LevelCount);
    CheckPosition(in.tripDistance, data::DistanceCount);
    CheckPosition(in.alternateDistance, 5);
    for (const auto& weight :
         {in.windKnots, in.payload, in.holdingFuel, in.minimumFuel, in.taxiFuel}) {
        CheckWeight(weight);
    }
    if (import.refusal.empty()) {
        for (const plan::Unit unit : {plan::Unit::Pounds, plan::Unit::Kilograms}) {
            dispatch::CheckRows(import.figures, plan::PlanFigures{}, true, unit);
        }
    }
    return 0;
}
