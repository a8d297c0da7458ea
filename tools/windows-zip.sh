#!/bin/sh
# Packs the Windows download (see cmake/windows_zip.cmake):
#   tools/windows-zip.sh SOURCE PEDPREP.EXE MANUAL.1 STRIP ZIP
# The zip holds one folder, pedprep-VERSION (VERSION from ZIP's name): pedprep.exe stripped,
# README.txt, pedprep.txt (the manual page as plain text), example/ (the inputs only, byte
# for byte) and third_party/libcsv/ (its licence and origin). The files' times are fixed,
# so the same build packs the same zip.
set -eu
source=$1 exe=$2 manual=$3 strip=$4 zip=$5
name=$(basename "$zip" -win64.zip)
stage=$(dirname "$zip")/zip-stage
rm -rf "$stage" "$zip"
mkdir -p "$stage/$name/example" "$stage/$name/third_party/libcsv"
"$strip" --strip-unneeded -o "$stage/$name/pedprep.exe" "$exe"
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
crlf "$source/README.md" "$stage/$name/README.txt"
# The manual page as text, without the terminal's bold and underline.
groff -t -man -Tutf8 -P-cbou "$manual" | crlf /dev/stdin "$stage/$name/pedprep.txt"
(cd "$source/example" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
  case "$file" in ped.dat | PEDIGREE | ID.PE | PEDPREP.RUN | *.out | *.pedprep-tmp) continue ;; esac
  mkdir -p "$stage/$name/example/$(dirname "$file")"
  cp "$source/example/$file" "$stage/$name/example/$file"
done
for file in COPYING.LESSER ORIGIN; do
  crlf "$source/third_party/libcsv/$file" "$stage/$name/third_party/libcsv/$file.txt"
done
find "$stage" -exec touch -d 2000-01-01T00:00:00Z {} +
(cd "$stage" && zip -X -r -q -9 "$(cd .. && pwd)/$(basename "$zip")" "$name")
rm -rf "$stage"
