#!/usr/bin/env bash
# The Windows program against a real FlightGear: FlightGear runs on Linux
# (tests/flightgear/fgfs.sh, with the test 737-800) and tarnwell.exe, under
# Wine, reaches its HTTP property server through Wine's sockets, which are
# the host's. end_to_end_check.exe boards the plan and reads the payload
# through the window; the tank levels are then read back from FlightGear
# with curl. FlightGear is stopped whatever happens, and ends by itself if
# this script is killed.
#
#   tests/wine/flightgear_check.sh CHECK.EXE TARNWELL.EXE EMULATOR...
#
# EMULATOR: the command that runs a Windows program (CTest's emulator,
# tests/wine/wine-run.sh with its arguments).
set -euo pipefail
check=$1 program=$2
shift 2
fgfs=$(cd "$(dirname "$0")/../flightgear" && pwd)/fgfs.sh

dir=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-wine-fgfs.XXXXXX")
trap '"$fgfs" stop "$dir" || true; rm -rf "$dir"' EXIT
trap 'exit 143' INT TERM
port=$(TARNWELL_FGFS_OWNER=$$ TARNWELL_FGFS_MAX_SECONDS=900 "$fgfs" start "$dir" tarnwell-737-800)
echo "FlightGear answers on port $port after $(cat "$dir/startup-seconds") s"

status=0
timeout -k 10 300 "$@" "$check" "$program" --flightgear "$port" || status=$?
[ "$status" != 77 ] || exit 77
# The plan's levels: 4,315 lb in each wing tank, 1,000 lb in the centre.
for expected in 0=4315 1=4315 2=1000; do
    tank=${expected%=*} pounds=${expected#*=}
    level=$(curl -sg --max-time 5 \
        "http://127.0.0.1:$port/json/consumables/fuel/tank[$tank]/level-lbs" | jq -r .value)
    if awk -v held="$level" -v planned="$pounds" \
        'BEGIN { exit !(held != "" && held - planned < 1 && planned - held < 1) }'; then
        echo "tank[$tank] holds $level lb"
    else
        echo "FAILED: tank[$tank] holds '$level' lb, not $pounds"
        status=1
    fi
done
exit "$status"
