#!/usr/bin/env bash
# Prints the performance table: every figure against a floor measured in
# the same run, as rows of a Markdown table (docs/performance.md).
#
#   bench/run.sh                      Release build in build-bench/, then the
#                                     full run: medians of 5 repetitions and
#                                     of 11 program starts of each kind
#   bench/run.sh --quick              one short pass of everything, only to
#                                     show that the programs run
#   bench/run.sh --build-dir DIR      use the timing programs already built
#                                     in DIR instead of building them
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
quick=0
build=""
while [ $# -gt 0 ]; do
    case $1 in
    --quick) quick=1 ;;
    --build-dir) build=$2; shift ;;
    *) echo "usage: bench/run.sh [--quick] [--build-dir DIR]" >&2; exit 2 ;;
    esac
    shift
done

if [ -z "$build" ]; then
    build=$top/build-bench
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNWELL_BENCH=ON \
        -DTARNWELL_TESTS=OFF >/dev/null
    cmake --build "$build" -j 2 --target bench_plan bench_window bench_link bench_simulators \
        tarnwell-sim tarnwell-xplane >/dev/null
fi

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
if [ "$quick" = 1 ]; then
    repeat=(--benchmark_min_time=0.0001)
    starts=1
else
    repeat=(--benchmark_repetitions=5 --benchmark_report_aggregates_only=true)
    starts=11
fi

echo "| what | measured | floor | ratio |"
echo "| --- | --- | --- | --- |"
"$build/bench/bench_plan" "${repeat[@]}"
"$build/bench/bench_window" "${repeat[@]}"
"$build/bench/bench_window" --startup-table "$starts"
if [ -x "$build/bench/bench_link" ]; then
    "$build/bench/bench_link" "${repeat[@]}"
fi
if [ -x "$build/bench/bench_simulators" ]; then
    "$build/bench/bench_simulators" "${repeat[@]}"
fi
