#!/usr/bin/env bash
# The Windows program writes the load sheet from the command line under
# Wine, and the PDF it writes opens on Linux with the plan's figures in it.
#   loadsheet_check.sh TARNWELL.EXE SAMPLE EMULATOR...
set -euo pipefail
program=$1
sample=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows_path() { echo "Z:${1//\//\\}"; }

status=0
"$@" "$program" "--loadsheet=$(windows_path "$work/sheet.pdf")" \
    "--dispatch=$(windows_path "$sample")" >/dev/null 2>&1 || status=$?
[ "$status" = 0 ] || { echo "FAIL: tarnwell.exe --loadsheet ended with status $status"; exit 1; }
text=$(pdftotext "$work/sheet.pdf" -) || { echo "FAIL: the PDF does not open"; exit 1; }
for figure in "Zero fuel weight" "121300" "EGLL to LPPT"; do
    grep -qF "$figure" <<<"$text" || { echo "FAIL: '$figure' is not in the PDF"; exit 1; }
done
echo "the PDF written under Wine holds the plan"
