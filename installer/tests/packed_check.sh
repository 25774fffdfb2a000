#!/usr/bin/env bash
# What setup.exe carries, read by 7-Zip's NSIS decoder without running it
# (the shipped 32-bit installer cannot run on every test host): the build's
# binaries byte for byte at their places, a stub for the build's machine, and
# the binaries' version in its own version resource.
# usage: packed_check.sh SETUP TWAIN_FOLDER MACHINE SOURCE SCANAPP COLOUR MRC
set -u
setup=$1 twain=$2 machine=$3 source=$4 scanapp=$5 colour=$6 mrc=$7
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

7zz x -y -o"$out" "$setup" >/dev/null || fail "7zz cannot unpack $setup"
files=(
  "\$WINDIR/$twain/corvsrc.ds|$source"
  "corvscan.exe|$scanapp"
  "corvcolor.dll|$colour"
  "cvpsmrc.dll|$mrc"
)
for row in "${files[@]}"; do
  cmp -s "$out/${row%%|*}" "${row#*|}" || fail "${row%%|*} in $setup is not ${row#*|}"
done
[ -f "$out/uninstall.exe" ] || fail "no uninstaller in $setup"

format=$(objdump -f "$setup" | sed -n 's/.*file format //p')
[ "$format" = "$machine" ] || fail "$setup is $format, expected $machine"

version_value() { strings -el "$1" | grep -A1 -x "$2" | tail -1; }
version=$(version_value "$scanapp" ProductVersion | sed 's/, */./g')
[ -n "$version" ] && [ "$(version_value "$setup" ProductVersion)" = "$version" ] ||
  fail "$setup has version '$(version_value "$setup" ProductVersion)', its binaries '$version'"
exit $failed
