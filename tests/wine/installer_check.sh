#!/usr/bin/env bash
# The Windows installer under Wine, as a user meets it, in a throw-away copy
# of the build's Wine prefix (on the X display the caller provides):
#   - installed silently (/S) into a folder whose name has spaces and
#     letters outside ASCII: the files, the Start-menu shortcut and the
#     Apps & features entry are there;
#   - the installed program checked end to end (end_to_end_check.exe) from
#     that folder, with nothing but what the installer put there;
#   - installed again over a running Tarnwell, which is asked to close, so
#     it saves the inputs and the new files go in;
#   - installed over a Tarnwell whose message box holds its close back:
#     silently it gives up (status 2), Tarnwell left running; with its pages
#     (driven with xdotool) it says so and offers Retry, which, once the box
#     is answered, closes Tarnwell and installs; Finish starts Tarnwell;
#   - uninstalled silently: the files, the shortcut and the entry are gone,
#     the user's settings stay.
#
#   tests/wine/installer_check.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "${1:?usage: installer_check.sh BUILD_FOLDER}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
setup=$(ls "$build"/tarnwell-*-win64-setup.exe)

failures=0
fail() {
    echo "    FAILED: $*"
    failures=$((failures + 1))
}
# A step that fails outside the checks still says where.
trap 'echo "    FAILED: line $LINENO: a command ended with status $?" >&2' ERR

# set_key VALUE...: a registry change of the test's own, tried again while
# Wine's server is still busy with the processes of the step before.
set_key() {
    local try
    for try in 1 2 3 4 5; do
        wine reg "$@" /f >/dev/null 2>&1 && return 0
        sleep 1
    done
    echo "    FAILED: wine reg $*" >&2
    return 1
}

"$here/prefix.sh" "$build/wineprefix"
. "$here/wine-env.sh"
use_throwaway_prefix "$build/wineprefix"
prefix=$WINEPREFIX
unset WINEPATH QT_PLUGIN_PATH

user=$(ls "$prefix/drive_c/users" | grep -vx Public | head -n 1)
folder_windows="C:\\users\\$user\\Tärnwell Fuel Plänner"
folder="$prefix/drive_c/users/$user/Tärnwell Fuel Plänner"
shortcut="$prefix/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tarnwell.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwell'
settings_key='HKCU\Software\VB and VBA Program Settings\Tarnwell\Settings'

run() {  # run WINDOWS_COMMAND_LINE: runs it as written and waits; its status
    timeout 300 wine "$build/tests/wine/run_and_wait.exe" "$1"
}
# window PATTERN [EXCEPT]: the first visible window whose name matches
# PATTERN, other than the window EXCEPT, waited for up to a minute.
window() {
    local found
    for _ in $(seq 120); do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${2:-0}" | head -n 1)
        [ -n "$found" ] && echo "$found" && return 0
        sleep 0.5
    done
    return 1
}
press_return() {  # press_return WINDOW: Return, as typed into that window
    timeout 20 xdotool windowactivate --sync "$1" key Return
}
windows_setup="Z:${setup//\//\\}"

install() {  # a silent install into the folder; its exit status
    local status=0
    run "\"$windows_setup\" /S /D=$folder_windows" || status=$?
    timeout 120 wineserver --wait || true
    return "$status"
}

echo "[ run  ] silent install into \"$folder_windows\""
install || fail "the installer ended with status $?"
for file in tarnwell.exe uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    platforms/qwindows.dll libstdc++-6.dll readme.txt; do
    [ -f "$folder/$file" ] || fail "$file is not installed"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
wine reg query "$uninstall_key" /v UninstallString 2>/dev/null | grep -q 'uninstall.exe' ||
    fail "no Apps & features entry"
wine reg query "$uninstall_key" /v DisplayVersion 2>/dev/null | grep -q "$(basename "$setup" | cut -d- -f2)" ||
    fail "the Apps & features entry names another version"

echo "[ run  ] the installed program end to end"
timeout 600 wine "$build/tests/wine/end_to_end_check.exe" "$folder_windows\\tarnwell.exe" ||
    fail "the installed program failed its end-to-end check"
# Every input the program saved is REG_SZ text, as earlier versions wrote.
values=$(wine reg query "$settings_key" 2>/dev/null | grep -c 'REG_' || true)
text_values=$(wine reg query "$settings_key" 2>/dev/null | grep -c 'REG_SZ' || true)
((values == 11 && text_values == 11)) ||
    fail "$text_values of $values saved inputs are REG_SZ, expected 11 of 11"

echo "[ run  ] a second install over a running Tarnwell"
set_key add "$settings_key" /v Payload /t REG_SZ /d 1234
wine "$folder/tarnwell.exe" >/dev/null 2>&1 &
running=$!
if ! timeout 60 xdotool search --sync --onlyvisible --name '^Boeing Tarnwell$' >/dev/null; then
    fail "the installed program showed no window"
fi
# Gone from the registry now: only the close the installer asks for can
# bring the payload back.
set_key delete "$settings_key"
install || fail "the second install ended with status $?"
if kill -0 "$running" 2>/dev/null; then
    fail "the running Tarnwell was not closed by the installer"
    kill "$running" 2>/dev/null || true
fi
wine reg query "$settings_key" /v Payload 2>/dev/null | grep -q 'REG_SZ *1234' ||
    fail "the running Tarnwell did not save its inputs when asked to close"
[ -f "$folder/tarnwell.exe" ] || fail "tarnwell.exe is gone after the second install"

echo "[ run  ] an install over a Tarnwell whose message box holds its close back"
# A model and distance without trip data: Tarnwell starts with a box.
set_key add "$settings_key" /v Model /t REG_SZ /d 2
set_key add "$settings_key" /v TripDistance /t REG_SZ /d 48
wine "$folder/tarnwell.exe" >/dev/null 2>&1 &
running=$!
held=$(window '^Error$') || fail "Tarnwell showed no box at start-up"
status=0
run "\"$windows_setup\" /S /D=$folder_windows" || status=$?
((status == 2)) || fail "the silent install ended with status $status, not 2"
kill -0 "$running" 2>/dev/null || fail "the silent install ended the running Tarnwell"
set_key delete "$uninstall_key"
wine "$build/tests/wine/run_and_wait.exe" "\"$windows_setup\" /D=$folder_windows" >/dev/null 2>&1 &
setup_run=$!
if page=$(window '^Tarnwell .* Setup') && press_return "$page" &&
    retry=$(window '^Tarnwell .* Setup' "$page"); then
    kill -0 "$setup_run" 2>/dev/null || fail "the installer ended instead of offering Retry"
    press_return "$held" && press_return "$retry"
    timeout 60 tail --pid="$running" -f /dev/null || fail "Retry did not close Tarnwell"
    # The entry is written last: the finish page is up once it is back.
    for _ in $(seq 60); do
        wine reg query "$uninstall_key" >/dev/null 2>&1 && break
        sleep 1
    done
    set_key add "$settings_key" /v TripDistance /t REG_SZ /d 0
    sleep 2
    press_return "$page"
    window '^Boeing Tarnwell$' >/dev/null || fail "Finish did not start Tarnwell"
else
    fail "no installer page, or no Retry box when Tarnwell stayed open"
fi
timeout 60 tail --pid="$setup_run" -f /dev/null || fail "the installer did not end"
kill "$running" "$setup_run" 2>/dev/null || true

echo "[ run  ] silent uninstall"
# The uninstaller runs from a copy of itself in the temporary folder, so
# that it can remove its own file; waiting for the prefix's last process
# waits for that copy.
run "\"$folder_windows\\uninstall.exe\" /S" || fail "the uninstaller ended with status $?"
timeout 120 wineserver --wait || true
[ ! -e "$folder" ] || fail "left behind: $(cd "$folder" && find . | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu shortcut is still there"
if wine reg query "$uninstall_key" >/dev/null 2>&1; then
    fail "the Apps & features entry is still there"
fi
wine reg query "$settings_key" /v Payload 2>/dev/null | grep -q 'REG_SZ *1234' ||
    fail "uninstalling removed the user's settings"

if ((failures > 0)); then
    echo "installer under Wine: $failures failed"
    exit 1
fi
echo "installer under Wine: installed, checked, reinstalled over a running copy and over one held open, uninstalled"
