#!/bin/sh
# tarnwell-link against the stand-in simulator: the payload it prints is the
# window's own reading, and a station that is not a usable weight is a
# failed read (status 1), never a total.
# Usage: link_tool_test.sh TARNWELL_LINK TARNWELL_SIM
set -u
link=$1
sim=$2
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
simpid=
finish() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null
    rm -rf "$XDG_RUNTIME_DIR"
}
trap finish EXIT
failures=0

# Starts the stand-in with the given station weights and waits for it.
serve() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null
    "$sim" "$@" >/dev/null 2>&1 &
    simpid=$!
    tries=0
    while [ ! -S "$XDG_RUNTIME_DIR/fsuipc-UIPCMAIN" ] && [ $tries -lt 100 ]; do
        sleep 0.05
        tries=$((tries + 1))
    done
}

# expect STATUS TEXT: the last run's status and a line of its output.
expect() {
    if [ "$status" -ne "$1" ] || ! printf '%s\n' "$output" | grep -qF "$2"; then
        echo "FAIL: wanted status $1 and '$2', got status $status:"
        printf '%s\n' "$output"
        failures=$((failures + 1))
    fi
}

serve --station 1=150.4 --station 2=150.5 --station 3=151.5
output=$("$link" payload 2>&1)
status=$?
expect 0 "payload weight: 452 lb"

for weight in nan -1 inf 3e9; do
    serve --station 1=100 --station 2=$weight
    output=$("$link" payload 2>&1)
    status=$?
    expect 1 "Read failed: the weight at 0x1430"
done

# Refused before anything reaches the simulator: a level outside 0 to full,
# an unknown option, a stray argument; and the help, on standard output.
serve
for args in "board -1 9999999|not in range" "board 2147483647 -2147483648|not in range" \
    "board 8388609 0|not in range" "--bogus|unknown option: --bogus" \
    "payload stray|unexpected argument: stray"; do
    output=$("$link" ${args%%|*} 2>&1)
    status=$?
    expect 2 "${args#*|}"
done
output=$("$link" --help 2>/dev/null)
status=$?
expect 0 "Usage: tarnwell-link"
output=$("$sim" --bogus 2>&1)
status=$?
expect 2 "unknown option: --bogus"
output=$("$sim" --help 2>/dev/null)
status=$?
expect 0 "Usage: tarnwell-sim"

[ $failures -eq 0 ] && echo "tarnwell-link: all cases passed"
exit $failures
