#!/usr/bin/env bash
# Runs the Win32 simulator link check of a MinGW build under Wine:
#   tests/wine/run.sh <MinGW build folder>
# win32_link_check.exe starts the stand-in simulator win32_sim.exe itself.
# It runs three times: from the build folder; from a copy in a folder whose
# name has spaces and letters outside any one ANSI code page; and beside a
# stand-in it did not start, where it must refuse to run (exit 77) without
# sending that stand-in anything.
# Wine creates no window without a display, so everything runs in one
# virtual X display (xvfb-run). The Wine prefix is kept in
# <build>/wineprefix: only the first run pays for setting it up. Every Wine
# process of the prefix is ended before the script returns; its exit status
# is the check's.
set -euo pipefail

if [ "${1:-}" = --in-display ]; then
    # Inside the virtual display; WINEPREFIX and the rest come from below.
    check=$2
    build=$3
    status=0
    "$(dirname "$0")/prefix.sh" "$WINEPREFIX" || status=1
    if [ "$status" = 0 ]; then
        timeout 300 wine "$check" || status=$?
    fi
    if [ "$status" = 0 ]; then
        far="$build/wine check ÆØÅ é ł Ω 航"
        rm -rf "$far"
        mkdir -p "$far"
        cp "$check" "$(dirname "$check")/win32_sim.exe" "$far/"
        echo "Again from $far"
        timeout 300 wine "$far/win32_link_check.exe" || status=$?
    fi
    if [ "$status" = 0 ]; then
        echo "Beside a simulator the check did not start:"
        foreign_log="$build/wine-foreign-sim.log"
        wine "$(dirname "$check")/win32_sim.exe" --verbose >"$foreign_log" 2>&1 &
        foreign=$!
        for _ in $(seq 300); do
            grep -q '^serving' "$foreign_log" && break
            sleep 0.1
        done
        refused=0
        timeout 60 wine "$check" >"$build/wine-refusal.log" 2>&1 || refused=$?
        cat "$build/wine-refusal.log"
        if [ "$refused" != 77 ] || ! grep -q '^Refusing to run: .*UIPCMAIN' "$build/wine-refusal.log"; then
            echo "The check did not refuse (exit status $refused)" >&2
            status=1
        elif grep -q 'IPC message' "$foreign_log"; then
            echo "The check refused, but sent the foreign simulator a message:" >&2
            cat "$foreign_log" >&2
            status=1
        else
            echo "Refused as it must (exit status 77), nothing sent"
        fi
        kill "$foreign" 2>/dev/null || true
    fi
    wineserver --kill 2>/dev/null || true
    timeout 60 wineserver --wait 2>/dev/null || true
    exit "$status"
fi

build=$(cd "${1:?usage: tests/wine/run.sh <MinGW build folder>}" && pwd)
check="$build/tests/wine/win32_link_check.exe"
[ -f "$check" ] || { echo "$check is missing: build $build first" >&2; exit 1; }

. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="$build/wineprefix"
# Wine maps Unix file names to Windows ones through the locale's character
# set; the second run's folder name needs UTF-8.
export LC_ALL=C.UTF-8
started=$(date +%s)
status=0
xvfb-run -a "$0" --in-display "$check" "$build" || status=$?
echo "Win32 simulator link under Wine: $(($(date +%s) - started)) s, exit status $status"
exit "$status"
