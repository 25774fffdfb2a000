#!/usr/bin/env bash
# A 600 dpi A4 colour page (about 104 MB) from the simulator through
# scanimage and libsane-corvnet (SANE's dll backend), against the same job
# run by curl (tools/scanserver/fetch_page.sh, the image in one request):
# the medians of RUNS runs each and the throughput ratios (1 means the same
# speed as curl): whole job against whole job, and, the harder one,
# scanimage's whole job against curl's image request alone.
#   bench/sane_throughput.sh [RUNS]     (default 9; after the native build)
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
build=$src/build/native
backend=$(dirname "$(find "$build/sane" -name 'libsane-corvnet.so.1' | head -1)")
[ -n "$backend" ] || { echo "sane_throughput: build the native preset first" >&2; exit 2; }
command -v scanimage >/dev/null || { echo "sane_throughput: scanimage missing (sane-utils)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/sane_throughput.XXXXXX")
state=$work/simulator
"$src/tests/sim/simulator-ctl" start "$state" >/dev/null
trap '"$src/tests/sim/simulator-ctl" stop "$state" >/dev/null; rm -rf "$work"' EXIT
port=$(cat "$state/port")
mkdir -p "$work/conf"
echo "http://127.0.0.1:$port" >"$work/conf/corvnet.conf"
echo corvnet >"$work/conf/dll.conf"

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
scan() {
  SANE_CONFIG_DIR=$work/conf LD_LIBRARY_PATH=$backend scanimage -d "corvnet:http://127.0.0.1:$port" \
    --mode Color --resolution 600 --format=pnm "$@"
}
# The page is checked once: a PNM of 4961 x 7016 RGB pixels.
scan >"$work/page.pnm"
[ "$(stat -c %s "$work/page.pnm")" -gt $((4961 * 7016 * 3)) ] &&
  head -c 200 "$work/page.pnm" | grep -aqx "4961 7016" ||
  { echo "sane_throughput: scanimage did not deliver a 600 dpi A4 page" >&2; exit 1; }
# wall CMD...: seconds the whole command takes, its output thrown away.
wall() {
  local t0 t1
  t0=$(date +%s.%N)
  "$@" >/dev/null
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l
}
# Both sides run the whole job (begin, ready, page, image, end) against the
# same simulator, alternating, so that load and page generation weigh alike.
for _ in $(seq "$runs"); do
  wall scan >>"$work/sane"
  t0=$(date +%s.%N)
  sh "$src/tools/scanserver/fetch_page.sh" "$port" >>"$work/image"
  t1=$(date +%s.%N)
  echo "$t1 - $t0" | bc -l >>"$work/curl"
done
sane=$(median <"$work/sane")
curl=$(median <"$work/curl")
image=$(median <"$work/image")
awk -v s="$sane" -v c="$curl" -v i="$image" -v n=$((4961 * 7016 * 3)) 'BEGIN {
  printf "scanimage + corvnet, whole job: %.3f s (%.0f MB/s)\n", s, n / s / 1e6
  printf "curl, whole job:                %.3f s (%.0f MB/s)\n", c, n / c / 1e6
  printf "curl, the image request alone:  %.0f MB/s\n", i / 1e6
  printf "throughput scanimage/curl: %.2f whole job, %.2f against the image request alone\n",
    c / s, n / s / i }'
