#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian's qt6-base source, so
# that the whole program can be cross-built and tested under Wine on Linux.
#
# The result lives outside the checkout, in a cache folder keyed by the Qt
# version and the options below; a complete cache makes this a no-op. It
# prints the installed prefix as its last line.
#
#   scripts/build-qt-windows.sh            build (or find) Qt, print prefix
#   scripts/build-qt-windows.sh --prefix   print the prefix only, build nothing
#
# Shared libraries, laid out as Qt's deployment tool would, are what Windows
# users get: Qt6Core/Gui/Widgets.dll beside the program, platforms/ and
# styles/ plug-ins below it. That keeps Qt's LGPL terms simple (the user can
# swap the DLLs).
#
# Only what the program and its tests use is built: Core, Gui, Widgets,
# Network (the dispatch plan's HTTPS fetch, over Windows' own TLS, Schannel:
# no OpenSSL to ship), Test, the windows platform plug-in and the Windows
# styles. Debian removed the Windows tablet headers from its source, hence
# -no-feature-tabletevent.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$qt_version" ]; then
    echo "build-qt-windows: qt6-base-dev is not installed (scripts/install-deps.sh)" >&2
    exit 1
fi

configure_options=(
    -release -shared
    -xplatform win32-g++
    -qt-host-path /usr
    -nomake examples -nomake tests
    -no-feature-tabletevent
    -no-opengl -no-dbus -no-icu
    -no-feature-sql -no-feature-printsupport
    -schannel -no-openssl -no-feature-gssapi -no-feature-libproxy -no-feature-brotli
    -no-feature-concurrent -no-feature-xml
    -no-freetype -no-fontconfig -no-harfbuzz
    -qt-zlib -qt-libpng -qt-pcre -no-libjpeg
)
# The cache key covers the Qt version, these options and the cross
# compiler's version, so a change to any of them builds afresh.
compiler_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion 2>/dev/null || echo none)
key=$(printf '%s\n' "$qt_version" "$compiler_version" "${configure_options[@]}" | sha256sum | cut -c1-12)
cache_root=${TARNWELL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell/qt-windows}
prefix="$cache_root/${qt_version//[:+~]/_}-$key"

if [ "${1:-}" = --prefix ]; then
    echo "$prefix"
    exit 0
fi

# A build that completed writes this stamp last; anything without it is a
# half-done attempt and is built again.
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work="$cache_root/work-$key"
rm -rf "$work" "$prefix"
mkdir -p "$work"

echo "== Qt $qt_version for Windows: fetching the source" >&2
"$top/scripts/apt-source.sh" "qt6-base=$qt_version" "$work"

echo "== Qt for Windows: configuring" >&2
toolchain="$top/cmake/mingw-w64.cmake"
mkdir -p "$work/build"
(
    cd "$work/build"
    "$work/src/configure" -prefix "$prefix" "${configure_options[@]}" -- \
        -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF >"$work/configure.log" 2>&1
) || {
    tail -40 "$work/configure.log" >&2
    exit 1
}

echo "== Qt for Windows: building (about 20 minutes on 2 cores)" >&2
start=$(date +%s)
cmake --build "$work/build" --parallel "$(nproc)" >"$work/build.log" 2>&1 || {
    tail -40 "$work/build.log" >&2
    exit 1
}
cmake --install "$work/build" >"$work/install.log" 2>&1
echo "== Qt for Windows: built in $(($(date +%s) - start)) s" >&2
date -u +%FT%TZ >"$prefix/.complete"
rm -rf "$work"
echo "$prefix"
