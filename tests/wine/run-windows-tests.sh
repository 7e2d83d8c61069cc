#!/usr/bin/env bash
# Runs the Windows build's tests under Wine, on a virtual X display with a
# window manager (openbox, for the Wine windows' focus):
#   1. every CTest test of the build (the Qt-free suites, the web links'
#      suite, the window suites, the simulator link check and the program
#      end to end against the Win32 and the X-Plane stand-ins), each in a
#      throw-away copy of the build's Wine prefix (tests/wine/wine-run.sh);
#   2. where FlightGear is installed, the program against a real FlightGear
#      (CTest label flightgear, tests/wine/flightgear_check.sh, which stops
#      FlightGear whatever happens);
#   3. the installer: installed silently, the installed program checked end
#      to end, installed again over a running copy and over one held open
#      by a message box, uninstalled (tests/wine/installer_check.sh).
#
#   tests/wine/run-windows-tests.sh BUILD_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --on-display ]; then
    build=$2
    openbox >/dev/null 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null || true' EXIT
    "$here/prefix.sh" "$build/wineprefix"
    status=0
    echo "== Windows tests under Wine (CTest)"
    # Wine on a busy machine now and then misses a window suite's timing; a
    # test that fails is run once more, and its first output stays in the log.
    ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 600 -LE flightgear \
        --repeat until-pass:2 || status=1
    echo "== The Windows program against FlightGear under Wine"
    if ctest --test-dir "$build" -N -L flightgear | grep -q '^Total Tests: [1-9]'; then
        ctest --test-dir "$build" --output-on-failure -L flightgear || status=1
    else
        echo "   (not run: FlightGear is not installed; scripts/install-deps.sh --test installs it)"
    fi
    echo "== Windows installer under Wine"
    bash "$here/installer_check.sh" "$build" || status=1
    exit "$status"
fi

build=$(cd "${1:?usage: run-windows-tests.sh BUILD_FOLDER}" && pwd)
started=$(date +%s)
status=0
timeout -k 10 3000 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$0" --on-display "$build" || status=$?
echo "Windows tests under Wine: $(($(date +%s) - started)) s, exit status $status"
exit "$status"
