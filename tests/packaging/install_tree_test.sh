#!/usr/bin/env bash
# Installs the build into a temporary root with the package's prefix (/usr)
# and checks what lands there: exactly the expected files, a desktop entry
# whose program and icon are installed, icons from the program's own art, and
# metainfo that names the desktop entry, the project's version and the About
# box's web address. With the validators given, the installed desktop entry
# and the tree as a whole (metainfo, desktop entry and icons together) must
# pass them.
#   install_tree_test.sh BUILD_DIR SOURCE_DIR VERSION APP_ID [APPSTREAMCLI] [DESKTOP_FILE_VALIDATE]
set -uo pipefail
build=$1
source=$2
version=$3
id=$4
appstreamcli=${5:-}
desktop_file_validate=${6:-}

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

if ! DESTDIR=$root "${CMAKE:-cmake}" --install "$build" --prefix /usr >"$root.log" 2>&1; then
    cat "$root.log"
    rm -f "$root.log"
    echo "FAIL: cmake --install"
    exit 1
fi
rm -f "$root.log"
usr=$root/usr

# Exactly these files, nothing else (no libraries but the program's own
# fetch module, no headers or test programs).
expected="bin/tarnwell
bin/tarnwell-link
bin/tarnwell-sim
bin/tarnwell-xplane
lib/tarnwell/tarnwell-fetch.so
share/applications/$id.desktop"
for size in 128 16 24 256 32 48 64; do
    expected+=$'\n'"share/icons/hicolor/${size}x${size}/apps/$id.png"
done
expected+=$'\n'"share/icons/hicolor/scalable/apps/$id.svg
share/metainfo/$id.metainfo.xml"
found=$(cd "$root" && find . -mindepth 1 -not -type d | sed 's|^\./usr/||' | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<<"$expected")
if [ "$found" != "$expected" ]; then
    fail "installed files differ from the expected ones:"
    diff <(echo "$expected") <(echo "$found") | sed 's/^/    /'
fi
for program in tarnwell tarnwell-sim tarnwell-link tarnwell-xplane; do
    [ -x "$usr/bin/$program" ] || fail "bin/$program is not executable"
done

# The desktop entry starts an installed program and names the installed icon.
entry=$usr/share/applications/$id.desktop
key() { sed -n "s/^$1=//p" "$entry"; }
exec_program=$(key Exec | cut -d' ' -f1)
[ -n "$exec_program" ] && [ -x "$usr/bin/$exec_program" ] ||
    fail "Exec=$(key Exec) is not an installed program"
[ "$(key Icon)" = "$id" ] || fail "Icon=$(key Icon), expected $id"
[ "$(key Type)" = Application ] || fail "Type=$(key Type)"
cmp -s "$usr/share/icons/hicolor/scalable/apps/$id.svg" "$source/src/window/art/tarnwell.svg" ||
    fail "the scalable icon is not the program's own tarnwell.svg"

# The metainfo: configured, tied to the desktop entry, this version, and the
# web address that the About box shows.
metainfo=$usr/share/metainfo/$id.metainfo.xml
grep -q '@' "$metainfo" && fail "metainfo has an unconfigured @VARIABLE@: $(grep '@' "$metainfo")"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo's <id> is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"
releases=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1)
[ "$releases" = "<release version=\"$version\"" ] ||
    fail "newest metainfo release is ${releases:-missing}, expected $version"
about_address=$(sed -n 's/.*ProductWebAddress = "\([^"]*\)".*/\1/p' \
    "$build/src/window/include/window/version.h")
[ -n "$about_address" ] || fail "no ProductWebAddress in the generated window/version.h"
grep -q "<url type=\"homepage\">$about_address</url>" "$metainfo" ||
    fail "metainfo's homepage is not the About box's $about_address"
grep -q "<image type=\"source\"[^>]*>$about_address/docs/screenshot.png</image>" "$metainfo" ||
    fail "metainfo's screenshot is not $about_address/docs/screenshot.png"
[ -f "$source/docs/screenshot.png" ] || fail "docs/screenshot.png, which the metainfo shows, is missing"

if [ -n "$desktop_file_validate" ]; then
    out=$("$desktop_file_validate" "$entry" 2>&1)
    [ -z "$out" ] || fail "desktop-file-validate on the installed entry: $out"
fi
if [ -n "$appstreamcli" ]; then
    "$appstreamcli" validate-tree --no-net --strict "$usr" >"$root/validate.log" 2>&1 ||
        fail "appstreamcli validate-tree: $(cat "$root/validate.log")"
fi

if ((failures > 0)); then
    echo "$failures failed"
    exit 1
fi
echo "installed tree: as expected"
