#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   1. every suite, the window's included, under AddressSanitizer +
#      UndefinedBehaviorSanitizer (build-asan/),
#   2. each fuzz target for a short bounded run (build-fuzz/, clang),
#   3. the Windows program (build-windows/, scripts/build-windows.sh: Qt for
#      Windows from the cache or built into it, the program, the zip and the
#      installer), then under Wine on a virtual display: the simulator link
#      check, every Windows suite, the program end to end and the installer
#      (tests/wine/run.sh, tests/wine/run-windows-tests.sh),
#   4. the full build with warnings as errors (build/) and its Debian
#      package; with TARNWELL_INSTALL_PACKAGE=1 (CI sets it) the package is
#      also installed with apt-get, replacing /usr/bin/tarnwell, and started
#      on a virtual display (packaging/check-installed.sh),
#   5. last, all the tests of the full build, whose CTest summary closes
#      the output (the per-label times, which would follow it, are left out).
# First of all, every C++ file must be as clang-format writes it
# (scripts/check-format.sh). TARNWELL_QUICK=1 skips steps 1 to 3 and the
# package of step 4.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/install-deps.sh" --test

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
step() {
    echo "== $1"
    step_started=$(date +%s)
}
step_done() {
    echo "   ($(($(date +%s) - step_started)) s)"
}

step "Formatting (clang-format)"
"$top/scripts/check-format.sh"
step_done

if [ "${TARNWELL_QUICK:-0}" != 1 ]; then
    step "Every suite under ASan + UBSan, the window's included"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNWELL_WINDOW=ON \
        -DTARNWELL_SANITIZE=ON -DTARNWELL_WERROR=ON >/dev/null
    cmake --build build-asan -j "$jobs"
    # Leak detection stays on for the window suites too: Qt reports no leaks
    # of its own here, so nothing is suppressed.
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j "$jobs"
    step_done

    step "Fuzz targets (bounded runs)"
    CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTARNWELL_WINDOW=OFF -DTARNWELL_TESTS=OFF -DTARNWELL_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs"
    "$top/fuzz/run-all.sh" build-fuzz "${TARNWELL_FUZZ_SECONDS:-20}"
    step_done

    step "Windows program: Qt for Windows, cross-build, zip and installer"
    "$top/scripts/build-windows.sh" "$top/build-windows"
    step_done

    step "Windows: the simulator link under Wine"
    "$top/tests/wine/run.sh" build-windows
    step_done

    step "Windows: suites, end to end and installer under Wine"
    (unset QT_QPA_PLATFORM && "$top/tests/wine/run-windows-tests.sh" build-windows)
    step_done
fi

step "Full build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWELL_WERROR=ON >/dev/null
cmake --build build -j "$jobs"
step_done

if [ "${TARNWELL_QUICK:-0}" != 1 ]; then
    step "Debian package"
    rm -f build/tarnwell_*.deb
    (cd build && cpack >/dev/null)
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
    ls build/tarnwell_"$version"_*.deb
    if [ "${TARNWELL_INSTALL_PACKAGE:-0}" = 1 ]; then
        bash packaging/check-installed.sh build/tarnwell_"$version"_*.deb "$version"
    else
        echo "   (not installed: TARNWELL_INSTALL_PACKAGE=1 installs and checks it)"
    fi
    step_done
fi

echo "== Every test of the full build"
ctest --test-dir build --output-on-failure -j "$jobs" --no-label-summary
