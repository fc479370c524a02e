#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from debian/ with dpkg-buildpackage, checks it with lintian (any
# error or warning fails), and prints the path of the .deb on the last line. The build runs in
# a copy of the tree under build-deb/, because dpkg-buildpackage writes beside the tree it
# builds. DEB_BUILD_OPTIONS=nocheck leaves out the build-time tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
out=$top/build-deb
version=$(dpkg-parsechangelog -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
src=$out/vorla-$version

rm -rf "$out"
mkdir -p "$src"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # What git tracks and the new files it does not ignore, as they are on the disk now.
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            [[ -e "$file" || -L "$file" ]] && printf '%s\0' "$file"
        done | tar --null -T - -cf - | tar -C "$src" -xf -
else
    tar --exclude='./build*' --exclude='./obj-*' --exclude=./fuzz/out -cf - . | tar -C "$src" -xf -
fi

case " ${DEB_BUILD_OPTIONS:-} " in
*" parallel="*) ;;
*) export DEB_BUILD_OPTIONS="${DEB_BUILD_OPTIONS:+$DEB_BUILD_OPTIONS }parallel=$(nproc)" ;;
esac
echo "== dpkg-buildpackage -us -uc -b (DEB_BUILD_OPTIONS=$DEB_BUILD_OPTIONS)"
(cd "$src" && nice -n 10 dpkg-buildpackage -us -uc -b)

changes=$out/vorla_${version}_${arch}.changes
deb=$out/vorla_${version}_${arch}.deb
echo "== lintian"
lintian --fail-on error,warning --display-info "$changes" ||
    { echo "lintian: the package has errors or warnings"; exit 1; }
echo "lintian: no error and no warning"
echo "$deb"
