#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. every suite, the window's included, under AddressSanitizer +
#      UndefinedBehaviorSanitizer (build-asan/),
#   2. each fuzz target for a short bounded run (build-fuzz/, clang),
#   3. the Windows cross-build of the Qt-free libraries and the Win32
#      simulator link check (build-mingw/),
#   4. that check under Wine in a virtual display (tests/wine/run.sh; the
#      Wine prefix is kept in build-mingw/wineprefix),
#   5. the full build with warnings as errors (build/), then its Debian
#      package, installed with apt-get and started from /usr/bin on a
#      virtual display (packaging/check-installed.sh),
#   6. last, all the tests of the full build, whose CTest summary closes
#      the output.
# TARNWELL_QUICK=1 skips steps 1 to 4 and the package of step 5.
# Installing the package puts /usr/bin/tarnwell and the rest in place.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

if [ "${TARNWELL_QUICK:-0}" != 1 ]; then
    echo "== Every suite under ASan + UBSan, the window's included"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWELL_WINDOW=ON \
        -DTARNWELL_SANITIZE=ON -DTARNWELL_WERROR=ON >/dev/null
    cmake --build build-asan -j "$jobs"
    # Leak detection stays on for the window suites too: Qt reports no leaks
    # of its own here, so nothing is suppressed.
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j "$jobs"

    echo "== Fuzz targets (bounded runs)"
    CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTARNWELL_WINDOW=OFF -DTARNWELL_TESTS=OFF -DTARNWELL_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs"
    "$top/fuzz/run-all.sh" build-fuzz "${TARNWELL_FUZZ_SECONDS:-20}"

    echo "== Windows cross-build of the Qt-free libraries"
    cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        -DTARNWELL_WINDOW=OFF -DTARNWELL_TESTS=OFF -DTARNWELL_WERROR=ON >/dev/null
    cmake --build build-mingw -j "$jobs"

    echo "== Win32 simulator link under Wine"
    "$top/tests/wine/run.sh" build-mingw
fi

echo "== Full build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWELL_WERROR=ON >/dev/null
cmake --build build -j "$jobs"

if [ "${TARNWELL_QUICK:-0}" != 1 ]; then
    echo "== Debian package: build, install, start the installed program"
    rm -f build/tarnwell_*.deb
    (cd build && cpack)
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
    bash packaging/check-installed.sh build/tarnwell_"$version"_*.deb "$version"
fi

echo "== Every test of the full build"
ctest --test-dir build --output-on-failure -j "$jobs"
