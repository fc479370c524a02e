#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole suite, headless: format check, normal build, sanitizer build, fuzzers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

run_suite() { # build-dir, cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DVORLA_BENCH=OFF "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== tests"
run_suite build -DCMAKE_BUILD_TYPE=Debug
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVORLA_SANITIZE=ON

echo "== fuzzers"
tools/fuzz.sh "${VORLA_FUZZ_SECONDS:-20}"
