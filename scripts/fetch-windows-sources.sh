#!/usr/bin/env bash
# Fetches cpp-httplib's single header for the web simulators' links, from
# Debian's cpp-httplib source package of the version libcpp-httplib-dev
# names. Debian's own libcpp-httplib-dev holds a compiled library whose
# header only declares, of no use to MinGW, and which on Linux would bring
# OpenSSL and brotli into every start of the planner: both builds compile
# the single header instead (cmake/CppHttplib.cmake runs this script when
# configuring, scripts/build-windows.sh before).
#
# The result lives outside the checkout, in the same cache root as Qt for
# Windows (scripts/build-qt-windows.sh), in a folder keyed by the package
# version; a complete folder makes this a no-op. It prints the folder (for
# -DTARNWELL_HTTPLIB_DIR) as its last line.
#
#   scripts/fetch-windows-sources.sh            fetch (or find), print folder
#   scripts/fetch-windows-sources.sh --prefix   print the folder only
#
# With `pugixml` first, it does the same for pugixml's source (pugixml.cpp
# and its headers), which the Windows build compiles for the dispatch
# plan's XML; Linux links Debian's libpugixml.
#   scripts/fetch-windows-sources.sh pugixml [--prefix]
set -euo pipefail

cache_root=${TARNWELL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell/qt-windows}

if [ "${1:-}" = pugixml ]; then
    shift
    pugixml_version=$(dpkg-query -W -f='${Version}' libpugixml-dev 2>/dev/null || true)
    if [ -z "$pugixml_version" ]; then
        echo "fetch-windows-sources: libpugixml-dev must be installed (scripts/install-deps.sh)" >&2
        exit 1
    fi
    folder="$cache_root/pugixml-${pugixml_version//[:+~]/_}"
    if [ "${1:-}" = --prefix ] || [ -f "$folder/.complete" ]; then
        echo "$folder"
        exit 0
    fi
    work="$cache_root/work-pugixml"
    rm -rf "$work" "$folder"
    mkdir -p "$work" "$folder"
    echo "== pugixml $pugixml_version: fetching the source" >&2
    "$(dirname "$0")/apt-source.sh" "pugixml=$pugixml_version" "$work"
    cp "$work"/src/src/pugixml.cpp "$work"/src/src/pugixml.hpp "$work"/src/src/pugiconfig.hpp "$folder/"
    cp "$work/src/LICENSE.md" "$folder/LICENSE.pugixml.md" 2>/dev/null || true
    date -u +%FT%TZ >"$folder/.complete"
    rm -rf "$work"
    echo "$folder"
    exit 0
fi

httplib_version=$(dpkg-query -W -f='${Version}' libcpp-httplib-dev 2>/dev/null || true)
if [ -z "$httplib_version" ]; then
    echo "fetch-windows-sources: libcpp-httplib-dev must be installed (scripts/install-deps.sh)" >&2
    exit 1
fi

folder="$cache_root/cpp-httplib-${httplib_version//[:+~]/_}"

if [ "${1:-}" = --prefix ]; then
    echo "$folder"
    exit 0
fi

# A fetch that completed writes this stamp last; anything without it is a
# half-done attempt and is fetched again.
if [ -f "$folder/.complete" ]; then
    echo "$folder"
    exit 0
fi

work="$cache_root/work-web-headers"
rm -rf "$work" "$folder"
mkdir -p "$work"

echo "== cpp-httplib $httplib_version: fetching the source" >&2
"$(dirname "$0")/apt-source.sh" "cpp-httplib=$httplib_version" "$work"

# Debian's build splits the header into declarations and a library; the
# source keeps upstream's single header, which must hold the definitions
# (the client's Get among them) for a build without the library.
header="$work/src/httplib.h"
if ! grep -q '^inline Result ClientImpl::Get(const std::string &path)' "$header"; then
    echo "fetch-windows-sources: $header is not the header-only cpp-httplib" >&2
    exit 1
fi

mkdir -p "$folder"
cp "$header" "$folder/httplib.h"
cp "$work/src/LICENSE" "$folder/LICENSE.cpp-httplib"
date -u +%FT%TZ >"$folder/.complete"
rm -rf "$work"
echo "$folder"
