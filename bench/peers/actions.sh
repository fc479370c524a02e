#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How soon a player's actions are heard, Vorla beside Audacious, under env.sh's private Xvfb,
# session bus and PulseAudio null sink: the volume set to silence, pause, a seek from loud noise
# into quiet noise, and next from a loud track to a quiet one. Vorla through its window (XTest
# input) and through MPRIS, Audacious through MPRIS. ACTION_REPEATS repeats each (default and
# least 10) after a warm-up, about 5 minutes. run.sh runs it after its own figures; it also runs
# alone.
set -euo pipefail
# shellcheck source=bench/peers/env.sh
source "$(dirname "$0")/env.sh"

repeats=${ACTION_REPEATS:-10}
((repeats >= 10)) || repeats=10

# The loud noise peaks at -18 dBFS or above in every millisecond, the quiet one at -44 to -31
# dBFS: actionprobe tells them apart read by read. steps.mp3 is 15 s loud then 15 s quiet, for
# the seek; quiet.mp3 is the next track.
caps="audio/x-raw,format=S16LE,rate=44100,channels=2"
noise() { # SECONDS VOLUME
    echo "audiotestsrc num-buffers=$1 samplesperbuffer=44100 wave=pink-noise volume=$2 ! $caps"
}
# shellcheck disable=SC2046
gst-launch-1.0 -q concat name=parts ! wavenc ! filesink location="$work/media/steps.wav" \
    $(noise 15 0.8) ! parts. $(noise 15 0.04) ! parts.
# shellcheck disable=SC2046
gst-launch-1.0 -q $(noise 30 0.04) ! wavenc ! filesink location="$work/media/quiet.wav"
for name in steps quiet; do
    lame --quiet -b 320 "$work/media/$name.wav" "$work/media/$name.mp3"
    rm "$work/media/$name.wav"
done
media_list=("$work/media/steps.mp3" "$work/media/quiet.mp3")

mpris=/org/mpris/MediaPlayer2
player_interface=org.mpris.MediaPlayer2.Player

# set_volume NAME VALUE: the probe's step that writes NAME's MPRIS Volume.
set_volume() {
    step=(call "$1" "$mpris" org.freedesktop.DBus.Properties.Set
        "('$player_interface', 'Volume', <$2>)")
}

# method NAME METHOD: the probe's step that calls an MPRIS player method without arguments.
method() {
    step=(call "$1" "$mpris" "$player_interface.$2" "()")
}

# series PLAYER VIA ACTION MODE RESET-STEP... -- ACTION-STEP...: one action, repeated, each
# repeat from a reset that leaves the loud sound playing; appends to $work/actions.
series() {
    local player_name=$1 via=$2 action=$3
    shift 3
    if ! { parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 \
        --latency-msec=10 2>/dev/null || true; } |
        "${player_env[@]}" "$out/actionprobe" "$repeats" "$@" |
        sed "s/^/$player_name $via $action /" >>"$work/actions"; then
        echo "$player_name $via $action: the probe ended early" >&2
    fi
}

vorla_series() {
    local vorla_name=org.mpris.MediaPlayer2.vorla row pause next volume position
    # Centres of the controls in the template, the list's first row as run.sh double-clicks it;
    # the volume slider's thumb at its right end (full volume), the position slider at 90 %.
    dialog_point 7 158
    row=("$window" $((px + 3 * unit_x)) $((py + unit_y / 2 + 2)))
    dialog_point 38 87
    pause=("$window" "$px" "$py")
    dialog_point 94 103
    next=("$window" "$px" "$py")
    dialog_point 149 135
    volume=("$window" "$px" "$py")
    dialog_point 133 73
    position=("$window" "$px" "$py")

    set_volume "$vorla_name" 1.0
    local full=("${step[@]}")
    set_volume "$vorla_name" 0.0
    local silent=("${step[@]}")
    # Full volume, and a double-click on the first row plays steps.mp3 from its start, whatever
    # played before.
    local restart=("${full[@]}" dclick "${row[@]}")
    # The click gives the slider the focus and leaves it at full volume; Home takes it to 0.
    series vorla window volume silence "${restart[@]}" -- \
        click "${volume[@]}" key Home
    series vorla mpris volume silence "${restart[@]}" -- "${silent[@]}"
    series vorla window pause silence "${restart[@]}" -- click "${pause[@]}"
    method "$vorla_name" Pause
    series vorla mpris pause silence "${restart[@]}" -- "${step[@]}"
    series vorla mpris seek level "${restart[@]}" -- seek "$vorla_name" 20000000
    # From 12 s on, a click right of the thumb moves a page (6 s) into the quiet half.
    series vorla window seek level "${restart[@]}" sleep 300 seek "$vorla_name" 12000000 -- \
        click "${position[@]}"
    series vorla window next level "${restart[@]}" -- click "${next[@]}"
    method "$vorla_name" Next
    series vorla mpris next level "${restart[@]}" -- "${step[@]}"
}

audacious_series() {
    local audacious_name=org.mpris.MediaPlayer2.audacious
    set_volume "$audacious_name" 1.0
    local full=("${step[@]}")
    set_volume "$audacious_name" 0.0
    local silent=("${step[@]}")
    # Full volume; stopped, the first entry chosen and played: steps.mp3 from its start.
    method "$audacious_name" Stop
    local restart=("${full[@]}" "${step[@]}" call org.atheme.audacious /org/atheme/audacious
        org.atheme.audacious.Jump "(uint32 0,)")
    method "$audacious_name" Play
    restart+=("${step[@]}")

    series audacious mpris volume silence "${restart[@]}" -- "${silent[@]}"
    method "$audacious_name" Pause
    series audacious mpris pause silence "${restart[@]}" -- "${step[@]}"
    series audacious mpris seek level "${restart[@]}" -- seek "$audacious_name" 20000000
    method "$audacious_name" Next
    series audacious mpris next level "${restart[@]}" -- "${step[@]}"
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
echo "Vorla $(git -C "$top" rev-parse --short HEAD) beside $(audacious --version | head -n1):" \
    "how soon actions are heard, $repeats repeats each, about $(((repeats + 1) / 2)) minutes"
: >"$work/actions"
for name in vorla audacious; do
    start_player "$name" "$work/runs/actions-$name" || exit 1
    # Vorla's chime is over by then.
    sleep 2
    "${name}_series"
    stop_player
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

cp "$work/actions" "$out/last-actions.txt"
echo
echo "Per repeat (also in build-peers/last-actions.txt): ms from the action's mark to the first"
echo "read of the monitor from which the sound is gone (below the audible level for volume and"
echo "pause, no longer loud for seek and next), and to the first audible read from then on"
cat "$out/last-actions.txt"
echo
echo "load average (1, 5, 15 min) at the start: $load_before; at the end: $load_after"
awk -f "$here/actions.awk" "$out/last-actions.txt"
