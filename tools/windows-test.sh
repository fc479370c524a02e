#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows build's tests under Wine: the player's tests cross-built from the same sources and
# the Win32 host's own. One Wine prefix in build-windows/, booted once; for the run one
# wineserver, a private X server (the dialogs need one), a null PulseAudio sink for MCI, and a
# Chinese UTF-8 locale of its own (Wine reads Chinese file names through it). Nothing outside
# build-windows/ is written. With arguments, runs them in that setting instead of the tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
tools/install-deps.sh windows
build=$top/build-windows
started=$(date +%s)
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DVORLA_WERROR=ON >/dev/null
nice -n 10 cmake --build "$build" -j2
# The engine tests' media corpus, made here as on Linux, for the MCI interpreter's tests.
corpus=$build/media-corpus
if [[ ! -d "$corpus" || tests/fixtures/make_media.sh -nt "$corpus" ]] &&
    command -v gst-launch-1.0 lame >/dev/null; then
    rm -rf "$corpus" "$corpus.partial"
    bash tests/fixtures/make_media.sh "$corpus.partial" >/dev/null && mv "$corpus.partial" "$corpus"
fi
built=$(date +%s)

run=$(mktemp -d "$build/wine-run-XXXXXX")
pids=()
finish() {
    wineserver -k 2>/dev/null || true
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$run"
}
trap finish EXIT
trap 'exit 130' INT TERM
mkdir -p "$run/tmp" "$run/cache" "$run/config" "$run/data" "$run/locale" "$run/pulse" \
    "$build/wine-home"
export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
# Debian's wineserver keeps its socket under TMPDIR. The prefix links the user's Desktop and
# Documents to HOME as it was at boot, so HOME stays with the prefix.
export TMPDIR=$run/tmp HOME=$build/wine-home XDG_CACHE_HOME=$run/cache XDG_CONFIG_HOME=$run/config
export XDG_DATA_HOME=$run/data XDG_RUNTIME_DIR=$run/pulse
export LANG=zh_CN.UTF-8 LC_ALL= LOCPATH=$run/locale
# Wine shows the Unix root as drive Z:.
if [[ -d "$corpus" ]]; then
    export VORLA_MEDIA_CORPUS="Z:${corpus//\//\\}"
fi
localedef -i zh_CN -f UTF-8 "$LOCPATH/zh_CN.UTF-8" 2>/dev/null || true

Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$run/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    [[ -s "$run/display" ]] && break
    sleep 0.1
done
export DISPLAY=:$(cat "$run/display")
if command -v pulseaudio >/dev/null; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L module-null-sink -L "module-native-protocol-unix socket=$run/pulse/native" \
        >/dev/null 2>&1 &
    pids+=($!)
    export PULSE_SERVER=unix:$run/pulse/native
fi

wine=/usr/lib/wine/wine64
[[ -x "$wine" ]] || wine=$(command -v wine64 || command -v wine)
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$wine" wineboot -i >/dev/null 2>&1 || true
    # wineboot leaves its own server up for a few seconds; a second one would refuse to start.
    wineserver -w
fi
wineserver -p
# A program's first MCI or COM call stalls while RpcSs starts: started here, before the tests.
"$wine" sc start RpcSs >/dev/null 2>&1 || true
for _ in $(seq 60); do
    "$wine" sc query RpcSs 2>/dev/null | grep -q RUNNING && break
    sleep 0.5
done
ready=$(date +%s)
if [[ $# -gt 0 ]]; then
    "$@"
    exit
fi
ctest --test-dir "$build" --output-on-failure -j2
echo "Windows build $((built - started)) s, Wine ready $((ready - built)) s," \
    "tests $(($(date +%s) - ready)) s"
