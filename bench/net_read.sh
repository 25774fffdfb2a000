#!/usr/bin/env bash
# Image path of the scan job against the raw loopback bandwidth: one 600 dpi
# A4 colour page (about 104 MB) from the simulator, read through the job's
# Read under Wine, and fetched by curl from the same simulator. Prints both
# medians of RUNS runs and their ratio.
#   bench/net_read.sh [RUNS]    (after the win32 build: cmake --build --preset win32)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
runs=${1:-5}
state=$build/simulator
"$root/tests/sim/simulator-ctl" start "$state" >/dev/null
trap '"$root/tests/sim/simulator-ctl" stop "$state"; CORV_BUILD_DIR=$build "$root/cmake/wine-run" --stop' EXIT
port=$(cat "$state/port")
CORV_BUILD_DIR=$build "$root/cmake/wine-run" --start

median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
job=$(for _ in $(seq "$runs"); do
  (cd "$build" && "$root/cmake/wine-run" bench/net_read_bench.exe)
done | median)
raw=$(for _ in $(seq "$runs"); do
  (cd "$build" && "$root/cmake/wine-run" bench/net_read_bench.exe raw)
done | median)
sock=$(for _ in $(seq "$runs"); do
  (cd "$build" && "$root/cmake/wine-run" bench/net_read_bench.exe socket)
done | median)
curl=$(for _ in $(seq "$runs"); do
  sh "$root/tools/scanserver/fetch_page.sh" "$port"
done | median)
awk -v j="$job" -v r="$raw" -v s="$sock" -v c="$curl" 'BEGIN {
  printf "job Read (64 KiB buffers):       %.0f MB/s\n", j/1e6
  printf "WinINet raw (1 MiB reads, Wine): %.0f MB/s\n", r/1e6
  printf "Winsock recv (1 MiB, Wine):      %.0f MB/s\n", s/1e6
  printf "curl (native):                   %.0f MB/s\n", c/1e6
  printf "job/curl %.2f   job/raw WinINet %.2f   Winsock/curl %.2f\n", j/c, j/r, s/c }'
