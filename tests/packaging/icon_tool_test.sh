#!/usr/bin/env bash
# tarnwell-icons: writes exactly the sizes asked for under SIZExSIZE/apps/,
# and refuses bad arguments and unreadable or unwritable files with a
# non-zero status and without writing anything.
#   icon_tool_test.sh TARNWELL_ICONS ICON.svg
set -uo pipefail
tool=$1
svg=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

check() {  # check DESCRIPTION EXPECTED_STATUS ARGUMENT...
    local what=$1 expected=$2
    shift 2
    "$tool" "$@" >"$work/out" 2>&1
    local status=$?
    if ((status != expected)); then
        echo "FAIL: $what: status $status, expected $expected"
        sed 's/^/    /' "$work/out"
        failures=$((failures + 1))
    fi
}

check "two sizes" 0 "$svg" "$work/icons" some.icon 20 300
found=$(cd "$work/icons" && find . -type f | sort | tr '\n' ' ')
if [ "$found" != "./20x20/apps/some.icon.png ./300x300/apps/some.icon.png " ]; then
    echo "FAIL: two sizes wrote: $found"
    failures=$((failures + 1))
fi
for file in "$work"/icons/*/apps/some.icon.png; do
    if [ "$(head -c 8 "$file" | od -An -tx1 | tr -d ' \n')" != 89504e470d0a1a0a ]; then
        echo "FAIL: $file is not a PNG"
        failures=$((failures + 1))
    fi
done

rm -rf "$work/icons"
check "no size" 2 "$svg" "$work/icons" some.icon
check "size zero" 2 "$svg" "$work/icons" some.icon 0
check "size too large" 2 "$svg" "$work/icons" some.icon 1025
check "size not a number" 2 "$svg" "$work/icons" some.icon 16 big
check "name with a folder" 2 "$svg" "$work/icons" apps/some.icon 16
check "empty name" 2 "$svg" "$work/icons" "" 16
check "missing SVG" 1 "$work/none.svg" "$work/icons" some.icon 16
printf 'not a picture\n' >"$work/bad.svg"
check "SVG that is not one" 1 "$work/bad.svg" "$work/icons" some.icon 16
if [ -e "$work/icons" ]; then
    echo "FAIL: a refused run wrote $(cd "$work" && find icons -type f)"
    failures=$((failures + 1))
fi
touch "$work/file"
check "output under a file" 1 "$svg" "$work/file/icons" some.icon 16

# One picture at a given size (the banner at 1x and 2x).
check "picture" 0 --picture "$svg" "$work/picture.png" 40 20
if [ "$(od -An -tx1 -j16 -N8 "$work/picture.png" | tr -d ' \n')" != 0000002800000014 ]; then
    echo "FAIL: the picture is not a 40 x 20 PNG"
    failures=$((failures + 1))
fi
check "raw pixels" 0 --picture "$svg" "$work/picture.rgb32" 40 20
[ "$(stat -c %s "$work/picture.rgb32")" = 3200 ] || {
    echo "FAIL: picture.rgb32 is not 40 x 20 pixels of 4 bytes"
    failures=$((failures + 1))
}
check "picture without a height" 2 --picture "$svg" "$work/picture.png" 40
check "picture of width zero" 2 --picture "$svg" "$work/picture.png" 0 20

# A Windows icon: the ICO header, then one directory entry per size, a
# 256-pixel side written as 0.
check "icon file" 0 --ico "$svg" "$work/some.ico" 16 256
if [ "$(od -An -tx1 -N8 "$work/some.ico" | tr -d ' \n')" != 0000010002001010 ] ||
    [ "$(od -An -tx1 -j22 -N2 "$work/some.ico" | tr -d ' \n')" != 0000 ]; then
    echo "FAIL: some.ico is not an icon of 16 and 256 pixels"
    failures=$((failures + 1))
fi
check "icon larger than 256" 2 --ico "$svg" "$work/big.ico" 257
check "icon without sizes" 2 --ico "$svg" "$work/none.ico"
check "icon from a bad SVG" 1 --ico "$work/bad.svg" "$work/bad.ico" 16

if ((failures > 0)); then
    echo "$failures failed"
    exit 1
fi
echo "icon tool: all cases passed"
