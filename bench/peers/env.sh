# SPDX-License-Identifier: GPL-3.0-or-later
# The variables set here are read by the scripts that source this file.
# shellcheck shell=bash disable=SC2034
# Sourced by run.sh, actions.sh and profile.sh: installs the measurement's packages, builds the
# release build and the probes, makes the test file and starts a private Xvfb, session bus and
# PulseAudio null sink, all torn down on exit. BENCH_KEEP=1 keeps the work folder.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
here="$top/bench/peers"
out="$top/build-peers"
vorla="$top/build-release/vorla"

"$top/tools/install-deps.sh" "$here/packages.txt"
nice -n 10 make -C "$top" release
mkdir -p "$out"
for tool in mapwatch playprobe actionprobe; do
    # shellcheck disable=SC2046
    cc -O2 -Wall -Wextra -o "$out/$tool" "$here/$tool.c" $(pkg-config --cflags --libs x11 xtst gio-2.0)
done

work=$(mktemp -d /tmp/vorla-peers.XXXXXX)
service_pids=()
stop_services() {
    for pid in "${service_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    [[ "${BENCH_KEEP:-0}" == 1 ]] || rm -rf "$work"
}
trap stop_services EXIT

# A 30 s 320 kbps MP3 of pink noise: dense content, audible from its first frame.
media="$work/media/pink_320k.mp3"
mkdir -p "$work/media"
gst-launch-1.0 -q audiotestsrc num-buffers=30 samplesperbuffer=44100 wave=pink-noise volume=0.5 \
    ! "audio/x-raw,format=S16LE,rate=44100,channels=2" ! wavenc \
    ! filesink location="$work/media/pink.wav"
lame --quiet -b 320 "$work/media/pink.wav" "$media"
rm "$work/media/pink.wav"
# The files a player is given: Vorla's playlist, Audacious' command line.
media_list=("$media")

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
service_pids+=($!)
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
display=":$(head -n1 "$work/display")"

# A session bus that activates nothing: both players find the same empty bus.
cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$work/bus</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=1 >"$work/bus.address" \
    2>"$work/bus.log" &
service_pids+=($!)

# The sound server: one null sink at the file's rate, reached through its own socket.
mkdir -p "$work/pulse/home" "$work/pulse/runtime"
env -i PATH="$PATH" HOME="$work/pulse/home" PULSE_RUNTIME_PATH="$work/pulse/runtime" \
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --realtime=no --high-priority=no \
    --log-target=stderr --log-level=error \
    -L "module-null-sink sink_name=bench rate=44100 channels=2 format=s16le" \
    -L "module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1" \
    2>"$work/pulse.log" &
service_pids+=($!)
export PULSE_SERVER="unix:$work/pulse/native"
for _ in $(seq 100); do
    [[ -s "$work/bus.address" ]] && pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
bus=$(head -n1 "$work/bus.address")
pactl info >/dev/null

# fresh_home NAME DIR: a new HOME and runtime folder in DIR for player NAME (vorla or audacious),
# with the caches in $work/seed-NAME when there are any; sets player_env to run a player there.
fresh_home() {
    local name=$1 run=$2
    local home="$run/home" runtime="$run/runtime"
    mkdir -p "$home" "$runtime"
    chmod 700 "$runtime"
    if [[ -d "$work/seed-$name" ]]; then
        cp -a "$work/seed-$name/." "$home/"
    fi
    if [[ $name == vorla ]]; then
        mkdir -p "$home/.local/share/vorla"
        cp "$top/resources/open.mp3" "$home/.local/share/vorla/open.mp3"
        {
            echo "${#media_list[@]}"
            for file in "${media_list[@]}"; do
                printf '%s\n*\n%s\n*\n' "$(dirname "$file")" "$(basename "$file")"
            done
        } >"$home/.local/share/vorla/savelist"
    fi
    player_env=(env -i PATH="$PATH" LANG=C.UTF-8 HOME="$home" XDG_RUNTIME_DIR="$runtime"
        DISPLAY="$display" PULSE_SERVER="$PULSE_SERVER" DBUS_SESSION_BUS_ADDRESS="$bus")
}

# seed_caches NAME HOME: keeps what the stacks rebuild when it is missing (GStreamer's and
# Audacious' plugin registries) for the next fresh homes of NAME.
seed_caches() {
    local name=$1 home=$2
    mkdir -p "$work/seed-$name"
    if [[ -d "$home/.cache" ]]; then
        cp -a "$home/.cache" "$work/seed-$name/"
    fi
    if [[ -f "$home/.config/audacious/plugin-registry" ]]; then
        mkdir -p "$work/seed-$name/.config/audacious"
        cp "$home/.config/audacious/plugin-registry" "$work/seed-$name/.config/audacious/"
    fi
}

# The player's command line: Vorla reads its playlist file; Audacious gets the files enqueued, not
# started, so that idle is idle for both.
player_command() {
    if [[ $1 == vorla ]]; then
        player_cmd=("$vorla")
    else
        player_cmd=(audacious -e "${media_list[@]}")
    fi
}

# start_player NAME DIR: starts the player in a fresh home (see launch).
start_player() {
    fresh_home "$1" "$2"
    player_command "$1"
    launch "$1" "$2" "${player_cmd[@]}"
}

# launch LABEL DIR CMD [ARG...]: runs CMD with player_env under mapwatch; sets watcher, player
# (its pid), startup (ms from exec to the map), window and mapped_at (the map on the monotonic
# clock, ms), or returns 1 when nothing was mapped.
launch() {
    local label=$1 run=$2
    shift 2
    "${player_env[@]}" "$out/mapwatch" "$run/map" "$@" >"$run/player.log" 2>&1 &
    watcher=$!
    for _ in $(seq 400); do
        [[ -s "$run/map" ]] && break
        sleep 0.1
    done
    startup=fail window= mapped_at=
    read -r startup window mapped_at <"$run/map" || true
    player=$(awk '{print $1}' "/proc/$watcher/task/$watcher/children" 2>/dev/null || true)
    if [[ -z "$player" || "$startup" == fail || -z "$window" ]]; then
        echo "$label: no window mapped (see $run/player.log)" >&2
        stop_player
        return 1
    fi
}

stop_player() {
    if [[ -n "${player:-}" ]]; then
        kill "$player" 2>/dev/null || true
    fi
    wait "$watcher" 2>/dev/null || true
    player=
}

# dialog_point X Y: sets px and py to the pixel of Vorla's $window at X,Y dialog units of the
# window template (154 x 280, below the menu bar), and unit_x and unit_y to the base units in
# pixels. The width gives the horizontal base unit; the vertical one is twice it.
dialog_point() {
    local width height menu_bar
    width=$(xwininfo -display "$display" -id "$window" | awk '/Width:/ {print $2}')
    height=$(xwininfo -display "$display" -id "$window" | awk '/Height:/ {print $2}')
    unit_x=$(((4 * width + 77) / 154))
    unit_y=$((2 * unit_x))
    menu_bar=$((height - (280 * unit_y + 4) / 8))
    px=$((($1 * unit_x + 2) / 4))
    py=$((menu_bar + ($2 * unit_y + 4) / 8))
}

# play_request NAME: sets request to the probe's arguments that ask the player to play.
play_request() {
    if [[ $1 == vorla ]]; then
        # The first row of the list, at x=7, y=158 in the template.
        dialog_point 7 158
        request=(click "$window" $((px + 3 * unit_x)) $((py + unit_y / 2 + 2)))
    else
        request=(dbus org.atheme.audacious /org/atheme/audacious org.atheme.audacious Play)
    fi
}
