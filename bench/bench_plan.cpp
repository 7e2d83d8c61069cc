// One full plan computation against its floor: copying the same inputs
// and doing nothing with them.
#include <benchmark/benchmark.h>

#include "plan/fuel_plan.h"
#include "ratio_reporter.h"

namespace {

// The 737-800 example of a full plan: FL350, 1000 n.m., 200 n.m., headwind,
// pounds.
tarnwell::plan::PlanInputs ExampleInputs() {
    tarnwell::plan::PlanInputs inputs;
    inputs.model = tarnwell::data::ModelId::B737_800;
    inputs.cruisingAlt = 3;
    inputs.tripDistance = 8;
    inputs.headwind = "20";
    inputs.payload = "30000";
    inputs.holdingFuel = "2000";
    inputs.minimumFuel = "3000";
    inputs.taxiFuel = "500";
    return inputs;
}

void PlanComputation(benchmark::State& state) {
    const tarnwell::plan::PlanInputs inputs = ExampleInputs();
    tarnwell::plan::PlanFigures kept;
    kept.operatingWeight = tarnwell::data::Model(inputs.model).basicOperatingWeight;
    for (auto _ : state) {
        benchmark::DoNotOptimize(tarnwell::plan::ComputeFuelPlan(inputs, kept));
    }
}
BENCHMARK(PlanComputation);

void ReadingTheInputs(benchmark::State& state) {
    const tarnwell::plan::PlanInputs inputs = ExampleInputs();
    for (auto _ : state) {
        tarnwell::plan::PlanInputs copy = inputs;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(ReadingTheInputs);

}  // namespace

int main(int argc, char* argv[]) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"one full plan computation vs reading its inputs", "PlanComputation",
                             "ReadingTheInputs"}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
