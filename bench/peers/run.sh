#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Vorla beside Audacious, run alternately under a private Xvfb, PulseAudio null sink and session
# bus, each run in a fresh HOME with warm caches: start-up to the window's map, RSS idle, peak RSS
# playing, CPU to play 25 s, and the first audible sample after the request to play. Prints the
# raw figures, medians, spreads and the ratios Vorla/Audacious. BENCH_RUNS runs each (default
# and least 10) after one warm-up each. Then actions.sh, in a session of its own: how soon volume,
# pause, seek and next are heard.
set -euo pipefail
# shellcheck source=bench/peers/env.sh
source "$(dirname "$0")/env.sh"

runs=${BENCH_RUNS:-10}
((runs >= 10)) || runs=10
play_seconds=25
# Start-up settles and the chime (1.6 s) ends before idle is read.
settle_seconds=3
sink_wake_seconds=2.1

# measure NAME TAG: one run; appends its figures to $work/results.
measure() {
    local name=$1 tag=$2 run="$work/runs/$1-$2" chime=
    mkdir -p "$run"
    # Vorla's chime is the first sound of a start: from the window's map to its first sample.
    # Audacious starts beside the same recorder, so that both start on a machine as busy.
    { parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 \
        --latency-msec=10 2>/dev/null || true; } | "$out/playprobe" first >"$run/chime" &
    local chime_probe=$!
    # An idle null sink holds a new stream back by up to 2 s (the chime came 740 to 820 ms after
    # the map with the recorder started alongside the player); after about 2 s of a recorder
    # asking for 10 ms it mixes in 10 ms blocks. Both players wait the same.
    sleep "$sink_wake_seconds"
    start_player "$name" "$run" || return 1
    sleep "$settle_seconds"
    if [[ $name == vorla && -s "$run/chime" ]]; then
        chime=" chime=$(awk -v map="$mapped_at" '{printf "%.3f", $1 - map}' "$run/chime")"
    fi
    local idle figures
    idle=$("$out/playprobe" mem "$player" | awk '{print $1}')
    # Heard or not (Audacious plays nothing yet), the start's recorder ends before the request.
    kill "$chime_probe" 2>/dev/null || true
    play_request "$name"
    # The recorder ends on a broken pipe once the probe has heard the first sound.
    if ! figures=$({ parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 \
        --latency-msec=10 2>/dev/null || true; } |
        "${player_env[@]}" "$out/playprobe" play "$player" "$play_seconds" "${request[@]}"); then
        echo "$name run $tag: playback not measured (see $run/player.log)" >&2
        stop_player
        return 1
    fi
    stop_player
    echo "$name $tag startup=$startup idle=$idle $figures$chime" >>"$work/results"
    [[ $tag != warmup ]] || seed_caches "$name" "$run/home"
    sleep 1
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Vorla $(git -C "$top" rev-parse --short HEAD) beside $(audacious --version | head -n1):" \
    "$runs runs each after a warm-up, about $((runs * (play_seconds + settle_seconds + 5) / 30 + 1)) minutes"
: >"$work/results"
measure vorla warmup
measure audacious warmup
for i in $(seq "$runs"); do
    measure vorla "$i"
    measure audacious "$i"
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

grep -v ' warmup ' "$work/results" >"$out/last-results.txt"
echo
echo "Per run (also in build-peers/last-results.txt): startup and first in ms, request = ms to"
echo "deliver the request to play, cpu in ms, idle (RSS), hwm (VmHWM) and rss at the end in kB"
cat "$out/last-results.txt"
echo
echo "load average (1, 5, 15 min) at the start: $load_before; at the end: $load_after"
awk -v seconds="$play_seconds" -f "$here/summary.awk" "$out/last-results.txt"
echo
"$here/actions.sh"
