#!/usr/bin/env bash
# Checks what a user's Windows sees of each deliverable: imports only from
# DLLs that ship with Windows, the export tables, and the version resource.
# Usage: check_binaries.sh BUILD_DIR "SORTED COLOUR EXPORTS "
set -u
build=$1
colour_exports=$2
objdump=i686-w64-mingw32-objdump
allowed='^(kernel32|user32|gdi32|advapi32|comctl32|comdlg32|shell32|shlwapi|ole32|oleaut32|wininet|version|gdiplus|msvcrt|winmm|ws2_32|uxtheme)\.dll$'
fail=0

check() {
  local file=$1 exports=$2
  if [ ! -f "$file" ]; then echo "missing $file"; fail=1; return; fi
  local dump; dump=$($objdump -p "$file")
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$allowed"; then
      echo "$file imports non-system DLL $dll"; fail=1
    fi
  done < <(echo "$dump" | sed -n 's/^\s*DLL Name: //p')
  local got
  got=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^\s*\[ *[0-9]*\] //p' | LC_ALL=C sort | tr '\n' ' ')
  if [ "$got" != "$exports" ]; then
    echo "$file exports '$got', expected '$exports'"; fail=1
  fi
  # VERSIONINFO keys and values are UTF-16 strings in the resource section.
  for key in VS_VERSION_INFO FileVersion LegalCopyright; do
    if ! strings -el "$file" | grep -qx "$key"; then
      echo "$file has no $key in its version resource"; fail=1
    fi
  done
}

check "$build/datasource/corvsrc.ds" "DS_Entry "
check "$build/scanapp/corvscan.exe" ""
check "$build/colour/corvcolor.dll" "$colour_exports"
check "$build/mrc/cvpsmrc.dll" "CVMRCPDFEnd CVMRCPDFFile CVMRCPDFInit "
exit $fail
