#!/usr/bin/env bash
# Runs the utility's saving tests under Wine with their files in the build
# tree, then reads every saved page back with decoders we did not write.
# usage: saved_pages_check.sh EMULATOR TEST_EXE FOLDER
set -eu
emulator=$1 exe=$2 folder=$3
rm -rf "$folder"
mkdir -p "$folder"
"$emulator" "$exe"
python3 "$(dirname "$0")/check_saved_pages.py" "$folder"
