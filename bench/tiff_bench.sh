#!/usr/bin/env bash
# Times `corvimg tiff` against libtiff's tiffcp on a 600 dpi A4 page and
# prints the time ratio (corvimg / tiffcp; below 1 means corvimg is faster)
# and the size ratio of the files written.
#
# usage: bench/tiff_bench.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  native build tree holding tools/corvimg/corvimg
#              (default: build/native under the source tree)
#   RUNS       timed runs per case, the best one counts (default 5)
#
# tiffcp starts from an uncompressed TIFF of the same page, corvimg from the
# PNM page: both read the same raw pixels and write one compressed file.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init tiff_bench "$@"
command -v tiffcp >/dev/null || { echo "tiff_bench: tiffcp missing (libtiff-tools)" >&2; exit 2; }

printf 'Generating 4960 x 7016 (A4, 600 dpi) pages...\n'
python3 "$src/bench/tiff_page.py" bilevel "$work/page.pbm"
python3 "$src/bench/tiff_page.py" gray "$work/page.pgm"
"$corvimg" tiff --dpi 600 "$work/plain-bw.tif" "$work/page.pbm"
"$corvimg" tiff --dpi 600 "$work/plain-gray.tif" "$work/page.pgm"
# Warm the page cache so the first timed run is not a disk read.
cat "$work"/* >/dev/null

printf '\n%-22s %10s %10s %8s %10s\n' case "corvimg s" "tiffcp s" "time" "size"
printf '%-22s %10s %10s %8s %10s\n' "" "" "" "ratio" "ratio"

bench_case() {
  local name=$1 ours=$2 theirs=$3 input=$4 plain=$5
  local t_ours t_theirs
  t_ours=$(best_of "$corvimg" tiff --dpi 600 --compression "$ours" "$work/ours.tif" "$input")
  t_theirs=$(best_of tiffcp -c "$theirs" "$plain" "$work/theirs.tif")
  tiffinfo -D "$work/ours.tif" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
  printf '%-22s %10.3f %10.3f %8.2f %10.2f\n' "$name" "$t_ours" "$t_theirs" \
    "$(echo "$t_ours / $t_theirs" | bc -l)" \
    "$(echo "$(size_of "$work/ours.tif") / $(size_of "$work/theirs.tif")" | bc -l)"
}

bench_case "bilevel g4"       g4       g4       "$work/page.pbm" "$work/plain-bw.tif"
bench_case "bilevel g3"       g3       g3       "$work/page.pbm" "$work/plain-bw.tif"
bench_case "bilevel lzw"      lzw      lzw      "$work/page.pbm" "$work/plain-bw.tif"
bench_case "bilevel packbits" packbits packbits "$work/page.pbm" "$work/plain-bw.tif"
bench_case "bilevel none"     none     none     "$work/page.pbm" "$work/plain-bw.tif"
bench_case "gray lzw"         lzw      lzw      "$work/page.pgm" "$work/plain-gray.tif"
bench_case "gray packbits"    packbits packbits "$work/page.pgm" "$work/plain-gray.tif"
bench_case "gray none"        none     none     "$work/page.pgm" "$work/plain-gray.tif"
