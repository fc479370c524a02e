#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang and runs each for the given seconds on its seed corpus.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-20}
cd "$top"
cmake -S . -B build-fuzz -DVORLA_FUZZ=ON -DVORLA_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-fuzz -j"$(nproc)"
shopt -s nullglob
for target in build-fuzz/fuzz/*_fuzz; do
    name=$(basename "$target")
    work=$(mktemp -d)
    seeds=("fuzz/corpus/$name")
    [[ -d "${seeds[0]}" ]] || seeds=()
    echo "-- $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=0 \
        "$work" "${seeds[@]}" 2>"$work.log" || { tail -n 60 "$work.log"; exit 1; }
    rm -rf "$work" "$work.log"
done
