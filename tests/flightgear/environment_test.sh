#!/usr/bin/env bash
# The FlightGear the planner's tests board into: a real fgfs started with
# fgfs.sh answers on its property server, keeps the test 737-800's tanks in
# the planner's order and within their capacity, carries its payload
# stations, and leaves no process behind when stopped. Runs the test
# aircraft, its small-centre-tank and passenger-count variants and the
# stock c172p (the wrong aircraft the planner must recognise).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
fgfs_sh="$here/fgfs.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-fgfs-test.XXXXXX")
runs=()
cleanup() {
    local run
    for run in "${runs[@]}"; do "$fgfs_sh" stop "$run" || true; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# A test killed by CTest's time limit takes its FlightGear with it.
export TARNWELL_FGFS_OWNER=$$

failures=0
passes=0
check() { # what expected actual
    if [ "$2" = "$3" ]; then
        passes=$((passes + 1))
    else
        echo "FAIL: $1: expected '$2', got '$3'" >&2
        failures=$((failures + 1))
    fi
}

port=""
get() { curl -sfg --max-time 5 "http://127.0.0.1:$port/json/$1"; }
value() { get "$1" | jq -r .value; }
set_value() {
    curl -sfg --max-time 5 -X POST -d "{\"value\": $2}" "http://127.0.0.1:$port/json/$1" >/dev/null ||
        check "writing $2 to $1" written failed
}
status_of() { curl -sg --max-time 5 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/json/$1"; }
# A level as the planner would compare it: to the tenth of a pound.
level() { tenths "$(value "consumables/fuel/tank[$1]/level-lbs")"; }
tenths() { if [[ $1 =~ ^-?[0-9] ]]; then printf '%.1f' "$1"; else echo "no number ($1)"; fi; }

start() { # name aircraft
    local run="$work/$1" started=$SECONDS
    runs+=("$run")
    port=$("$fgfs_sh" start "$run" "$2")
    echo "$2: answering on port $port after $((SECONDS - started)) s"
}

stop() { # name
    local run="$work/$1" pgid
    if ! pgid=$(cat "$run/pgid" 2>/dev/null); then
        check "$1: running until stopped" running "ended by itself"
        return
    fi
    "$fgfs_sh" stop "$run"
    if kill -0 -- "-$pgid" 2>/dev/null; then
        check "$1: processes left in group $pgid" none "$(pgrep -g "$pgid" | xargs)"
    else
        check "$1: processes left" none none
    fi
}

# --- The test 737-800 -------------------------------------------------------
start full tarnwell-737-800
check "aircraft id" tarnwell-737-800 "$(value sim/aircraft)"

# The planner's tank order and the capacities of a 737-800 (US gallons).
while read -r tank capacity_gal name; do
    check "tank[$tank] name" "$name" "$(value "consumables/fuel/tank[$tank]/name")"
    check "tank[$tank] capacity" "$capacity_gal" \
        "$(printf '%.0f' "$(value "consumables/fuel/tank[$tank]/capacity-gal_us")")"
done <<'EOF'
0 1288 Left Main
1 1288 Right Main
2 4299 Center
EOF
check "no fourth tank" 404 "$(status_of 'consumables/fuel/tank[3]/level-lbs')"

# Levels written read back as written, or cut to the tank's capacity.
# Columns: tank, pounds written, pounds read back.
while read -r tank written expected; do
    set_value "consumables/fuel/tank[$tank]/level-lbs" "$written"
    # The FDM takes the new level in its next frame (10 frames a second).
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        [ "$(level "$tank")" = "$expected" ] && break
        sleep 0.2
    done
    check "tank[$tank] after writing $written lb" "$expected" "$(level "$tank")"
done <<'EOF'
0 5432.1 5432.1
1 5432.1 5432.1
2 12345 12345.0
0 8630 8630.0
0 9000 8630.0
2 30000 28803.0
1 0 0.0
1 -10 0.0
EOF
check "total fuel" 37433.0 "$(tenths "$(value consumables/fuel/total-fuel-lbs)")"

# The payload stations: names, and weights that add up as the planner
# reads them.
check "payload stations" "Forward cabin,Aft cabin,Forward cargo,Aft cargo" \
    "$(get 'payload?d=2' | jq -r '[.children[] | .children[] | select(.name == "name") | .value] | join(",")')"
payload() { get 'payload?d=2' | jq '[.children[] | .children[] | select(.name == "weight-lb") | .value] | add'; }
check "payload sum" 19790 "$(payload)"
set_value 'payload/weight[3]/weight-lb' 3000
check "payload sum after a station changed" 20150 "$(payload)"
carried=0
for station in 0 1 2 3; do
    carried=$(jq -n "$carried + $(value "fdm/jsbsim/inertia/pointmass-weight-lbs[$station]")")
done
check "the FDM carries the payload" 20150 "$carried"
check "unknown property" 404 "$(status_of sim/no-such-property)"
check "still standing" false "$(value sim/crashed)"
stop full

# --- A centre tank too small for the plan ------------------------------------
start small tarnwell-737-800-small
check "aircraft id" tarnwell-737-800-small "$(value sim/aircraft)"
set_value 'consumables/fuel/tank[2]/level-lbs' 12345
set_value 'consumables/fuel/tank[0]/level-lbs' 5000
sleep 1
check "small centre tank holds less than written" 5000.0 "$(level 2)"
check "main tank unaffected" 5000.0 "$(level 0)"
stop small

# --- Passenger counts as cabin stations -------------------------------------
start pax tarnwell-737-800-pax
check "business seats" 10 "$(value 'payload/weight[0]/weight-lb')"
sleep 1
cabin=0
for station in 0 1 2 3 4 5 6 7 8; do
    cabin=$(jq -n "$cabin + $(value "fdm/jsbsim/inertia/pointmass-weight-lbs[$station]")")
done
check "the FDM carries the passengers' weight" 31750 "$cabin"
set_value 'payload/pax/economy' 100
sleep 1
check "ten more economy seats weigh 1700 lb" 17000 "$(value 'fdm/jsbsim/inertia/pointmass-weight-lbs[2]')"
stop pax

# --- The wrong aircraft -------------------------------------------------------
start wrong c172p
check "aircraft id" c172p "$(value sim/aircraft)"
set_value 'consumables/fuel/tank[0]/level-lbs' 20000
sleep 1
check "a c172p tank holds far less than a 737's" 129.4 "$(level 0)"
stop wrong

check "no process of this test's runs left" "" "$(pgrep -f -- "$work" | xargs)"
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
