#!/usr/bin/env bash
# Image path of the scan job against the raw loopback bandwidth: one 600 dpi
# A4 colour page (about 104 MB) from the simulator, read through the job's
# Read under Wine, with plain 1 MiB InternetReadFile calls on the same kind
# of request (the job's own reference), with Winsock, and fetched by curl.
# The job and raw WinINet runs alternate, so both see the same load; prints
# every sample, the medians of RUNS runs and the median of the per-run
# job/raw ratios.
#   bench/net_read.sh [RUNS] [PRESET]
#   RUNS    runs per reader (default 9)
#   PRESET  Windows build preset whose bench/net_read_bench.exe runs
#           (default: the one this host's Wine runs, see scripts/windows-preset;
#           build it first: cmake --build --preset PRESET --target net_read_bench)
#   BENCH_BUF=N sets the job's transfer buffer (default 65536 bytes).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-9}
preset=${2:-$("$root/scripts/windows-preset")}
build=$root/build/$preset
[ -x "$build/bench/net_read_bench.exe" ] || {
  echo "net_read: no $build/bench/net_read_bench.exe (build the $preset preset first)" >&2
  exit 2
}
state=$build/simulator
samples=$(mktemp)
"$root/tests/sim/simulator-ctl" start "$state" >/dev/null
trap 'rm -f "$samples"; "$root/tests/sim/simulator-ctl" stop "$state"; CORV_BUILD_DIR=$build "$root/cmake/wine-run" --stop' EXIT
port=$(cat "$state/port")
CORV_BUILD_DIR=$build "$root/cmake/wine-run" --start

bench() { (cd "$build" && "$root/cmake/wine-run" bench/net_read_bench.exe "$@"); }
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
for i in $(seq "$runs"); do
  j=$(bench)
  r=$(bench raw)
  echo "$i $j $r" >>"$samples"
done
sock=$(for _ in $(seq "$runs"); do bench socket; done | median)
curl=$(for _ in $(seq "$runs"); do sh "$root/tools/scanserver/fetch_page.sh" "$port"; done | median)
awk '{ printf "run %d: job %.0f MB/s, raw WinINet %.0f MB/s, ratio %.2f\n", $1, $2/1e6, $3/1e6, $2/$3 }' "$samples"
job=$(awk '{print $2}' "$samples" | median)
raw=$(awk '{print $3}' "$samples" | median)
ratio=$(awk '{print $2/$3}' "$samples" | median)
awk -v j="$job" -v r="$raw" -v s="$sock" -v c="$curl" -v q="$ratio" -v p="$preset" 'BEGIN {
  printf "preset %s, medians:\n", p
  printf "job Read (%s byte buffers):  %.0f MB/s\n", ENVIRON["BENCH_BUF"] ? ENVIRON["BENCH_BUF"] : 65536, j/1e6
  printf "WinINet raw (1 MiB reads, Wine): %.0f MB/s\n", r/1e6
  printf "Winsock recv (1 MiB, Wine):      %.0f MB/s\n", s/1e6
  printf "curl (native):                   %.0f MB/s\n", c/1e6
  printf "job/raw WinINet %.2f (median of per-run ratios %.2f)   job/curl %.2f   Winsock/curl %.2f\n",
    j/r, q, j/c, s/c }'
