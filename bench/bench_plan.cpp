// One full plan computation against its floor: reading the same inputs
// through the same view and doing nothing with them.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string>

#include "plan/fuel_plan.h"
#include "ratio_reporter.h"

namespace {

using tarnwell::plan::Choice;
using tarnwell::plan::Field;

// The window as the planner sees it, without a window: plain texts and
// selections, with the 737-800 example of a full plan entered.
class TextView final : public tarnwell::plan::PlanView {
public:
    TextView() {
        selections_ = {3, 8, 0, 0, 0};  // FL350, 1000 n.m., 200 n.m., headwind, pounds
        Set(Field::Headwind, "20");
        Set(Field::Payload, "30000");
        Set(Field::HoldingFuel, "2000");
        Set(Field::MinimumFuel, "3000");
        Set(Field::TaxiFuel, "500");
    }
    int Selection(Choice choice) const override {
        return selections_[static_cast<std::size_t>(choice)];
    }
    std::string Text(Field field) const override { return texts_[static_cast<std::size_t>(field)]; }
    void SetText(Field field, const std::string& text) override { Set(field, text); }
    void SetOverLimit(Field field, bool over) override {
        overLimit_[static_cast<std::size_t>(field)] = over;
    }
    void ShowMessage(const tarnwell::plan::Message&) override {}

private:
    void Set(Field field, const std::string& text) {
        texts_[static_cast<std::size_t>(field)] = text;
    }

    std::array<int, 5> selections_{};
    std::array<std::string, static_cast<std::size_t>(Field::LeftTank) + 1> texts_;
    std::array<bool, static_cast<std::size_t>(Field::LeftTank) + 1> overLimit_{};
};

void PlanComputation(benchmark::State& state) {
    TextView view;
    tarnwell::plan::FuelPlanner planner(view);
    planner.SetSelectedModel(2);
    planner.ApplyModelWeights();
    for (auto _ : state) {
        benchmark::DoNotOptimize(planner.CalculateFuelPlan());
    }
}
BENCHMARK(PlanComputation);

void ReadingTheInputs(benchmark::State& state) {
    TextView view;
    for (auto _ : state) {
        for (Choice choice : {Choice::CruisingAlt, Choice::TripDistance, Choice::AlternateDistance,
                              Choice::WindType, Choice::Units}) {
            benchmark::DoNotOptimize(view.Selection(choice));
        }
        for (Field field : {Field::Headwind, Field::Payload, Field::HoldingFuel, Field::MinimumFuel,
                            Field::TaxiFuel}) {
            std::string text = view.Text(field);
            benchmark::DoNotOptimize(text);
        }
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
