#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Windows installer and the portable zip from a built vorla.exe:
#   make_packages.sh VORLA_EXE VERSION OUTPUT_DIR
# Writes OUTPUT_DIR/vorla-VERSION-setup.exe and OUTPUT_DIR/vorla-VERSION-win64.zip.
set -euo pipefail
exe=$1 version=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
files=$out/package-files
rm -rf "$files" "$out/portable-files"
mkdir -p "$files"

# What the installer and the zip hold besides the program, as a Windows editor expects them.
crlf() { sed 's/$/\r/' "$1" >"$2"; }
cp "$exe" "$files/vorla.exe"
cp "$top/resources/open.mp3" "$files/open.mp3"
crlf "$top/README.md" "$files/README.txt"
crlf /usr/share/common-licenses/GPL-3 "$files/COPYING.txt"

makensis -V2 -DVERSION="$version" -DFILES="$files" -DICON="$top/resources/icon.ico" \
    -DOUTFILE="$out/vorla-$version-setup.exe" "$here/vorla.nsi"

# The zip unpacks to one folder that is a portable copy: its playlist stays in data\ beside it.
portable=$out/portable-files/Vorla
mkdir -p "$portable"
cp "$files"/* "$portable/"
crlf "$here/portable.txt" "$portable/portable"
rm -f "$out/vorla-$version-win64.zip"
(cd "$out/portable-files" && zip -q -X -r "$out/vorla-$version-win64.zip" Vorla)
