#!/bin/sh
# tarnwell-xplane as the planner's X-Plane tests use it: started on a free
# port, it answers as X-Plane's web API does, prints every write it takes in
# the form the tests parse, and shows each fault it is asked for.
# Usage: xplane_standin_test.sh STANDIN [WRAPPER]
#   WRAPPER runs the program, e.g. "wine" for the Windows build.
# shellcheck disable=SC2015 # "check && check || fail" is meant
set -u
set -f # the paths hold brackets
standin=$1
wrapper=${2:-}
work=$(mktemp -d)
pid=
stop() {
    [ -n "$pid" ] && kill -INT "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    pid=
}
trap 'stop; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
trim() {
    printf '%s' "$1" | sed 's/^ *//; s/ *$//'
}

# start ARGUMENT...: the stand-in on a free port, at $base.
start() {
    stop
    rm -f "$work/out" # the new one's, not the last one's first line
    # shellcheck disable=SC2086 # the wrapper may be a command with arguments
    $wrapper "$standin" --port 0 "$@" >"$work/out" 2>"$work/err" &
    pid=$!
    tries=0
    until head -n 1 "$work/out" 2>/dev/null | grep -q '^listening on 127.0.0.1:[0-9]*$'; do
        tries=$((tries + 1))
        [ $tries -lt 200 ] || { fail "no 'listening on' line from: $*"; return 1; }
        sleep 0.05
    done
    base=http://127.0.0.1:$(head -n 1 "$work/out" | sed 's/.*://')
}

# request METHOD PATH [BODY]: $status is the answer's status, or "fail"
# when none came whole within 2 seconds; headers and body in $work/answer.
request() {
    status=$(curl -sg -m 2 -i -o "$work/answer" -w '%{http_code}' -X "$1" \
        ${3:+--data "$3"} "$base$2") || status=fail
}

# The value path of a dataref, its id looked up by name (one request).
value_path() {
    id=$(curl -sg "$base/api/v2/datarefs?filter[name]=$1" | sed -n 's/.*"id":\([0-9]*\).*/\1/p')
    echo "/api/v2/datarefs/$id/value"
}

# Each row: the stand-in's options | method | path (a dataref's name for
# its value path, looked up first) | body | status | in the answer | a
# printed line. A fault that would hit the lookup lets it through with
# --normal-answers 1.
while IFS='|' read -r options method path body want answer printed; do
    options=$(trim "$options") method=$(trim "$method") path=$(trim "$path")
    body=$(trim "$body") want=$(trim "$want") answer=$(trim "$answer") printed=$(trim "$printed")
    case $options in '#'* | '') [ -n "$method" ] || continue ;; esac
    # shellcheck disable=SC2086 # the options are words
    start $options || continue
    case $path in sim/*)
        name=${path%%\?*}
        path=$(value_path "$name")${path#"$name"}
        ;;
    esac
    request "$method" "$path" "$body"
    [ -z "$printed" ] || sleep 0.1 # the printed line of a write follows its answer
    if [ "$status" != "$want" ] || ! grep -qF -- "$answer" "$work/answer"; then
        fail "[$options] $method $path $body: wanted $want with '$answer', got $status:"
        cat "$work/answer"
        echo
    fi
    if [ -n "$printed" ] && ! grep -qF -- "$printed" "$work/out"; then
        fail "[$options] $method $path $body: no line '$printed' in:"
        cat "$work/out"
    fi
done <<'EOF'
| GET | /api/capabilities | | 200 | {"api":{"versions":["v1","v2"]},"x-plane":{"version":"12.1.4"}} |
--api 3 | GET | /api/capabilities | | 200 | "versions":["v1","v2","v3"] |
--api 1 | GET | /api/capabilities | | 404 | |
--api 1 | GET | /api/v2/datarefs/count | | 404 | |
| GET | /api/v1/datarefs/count | | 200 | {"data":10} |
| GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fuel | | 200 | "is_writable":true,"name":"sim/flightmodel/weight/m_fuel","value_type":"float_array" |
| GET | /api/v2/datarefs?filter[name]=sim/nothing/here | | 404 | {"error_code":"invalid_dataref_name", |
| GET | /api/v2/datarefs/123/value | | 404 | {"error_code":"invalid_dataref_id", |
| GET | /api/v2/datarefs/99999999999999999999/value | | 404 | {"error_code":"invalid_dataref_id", |
| GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fixed&filter[name]=sim/aircraft/view/acf_ICAO | | 200 | "name":"sim/flightmodel/weight/m_fixed","value_type":"float"},{"id": |
--api 1 | GET | /api/v1/datarefs?filter[name]=sim/flightmodel/weight/m_fixed | | 200 | "name":"sim/flightmodel/weight/m_fixed" |
| GET | /api/v2/datarefs?limit=x | | 400 | {"error_code":"invalid_request", |
| GET | /api/v2/datarefs/count/value | | 404 | |
| GET | /api/v2/datarefs?fields=name&start=8&limit=1 | | 200 | {"data":[{"name":"sim/flightmodel/weight/m_fuel_total"}]} |
--api 3 | GET | /api/v3/datarefs/count | | 200 | {"data":10} |
| GET | /api/v3/datarefs/count | | 404 | |
--verbose | GET | /api/v2/datarefs/count | | 200 | | GET /api/v2/datarefs/count -> 200
--aircraft B739 | GET | sim/aircraft/view/acf_ICAO | | 200 | {"data":"QjczOQAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=="} |
--payload 8123.5 | GET | sim/flightmodel/weight/m_fixed | | 200 | {"data":8123.5} |
--fuel 100,200,300 | GET | sim/flightmodel/weight/m_fuel | | 200 | {"data":[100.0,200.0,300.0,0.0,0.0,0.0,0.0,0.0,0.0]} |
--fuel 100,200,300 | GET | sim/flightmodel/weight/m_fuel?index=2 | | 200 | {"data":300.0} |
| GET | sim/flightmodel/weight/m_fuel?index=9 | | 400 | {"error_code":"index_out_of_range", |
| GET | sim/flightmodel/weight/m_fixed?index=0 | | 400 | {"error_code":"not_an_array", |
| GET | sim/flightmodel/weight/m_fuel?index=x | | 400 | {"error_code":"index_out_of_range", |
--capacity 5000,13000,5000 | PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":4022.18} | 200 | Content-Length: 0 | m_fuel[0] set to 4022.18 kg
| PATCH | sim/flightmodel/weight/m_fuel?index=1 | {"data":20000} | 200 | | m_fuel[1] set to 13079.54 kg (asked 20000.00 kg, more than the tank holds)
| PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":3907.149} | 200 | | m_fuel[0] set to 3907.15 kg
| PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":3907.16} | 200 | | m_fuel[0] set to 3907.15 kg (asked 3907.16 kg, more than the tank holds)
| GET | sim/aircraft/weight/acf_m_fuel_tot | | 200 | {"data":20893.826171875} |
| GET | sim/aircraft/overflow/acf_tank_rat | | 200 | {"data":[0.18700000643730164,0.6259999871253967,0.18700000643730164,0.0, |
| GET | sim/aircraft/overflow/acf_num_tanks | | 200 | {"data":3} |
--capacity 4000,4000 --fuel 100,100 | GET | sim/aircraft/overflow/acf_num_tanks | | 200 | {"data":2} |
--tanks 2 | GET | sim/aircraft/overflow/acf_num_tanks | | 200 | {"data":2} |
--no-is-writable | GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fuel | | 200 | "name":"sim/flightmodel/weight/m_fuel","value_type":"float_array"}]} |
| PATCH | sim/flightmodel/weight/m_fuel?index=2 | {"data":-5} | 200 | | m_fuel[2] set to 0.00 kg (asked -5.00 kg, less than empty)
| PATCH | sim/flightmodel/weight/m_fuel | {"data":[1,2,3,0,0,0,0,0,0]} | 200 | | m_fuel[2] set to 3.00 kg
| PATCH | sim/flightmodel/weight/m_fuel | {"data":[1,2,3]} | 400 | {"error_code":"incompatible_data", |
| PATCH | /api/v2/datarefs/123/value | {"data":1} | 404 | {"error_code":"invalid_dataref_id", |
| PATCH | sim/flightmodel/weight/m_fixed | {"data":8000} | 200 | | m_fixed set to 8000.00 kg
| PATCH | sim/flightmodel/weight/m_fixed | {"data":"8000"} | 400 | {"error_code":"incompatible_data", |
| PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":1 | 400 | {"error_code":"invalid_body", |
| PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"value":1} | 400 | {"error_code":"invalid_body", |
| PATCH | sim/flightmodel/weight/m_fixed?index=0 | {"data":1} | 400 | {"error_code":"not_an_array", |
| PATCH | sim/flightmodel/weight/m_fuel | {"data":[1,2,3,4,5,6,7,8,9,10]} | 400 | {"error_code":"incompatible_data", |
| PATCH | sim/aircraft/overflow/acf_num_tanks | {"data":2.5} | 400 | {"error_code":"incompatible_data", |
| PATCH | sim/aircraft/overflow/acf_num_tanks | {"data":2} | 403 | {"error_code":"dataref_is_readonly", | acf_num_tanks write of 2 refused: read-only
| PATCH | sim/aircraft/view/acf_ICAO | {"data":"QjczOQ=="} | 200 | | acf_ICAO set to "B739"
| PATCH | sim/aircraft/view/acf_ICAO | {"data":"QjczOQ="} | 400 | {"error_code":"incompatible_data", |
| PATCH | sim/flightmodel/weight/m_fuel_total | {"data":1} | 403 | {"error_code":"dataref_is_readonly", | m_fuel_total write of 1.00 kg refused: read-only
--fault html | GET | /api/capabilities | | 200 | This is not X-Plane. |
--fault html --normal-answers 1 | GET | sim/flightmodel/weight/m_fixed | | 200 | This is not X-Plane. |
--fault 404 | GET | /api/capabilities | | 404 | |
--fault redirect | GET | /api/capabilities | | 302 | Location: /elsewhere/api/capabilities |
--fault never | GET | /api/capabilities | | fail | |
--fault slow=3000 | GET | /api/capabilities | | fail | |
--fault slow=300 | GET | /api/capabilities | | 200 | "versions" |
--fault bad-json | GET | /api/capabilities | | 200 | {"api"{"versions" |
--fault truncated | GET | /api/capabilities | | 200 | Content-Length: 31 |
--fault huge-body | GET | /api/capabilities | | 200 | Content-Length: 1572927 |
--fault reset | GET | /api/capabilities | | fail | Content-Length: 63 |
--fault traffic-disabled | GET | /api/capabilities | | 403 | Forbidden |
--fault traffic-disabled | GET | /api/v1/datarefs/count | | 403 | Forbidden |
--fault reset --normal-answers 1 | PATCH | sim/flightmodel/weight/m_fixed | {"data":1} | fail | | m_fixed set to 1.00 kg
--fault nan --normal-answers 1 | GET | sim/flightmodel/weight/m_fixed | | 200 | {"data":null} |
--fault slow=200 --fault nan --fault keep-value --normal-answers 1 | GET | sim/flightmodel/weight/m_fixed | | 200 | {"data":null} |
--fault negative --normal-answers 1 | GET | sim/flightmodel/weight/m_fuel?index=0 | | 200 | {"data":-1250.5} |
--fault huge --normal-answers 1 | GET | sim/flightmodel/weight/m_fixed | | 200 | {"data":3e+38} |
--fault wrong-type --normal-answers 1 | GET | sim/flightmodel/weight/m_fuel | | 200 | {"data":["2000.00","0.00","2000.00", |
--fault missing-dataref | GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fuel | | 404 | invalid_dataref_name |
--fault missing-dataref | GET | /api/v2/datarefs/count | | 200 | {"data":9} |
--fault missing-dataref | GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fixed | | 200 | "name":"sim/flightmodel/weight/m_fixed" |
--fault no-flight | GET | /api/v2/datarefs/count | | 200 | {"data":0} |
--fault no-flight | GET | /api/v2/datarefs?filter[name]=sim/aircraft/view/acf_ICAO | | 404 | invalid_dataref_name |
--fault read-only | GET | /api/v2/datarefs?filter[name]=sim/flightmodel/weight/m_fixed | | 200 | "is_writable":false |
--fault read-only --normal-answers 1 | PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":100} | 403 | {"error_code":"dataref_is_readonly", | m_fuel[0] write of 100.00 kg refused: read-only
--fault read-only --normal-answers 1 | PATCH | sim/flightmodel/weight/m_fixed | {"data":1} | 403 | {"error_code":"dataref_is_readonly", | m_fixed write of 1.00 kg refused: read-only
--fault truncated --normal-answers 1 | PATCH | sim/flightmodel/weight/m_fixed | {"data":1} | 200 | Content-Length: 0 | m_fixed set to 1.00 kg
--fault keep-value --normal-answers 1 | PATCH | sim/flightmodel/weight/m_fuel?index=0 | {"data":100} | 200 | | m_fuel[0] kept at 2000.00 kg (write of 100.00 kg ignored)
EOF

# Boarding as the planner does: left, right, centre, then the figures read
# back at a float's precision, and the total worked out.
start --capacity 5000,14000,5000 --payload 8500.25
path=$(value_path sim/flightmodel/weight/m_fuel)
for tank in 0=4022.18 2=4022.68 1=9000; do
    request PATCH "$path?index=${tank%=*}" "{\"data\":${tank#*=}}"
done
request GET "$path"
grep -q '{"data":\[4022.179931640625,9000.0,4022.679931640625,0.0,' "$work/answer" ||
    fail "boarded tanks: $(cat "$work/answer")"
request GET "$(value_path sim/flightmodel/weight/m_fuel_total)"
grep -q '{"data":17044.859375}' "$work/answer" || fail "fuel total: $(cat "$work/answer")"
request GET "$(value_path sim/flightmodel/weight/m_fixed)"
grep -q '{"data":8500.25}' "$work/answer" || fail "payload: $(cat "$work/answer")"
[ "$(grep -c ' set to ' "$work/out")" -eq 3 ] || fail "three writes printed: $(cat "$work/out")"

# A simulator that quits between two writes: the second is answered, then
# it is gone, with status 0.
start --fault quit-after-writes=2
path=$(value_path sim/flightmodel/weight/m_fuel)
request PATCH "$path?index=0" '{"data":10}'
request PATCH "$path?index=1" '{"data":20}'
first=$status
wait "$pid"
code=$?
pid=
request PATCH "$path?index=2" '{"data":30}'
[ "$first $code $status" = "200 0 fail" ] && grep -qx 'quitting after 2 writes (as told)' "$work/out" ||
    fail "quit-after-writes 2: status $first, exit $code, then $status"

# A new session: the old ids are unknown, a new lookup finds new ones, and
# the aircraft is loaded as at the start.
start --fault restart-after-writes=1
path=$(value_path sim/flightmodel/weight/m_fuel)
request PATCH "$path?index=0" '{"data":10}'
request GET "$path?index=0"
grep -q '"error_code":"invalid_dataref_id"' "$work/answer" || fail "old id after a new session: $status"
path2=$(value_path sim/flightmodel/weight/m_fuel)
request GET "$path2?index=0"
[ "$path" != "$path2" ] && grep -q '{"data":2000.0}' "$work/answer" ||
    fail "after a new session: $path2 answered $status"
if [ -z "$wrapper" ]; then
    kill -HUP "$pid"
    sleep 0.2
    [ "$(value_path sim/flightmodel/weight/m_fuel)" != "$path2" ] || fail "SIGHUP kept the ids"
fi

# Stopped while a request waits for an answer that never comes: it ends at
# once all the same (by SIGTERM; Windows knows only Ctrl+C).
start --fault never
curl -s -m 5 "$base/api/capabilities" >/dev/null &
sleep 0.3
before=$(date +%s)
signal=TERM
[ -z "$wrapper" ] || signal=INT
kill -$signal "$pid" && wait "$pid" && [ $(($(date +%s) - before)) -le 1 ] ||
    fail "SIG$signal while a request waits"
pid=

# Stopping, and the ports: a second stand-in cannot take a port in use.
start
port=${base##*:}
$wrapper "$standin" --port "$port" >/dev/null 2>"$work/err2"
[ $? -eq 1 ] && grep -q 'cannot listen' "$work/err2" || fail "a second stand-in on port $port"
kill -INT "$pid" && wait "$pid" && [ "$(tail -n 1 "$work/out")" = "tarnwell-xplane: stopped" ] ||
    fail "Ctrl+C"
pid=

# The options: --help on standard output; a mistake on standard error, status 2.
while IFS='|' read -r options want text; do
    # shellcheck disable=SC2086
    $wrapper "$standin" $options >"$work/out" 2>&1
    code=$?
    [ "$code" -eq "$want" ] && grep -q -- "$text" "$work/out" || fail "$options: status $code"
done <<'EOF'
--help|0|slow=MS
--bogus|2|unknown option: --bogus
--port 70000|2|--port: Value 70000 not in range
--fault slow|2|--fault: unknown, badly counted or clashing: slow
--fault html --fault 404|2|--fault: unknown, badly counted or clashing: 404
--fuel 5000,0,0|2|tank 0 holds at most 3907.15 kg
--tanks 10|2|--tanks: Value 10 not in range
EOF

[ $failures -eq 0 ] && echo "tarnwell-xplane: all cases passed"
exit $failures
