#!/usr/bin/env bash
# Installs what is missing, builds Tarnwell into build/ and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target tarnwell
exec "$top/build/tarnwell" "$@"
