#!/usr/bin/env bash
# Times `corvimg read` (the library's readers, pixels written as PNM)
# against libjpeg-turbo's djpeg on JPEG files and libtiff's `tiffcp -c none`
# on TIFF files, for 600 dpi A4 pages, and prints the time ratio (corvimg /
# theirs; below 1 means corvimg is faster).
#
# usage: bench/read_bench.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  native build tree holding tools/corvimg/corvimg
#              (default: build/native under the source tree)
#   RUNS       timed runs per case, the best one counts (default 5)
#
# JPEG files come from cjpeg (its defaults: 4:2:0, quality 75) and from
# corvimg itself; TIFF files from corvimg tiff. Both sides decode the same
# file and write the whole page uncompressed.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init read_bench "$@"
for tool in djpeg cjpeg tiffcp; do
  command -v $tool >/dev/null || { echo "read_bench: $tool missing" >&2; exit 2; }
done

printf 'Generating 4960 x 7016 (A4, 600 dpi) pages...\n'
python3 "$src/bench/tiff_page.py" rgb "$work/page.ppm"
python3 "$src/bench/tiff_page.py" gray "$work/page.pgm"
python3 "$src/bench/tiff_page.py" bilevel "$work/page.pbm"
cjpeg -outfile "$work/cjpeg-rgb.jpg" "$work/page.ppm"
cjpeg -outfile "$work/cjpeg-gray.jpg" "$work/page.pgm"
"$corvimg" jpeg --dpi 600 "$work/ours-rgb.jpg" "$work/page.ppm"
for c in none g3 g4 lzw packbits; do
  "$corvimg" tiff --dpi 600 --compression $c "$work/bw-$c.tif" "$work/page.pbm"
done
for c in none lzw packbits jpeg; do
  "$corvimg" tiff --dpi 600 --compression $c "$work/gray-$c.tif" "$work/page.pgm"
done
"$corvimg" tiff --dpi 600 --compression jpeg "$work/rgb-jpeg.tif" "$work/page.ppm"
cat "$work"/* >/dev/null

printf '\n%-24s %10s %10s %8s\n' case "corvimg s" "theirs s" "ratio"

bench_case() {
  local name=$1 file=$2
  shift 2
  local t_ours t_theirs
  "$corvimg" read "$file" "$work/ours.pnm" >/dev/null
  t_ours=$(best_of "$corvimg" read "$file" "$work/ours.pnm")
  t_theirs=$(best_of "$@")
  printf '%-24s %10.3f %10.3f %8.2f\n' "$name" "$t_ours" "$t_theirs" \
    "$(echo "$t_ours / $t_theirs" | bc -l)"
}

jpeg_case() { bench_case "$1 (djpeg)" "$2" djpeg -outfile "$work/theirs.pnm" "$2"; }
tiff_case() { bench_case "$1 (tiffcp)" "$2" tiffcp -c none "$2" "$work/theirs.tif"; }

jpeg_case "cjpeg rgb 4:2:0" "$work/cjpeg-rgb.jpg"
jpeg_case "cjpeg gray" "$work/cjpeg-gray.jpg"
jpeg_case "corvimg rgb" "$work/ours-rgb.jpg"
for c in none g3 g4 lzw packbits; do tiff_case "bilevel $c" "$work/bw-$c.tif"; done
for c in none lzw packbits jpeg; do tiff_case "gray $c" "$work/gray-$c.tif"; done
tiff_case "rgb jpeg" "$work/rgb-jpeg.tif"
