#!/usr/bin/env bash
# Times `corvimg jpeg` against libjpeg-turbo's cjpeg on 600 dpi A4 pages
# (RGB and gray) and prints the time ratio (corvimg / cjpeg; below 1 means
# corvimg is faster), the size ratio of the files written and the PSNR of
# each file against the page (decoded by djpeg).
#
# usage: bench/jpeg_bench.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  native build tree holding tools/corvimg/corvimg
#              (default: build/native under the source tree)
#   RUNS       timed runs per case, the best one counts (default 5)
#
# cjpeg is matched to the encoder: accurate integer DCT, no subsampling,
# baseline Huffman tables (no optimisation), a restart interval of 8 MCU
# rows, and the very quantisation tables corvimg wrote (read back from its
# DQT segments, used unscaled: -quality 50 means 100 % of -qtables).
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init jpeg_bench "$@"
command -v cjpeg >/dev/null || { echo "jpeg_bench: cjpeg missing (libjpeg-turbo-progs)" >&2; exit 2; }

# qtables JPEG OUT: the DQT tables of JPEG in natural order, as -qtables wants.
qtables() {
  python3 - "$1" "$2" <<'PY'
import sys
zigzag = [0, 1, 8, 16, 9, 2, 3, 10, 17, 24, 32, 25, 18, 11, 4, 5, 12, 19, 26, 33, 40, 48,
          41, 34, 27, 20, 13, 6, 7, 14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
          30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63]
data = open(sys.argv[1], "rb").read()
tables, i = [], 2
while data[i] == 0xFF and data[i + 1] != 0xDA:
    length = data[i + 2] << 8 | data[i + 3]
    if data[i + 1] == 0xDB:
        natural = [0] * 64
        for k in range(64):
            natural[zigzag[k]] = data[i + 5 + k]
        tables.append(natural)
    i += 2 + length
with open(sys.argv[2], "w") as out:
    for t in tables:
        for r in range(8):
            out.write(" ".join("%3d" % v for v in t[r * 8:r * 8 + 8]) + "\n")
        out.write("\n")
PY
}

printf 'Generating 4960 x 7016 (A4, 600 dpi) pages...\n'
python3 "$src/bench/tiff_page.py" rgb "$work/page.ppm"
python3 "$src/bench/tiff_page.py" gray "$work/page.pgm"
# Warm the page cache so the first timed run is not a disk read.
cat "$work"/* >/dev/null

printf '\n%-22s %10s %10s %8s %10s %9s %9s\n' case "corvimg s" "cjpeg s" "time" "size" "PSNR dB" "PSNR dB"
printf '%-22s %10s %10s %8s %10s %9s %9s\n' "" "" "" "ratio" "ratio" corvimg cjpeg

# psnr JPEG ORIGINAL: the decoded file against the page, in dB (djpeg decodes).
psnr_tool=$build/bench/psnr_tool
[ -x "$psnr_tool" ] || { echo "jpeg_bench: no $psnr_tool (build the native preset)" >&2; exit 2; }
psnr() {
  djpeg -dct int -pnm -outfile "$work/decoded.pnm" "$1"
  "$psnr_tool" "$work/decoded.pnm" "$2"
}

bench_case() {
  local name=$1 quality=$2 input=$3
  local t_ours t_theirs
  "$corvimg" jpeg --dpi 600 --quality "$quality" "$work/ours.jpg" "$input"
  qtables "$work/ours.jpg" "$work/tables.txt"
  local theirs=(cjpeg -dct int -sample 1x1,1x1,1x1 -baseline -quality 50
                -qtables "$work/tables.txt" -qslots 0,1,1 -restart 8
                -outfile "$work/theirs.jpg" "$input")
  t_ours=$(best_of "$corvimg" jpeg --dpi 600 --quality "$quality" "$work/ours.jpg" "$input")
  t_theirs=$(best_of "${theirs[@]}")
  djpeg "$work/ours.jpg" >/dev/null 2>"$work/err" && [ ! -s "$work/err" ] ||
    { echo "jpeg_bench: djpeg complains about $name:" >&2; cat "$work/err" >&2; exit 1; }
  printf '%-22s %10.3f %10.3f %8.2f %10.3f %9.2f %9.2f\n' "$name" "$t_ours" "$t_theirs" \
    "$(echo "$t_ours / $t_theirs" | bc -l)" \
    "$(echo "$(size_of "$work/ours.jpg") / $(size_of "$work/theirs.jpg")" | bc -l)" \
    "$(psnr "$work/ours.jpg" "$input")" "$(psnr "$work/theirs.jpg" "$input")"
}

bench_case "rgb quality 2"  2 "$work/page.ppm"
bench_case "rgb quality 4"  4 "$work/page.ppm"
bench_case "gray quality 2" 2 "$work/page.pgm"
bench_case "gray quality 4" 4 "$work/page.pgm"
