#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Synthesises the start-up chime (three soft bell strokes rising over an E major chord, 1.5 s)
# and encodes it to open.mp3. Needs python3 and gst-launch-1.0 with lamemp3enc; the MP3 is
# committed, so builds do not run this.
set -euo pipefail
cd "$(dirname "$0")"
wav=$(mktemp --suffix=.wav)
trap 'rm -f "$wav"' EXIT

python3 - "$wav" <<'PY'
import math, struct, sys, wave

RATE = 44100
LENGTH = 1.5
# (start in s, fundamental in Hz, level): E5, G#5, B5, then E6 over them.
STROKES = [(0.00, 659.26, 0.55), (0.11, 830.61, 0.45), (0.22, 987.77, 0.40), (0.36, 1318.51, 0.30)]
# A bell's partials: (ratio to the fundamental, level, decay time in s).
PARTIALS = [(1.0, 1.0, 0.55), (2.0, 0.35, 0.30), (2.76, 0.18, 0.18), (5.40, 0.06, 0.08)]

count = int(RATE * LENGTH)
samples = [0.0] * count
for start, pitch, level in STROKES:
    first = int(start * RATE)
    for ratio, weight, decay in PARTIALS:
        step = 2 * math.pi * pitch * ratio / RATE
        for n in range(count - first):
            t = n / RATE
            attack = min(1.0, t / 0.004)
            samples[first + n] += level * weight * attack * math.exp(-t / decay) * math.sin(step * n)

peak = max(abs(s) for s in samples)
fade = int(0.2 * RATE)
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(RATE)
    frames = bytearray()
    for n, s in enumerate(samples):
        gain = min(1.0, (count - n) / fade)
        frames += struct.pack("<h", int(s / peak * 0.7 * gain * 32767))
    out.writeframes(bytes(frames))
PY

gst-launch-1.0 -q filesrc location="$wav" ! wavparse ! audioconvert \
    ! lamemp3enc target=quality quality=3 ! xingmux ! filesink location=open.mp3
