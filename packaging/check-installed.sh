#!/usr/bin/env bash
# Installs the Debian package that cpack built and checks the installed
# program as a user would meet it: /usr/bin/tarnwell, started on a virtual X
# display (xvfb-run), must show its window "Boeing Tarnwell" with the class
# that its desktop entry names, end when its "E&xit" button is pressed
# (Alt+X, typed with xdotool) with exit status 0, and save its inputs on the
# way out. It runs with a throw-away HOME, XDG_CONFIG_HOME and
# XDG_RUNTIME_DIR, so no real settings are touched, and every wait is
# bounded; nothing it starts is left running.
#
#   packaging/check-installed.sh PACKAGE.deb VERSION
set -euo pipefail

WindowTitle='Boeing Tarnwell'
WindowWaitSeconds=30  # from start to the window on screen
ExitWaitSeconds=15    # from Alt+X to the end of the process

fail() {
    echo "check-installed: $*" >&2
    exit 1
}

# The part that runs on the virtual display (started below by xvfb-run).
on_display() {
    local log=$1
    /usr/bin/tarnwell >"$log" 2>&1 &
    local pid=$!
    trap 'kill "$pid" 2>/dev/null || true' EXIT

    local wid
    wid=$(timeout "$WindowWaitSeconds" xdotool search --sync --onlyvisible \
        --name "^${WindowTitle}\$" | head -n 1) || true
    [ -n "$wid" ] || fail "no visible window \"$WindowTitle\" within ${WindowWaitSeconds} s"
    [ "$(xdotool getwindowpid "$wid")" = "$pid" ] ||
        fail "the window \"$WindowTitle\" is not the started program's"
    local WIDTH=0 HEIGHT=0 X Y SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$wid")"
    ((WIDTH > 100 && HEIGHT > 100)) || fail "the window is only ${WIDTH}x${HEIGHT}"
    # Desktops on X11 tie the window to its desktop entry by its class.
    local class
    class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/org.tarnwell.Tarnwell.desktop)
    xdotool search --class "^${class}\$" | grep -qx "$wid" ||
        fail "the window's class is not \"$class\", the desktop entry's StartupWMClass"
    echo "window \"$WindowTitle\" shown, ${WIDTH}x${HEIGHT}, class $class"

    timeout 10 xdotool windowfocus --sync "$wid" || fail "cannot give the window the focus"
    timeout 10 xdotool key --clearmodifiers alt+x || fail "cannot type Alt+X"

    local waited=0
    while kill -0 "$pid" 2>/dev/null; do
        ((waited < ExitWaitSeconds * 10)) || fail "still running ${ExitWaitSeconds} s after Alt+X"
        sleep 0.1
        waited=$((waited + 1))
    done
    local status=0
    wait "$pid" || status=$?
    trap - EXIT
    ((status == 0)) || fail "ended with exit status $status"
    echo "closed with Alt+X, exit status 0"
}

if [ "${1:-}" = --on-display ]; then
    on_display "$2"
    exit 0
fi

(($# == 2)) || fail "usage: check-installed.sh PACKAGE.deb VERSION"
deb=$(realpath "$1")
version=$2
[ -f "$deb" ] || fail "no package $1"

for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/install-deps.sh installs it)"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
# --reinstall: a package of the same version may be installed already, from
# an earlier build.
echo "installing $(basename "$deb")"
if ! DEBIAN_FRONTEND=noninteractive timeout 600 $sudo apt-get install -y --reinstall \
    -o DPkg::Lock::Timeout=120 "$deb" >"$work/apt.log" 2>&1; then
    cat "$work/apt.log" >&2
    fail "apt-get could not install $deb"
fi

[ "$(dpkg-query -W -f='${Version}' tarnwell)" = "$version" ] ||
    fail "installed version is not $version"
[ "$(dpkg-query -S /usr/bin/tarnwell | cut -d: -f1)" = tarnwell ] ||
    fail "/usr/bin/tarnwell does not come from the package"
for file in /usr/bin/tarnwell-sim /usr/share/applications/org.tarnwell.Tarnwell.desktop \
    /usr/share/icons/hicolor/scalable/apps/org.tarnwell.Tarnwell.svg \
    /usr/share/icons/hicolor/48x48/apps/org.tarnwell.Tarnwell.png; do
    [ -f "$file" ] || fail "$file is not installed"
done
grep -q "<release version=\"$version\"" /usr/share/metainfo/org.tarnwell.Tarnwell.metainfo.xml ||
    fail "the installed metainfo does not name release $version"

mkdir -p "$work/home" "$work/config" "$work/runtime"
chmod 700 "$work/runtime"
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export QT_QPA_PLATFORM=xcb

# timeout ends the whole process group (xvfb-run, Xvfb and the program)
# should anything hang.
status=0
timeout -k 5 $((WindowWaitSeconds + ExitWaitSeconds + 60)) \
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    bash "$0" --on-display "$work/tarnwell.log" || status=$?
if ((status != 0)); then
    [ -s "$work/tarnwell.log" ] && sed 's/^/  tarnwell: /' "$work/tarnwell.log" >&2
    fail "the installed program failed its check (status $status)"
fi

grep -q '^\[Settings\]' "$XDG_CONFIG_HOME/Tarnwell/Tarnwell.conf" ||
    fail "no settings saved in \$XDG_CONFIG_HOME/Tarnwell/Tarnwell.conf on exit"
echo "installed package $version: window shown, closed cleanly, settings saved"
