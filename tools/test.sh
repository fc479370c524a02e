#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The whole suite, headless: format check, Debug and Release builds with warnings as errors,
# sanitizer build, the Windows build and its tests under Wine, the Debian package and its
# lintian check, fuzzers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

echo "== format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The suite must leave the home it runs under untouched: ctest runs under a watched home (with
# a file-dialog history of its own, as a user's would have) and fails if anything in it changes.
watched=$(mktemp -d)
trap 'rm -rf "$watched"' EXIT
mkdir -p "$watched/home/.config" "$watched/home/.local/share" "$watched/home/.cache"
mkdir -m 700 "$watched/runtime"
printf '[FileDialog]\nhistory=@Invalid()\n' >"$watched/home/.config/QtProject.conf"
snapshot() { (cd "$watched" && find . -printf '%p %y %m %s %T@\n' | sort); }
home_before=$(snapshot)
watched_home() {
    HOME="$watched/home" XDG_CONFIG_HOME="$watched/home/.config" \
        XDG_DATA_HOME="$watched/home/.local/share" XDG_CACHE_HOME="$watched/home/.cache" \
        XDG_RUNTIME_DIR="$watched/runtime" "$@"
}

run_suite() { # build-dir, cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -DVORLA_BENCH=OFF -DVORLA_WERROR=ON "$@" >/dev/null
    # The build runs the test programs too, to list their tests.
    watched_home nice -n 10 cmake --build "$dir" -j"$jobs"
    watched_home ctest --test-dir "$dir" --output-on-failure -j"$jobs"
    local home_after
    home_after=$(snapshot)
    if [[ "$home_after" != "$home_before" ]]; then
        echo "the tests changed the home they ran under (< before, > after):"
        diff <(echo "$home_before") <(echo "$home_after") || true
        exit 1
    fi
}

echo "== tests"
run_suite build -DCMAKE_BUILD_TYPE=Debug
echo "== tests, GCC Release build"
run_suite build-gcc-release -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DVORLA_SANITIZE=ON

echo "== Windows build under Wine"
tools/windows-test.sh

echo "== Debian package, lintian"
DEB_BUILD_OPTIONS=nocheck make deb

echo "== fuzzers"
tools/fuzz.sh "${VORLA_FUZZ_SECONDS:-20}"
