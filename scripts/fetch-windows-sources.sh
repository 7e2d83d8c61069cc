#!/usr/bin/env bash
# Fetches the headers the Windows cross-build of the simulator link takes
# from Debian: cpp-httplib's single header from Debian's cpp-httplib source
# package (Debian's own libcpp-httplib-dev holds a compiled Linux library
# whose header only declares, of no use to MinGW) and nlohmann-json's
# headers from the installed nlohmann-json3-dev (headers only, any
# architecture).
#
# The result lives outside the checkout, in the same cache root as Qt for
# Windows (scripts/build-qt-windows.sh), in a folder keyed by both package
# versions; a complete folder makes this a no-op. It prints the folder as
# its last line: it holds httplib.h and nlohmann/, so it is both
#   -DTARNWELL_HTTPLIB_DIR=<folder> and -DTARNWELL_JSON_DIR=<folder>.
#
#   scripts/fetch-windows-sources.sh            fetch (or find), print folder
#   scripts/fetch-windows-sources.sh --prefix   print the folder only
set -euo pipefail

httplib_version=$(dpkg-query -W -f='${Version}' libcpp-httplib-dev 2>/dev/null || true)
json_version=$(dpkg-query -W -f='${Version}' nlohmann-json3-dev 2>/dev/null || true)
if [ -z "$httplib_version" ] || [ -z "$json_version" ]; then
    echo "fetch-windows-sources: libcpp-httplib-dev and nlohmann-json3-dev must be installed" \
        "(scripts/install-deps.sh)" >&2
    exit 1
fi

cache_root=${TARNWELL_QT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnwell/qt-windows}
folder="$cache_root/web-headers-cpp-httplib-${httplib_version//[:+~]/_}-json-${json_version//[:+~]/_}"

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

echo "== cpp-httplib $httplib_version for Windows: fetching the source" >&2
# A private apt configuration with source entries derived from the
# machine's own Debian sources: nothing system-wide changes.
apt_dir="$work/apt"
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
: >"$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed 's/^Types:.*$/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
    sed -n 's/^deb \(.*\)$/deb-src \1/p' /etc/apt/sources.list >"$apt_dir/sources.list"
fi
apt_options=(
    -o "Dir::Etc::SourceList=$apt_dir/sources.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache"
)
apt-get "${apt_options[@]}" update -qq >&2
(cd "$work" && apt-get "${apt_options[@]}" source -qq --download-only \
    "cpp-httplib=$httplib_version" >&2)
dsc=$(ls "$work"/cpp-httplib_*.dsc)
dpkg-source --no-check -x "$dsc" "$work/src" >/dev/null

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
cp -r /usr/include/nlohmann "$folder/nlohmann"
cp /usr/share/doc/nlohmann-json3-dev/copyright "$folder/LICENSE.nlohmann-json"
date -u +%FT%TZ >"$folder/.complete"
rm -rf "$work"
echo "$folder"
