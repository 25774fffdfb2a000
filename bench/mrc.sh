#!/usr/bin/env bash
# The high-compression PDF against the alternatives on one scanned-looking
# A4/letter page at 300 dpi: a page of a Debian manual rendered by poppler,
# with a red heading, a photo-like picture, tinted paper and sensor noise
# (mrc_testpage), stored as the scan utility stores it (uncompressed TIFF).
#
#   mrc     cvpsmrc through its three entry points (mrcconv)
#   jpeg    the image library's PDF writer, JPEG at the default quality (1)
#   djvu    DjVu as a reference: the page thresholded at half grey coded by
#           cjb2, the page at a third of the resolution by c44, joined with
#           djvumake (the same layering, done by DjVuLibre's coders)
#
# Sizes are printed as ratios; PSNR against the page that went in (dB, from
# ImageMagick's compare) shows what each one kept. Also prints the time of
# the conversion, best of RUNS.
#
# usage: bench/mrc.sh [BUILD_DIR] [RUNS]   (default build/native, 3 runs)
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
. "$src/bench/bench_lib.sh"
bench_init mrc_bench "${1:-}" "${2:-3}"
mrc=$build/mrc
for tool in qpdf pdftoppm cjb2 c44 djvumake djvuextract ddjvu compare; do
  command -v $tool >/dev/null || { echo "mrc.sh: $tool missing (scripts/bootstrap)" >&2; exit 2; }
done
source_pdf=/usr/share/doc/libtasn1-doc/libtasn1.pdf
[ -f $source_pdf ] || { echo "mrc.sh: $source_pdf missing (scripts/bootstrap)" >&2; exit 2; }

pdftoppm -r 300 -f 4 -l 4 -singlefile $source_pdf "$work/render"
"$mrc/mrc_testpage" "$work/render.ppm" "$work/page.tif" "$work/page.ppm" >/dev/null
read -r width height < <(sed -n 2p "$work/page.ppm")

"$mrc/mrcconv" "$work/mrc.pdf" "$work/page.tif"
qpdf --check "$work/mrc.pdf" >/dev/null || { echo "mrc.sh: qpdf rejects the MRC PDF" >&2; exit 1; }
"$corvimg" pdf --color jpeg --quality 1 --dpi 300 "$work/jpeg.pdf" "$work/page.ppm"

convert "$work/page.ppm" -colorspace gray -threshold 50% "$work/mask.pbm"
cjb2 -dpi 300 "$work/mask.pbm" "$work/mask.djvu"
convert "$work/page.ppm" -resize 33.3334% "$work/bg.ppm"
c44 -dpi 100 "$work/bg.ppm" "$work/bg.djvu"
djvuextract "$work/mask.djvu" Sjbz="$work/mask.sjbz" 2>/dev/null
djvuextract "$work/bg.djvu" BG44="$work/bg.bg44" 2>/dev/null
djvumake "$work/page.djvu" INFO=$width,$height,300 Sjbz="$work/mask.sjbz" \
  BG44="$work/bg.bg44" 2>/dev/null

psnr() {  # PSNR of a rendered file against the page
  compare -metric PSNR "$work/page.ppm" "$1" null: 2>&1 | cut -d' ' -f1
}
pdftoppm -r 300 -singlefile "$work/mrc.pdf" "$work/mrc_r"
pdftoppm -r 300 -singlefile "$work/jpeg.pdf" "$work/jpeg_r"
ddjvu -format=ppm "$work/page.djvu" "$work/djvu_r.ppm"

mrc_size=$(size_of "$work/mrc.pdf")
jpeg_size=$(size_of "$work/jpeg.pdf")
djvu_size=$(size_of "$work/page.djvu")
tiff_size=$(size_of "$work/page.tif")
printf 'page %d x %d at 300 dpi, TIFF %d bytes\n\n' "$width" "$height" "$tiff_size"
printf '%-6s %10s %14s %10s\n' file bytes "size / mrc" "PSNR dB"
printf '%-6s %10d %14.2f %10s\n' mrc "$mrc_size" 1 "$(psnr "$work/mrc_r.ppm")"
printf '%-6s %10d %14.2f %10s\n' jpeg "$jpeg_size" "$(echo "$jpeg_size / $mrc_size" | bc -l)" \
  "$(psnr "$work/jpeg_r.ppm")"
printf '%-6s %10d %14.2f %10s\n' djvu "$djvu_size" "$(echo "$djvu_size / $mrc_size" | bc -l)" \
  "$(psnr "$work/djvu_r.ppm")"
printf '\nMRC layers (bytes):\n'
pdfimages -list "$work/mrc.pdf" | tail -n +3 | awk '{print "  " $3, $4 "x" $5, $9, $15}'
printf '\nconversion %.3f s (best of %d), jpeg PDF %.3f s\n' \
  "$(best_of "$mrc/mrcconv" "$work/mrc.pdf" "$work/page.tif")" "$runs" \
  "$(best_of "$corvimg" pdf --color jpeg --quality 1 --dpi 300 "$work/jpeg.pdf" "$work/page.ppm")"
