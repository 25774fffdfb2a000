#!/usr/bin/env bash
# Decodes every BMP file the file-transfer tests left, and the page the
# server sent beside it as PNM, with ImageMagick, and compares them pixel
# by pixel.
#   check_bmp_export.sh EXPORT_DIR
set -u
dir=$1
manifest=$dir/manifest.txt
if [ ! -s "$manifest" ]; then
  echo "no files in $dir: the test twain.file_transfers writes them"
  exit 1
fi
checked=0
failed=0
while read -r name width height; do
  checked=$((checked + 1))
  # BMP3: the Windows 3 format, whose info header is the 40-byte one.
  info=$(identify -format '%m %w %h\n' "$dir/$name.bmp" 2>&1 | head -n 1)
  if [ "$info" != "BMP3 $width $height" ]; then
    echo "$name.bmp: identify says '$info', expected 'BMP3 $width $height'"
    failed=$((failed + 1))
    continue
  fi
  # compare prints the number of differing pixels; 0 when equal.
  differing=$(compare -metric AE "$dir/$name.bmp" "$dir/$name.pnm" null: 2>&1)
  if [ "$differing" != 0 ]; then
    echo "$name.bmp: $differing pixels differ from the page the server sent"
    failed=$((failed + 1))
  fi
done <"$manifest"
echo "$checked BMP files decoded, $failed differ from their pages"
[ "$failed" -eq 0 ] && [ "$checked" -gt 0 ]
