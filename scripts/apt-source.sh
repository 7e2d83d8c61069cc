#!/usr/bin/env bash
# Fetches and unpacks one Debian source package, for the Windows build's
# own copies of what Debian builds for Linux only:
#   scripts/apt-source.sh PACKAGE=VERSION WORK_FOLDER
# unpacks it into WORK_FOLDER/src. It uses a private apt configuration whose
# source entries come from the machine's own Debian sources, so nothing
# system-wide changes.
set -euo pipefail
package=$1
work=$2

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
(cd "$work" && apt-get "${apt_options[@]}" source -qq --download-only "$package" >&2)
dsc=$(ls "$work"/"${package%%=*}"_*.dsc)
dpkg-source --no-check -x "$dsc" "$work/src" >/dev/null
