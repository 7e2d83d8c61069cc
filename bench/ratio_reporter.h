#pragma once

// Prints each benchmark as one row of the performance table: its time, the
// time of the floor it is compared with (measured in the same run) and the
// ratio of the two. With repetitions the median is used.
//
//   RatioReporter reporter({{"one full plan computation", "PlanComputation",
//                            "ReadingTheInputs"}});
//   benchmark::RunSpecifiedBenchmarks(&reporter);  // prints at the end

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::BenchmarkReporter {
public:
    struct Row {
        std::string what;
        std::string measured;  // benchmark names
        std::string floor;
    };

    explicit RatioReporter(std::vector<Row> rows) : rows_(std::move(rows)) {}

    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string& name = run.run_name.function_name;
            // A single run counts until a median arrives.
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(name))) {
                seconds_[name] = run.GetAdjustedRealTime() / Multiplier(run.time_unit);
                if (median) {
                    medians_[name] = true;
                }
            }
        }
    }

    void Finalize() override {
        for (const Row& row : rows_) {
            // A row whose benchmarks were left out by a filter is not shown.
            if (Seconds(row.measured) > 0 && Seconds(row.floor) > 0) {
                PrintRow(row.what, Seconds(row.measured), Seconds(row.floor));
            }
        }
    }

    // One table row; times in seconds.
    static void PrintRow(const std::string& what, double measured, double floor) {
        std::printf("| %s | %s | %s | %.2f |\n", what.c_str(), Time(measured).c_str(),
                    Time(floor).c_str(), floor > 0 ? measured / floor : 0.0);
        std::fflush(stdout);
    }

    static std::string Time(double seconds) {
        char text[32];
        if (seconds >= 1e-3) {
            std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
        } else if (seconds >= 1e-6) {
            std::snprintf(text, sizeof text, "%.2f µs", seconds * 1e6);
        } else {
            std::snprintf(text, sizeof text, "%.1f ns", seconds * 1e9);
        }
        return text;
    }

private:
    static double Multiplier(benchmark::TimeUnit unit) {
        switch (unit) {
            case benchmark::kNanosecond:
                return 1e9;
            case benchmark::kMicrosecond:
                return 1e6;
            case benchmark::kMillisecond:
                return 1e3;
            default:
                return 1.0;
        }
    }

    double Seconds(const std::string& name) const {
        const auto found = seconds_.find(name);
        return found == seconds_.end() ? 0.0 : found->second;
    }

    std::vector<Row> rows_;
    std::map<std::string, double> seconds_;
    std::map<std::string, bool> medians_;
};
