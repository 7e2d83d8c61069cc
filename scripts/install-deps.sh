#!/usr/bin/env bash
# Installs the Debian packages of debian-packages.txt that are not installed
# yet, from the sections asked for:
#   install-deps.sh            [run]: building and running the planner
#   install-deps.sh --windows  [run] and [windows]: the Windows cross-build
#   install-deps.sh --test     all sections: everything the tests need
# The packages of [flightgear] come without their recommended packages
# (which would add gigabytes). Does nothing (and needs no network) when all
# are present.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

sections=(run)
case "${1:-}" in
"") ;;
--windows) sections+=(windows) ;;
--test) sections+=(windows test flightgear) ;;
*)
    echo "usage: install-deps.sh [--windows|--test]" >&2
    exit 2
    ;;
esac

wanted=()
wanted_plain=()
section=""
while IFS= read -r line; do
    line=${line%%#*}
    line=${line//[[:space:]]/}
    [ -n "$line" ] || continue
    if [[ $line =~ ^\[(.*)\]$ ]]; then
        section=${BASH_REMATCH[1]}
    elif [ "$section" = flightgear ] && [[ " ${sections[*]} " == *" $section "* ]]; then
        wanted_plain+=("$line")
    elif [[ " ${sections[*]} " == *" $section "* ]]; then
        wanted+=("$line")
    fi
done <"$here/debian-packages.txt"

# The packages of the list given that are not installed yet.
missing_of() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            echo "$package"
        fi
    done
}
mapfile -t missing < <(missing_of "${wanted[@]}")
mapfile -t missing_plain < <(missing_of "${wanted_plain[@]}")
((${#missing[@]} + ${#missing_plain[@]} == 0)) && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]} ${missing_plain[*]}"
$sudo apt-get update -qq
if ((${#missing[@]} > 0)); then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if ((${#missing_plain[@]} > 0)); then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing_plain[@]}" >/dev/null
fi
