#!/usr/bin/env bash
# Builds Tarnwell for 64-bit Windows on Linux and what a Windows user
# downloads:
#   build-windows/tarnwell-<version>-win64.zip         the portable folder
#   build-windows/tarnwell-<version>-win64-setup.exe   the installer
#
#   scripts/build-windows.sh [BUILD_FOLDER]
#
# Installs what is missing (scripts/install-deps.sh), builds Qt for Windows
# once into a cache outside the checkout (scripts/build-qt-windows.sh: about
# 20 minutes on 2 cores the first time), then cross-builds everything with
# MinGW-w64, warnings as errors: the program, the stand-in simulators (the
# Win32 one and tarnwell-xplane), the command-line link and the test
# programs (run by scripts/test.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-windows}

"$top/scripts/install-deps.sh" --windows
qt=$("$top/scripts/build-qt-windows.sh" | tail -n 1)
# The web simulators' links compile cpp-httplib's single header, fetched
# once from Debian's source into the same cache.
httplib=$("$top/scripts/fetch-windows-sources.sh" | tail -n 1)
# The dispatch plan's XML: pugixml's source, from the same place.
pugixml=$("$top/scripts/fetch-windows-sources.sh" pugixml | tail -n 1)

cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DTARNWELL_HTTPLIB_DIR="$httplib" -DTARNWELL_PUGIXML_DIR="$pugixml" \
    -DTARNWELL_WERROR=ON -DTARNWELL_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
cmake --build "$build" --target windows-packages
ls -l "$build"/tarnwell-*-win64.zip "$build"/tarnwell-*-win64-setup.exe
