#!/usr/bin/env bash
# Checks the simulator link's Win32 back-end under Wine: cross-builds the
# Qt-free libraries with MinGW-w64 (build-mingw/), a fake FSUIPC window and a
# client that uses the connection routines, and runs them under a virtual
# display (Wine refuses to create windows without one). Needs wine and
# xvfb-run; not part of scripts/test.sh (Wine's first start takes seconds).
#   tools/wine-check/run.sh
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
here="$top/tools/wine-check"
out="$top/build-mingw/wine-check"
cmake -S "$top" -B "$top/build-mingw" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DTARNWELL_WINDOW=OFF -DTARNWELL_TESTS=OFF -DTARNWELL_WERROR=ON >/dev/null
cmake --build "$top/build-mingw"
mkdir -p "$out"
cxx=x86_64-w64-mingw32-g++-posix
$cxx -std=c++20 -O1 -static -Wall -Wextra "$here/fake_fsuipc.cpp" -o "$out/fake_fsuipc.exe"
$cxx -std=c++20 -O1 -static -Wall -Wextra -I"$top/src" "$here/check_client.cpp" \
    "$top/build-mingw/src/sim/libtarnwell_sim.a" -o "$out/check_client.exe"

cat > "$out/session.sh" <<'SESSION'
#!/usr/bin/env bash
set -u
cd "$(dirname "$0")"
export WINEDEBUG=-all WINEPREFIX="$PWD/prefix"
status=0
wine check_client.exe without-window || status=1
wine fake_fsuipc.exe > fake.log 2>&1 &
fake=$!
for _ in $(seq 1 150); do grep -q ready fake.log 2>/dev/null && break; sleep 0.2; done
wine check_client.exe with-window || status=1
wait "$fake" || true
cat fake.log
wineserver -k 2>/dev/null || true
exit $status
SESSION
chmod +x "$out/session.sh"
xvfb-run -a "$out/session.sh"
