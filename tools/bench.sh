#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the release build with the benchmarks and runs every benchmark program in turn.
# VORLA_BENCH_BUILD names another build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
dir=${VORLA_BENCH_BUILD:-build-release}
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DVORLA_TESTS=OFF -DVORLA_BENCH=ON >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
shopt -s nullglob
for program in "$dir"/bench/*_bench; do
    echo "== $(basename "$program")"
    "$program"
done
