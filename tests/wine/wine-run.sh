#!/usr/bin/env bash
# Runs one Windows program of the cross-build under Wine, in a throw-away
# copy of the build's Wine prefix: whatever it writes into the registry (the
# window suites write Tarnwell's settings key) is its own and goes with it.
# CMake uses it as the emulator of the cross-build, so CTest runs every
# Windows test this way.
#
#   tests/wine/wine-run.sh TEMPLATE_PREFIX DLL_FOLDERS PLUGIN_FOLDER PROGRAM [ARGUMENT...]
#
# DLL_FOLDERS (colon-separated) are searched for the program's DLLs (Qt's
# and the compiler's), PLUGIN_FOLDER holds Qt's plug-ins. The template is
# made by tests/wine/prefix.sh. Window programs need an X display
# (tests/wine/run-windows-tests.sh provides one).
set -euo pipefail
template=$1 dll_folders=$2 plugin_folder=$3
shift 3

here=$(cd "$(dirname "$0")" && pwd)
"$here/prefix.sh" "$template" >&2

windows_path() {  # a Unix path as Wine's drive Z: sees it
    printf 'Z:%s' "${1//\//\\}"
}
path=""
IFS=: read -ra folders <<<"$dll_folders"
for folder in "${folders[@]}"; do
    path+="${path:+;}$(windows_path "$folder")"
done

. "$here/wine-env.sh"
use_throwaway_prefix "$template"
export WINEPATH=$path
export QT_PLUGIN_PATH
QT_PLUGIN_PATH=$(windows_path "$plugin_folder")
status=0
wine "$@" || status=$?
exit "$status"
