#!/bin/sh
# Runs one platen job against a running simulator with curl and fetches the page
# in a single GET_IMAGE, printing curl's download speed (bytes/s) of that request.
# The raw-bandwidth reference for the client's image path.
#
#   fetch_page.sh PORT [COLOUR_MODE RESOLUTION_CODE SIZE_CODE [OUTPUT]]
#   defaults: 0 (colour) 3 (600 dpi) 5 (A4 portrait) /dev/null
set -eu
port=$1
mode=${2:-0}
res=${3:-3}
size=${4:-5}
out=${5:-/dev/null}
url=http://127.0.0.1:$port/cgi-bin/scanner.dll

value() { tr -d '\r' | sed -n "s/^$1=//p"; }
send() {
    curl -sf -d "X_PROTOCOL=120&X_COMMAND=$1&X_SESSION=$session$2" "$url"
}

session=$(curl -sf -d "X_PROTOCOL=120&X_COMMAND=BEGIN_JOB&X_CLIENT=2-bench&X_USERNAME=bench&X_PASSWORD=&X_PAPER_PLACE=0&X_SCAN_FACE=0&X_COLOR_MODE=$mode&X_RESOLUTION=$res&X_INPUTMEDIUMSIZE=$size&X_IMAGE_WIDTH=1000&X_IMAGE_HEIGHT=1000&X_INPUTMEDIUMMIX=0&X_BRIGHTNESS=0&X_CONTRAST=0&X_SATURATION=0&X_SHARPNESS=0&X_ENABLEBACKGROUNDELIMINATION=0&X_BLEEDTHROUGHREMOVAL=0&X_PHOTOGRAPHS=-1&X_IMAGE_MODE=2&X_ISOTROPIC=100&X_EDGEERASE=2&X_OUTPUTMEDIUMSIZE=0&" "$url" | value Y_SESSION)
send READY_BEGIN_JOB "" >/dev/null
send BEGIN_SCANPAGE "" >/dev/null
send READY_SCANPAGE "" >/dev/null
total=$(send BEGIN_GET_IMAGE "" | value Y_ROWBYTES)
curl -sf -o "$out" -w '%{speed_download}\n' \
    -d "X_PROTOCOL=120&X_COMMAND=GET_IMAGE&X_SESSION=$session&X_PLANE=0&X_START_BYTE=0&X_REQUIRE_BYTE=$total" "$url"
send END_JOB "" >/dev/null
