# Sourced by the Wine scripts of this folder: the environment every Wine run
# of the checks uses, and throw-away copies of the build's prefix.
#   . tests/wine/wine-env.sh
export WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer dialogs in a new prefix (nobody could answer
# them), and no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe="

# use_throwaway_prefix TEMPLATE: WINEPREFIX becomes a fresh copy of the
# prefix TEMPLATE, whose Wine processes are ended and which is removed when
# the script exits. Whatever a program writes into its registry goes with it.
use_throwaway_prefix() {
    throwaway_prefix=$(mktemp -d "${TMPDIR:-/tmp}/tarnwell-wine.XXXXXX")
    trap 'WINEPREFIX=$throwaway_prefix wineserver --kill 2>/dev/null || true
          WINEPREFIX=$throwaway_prefix timeout 60 wineserver --wait 2>/dev/null || true
          rm -rf "$throwaway_prefix"' EXIT
    cp -a "$1/." "$throwaway_prefix/"
    export WINEPREFIX=$throwaway_prefix
}
