#!/usr/bin/env bash
# Runs the Windows conversion test under Wine with its PDF in the build
# tree, then checks that PDF natively with qpdf and poppler.
# usage: dll_pdf_check.sh EMULATOR TEST_EXE PDF
set -eu
emulator=$1 exe=$2 pdf=$3
rm -f "$pdf"
MRC_DLL_OUT="Z:${pdf//\//\\}" "$emulator" "$exe" --gtest_filter=DllLoad.ConvertsAScanThroughLookedUpNames
qpdf --check "$pdf"
pdfinfo "$pdf" | grep -q '^Pages: *1$'
pdftoppm -r 50 "$pdf" >/dev/null
