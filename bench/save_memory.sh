#!/usr/bin/env bash
# Peak memory of the scan utility's page loop while it saves one 600 dpi
# A4 colour page (4960 x 7016, 104 MB of pixels) in each output type, and
# the same page twice as tall: equal peaks mean no page is held whole.
#
# usage: bench/save_memory.sh [BUILD_DIR]   (default: build/native)
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init save_memory "${1:-}" 1
tool=$build/bench/save_memory_bench
[ -x "$tool" ] || { echo "save_memory: no $tool (build the native preset first)" >&2; exit 2; }

printf '%-18s %14s %14s %8s %12s\n' type "A4 peak MB" "2xA4 peak MB" ratio "A4 pixels MB"
for type in 1 2 3 4; do
  case $type in 1) name=TIFF ext=tif ;; 2) name=JPEG ext=jpg ;;
    3) name="multi-page TIFF" ext=tif ;; 4) name=PDF ext=pdf ;; esac
  a4=$("$tool" "$type" 7016 "$work/a4.$ext")
  tall=$("$tool" "$type" 14032 "$work/tall.$ext")
  printf '%-18s %14.1f %14.1f %8.2f %12.1f\n' "$name" "$(echo "$a4 / 1024" | bc -l)" \
    "$(echo "$tall / 1024" | bc -l)" "$(echo "$tall / $a4" | bc -l)" \
    "$(echo "4960 * 7016 * 3 / 1048576" | bc -l)"
  rm -f "$work"/*
done
