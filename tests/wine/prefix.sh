#!/usr/bin/env bash
# Makes the Wine prefix that the Windows checks copy for each run, once:
#   tests/wine/prefix.sh PREFIX
# A prefix that was set up completely is marked, and left as it is; a
# half-made one is made again. Concurrent callers wait for one another.
set -euo pipefail
prefix=$1
[ -e "$prefix/.tarnwell-ready" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -e "$prefix/.tarnwell-ready" ] && exit 0

echo "Setting up the Wine prefix $prefix"
rm -rf "$prefix"
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX=$prefix
started=$(date +%s)
if timeout 300 wine wineboot --init >"$prefix.log" 2>&1 && timeout 120 wineserver --wait; then
    touch "$prefix/.tarnwell-ready"
    echo "Wine prefix ready in $(($(date +%s) - started)) s"
else
    echo "Setting up the Wine prefix failed; wineboot said:" >&2
    cat "$prefix.log" >&2
    exit 1
fi
