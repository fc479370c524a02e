#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Where Vorla's start-up time and memory go, in the private session of run.sh: start-up and idle
# memory with one cost taken away at a time (round-robin, PROFILE_RUNS rounds, default 7), the
# same for a bare Qt 6 dialog and Audacious; memory while playing beside bare GStreamer chains;
# smaps by mapping; a start-up timeline from strace; gst_init's own timing.
set -euo pipefail
# shellcheck source=bench/peers/env.sh
source "$(dirname "$0")/env.sh"
rounds=${PROFILE_RUNS:-7}

# shellcheck disable=SC2046
g++ -O2 -Wall -Wextra -fPIC -o "$out/bare_dialog" "$here/bare_dialog.cpp" \
    $(pkg-config --cflags --libs Qt6Widgets gstreamer-1.0)
bare="$out/bare_dialog"

# Warm caches, as in run.sh.
for name in vorla audacious; do
    start_player "$name" "$work/runs/$name-warmup"
    sleep 3
    stop_player
    seed_caches "$name" "$work/runs/$name-warmup/home"
done

# variant NAME DIR: a fresh home and command line for one start-up variant.
variant() {
    local name=$1 run=$2
    case $name in
    audacious) fresh_home audacious "$run" ;;
    *) fresh_home vorla "$run" ;;
    esac
    player_command vorla
    case $name in
    vorla) ;;
    no-rescan) player_env+=(GST_REGISTRY_UPDATE=no) ;;
    no-chime) rm "$run/home/.local/share/vorla/open.mp3" ;;
    fakesink) player_env+=(VORLA_AUDIO_SINK="fakesink sync=true") ;;
    no-bus) player_env+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus") ;;
    no-playlist) rm "$run/home/.local/share/vorla/savelist" ;;
    empty-playlist) echo 0 >"$run/home/.local/share/vorla/savelist" ;;
    one-arena) player_env+=(GLIBC_TUNABLES=glibc.malloc.arena_max=1) ;;
    bare) player_cmd=("$bare") ;;
    bare-playbin) player_cmd=("$bare" playbin "$media") ;;
    bare-lean) player_cmd=("$bare" lean "$media") ;;
    audacious) player_command audacious ;;
    esac
}

median() { sort -n | awk '{v[NR] = $1} END {print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
mebibytes() { awk -v kb="$1" 'BEGIN {print kb / 1024}'; }
anonymous_kb() { awk '/^Anonymous:/ {print $2}' "/proc/$1/smaps_rollup"; }

variants=(vorla no-rescan no-chime fakesink no-bus no-playlist empty-playlist one-arena bare bare-playbin bare-lean audacious)
echo "== Start-up (exec to map) and idle memory 3 s later, medians of $rounds round-robin runs"
: >"$work/startup"
for round in $(seq "$rounds"); do
    for name in "${variants[@]}"; do
        run="$work/runs/startup-$name-$round"
        variant "$name" "$run"
        launch "$name" "$run" "${player_cmd[@]}" || continue
        sleep 3
        echo "$name $startup $("$out/playprobe" mem "$player") $(anonymous_kb "$player")" \
            "$(find "/proc/$player/task" -mindepth 1 -maxdepth 1 | wc -l)" >>"$work/startup"
        stop_player
    done
done
printf '%-14s %9s %-15s %8s %8s %8s %7s\n' variant "start ms" "(min..max)" "RSS MiB" "HWM MiB" \
    "anon MiB" threads
for name in "${variants[@]}"; do
    figures() { awk -v n="$name" -v c="$1" '$1 == n {print $c}' "$work/startup" | median; }
    spread=$(awk -v n="$name" '$1 == n {print $2}' "$work/startup" | sort -n |
        awk 'NR == 1 {low = $1} {high = $1} END {printf "(%.0f..%.0f)", low, high}')
    printf '%-14s %9.1f %-15s %8.1f %8.1f %8.1f %7s\n' "$name" "$(figures 2)" "$spread" \
        "$(mebibytes "$(figures 3)")" "$(mebibytes "$(figures 4)")" "$(mebibytes "$(figures 5)")" \
        "$(figures 6)"
done
echo "vorla: as benchmarked; no-rescan: GST_REGISTRY_UPDATE=no; no-chime: no open.mp3;"
echo "fakesink: VORLA_AUDIO_SINK=\"fakesink sync=true\"; no-bus: no session bus; no-playlist: no"
echo "savelist, hence no skin either; empty-playlist: a savelist of no entries, the skin applies;"
echo "one-arena: GLIBC_TUNABLES=glibc.malloc.arena_max=1 (no malloc arena per thread);"
echo "bare*: a Qt 6 dialog with a list and a button, alone or playing the file from the"
echo "map through playbin or filesrc ! mpegaudioparse ! mpg123audiodec ! audioconvert !"
echo "audioresample ! volume ! autoaudiosink; audacious: as benchmarked"

# smaps_groups PID: Rss by kind of mapping, in KiB.
smaps_groups() {
    awk '
    /^[0-9a-f]+-[0-9a-f]+ / { name = NF >= 6 ? $6 : "[anonymous]"; next }
    /^Rss:/ {
        kind = "other files"
        if (name ~ /libQt6/) kind = "Qt 6 libraries"
        else if (name ~ /gstreamer-1.0\//) kind = "GStreamer plugins"
        else if (name ~ /libgst|liborc/) kind = "GStreamer libraries"
        else if (name ~ /\.so/) kind = "other libraries"
        else if (name ~ /\.(ttf|ttc|otf)$/) kind = "font files"
        else if (name == "[heap]") kind = "heap"
        else if (name == "[anonymous]" || name ~ /^\[stack/) kind = "anonymous, stacks"
        rss[kind] += $2
        if (kind ~ /libraries|plugins/) files[kind, name] = 1
    }
    END {
        for (key in files) { split(key, part, SUBSEP); count[part[1]]++ }
        for (kind in rss) printf "%-22s %8d %5s\n", kind, rss[kind], count[kind] ? count[kind] : ""
    }' "/proc/$1/smaps" | sort -k1,1
}

echo
echo "== Memory after 8 s of playing (kB), one run each"
printf '%-30s %8s %8s %8s %8s\n' what VmRSS VmHWM anon threads
played() {
    # shellcheck disable=SC2046,SC2183
    printf '%-30s %8s %8s %8s %8s\n' "$1" $("$out/playprobe" mem "$player") "$(anonymous_kb "$player")" \
        "$(find "/proc/$player/task" -mindepth 1 -maxdepth 1 | wc -l)"
}
run="$work/runs/play-vorla"
start_player vorla "$run"
sleep 3
smaps_groups "$player" >"$work/groups-vorla-idle"
play_request vorla
{ parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    2>/dev/null || true; } | "${player_env[@]}" "$out/playprobe" play "$player" 8 "${request[@]}" >/dev/null
played "Vorla (double-click)"
smaps_groups "$player" >"$work/groups-vorla-playing"
stop_player
for name in bare-playbin bare-lean; do
    run="$work/runs/play-$name"
    variant "$name" "$run"
    launch "$name" "$run" "${player_cmd[@]}"
    sleep 8
    played "$name"
    smaps_groups "$player" >"$work/groups-$name"
    stop_player
done
run="$work/runs/play-audacious"
start_player audacious "$run"
sleep 3
play_request audacious
{ parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    2>/dev/null || true; } | "${player_env[@]}" "$out/playprobe" play "$player" 8 "${request[@]}" >/dev/null
played "Audacious (Play)"
smaps_groups "$player" >"$work/groups-audacious-playing"
stop_player
# The chains without any window, each 8 s into the file.
fresh_home vorla "$work/runs/play-gst"
for chain in "playbin flags=0x12 uri=file://$media" \
    "filesrc location=$media ! mpegaudioparse ! mpg123audiodec ! audioconvert ! audioresample ! volume ! autoaudiosink"; do
    # shellcheck disable=SC2086
    "${player_env[@]}" gst-launch-1.0 -q $chain >/dev/null 2>&1 &
    gst=$!
    sleep 8
    # shellcheck disable=SC2046,SC2183
    printf '%-30s %8s %8s %8s %8s\n' "gst-launch ${chain%% *}" $("$out/playprobe" mem "$gst") \
        "$(anonymous_kb "$gst")" "$(find "/proc/$gst/task" -mindepth 1 -maxdepth 1 | wc -l)"
    kill "$gst"
    wait "$gst" 2>/dev/null || true
done

echo
echo "== Resident memory by kind of mapping (KiB; count of files)"
for group in vorla-idle vorla-playing bare-playbin bare-lean audacious-playing; do
    echo "-- $group"
    cat "$work/groups-$group"
done

echo
echo "== Vorla start-up timeline (strace, wall clock from exec; strace slows it down)"
run="$work/runs/timeline"
fresh_home vorla "$run"
"${player_env[@]}" "$out/mapwatch" "$run/map" strace -f --seccomp-bpf -tt \
    -e trace=execve,openat,connect,clone,clone3 -o "$run/trace" "$vorla" >/dev/null 2>&1 &
watcher=$!
sleep 4
tracer=$(awk '{print $1}' "/proc/$watcher/task/$watcher/children")
player=$(awk '{print $1}' "/proc/$tracer/task/$tracer/children")
read -r mapped _ <"$run/map"
stop_player
wait "$watcher" 2>/dev/null || true
awk -v mapped="$mapped" '
function at(field,    t) { split(field, t, ":"); return t[1] * 3600 + t[2] * 60 + t[3] }
NR == 1 { first = at($2) }
function mark(name) { if (!(name in seen)) { seen[name] = 1; printf "%8.1f ms  %s\n", (at($2) - t0) * 1000, name } }
!t0 && /execve\(/ && /build-release\/vorla/ { t0 = at($2); main = $1 }
!t0 { next }
$1 == main && /openat/ && /\.so/ && !/ENOENT/ && !/gstreamer-1.0\// { libraries++; mark("first library opened") }
/X11-unix/ && /connect/ { mark("X server connected (QApplication)") }
/fonts.conf"/ { mark("fontconfig reads its configuration") }
/wqy-microhei/ && !/ENOENT/ { mark("WenQuanYi Micro Hei opened") }
/\/bus"/ && /connect/ { mark("session bus connected") }
/registry.x86_64.bin/ { mark("GStreamer registry read (gst_init)") }
/gst-plugin-scanner/ && /execve/ { mark("gst-plugin-scanner started: the registry is rescanned") }
/open.mp3/ && /openat/ { mark("chime file opened") }
$1 == main && /gstreamer-1.0\/libgst/ && /openat/ && !/ENOENT/ { plugins++ }
/pulse\/native/ && /connect/ { mark("PulseAudio connected") }
/savelist/ { mark("playlist file read") }
END {
    printf "%8.1f ms  window mapped\n", mapped - (t0 - first) * 1000
    printf "%d libraries and %d GStreamer plugins opened by the main thread\n", libraries, plugins
}' "$run/trace"

echo
echo "== gst_init in Vorla (GST_DEBUG timestamps), with and without the registry check"
for update in yes no; do
    run="$work/runs/gst-init-$update"
    fresh_home vorla "$run"
    # shellcheck disable=SC2054
    player_env+=(GST_DEBUG=GST_INIT:4,GST_REGISTRY:4 GST_DEBUG_NO_COLOR=1
        GST_REGISTRY_UPDATE="$update")
    launch "gst-init" "$run" "$vorla"
    sleep 2
    stop_player
    # The scanner child logs to the same stream; only the player's own lines count.
    awk -v update="$update" '
        function s(t,    p) { split(t, p, ":"); return p[1] * 3600 + p[2] * 60 + p[3] }
        /init_pre: Initializing GStreamer Core/ && !main { main = $2; start = $1 }
        $2 != main { next }
        /cached info for .* is stale/ { sub(/.*cached info for /, ""); sub(/ is stale.*/, ""); stale = stale " " $0 }
        /initialized GStreamer successfully/ && !done { done = $1 }
        END { printf "GST_REGISTRY_UPDATE=%-3s gst_init %.1f ms; stale:%s\n", update,
                     (s(done) - s(start)) * 1000, stale ? stale : " none" }' "$run/player.log"
done


# Up to the first paint only: the start-up probe ends the run there.
echo
echo "== Vorla start-up to its first paint: system calls (strace -c -f), top 12 by time"
run="$work/runs/syscalls"
fresh_home vorla "$run"
"${player_env[@]}" VORLA_STARTUP_PROBE=1 strace -c -f -o "$run/summary" "$vorla" >/dev/null
sed -n '1,2p;3,14p' "$run/summary"
tail -n1 "$run/summary"

echo
echo "== Vorla start-up to its first paint: CPU samples (perf, cpu-clock at 4 kHz)"
run="$work/runs/perf"
fresh_home vorla "$run"
if "${player_env[@]}" VORLA_STARTUP_PROBE=1 perf record -q -e cpu-clock -F 4000 -o "$run/perf.data" \
    "$vorla" >/dev/null 2>&1; then
    perf report -i "$run/perf.data" --stdio --sort dso 2>/dev/null | grep -v '^#' | grep . | head -12
    echo "-- by thread"
    perf report -i "$run/perf.data" --stdio --sort comm 2>/dev/null | grep -v '^#' | grep . | head -8
else
    echo "perf cannot sample here"
fi

echo
echo "== heaptrack: Vorla started, 3 s idle, then 8 s playing"
run="$work/runs/heaptrack"
fresh_home vorla "$run"
# Raw recording: interpreting while the player runs slows it down too much to matter.
launch heaptrack "$run" heaptrack -r -o "$run/heap" "$vorla"
sleep 3
tracked=$(pgrep -P "$player" -x vorla)
play_request vorla
{ parec -d bench.monitor --raw --format=s16le --rate=44100 --channels=2 --latency-msec=10 \
    2>/dev/null || true; } | "${player_env[@]}" "$out/playprobe" play "$tracked" 8 "${request[@]}" >/dev/null
kill "$tracked"
# heaptrack finishes its file once the player has gone.
wait "$watcher" 2>/dev/null || true
player=
zstd -dc "$run/heap.raw.zst" | /usr/lib/heaptrack/libexec/heaptrack_interpret 2>/dev/null |
    zstd -q -o "$run/heap.zst"
heaptrack_print -f "$run/heap.zst" -p 1 -a 0 -T 0 -l 0 -n 8 -s 1 2>/dev/null >"$run/heap.txt"
grep -E '^(peak heap memory|calls to allocation|peak RSS)' "$run/heap.txt"
# Each of the top consumers with the library of its innermost frame and the first of Vorla's own
# functions on its way, when there is one.
awk -v program="$vorla" '
    function flush() { if (head) print head " " where (own ? ", via " own : "") }
    /peak memory consumed over/ { flush(); head = $0; where = own = ""; next }
    head && where == "" && /^  in / { where = $2 }
    /^ +in / && $2 == program && own == "" && frame != "" { own = frame }
    { sub(/^ +/, ""); frame = $0 }
    END { flush() }' "$run/heap.txt"
