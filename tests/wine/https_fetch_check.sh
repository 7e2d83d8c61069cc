#!/usr/bin/env bash
# The Windows program's HTTPS under Wine: openssl's own test server serves a
# sample flight plan over TLS with a throwaway certificate, and
# https_fetch_check.exe fetches it through the program's fetch module,
# first without trusting the certificate (refused: the handshake happened
# and the certificate was checked), then trusting it (the plan arrives).
#   https_fetch_check.sh CHECK.EXE MODULE_FOLDER SAMPLE EMULATOR...
# EMULATOR is the cross-build's command that runs a Windows program
# (tests/wine/wine-run.sh and its arguments).
set -euo pipefail
check=$1
modules=$2
sample=$3
shift 3
wine=("$@")
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=localhost \
    -addext subjectAltName=IP:127.0.0.1,DNS:localhost \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
# s_server -HTTP answers with the file the request's path names, query
# included, which holds the whole answer. It says the body's length, as a
# web server does: a body that ends only with the connection never ends
# under Wine's TLS, which misses the server's closing alert.
mkdir -p "$work/www/api"
{
    printf 'HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\nContent-Length: %s\r\n\r\n' \
        "$(stat -c %s "$sample")"
    cat "$sample"
} >"$work/www/api/xml.fetcher.php?username=pilot"
# A free port: a server that cannot have its port ends at once; try another.
for _ in $(seq 20); do
    port=$(shuf -i 20000-60000 -n 1)
    (cd "$work/www" && exec openssl s_server -quiet -accept "127.0.0.1:$port" \
        -cert "$work/cert.pem" -key "$work/key.pem" -HTTP) >"$work/server.log" 2>&1 &
    server=$!
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break 2
        kill -0 "$server" 2>/dev/null || break
        sleep 0.1
    done
    kill "$server" 2>/dev/null || true
    server=
done
[ -n "$server" ] || { echo "FAIL: openssl s_server did not start"; exit 1; }
url="https://127.0.0.1:$port/api/xml.fetcher.php?username=pilot"
windows_path() { echo "Z:${1//\//\\}"; }

failures=0
untrusted=$("${wine[@]}" "$check" "$url" "$(windows_path "$modules")" 2>/dev/null | tr -d '\r')
echo "untrusted: $untrusted"
[[ $untrusted == insecure* ]] || { echo "FAIL: an untrusted certificate was not refused"; failures=1; }
trusted=$("${wine[@]}" "$check" "$url" "$(windows_path "$modules")" "$(windows_path "$work/cert.pem")" \
    2>/dev/null | tr -d '\r')
echo "trusted: $trusted"
[[ $trusted == "answered 200 B738"* ]] || { echo "FAIL: the trusted server's plan did not arrive"; failures=1; }
exit "$failures"
