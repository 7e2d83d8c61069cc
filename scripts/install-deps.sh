#!/usr/bin/env bash
# Installs the Debian packages of debian-packages.txt that are not installed
# yet, from the sections asked for:
#   install-deps.sh            [run]: building and running the planner
#   install-deps.sh --windows  [run] and [windows]: the Windows cross-build
#   install-deps.sh --test     all sections: everything the tests need
# Does nothing (and needs no network) when all are present.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

sections=(run)
case "${1:-}" in
"") ;;
--windows) sections+=(windows) ;;
--test) sections+=(windows test) ;;
*)
    echo "usage: install-deps.sh [--windows|--test]" >&2
    exit 2
    ;;
esac

wanted=()
section=""
while IFS= read -r line; do
    line=${line%%#*}
    line=${line//[[:space:]]/}
    [ -n "$line" ] || continue
    if [[ $line =~ ^\[(.*)\]$ ]]; then
        section=${BASH_REMATCH[1]}
    elif [[ " ${sections[*]} " == *" $section "* ]]; then
        wanted+=("$line")
    fi
done <"$here/debian-packages.txt"

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
((${#missing[@]} == 0)) && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
