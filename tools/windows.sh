#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows program with mingw-w64 into build-windows/, statically linked, its resources
# inside, importing system DLLs only, and its two packages: the installer and the portable zip.
# Prints the paths of the three on its last lines.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh windows
build=$top/build-windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    >/dev/null
nice -n 10 cmake --build "$build" -j2 --target vorla windows_packages

# A DLL of the compiler's runtime would have to be shipped beside the program.
runtime=$(x86_64-w64-mingw32-objdump -p "$build/vorla.exe" | awk '/DLL Name:/ { print $3 }' |
    grep -i -E '^lib(stdc\+\+|gcc|winpthread)' || true)
if [[ -n "$runtime" ]]; then
    echo "vorla.exe needs the compiler's runtime DLLs: $runtime" >&2
    exit 1
fi
version=$(sed -n 's/^project(vorla VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
echo "$build/vorla.exe"
echo "$build/vorla-$version-setup.exe"
echo "$build/vorla-$version-win64.zip"
