#!/usr/bin/env bash
# Times `corvimg pdf` against the plain encoders on the same 600 dpi A4
# pages: JPEG pages against `corvimg jpeg`, Group 4 pages against
# `corvimg tiff --compression g4`. The ratios (pdf / plain) are the PDF
# layer's overhead in time and in file size; ASCII85 cases show its cost.
#
# usage: bench/pdf_bench.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  native build tree holding tools/corvimg/corvimg
#              (default: build/native under the source tree)
#   RUNS       timed runs per case, the best one counts (default 5)
#
# Every PDF written is checked with qpdf --check before it is timed.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init pdf_bench "$@"
command -v qpdf >/dev/null || { echo "pdf_bench: qpdf missing" >&2; exit 2; }

printf 'Generating 4960 x 7016 (A4, 600 dpi) pages...\n'
python3 "$src/bench/tiff_page.py" bilevel "$work/page.pbm"
python3 "$src/bench/tiff_page.py" gray "$work/page.pgm"
python3 "$src/bench/tiff_page.py" rgb "$work/page.ppm"
# Warm the page cache so the first timed run is not a disk read.
cat "$work"/* >/dev/null

printf '\n%-24s %10s %10s %8s %8s\n' case "pdf s" "plain s" "time" "size"
printf '%-24s %10s %10s %8s %8s\n' "" "" "" "ratio" "ratio"

# bench_case NAME "PDF OPTIONS" PLAIN_OUT "PLAIN COMMAND" INPUT
bench_case() {
  local name=$1 pdf_options=$2 plain_out=$3 plain_command=$4 input=$5
  local pdf=(pdf $pdf_options --dpi 600 "$work/out.pdf" "$input")
  local plain=($plain_command --dpi 600 "$work/$plain_out" "$input")
  "$corvimg" "${pdf[@]}"
  qpdf --check "$work/out.pdf" >"$work/qpdf.log" 2>&1 ||
    { echo "pdf_bench: qpdf rejects $name:" >&2; cat "$work/qpdf.log" >&2; exit 1; }
  "$corvimg" "${plain[@]}"
  local t_pdf t_plain
  t_pdf=$(best_of "$corvimg" "${pdf[@]}")
  t_plain=$(best_of "$corvimg" "${plain[@]}")
  printf '%-24s %10.3f %10.3f %8.2f %8.3f\n' "$name" "$t_pdf" "$t_plain" \
    "$(echo "$t_pdf / $t_plain" | bc -l)" \
    "$(echo "$(size_of "$work/out.pdf") / $(size_of "$work/$plain_out")" | bc -l)"
}

bench_case "rgb jpeg q2"          "--color jpeg --quality 2"           plain.jpg "jpeg --quality 2" "$work/page.ppm"
bench_case "rgb jpeg q4"          "--color jpeg --quality 4"           plain.jpg "jpeg --quality 4" "$work/page.ppm"
bench_case "gray jpeg q2"         "--color jpeg --quality 2"           plain.jpg "jpeg --quality 2" "$work/page.pgm"
bench_case "rgb jpeg q2 ascii85"  "--color jpeg --quality 2 --ascii85" plain.jpg "jpeg --quality 2" "$work/page.ppm"
bench_case "bilevel g4"           "--bilevel g4"                       plain.tif "tiff --compression g4" "$work/page.pbm"
bench_case "bilevel g4 ascii85"   "--bilevel g4 --ascii85"             plain.tif "tiff --compression g4" "$work/page.pbm"
