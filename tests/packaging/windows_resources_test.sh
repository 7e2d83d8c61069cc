#!/usr/bin/env bash
# tarnwell.exe as Windows sees it before it runs: a GUI program (no console
# window) carrying the version of the project() line, its manifest and the
# icon in all seven sizes.
#   windows_resources_test.sh TARNWELL.EXE OBJDUMP VERSION ICO
set -uo pipefail
exe=$1 objdump=$2 version=$3 ico=$4
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

headers=$("$objdump" -p "$exe")
wide_texts=$(strings -el "$exe")
texts=$(strings "$exe")
grep -Eq 'Subsystem[[:space:]]+00000002' <<<"$headers" || fail "not a GUI program (subsystem 2)"
grep -qx "$version" <<<"$wide_texts" || fail "no version $version in the version information"
for setting in PerMonitorV2 Microsoft.Windows.Common-Controls asInvoker \
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
    grep -qF "$setting" <<<"$texts" || fail "the manifest lacks $setting"
done
# The icon file: seven images, the largest 256 pixels (written as 0).
[ "$(od -An -tx1 -j4 -N2 "$ico" | tr -d ' \n')" = 0700 ] || fail "the icon does not hold 7 images"
[ "$(od -An -tx1 -j$((6 + 16 * 6)) -N1 "$ico" | tr -d ' \n')" = 00 ] ||
    fail "the icon's seventh image is not 256 pixels"

((failures == 0)) || exit 1
echo "Windows resources: GUI program, version $version, manifest, icon"
