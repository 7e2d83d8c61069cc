#!/bin/sh
# tarnwell-simbrief as the dispatch-plan tests use it: started on a free
# port with the sample OFPs, it serves each user's file as it is, answers an
# unknown user as SimBrief does, prints every request once, shows each
# fault, speaks HTTPS when given a certificate, and stops at once on a
# signal even with a request waiting.
# Usage: simbrief_standin_test.sh STANDIN SAMPLES
# shellcheck disable=SC2015 # "check && check || fail" is meant
set -u
standin=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") # before the cd below
work=$(mktemp -d)
pid=
stop() {
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    pid=
}
trap 'stop; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
trim() { printf '%s' "$1" | sed 's/^ *//; s/ *$//'; }

# The samples and a throwaway certificate side by side, named as the rows name them.
cd "$work" && ln -s "$2"/*.xml "$2"/*.json . || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost \
    -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout key.pem -out cert.pem 2>/dev/null ||
    { echo "FAIL: no certificate"; exit 1; }
printf '<?xml version="1.0" encoding="UTF-8"?>\n<OFP>\n<fetch>\n<userid></userid>\n<static_id></static_id>\n<status>Error: Unknown UserID</status>\n<time>0.0012</time>\n</fetch>\n</OFP>\n' >unknown

# start ARGUMENT...: the stand-in on a free port, at $base.
start() {
    stop
    rm -f out
    "$standin" --port 0 "$@" >out 2>err &
    pid=$!
    tries=0
    until head -n 1 out 2>/dev/null | grep -q '^listening on 127.0.0.1:[0-9]*$'; do
        tries=$((tries + 1))
        [ $tries -lt 200 ] || { fail "no 'listening on' line from: $*"; return 1; }
        sleep 0.05
    done
    case "$*" in *--tls-cert*) scheme=https ;; *) scheme=http ;; esac
    base=$scheme://127.0.0.1:$(head -n 1 out | sed 's/.*://')
}

# Each row: options | query | status ("timeout": none within 2 s) | type | the body:
# the file it equals, the first half of a file, a text in it, or its size.
while IFS='|' read -r options query want type body; do
    options=$(trim "$options") query=$(trim "$query") want=$(trim "$want")
    type=$(trim "$type") body=$(trim "$body")
    # shellcheck disable=SC2086 # the options are words
    start $options || continue
    : >answer
    got=$(curl -s -m 2 --cacert cert.pem -o answer -w '%{http_code} %{content_type}' \
        "$base/api/xml.fetcher.php?$query")
    [ $? -eq 28 ] && got="timeout ${got#* }"
    case $body in
        file*) cmp -s answer "${body#file }" ;;
        half*) head -c $(($(wc -c <"${body#half }") / 2)) "${body#half }" | cmp -s answer - ;;
        text*) grep -qF -- "${body#text }" answer ;;
        size*) [ "$(wc -c <answer)" -eq "${body#size }" ] ;;
    esac || fail "[$options] $query: the body is not '$body': $(head -c 300 answer)"
    [ "$got" = "$want $type" ] || fail "[$options] $query: wanted '$want $type', got '$got'"
    [ "$(grep -cxF "GET /api/xml.fetcher.php?$query" out)" -eq 1 ] ||
        fail "[$options] $query: not printed once: $(cat out)"
done <<'EOF2'
--user pilot=b738_lbs.xml | username=pilot | 200 | application/xml | file b738_lbs.xml
--user pilot=b738_lbs.xml --user 912345=b737_kgs.json | userid=912345&json=v2 | 200 | application/json | file b737_kgs.json
--user pilot=b738_lbs.json | username=pilot&json=v2 | 200 | application/json | file b738_lbs.json
--user pilot=b736_partial.xml | userid=pilot | 200 | application/xml | file b736_partial.xml
--user pilot=b738_lbs.xml | username=nobody | 400 | application/xml | file unknown
--user pilot=b738_lbs.xml | username=Pilot | 400 | application/xml | file unknown
--user pilot=b738_lbs.xml | json=v2 | 400 | application/xml | file unknown
| username=pilot | 400 | application/xml | text <status>Error: Unknown UserID</status>
--fault silent --user pilot=b738_lbs.xml | username=pilot | timeout | | size 0
--fault trickle --user pilot=b738_lbs.xml | username=pilot | timeout | application/xml | text <
--fault html --user pilot=b738_lbs.xml | username=pilot | 200 | text/html | text <html>
--fault huge --user pilot=b738_lbs.xml | username=pilot | 200 | application/xml | size 8388608
--fault truncated --user pilot=b738_lbs.xml | username=pilot | 200 | application/xml | half b738_lbs.xml
--fault server-error --user pilot=b738_lbs.xml | username=pilot | 500 | text/plain | text Internal Server Error
--tls-cert cert.pem --tls-key key.pem --user pilot=b738_lbs.xml | username=pilot | 200 | application/xml | file b738_lbs.xml
EOF2

# Stopped while a request waits for an answer that never comes: at once.
start --fault silent
curl -s -m 5 "$base/api/xml.fetcher.php?username=pilot" >/dev/null &
sleep 0.3
before=$(date +%s)
kill -TERM "$pid" && wait "$pid" && [ $(($(date +%s) - before)) -le 1 ] &&
    [ "$(tail -n 1 out)" = "tarnwell-simbrief: stopped" ] || fail "SIGTERM while a request waits"
pid=

# The mistakes on the command line: named on standard error, status 2.
while IFS='|' read -r options text; do
    # shellcheck disable=SC2086
    "$standin" $options >out 2>&1
    code=$?
    [ "$code" -eq 2 ] && grep -qF -- "$text" out || fail "$options: status $code: $(cat out)"
done <<'EOF2'
--fault slow|--fault: slow not in
--user pilot|not KEY=FILE: pilot
--user pilot=missing.xml|cannot read missing.xml
--user pilot=cert.pem|neither .xml nor .json
--user a=b738_lbs.xml --user a=b738_lbs.json|a second file for a
--tls-cert cert.pem|--tls-cert requires --tls-key
EOF2

[ $failures -eq 0 ] && echo "tarnwell-simbrief: all cases passed"
exit $failures
