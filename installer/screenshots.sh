#!/usr/bin/env bash
# Renders what a user sees of setup.exe and its uninstaller on a virtual
# screen, as PNG files in OUTPUT_FOLDER: the refusal while the scan utility
# runs, the folder page, the last page of the setup, the uninstaller's first
# page and its last page (which says the settings stay). Pages are advanced
# with Enter, as their default buttons take it.
# usage: installer/screenshots.sh BUILD_DIR OUTPUT_FOLDER   (scripts/screenshots calls it)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1 out=$2
work=$build/installer/shots
rm -rf "$work"
mkdir -p "$work/home" "$out"
export CORV_BUILD_DIR=$build WINEPREFIX=$work/prefix CORV_WINE_HOME=$work/home
export CORV_WINE_DISPLAY=xvfb:ja_JP.UTF-8
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
# A program in the background is the Wine process itself (wine-run ends in
# exec), so that it can be ended by its id.
wine_run() { "$root/cmake/wine-run" "$@" </dev/null >/dev/null 2>&1; }
wine_start() { "$root/cmake/wine-run" "$@" </dev/null >/dev/null 2>&1 & }
DISPLAY=$("$root/cmake/wine-run" --display 2>/dev/null)
export DISPLAY
setup=$build/installer/setup.exe
program='C:\Program Files\Corvane QM'

# The window on screen, once it has settled.
shot() {
  sleep 3
  import -window root "$work/screen.png"
  convert "$work/screen.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}

wine_run "$setup" /S
wine_start "$program\\corvscan.exe"
utility=$!
sleep 3
wine_start "$setup"
refused=$!
shot setup-refused
xdotool key Return
wait "$refused" || true
kill "$utility"
wait "$utility" || true

wine_start "$setup"
running=$!
shot setup-folder
xdotool key Return
shot setup-finished
xdotool key Return
wait "$running"

# The uninstaller goes on in a copy of itself and returns at once.
wine_run "$program\\uninstall.exe"
shot uninstall-confirm
xdotool key Return
shot uninstall-finished
xdotool key Return
