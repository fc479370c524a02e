#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a build into a temporary prefix and checks the tree and its desktop metadata.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
    bin/vorla
    share/applications/org.vorla.Vorla.desktop
    share/metainfo/org.vorla.Vorla.metainfo.xml
    share/icons/hicolor/48x48/apps/org.vorla.Vorla.png
    share/icons/hicolor/scalable/apps/org.vorla.Vorla.svg
    share/vorla/open.mp3
    share/man/man1/vorla.1
)
status=0
for file in "${expected[@]}"; do
    [[ -s "$prefix/$file" ]] || { echo "missing: $file"; status=1; }
done
[[ -x "$prefix/bin/vorla" ]] || { echo "not executable: bin/vorla"; status=1; }
size=$(file -b "$prefix/share/icons/hicolor/48x48/apps/org.vorla.Vorla.png")
[[ "$size" == *"48 x 48"* ]] || { echo "icon is not 48 x 48: $size"; status=1; }

desktop-file-validate "$prefix/share/applications/org.vorla.Vorla.desktop" || status=1
grep -qx 'Exec=vorla' "$prefix/share/applications/org.vorla.Vorla.desktop" ||
    { echo "Exec must take no file arguments"; status=1; }
appstreamcli validate --no-net "$prefix/share/metainfo/org.vorla.Vorla.metainfo.xml" || status=1
# The manual page must render without a warning, as lintian renders it.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$prefix/share/man/man1/vorla.1" 2>&1 >/dev/null) ||
    warnings+=" (man failed)"
[[ -z "$warnings" ]] || { echo "manual page: $warnings"; status=1; }
exit $status
