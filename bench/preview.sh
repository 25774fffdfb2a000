#!/usr/bin/env bash
# The preview on a real prescan: the source's peak committed memory during
# the prescan of an A4 colour page at 300 dpi from the simulator, and the
# time of one repaint at each zoom level, on a virtual screen under Wine.
#   bench/preview.sh     (builds what it needs in the Windows build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
preset=$("$root/scripts/windows-preset")
build=$root/build/$preset
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
cmake --build "$build" --target preview_bench >/dev/null
state=$build/simulator
"$root/tests/sim/simulator-ctl" start "$state" >/dev/null
export CORV_BUILD_DIR=$build CORV_WINE_DISPLAY=xvfb
trap '"$root/tests/sim/simulator-ctl" stop "$state"; "$root/cmake/wine-run" --stop >/dev/null 2>&1 || true' EXIT
"$root/cmake/wine-run" reg add 'HKCU\Software\Wine\AppDefaults\preview_bench.exe\DllOverrides' \
  /v twain_32 /d native,builtin /f >/dev/null
cd "$build/datasource/core/tests"
LC_ALL=C.UTF-8 "$root/cmake/wine-run" ./preview_bench.exe |
  grep -v '^\[' || true
