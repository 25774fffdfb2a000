#!/usr/bin/env bash
# setup.exe end to end, silent, in a fresh Wine prefix of its own: what it
# installs (files byte for byte, the shortcut, the Add/Remove Programs entry
# against the binaries' own version resource), that the installed utility
# runs, that it refuses to touch anything while the source is open or the
# utility runs, that a reinstall over an older version replaces the binaries
# and keeps the settings, and that the uninstaller leaves only the settings.
# usage: setup_check.sh BUILD_DIR SETUP SOURCE SCANAPP COLOUR MRC HOLDER PRODUCT
set -u
build=$1 setup=$2 source=$3 scanapp=$4 colour=$5 mrc=$6 holder=$7 product=$8
wine_run=$(cd "$(dirname "$0")/../.." && pwd)/cmake/wine-run
work=$build/installer/check
rm -rf "$work"
mkdir -p "$work/home"
export CORV_BUILD_DIR=$build WINEPREFIX=$work/prefix CORV_WINE_HOME=$work/home
drive=$WINEPREFIX/drive_c
if grep -q 'x86_64-w64-mingw32' "$build/CMakeCache.txt"; then twain=twain_64; else twain=twain_32; fi
program="Program Files/$product"
win_program="C:\\Program Files\\$product"
settings="ProgramData/$product"
shortcut="ProgramData/Microsoft/Windows/Start Menu/Programs/$product/Scan Utility.lnk"
key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
failed=0

fail() { echo "FAIL: $*"; failed=1; }
wine_run() { "$wine_run" "$@" </dev/null >/dev/null 2>&1; }

# The entry's values, one "name=value" a line (nothing when there is none).
entry() {
  rm -f "$work/entry.reg"
  wine_run reg export "$key" "Z:${work//\//\\}\\entry.reg" /y
  [ -f "$work/entry.reg" ] || return 0
  iconv -f UTF-16LE -t UTF-8 "$work/entry.reg" | tr -d '\r' |
    sed -n 's/^"\([^"]*\)"="\(.*\)"$/\1=\2/p; s/^"\([^"]*\)"=\(dword:.*\)$/\1=\2/p' |
    sed 's/\\"/"/g; s/\\\\/\\/g' | sort
}
# Everything the installer may touch: files with their bytes and change
# times (a rewrite with the same bytes still shows), and the entry.
state() {
  (cd "$drive" && find "windows/$twain" "$program" "$(dirname "$shortcut")" -type f \
     -printf '%p %C@\n' 2>/dev/null | sort
   find "windows/$twain" "$program" -type f -exec md5sum {} + 2>/dev/null | sort)
  entry
}
# A version resource's string value, as the binary carries it.
version_value() { strings -el "$1" | grep -A1 -x "$2" | tail -1; }
# Add/Remove Programs' quiet command. The uninstaller runs from a copy in the
# temporary folder (so it can delete itself), told the program folder with
# "_?=", and the command returns at once: wait for the copy to end.
copy_runs() { ps -eo args | grep -v grep | grep -qF "_?=$win_program"; }
uninstall() {
  local quiet
  quiet=$(entry | sed -n 's/^QuietUninstallString=//p')
  eval "wine_run $(sed 's/\\/\\\\/g' <<<"$quiet")" || fail "uninstall: exit code $?"
  for _ in $(seq 300); do copy_runs || break; sleep 0.1; done
  copy_runs && fail "the uninstaller still runs after 30 s"
}
# The refused attempt: exit code 3 and not a thing changed.
expect_refused() {
  local before rc
  before=$(state)
  wine_run "$setup" /S
  rc=$?
  [ "$rc" -eq 3 ] || fail "setup.exe /S $1: exit code $rc, expected 3"
  [ "$(state)" = "$before" ] || fail "setup.exe /S $1 changed the installation"
}

# ---- a fresh prefix, and what it holds before the product comes
"$wine_run" --start || { echo "FAIL: no Wine prefix"; exit 1; }
(cd "$drive" && find . | sort) >"$work/before.txt"

# ---- install
wine_run "$setup" /S || fail "setup.exe /S: exit code $?"
files=(
  "windows/$twain/corvsrc.ds|$source"
  "$program/corvscan.exe|$scanapp"
  "$program/corvcolor.dll|$colour"
  "$program/cvpsmrc.dll|$mrc"
)
check_files() {
  local row
  for row in "${files[@]}"; do
    cmp -s "$drive/${row%%|*}" "${row#*|}" || fail "$1: ${row%%|*} is not the build's ${row#*|}"
  done
}
check_files "installed"
[ -f "$drive/$program/uninstall.exe" ] || fail "no uninstaller"
# The shortcut names the installed program (a .lnk holds the path in the
# ANSI code page or UTF-16).
if ! { strings -a "$drive/$shortcut"; strings -el "$drive/$shortcut"; } 2>/dev/null |
    grep -qiF "$win_program\\corvscan.exe"; then
  fail "shortcut $shortcut does not start $win_program\\corvscan.exe"
fi

# The entry says what the binaries' version resource says.
version=$(version_value "$scanapp" ProductVersion | sed 's/, */./g')
[ -n "$version" ] || fail "no ProductVersion in $scanapp"
for f in "$source" "$colour" "$mrc"; do
  [ "$(version_value "$f" ProductVersion | sed 's/, */./g')" = "$version" ] ||
    fail "$f has another ProductVersion than $version"
done
expected=$(sort <<EOF
DisplayIcon=$win_program\\corvscan.exe
DisplayName=$(version_value "$scanapp" ProductName)
DisplayVersion=$version
InstallLocation=$win_program
NoModify=dword:00000001
NoRepair=dword:00000001
Publisher=$(version_value "$scanapp" CompanyName)
QuietUninstallString="$win_program\\uninstall.exe" /S
UninstallString="$win_program\\uninstall.exe"
EOF
)
got=$(entry)
[ "$got" = "$expected" ] || fail "uninstall entry:
$(diff <(echo "$expected") <(echo "$got"))"

# ---- an older version is installed: stale binaries, an older entry
echo "an older corvcolor.dll" >"$drive/$program/corvcolor.dll"
echo "an older corvsrc.ds" >"$drive/windows/$twain/corvsrc.ds"
wine_run reg add "$key" /v DisplayVersion /d 6.0.0.0 /f

# ---- the installed utility runs; while it does, nothing is touched
"$wine_run" "$win_program\\corvscan.exe" </dev/null >/dev/null 2>&1 &
utility=$!
sleep 2
# A second start finds the first one's window and hands over at once; one
# that finds none (the first still starting on a busy machine) opens its own
# and is ended by the time limit, and the next try looks again.
for _ in 1 2 3; do
  timeout 10 "$wine_run" "$win_program\\corvscan.exe" </dev/null >/dev/null 2>&1
  probe=$?
  [ $probe -eq 0 ] && break
done
[ $probe -eq 0 ] || fail "a second corvscan.exe did not hand over to the running one ($probe);
Wine programs: $(ps -eo args | grep -i '\.exe' | grep -v grep)"
kill -0 "$utility" 2>/dev/null || fail "the installed corvscan.exe did not stay up"
expect_refused "while corvscan.exe runs"
kill "$utility"
wait "$utility" 2>/dev/null

# ---- while an application holds the source open, nothing is touched
marker=$work/holding
"$wine_run" "$holder" while "Z:${marker//\//\\}" </dev/null >/dev/null 2>&1 &
holding=$!
for _ in $(seq 100); do [ -f "$marker" ] && break; sleep 0.1; done
[ -f "$marker" ] || fail "ds_open_holder did not open the source"
expect_refused "while the source is open"
before=$(state)
uninstall
[ "$(state)" = "$before" ] || fail "the uninstaller changed the installation while the source is open"
rm -f "$marker"
wait "$holding"

# ---- the user's settings; the reinstall replaces the binaries and keeps them
mkdir -p "$drive/$settings"
printf '[Settings]\r\nUnit=2\r\n' >"$drive/$settings/corvscan.ini"
settings_before=$(cd "$drive/$settings" && find . -type f -exec md5sum {} + | sort)
wine_run "$setup" /S || fail "reinstall: exit code $?"
check_files "reinstalled"
[ "$(entry)" = "$expected" ] || fail "reinstall left the entry at $(entry | grep DisplayVersion)"

# ---- uninstall as Add/Remove Programs does it, with the quiet command
uninstall
[ -n "$(entry)" ] && fail "the uninstall entry is still there"
# What is left of the product: only the settings folder, as it was. Wine
# itself leaves the uninstaller's temporary copy (deleted at the next start).
(cd "$drive" && find . | sort) >"$work/after.txt"
left=$(comm -13 "$work/before.txt" "$work/after.txt" |
       grep -v -e "^\./$settings\(/\|$\)" -e '^\./users/[^/]*/Temp/' -e "^\./windows/$twain$")
[ -z "$left" ] || fail "left after the uninstall:
$left"
[ "$(cd "$drive/$settings" && find . -type f -exec md5sum {} + | sort)" = "$settings_before" ] ||
  fail "the uninstall changed the settings"

WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
WINEPREFIX=$WINEPREFIX wineserver -w >/dev/null 2>&1
[ $failed -eq 0 ] && rm -rf "$work"
exit $failed
