#!/usr/bin/env bash
# Runs every fuzz target in a build folder for a bounded time, starting from
# its seed corpus in fuzz/corpus/<target>/. Fails on the first finding.
set -euo pipefail
build=$1
seconds=${2:-20}
# Each target gets about a minute at most, whatever is asked for.
[ "$seconds" -le 60 ] || seconds=60
here=$(cd "$(dirname "$0")" && pwd)
found=0
for target in "$build"/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    work=$(mktemp -d)
    seeds=()
    [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
    echo "-- $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" \
        "$work" "${seeds[@]}" 2>"$work/log" || { tail -n 40 "$work/log"; exit 1; }
    grep -E '^stat::number_of_executed_units' "$work/log" || true
    rm -rf "$work"
    found=$((found + 1))
done
[ "$found" -gt 0 ] || { echo "no fuzz targets in $build/fuzz"; exit 1; }
