#!/usr/bin/env bash
# A long feeder job at A4 colour into one multi-page PDF through corvscan and
# our source under Wine: pages per minute, and the utility's committed
# memory, handles and windows every 50 sheets (the source runs inside it).
# The PDF is checked by qpdf and its pages counted by poppler.
#   bench/soak.sh [SHEETS] [RESOLUTION_CODE]    defaults: 500, 1 (300 dpi; 3 = 600 dpi)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sheets=${1:-500}
resolution=${2:-1}
preset=$("$root/scripts/windows-preset")
build=$root/build/$preset
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
cmake --build "$build" --target soak_bench >/dev/null
out=$build/soak
mkdir -p "$out"
rm -f "$out/soak.pdf" "$out/port"
python3 "$root/tools/scanserver/scanserver.py" --port 0 --port-file "$out/port" \
  --feeder-sheets "$sheets" --stop-after 7200 >"$out/simulator.log" 2>&1 &
sim=$!
export CORV_BUILD_DIR=$build
trap 'kill $sim 2>/dev/null || true; "$root/cmake/wine-run" --stop >/dev/null 2>&1 || true' EXIT
for _ in $(seq 100); do [ -s "$out/port" ] && break; sleep 0.1; done
"$root/cmake/wine-run" "$build/scanapp/tests/soak_bench.exe" "Z:$out" "$(cat "$out/port")" \
  "$sheets" "$resolution"
qpdf --check "$out/soak.pdf" >/dev/null && echo "qpdf --check: no errors"
echo "pdfinfo: $(pdfinfo "$out/soak.pdf" | awk '/^Pages:/ {print $2}') pages, $(stat -c %s "$out/soak.pdf") bytes"
