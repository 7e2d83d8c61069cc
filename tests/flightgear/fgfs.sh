#!/usr/bin/env bash
# Starts and stops a real FlightGear with its HTTP property server, for tests.
#
#   fgfs.sh start DIR [AIRCRAFT]   start FlightGear, wait until it answers,
#                                  print its port on stdout
#   fgfs.sh stop DIR               end it and everything it started
#
# DIR is a folder of the caller's (made if missing; best a fresh mktemp -d).
# Everything of the run stays in it:
#   DIR/port       the property server's port (also printed by start)
#   DIR/pgid       the process group of the run (Xvfb, D-Bus, fgfs)
#   DIR/fgfs.log   FlightGear's output, DIR/xvfb.log the X server's,
#                  DIR/run.log that of the script running them
#   DIR/startup-seconds  how long start waited for the first answer
#   DIR/home/      HOME and FlightGear's settings folder (FG_HOME), so the
#                  user's ~/.fgfs is never touched
# AIRCRAFT is an aircraft id: tarnwell-737-800 (the default),
# tarnwell-737-800-small and tarnwell-737-800-pax from tests/flightgear/aircraft,
# or a stock one such
# as c172p. start returns once /sim/fdm-initialized is true and /sim/aircraft
# names AIRCRAFT: from then on tank levels written stay written.
#
# Environment:
#   FGFS                       the fgfs program (default: fgfs on PATH, else
#                              /usr/games/fgfs)
#   TARNWELL_FGFS_TIMEOUT      seconds to wait for the first answer (180)
#   TARNWELL_FGFS_AIRPORT      where the aircraft stands (KSFO). Debian's
#                              FlightGear data has scenery only around BIKF
#                              and Hawaii: elsewhere it is open sea, which
#                              costs nothing to load or draw. The test
#                              aircraft is held still by its FDM; a stock
#                              one that cannot float sinks there.
#   TARNWELL_FGFS_OWNER        a process id: the run ends by itself when that
#                              process is gone (a test that was killed)
#   TARNWELL_FGFS_MAX_SECONDS  the run ends by itself after this long (3600)
#   TARNWELL_FGFS_CACHE        a folder where runs keep FlightGear's
#                              navigation database between them (built on
#                              the first start, about 25 s and 170 MB;
#                              copied into each run's FG_HOME and back)
#   TARNWELL_FGFS_OPTIONS      more fgfs options, split at spaces (for
#                              example --log-level=info when looking into a
#                              failure)
#
# FlightGear 2020.3 sometimes dies during its first half-minute, or never
# opens its port; start then tries once more, on a new port and display,
# and says so on stderr.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() {
    echo "fgfs.sh: $*" >&2
    exit 1
}

find_fgfs() {
    if [ -n "${FGFS:-}" ]; then
        echo "$FGFS"
    elif command -v fgfs >/dev/null; then
        command -v fgfs
    elif [ -x /usr/games/fgfs ]; then
        echo /usr/games/fgfs
    else
        die "fgfs not found (install the Debian package flightgear, or set FGFS)"
    fi
}

# A port nobody listens on now, between 20000 and 59999. Another program
# could still take it before FlightGear does; start then sees another
# answer than its aircraft, or none, and fails rather than talk to it.
free_port() {
    local port tries
    for ((tries = 0; tries < 50; tries++)); do
        port=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "$port"
            return
        fi
    done
    die "no free port found"
}

# The value of a property, or nothing when the server does not answer it.
property() {
    curl -sf --max-time 3 "http://127.0.0.1:$1/json/$2" 2>/dev/null |
        sed -n 's/.*"value":\("[^"]*"\|[^,}]*\).*/\1/p' | tr -d '"'
}

# The whole run, in a session of its own (its process group is DIR/pgid):
# a private X server with a 24-bit screen (fgfs refuses the default 8-bit
# one), a private D-Bus session (fgfs aborts without one), then fgfs.
run() {
    local dir=$1 port=$2 aircraft=$3 fgfs
    fgfs=$(find_fgfs)
    # Xvfb picks a free display itself and writes its number when ready.
    : >"$dir/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" \
        >"$dir/xvfb.log" 2>&1 </dev/null &
    local waited
    for ((waited = 0; waited < 100; waited++)); do
        [ -s "$dir/display" ] && break
        sleep 0.1
    done
    [ -s "$dir/display" ] || {
        echo "Xvfb did not start" >>"$dir/fgfs.log"
        exit 1
    }
    local display extra
    display=$(tr -d '[:space:]' <"$dir/display")
    export DISPLAY=":$display"
    export HOME="$dir/home" FG_HOME="$dir/home/.fgfs"
    export XDG_CONFIG_HOME="$dir/home/.config" XDG_CACHE_HOME="$dir/home/.cache"
    export XDG_DATA_HOME="$dir/home/.local/share" XDG_RUNTIME_DIR="$dir/runtime"
    mkdir -p "$FG_HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    read -r -a extra <<<"${TARNWELL_FGFS_OPTIONS:-}"
    dbus-run-session -- "$fgfs" \
        --fg-aircraft="$here/aircraft" --aircraft="$aircraft" \
        --airport="${TARNWELL_FGFS_AIRPORT:-KSFO}" \
        --httpd="$port" \
        --disable-sound --disable-splash-screen --disable-ai-traffic --disable-ai-models \
        --disable-real-weather-fetch --disable-terrasync --disable-save-on-exit \
        --timeofday=noon --fog-fastest --disable-clouds --disable-clouds3d --visibility=200 \
        --disable-random-objects --disable-random-vegetation --disable-random-buildings \
        --prop:/sim/rendering/shaders/quality-level=0 --max-fps=10 \
        --disable-panel --disable-hud --geometry=160x120 \
        "${extra[@]}" \
        >"$dir/fgfs.log" 2>&1 </dev/null &
    local fg=$!
    # Ends the run when its owner is gone or it has lasted too long, so that
    # a test killed before its stop leaves nothing behind.
    local owner=${TARNWELL_FGFS_OWNER:-} limit=${TARNWELL_FGFS_MAX_SECONDS:-3600}
    local started=$SECONDS
    while kill -0 "$fg" 2>/dev/null; do
        if [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; then
            echo "fgfs.sh: owner $owner is gone, stopping" >>"$dir/fgfs.log"
            break
        fi
        if ((SECONDS - started > limit)); then
            echo "fgfs.sh: ran $limit s, stopping" >>"$dir/fgfs.log"
            break
        fi
        sleep 1
    done
    local status=0
    kill -0 "$fg" 2>/dev/null || wait "$fg" || status=$?
    echo "$status" >"$dir/exit"
    # The group is ended here: its number must not stay behind for a stop
    # that could come after the number has gone to other processes.
    local pgid
    pgid=$(cat "$dir/pgid")
    rm -f "$dir/pgid"
    kill -TERM -- "-$pgid" 2>/dev/null || true
}

# Ends the process group of DIR/pgid: TERM, then KILL what is left after
# ten seconds.
stop() {
    local dir=$1 pgid waited
    [ -f "$dir/pgid" ] || return 0
    pgid=$(cat "$dir/pgid")
    kill -TERM -- "-$pgid" 2>/dev/null || true
    for ((waited = 0; waited < 100; waited++)); do
        kill -0 -- "-$pgid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 -- "-$pgid" 2>/dev/null; then
        echo "fgfs.sh: process group $pgid ignored TERM, killing it" >&2
        kill -KILL -- "-$pgid" 2>/dev/null || true
        sleep 0.2
    fi
    rm -f "$dir/pgid"
    keep_navdata "$dir"
}

# After a run that answered, FlightGear's navigation database is whole:
# keep it for the next runs unless the cache has one already. Copied under
# another name first, so a run starting meanwhile never sees half a file.
keep_navdata() {
    local dir=$1 cache=${TARNWELL_FGFS_CACHE:-} file name
    [ -n "$cache" ] && [ -f "$dir/port" ] || return 0
    mkdir -p "$cache"
    for file in "$dir"/home/.fgfs/navdata_*.cache; do
        [ -f "$file" ] || continue
        name=$(basename "$file")
        [ -f "$cache/$name" ] && continue
        if ! { cp "$file" "$cache/$name.$$" && mv "$cache/$name.$$" "$cache/$name"; }; then
            rm -f "$cache/$name.$$"
        fi
    done
}

# One try: starts the run and waits for it to answer. Returns 0 when ready,
# 2 when FlightGear died before answering and 3 when it never answered (both
# worth another try), 1 otherwise.
attempt() {
    local dir=$1 aircraft=$2 timeout=$3 port pid started
    port=$(free_port)
    rm -f "$dir/exit" "$dir/port" "$dir/fgfs.log" "$dir/xvfb.log"
    # The run must not hold the caller's output open: a caller reading the port
    # with $(fgfs.sh start ...) would wait for it to end.
    setsid bash "${BASH_SOURCE[0]}" __run "$dir" "$port" "$aircraft" </dev/null >>"$dir/run.log" 2>&1 &
    pid=$!
    # Without job control the child is no group leader, so setsid does not
    # fork: the process started is the leader of the new group.
    echo "$pid" >"$dir/pgid"
    started=$SECONDS
    while ((SECONDS - started < timeout)); do
        if [ "$(property "$port" sim/fdm-initialized)" = true ]; then
            local answered
            answered=$(property "$port" sim/aircraft)
            if [ "$answered" = "$aircraft" ]; then
                echo "$port" >"$dir/port"
                echo "$((SECONDS - started))" >"$dir/startup-seconds"
                return 0
            fi
            echo "fgfs.sh: port $port answers for aircraft '$answered', not '$aircraft'" >&2
            return 1
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "fgfs.sh: FlightGear ended after $((SECONDS - started)) s without answering" \
                "(exit status $(cat "$dir/exit" 2>/dev/null || echo unknown))" >&2
            return 2
        fi
        sleep 1
    done
    echo "fgfs.sh: FlightGear did not answer on port $port within $timeout s" >&2
    return 3
}

# The end of FlightGear's log, less its thousands of complaints about the
# airport and navaid data, which say nothing about the run.
log_tail() {
    echo "---- last lines of $1/fgfs.log ----" >&2
    grep -v -e '25 kHz Frequency' -e 'findAirportRunway' -e 'unable to parse' \
        "$1/fgfs.log" 2>/dev/null | tail -n 40 >&2 || true
    echo "----" >&2
}

start() {
    local dir=$1 aircraft=${2:-tarnwell-737-800}
    local timeout=${TARNWELL_FGFS_TIMEOUT:-180} result
    [ -f "$dir/pgid" ] && die "$dir already has a run; stop it first"
    find_fgfs >/dev/null
    for tool in Xvfb dbus-run-session curl setsid; do
        command -v "$tool" >/dev/null || die "$tool not found (scripts/install-deps.sh --test installs it)"
    done
    mkdir -p "$dir/home/.fgfs"
    local cache=${TARNWELL_FGFS_CACHE:-}
    if [ -n "$cache" ]; then
        cp "$cache"/navdata_*.cache "$dir/home/.fgfs/" 2>/dev/null || true
    fi
    # An interrupted start leaves nothing running.
    trap 'stop "$dir"; exit 130' INT TERM
    for try in 1 2; do
        result=0
        attempt "$dir" "$aircraft" "$timeout" || result=$?
        if [ "$result" = 0 ]; then
            trap - INT TERM
            cat "$dir/port"
            return 0
        fi
        log_tail "$dir"
        stop "$dir"
        # Now and then FlightGear 2020.3 dies early, or comes up without
        # ever opening its port: a second run on a new port goes through.
        if [ "$result" = 1 ] || [ "$try" != 1 ]; then
            break
        fi
        echo "fgfs.sh: trying once more" >&2
    done
    trap - INT TERM
    die "FlightGear with $aircraft did not start (log: $dir/fgfs.log)"
}

# The whole file is read before anything runs (main is called on its last
# line), so a run goes on unharmed when this file is changed meanwhile.
main() {
    case "${1:-}" in
    start)
        if [ $# -lt 2 ] || [ $# -gt 3 ]; then
            die "usage: fgfs.sh start DIR [AIRCRAFT]"
        fi
        start "$2" "${3:-}"
        ;;
    stop)
        [ $# = 2 ] || die "usage: fgfs.sh stop DIR"
        stop "$2"
        ;;
    __run)
        run "$2" "$3" "$4"
        ;;
    *)
        die "usage: fgfs.sh start DIR [AIRCRAFT] | fgfs.sh stop DIR"
        ;;
    esac
}

main "$@"; exit
