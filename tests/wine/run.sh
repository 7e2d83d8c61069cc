#!/usr/bin/env bash
# Runs the Win32 simulator link check of a MinGW build under Wine:
#   tests/wine/run.sh <MinGW build folder>
# win32_link_check.exe starts the stand-in simulator win32_sim.exe itself.
# Wine creates no window without a display, so everything runs in one
# virtual X display (xvfb-run). The Wine prefix is kept in
# <build>/wineprefix: only the first run pays for setting it up. Every Wine
# process of the prefix is ended before the script returns; its exit status
# is the check's.
set -euo pipefail

if [ "${1:-}" = --in-display ]; then
    # Inside the virtual display; WINEPREFIX and the rest come from below.
    check=$2
    status=0
    if [ ! -e "$WINEPREFIX/.tarnwell-ready" ]; then
        echo "Setting up the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        started=$(date +%s)
        log="$WINEPREFIX.log"
        if timeout 300 wine wineboot --init >"$log" 2>&1 && timeout 120 wineserver --wait; then
            touch "$WINEPREFIX/.tarnwell-ready"
            echo "Wine prefix ready in $(($(date +%s) - started)) s"
        else
            echo "Setting up the Wine prefix failed; wineboot said:" >&2
            cat "$log" >&2
            status=1
        fi
    fi
    if [ "$status" = 0 ]; then
        timeout 300 wine "$check" || status=$?
    fi
    wineserver --kill 2>/dev/null || true
    timeout 60 wineserver --wait 2>/dev/null || true
    exit "$status"
fi

build=$(cd "${1:?usage: tests/wine/run.sh <MinGW build folder>}" && pwd)
check="$build/tests/wine/win32_link_check.exe"
[ -f "$check" ] || { echo "$check is missing: build $build first" >&2; exit 1; }

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs in a new prefix (nobody could answer
# them), and no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="
started=$(date +%s)
status=0
xvfb-run -a "$0" --in-display "$check" || status=$?
echo "Win32 simulator link under Wine: $(($(date +%s) - started)) s, exit status $status"
exit "$status"
