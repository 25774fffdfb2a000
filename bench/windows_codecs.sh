#!/usr/bin/env bash
# The writers as the scan utility runs them: `corvimg` of each Windows build
# this host can run (under Wine) against the native build, on the same
# 600 dpi A4 pages. Each side runs the command RUNS times in one process
# and the fastest run counts (no process or Wine start-up is timed); the
# files are compared byte for byte, so both builds must write the same.
#
# usage: bench/windows_codecs.sh [RUNS]     (default 5)
#   Builds corvimg in build/native, build/win32 and build/win64 as needed;
#   win32 is timed only where this host runs 32-bit programs.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
export CCACHE_BASEDIR=$src CCACHE_NOHASHDIR=true

presets=(win64)
[ "$("$src/scripts/windows-preset")" = win32 ] && presets=(win32 win64)
for preset in native "${presets[@]}"; do
  [ -f "$src/build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build "$src/build/$preset" --target corvimg -j2 >/dev/null
done

work=$(mktemp -d "${TMPDIR:-/tmp}/windows_codecs.XXXXXX")
trap 'for p in "${presets[@]}"; do CORV_BUILD_DIR=$src/build/$p "$src/cmake/wine-run" --stop; done
      rm -rf "$work"' EXIT
for preset in "${presets[@]}"; do CORV_BUILD_DIR=$src/build/$preset "$src/cmake/wine-run" --start; done

printf 'Generating 4960 x 7016 (A4, 600 dpi) pages...\n'
for kind in rgb:ppm gray:pgm bilevel:pbm; do
  python3 "$src/bench/tiff_page.py" "${kind%%:*}" "$work/page.${kind##*:}"
done

# timed BUILD OUT ARGS...: the fastest of $runs runs of corvimg ARGS writing OUT.
timed() {
  local preset=$1 out=$2
  shift 2
  if [ "$preset" = native ]; then
    "$src/build/native/tools/corvimg/corvimg" --repeat "$runs" "$@"
  else
    (cd "$work" && CORV_BUILD_DIR=$src/build/$preset "$src/cmake/wine-run" \
      "$src/build/$preset/tools/corvimg/corvimg.exe" --repeat "$runs" "$@") | tr -d '\r'
  fi
  mv "$work/$out" "$work/$out.$preset"
}

printf '\n%-20s %10s' case "native s"
for p in "${presets[@]}"; do printf ' %10s %12s' "$p s" "$p/native"; done
printf '\n'
# Relative names: the same command line reaches both builds' file layers.
bench_case() {
  local name=$1 out=$2
  shift 2
  local t_native
  t_native=$(timed native "$out" "$@")
  printf '%-20s %10.3f' "$name" "$t_native"
  for p in "${presets[@]}"; do
    local t
    t=$(timed "$p" "$out" "$@")
    cmp -s "$work/$out.native" "$work/$out.$p" ||
      { printf '\nwindows_codecs: %s writes another file than native for %s\n' "$p" "$name" >&2; exit 1; }
    printf ' %10.3f %12.2f' "$t" "$(echo "$t / $t_native" | bc -l)"
  done
  printf '\n'
}
cd "$work"
bench_case "jpeg rgb quality 2" o.jpg jpeg --dpi 600 --quality 2 o.jpg page.ppm
bench_case "jpeg gray quality 2" o.jpg jpeg --dpi 600 --quality 2 o.jpg page.pgm
bench_case "tiff lzw gray" o.tif tiff --dpi 600 --compression lzw o.tif page.pgm
bench_case "tiff g4 bilevel" o.tif tiff --dpi 600 --compression g4 o.tif page.pbm
bench_case "pdf jpeg rgb" o.pdf pdf --color jpeg --quality 2 --dpi 600 o.pdf page.ppm
bench_case "pdf g4 bilevel" o.pdf pdf --bilevel g4 --dpi 600 o.pdf page.pbm
