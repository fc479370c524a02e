// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The decoded length of MPEG audio from a frame scan of our own, in plain C++ for builds without
// libmpg123. It finds, skips and counts frames as libmpg123's full scan does, so both give the
// same length for the same file, junk and broken files included. It reads the stream once,
// forward, and never seeks.

#include <cstddef>
#include <cstdio>

// Decoded length in ms of the MPEG audio from the stream's position to its end, with encoder
// delay and padding trimmed as libmpg123's gapless scan trims them; -1 when there is none.
long long scanMpegFramesMs(std::FILE *file);

// What the four bytes of a frame header at p tell: frames of one `kind` (version, layer and
// sample rate) decode alike; `bytes` is the whole frame's size.
struct MpegFrameHead {
    unsigned long kind = 0;
    std::size_t bytes = 0;
};

// False for bytes that cannot start a frame of a stream with a fixed bit rate: no sync, a
// reserved version, layer, bit rate, sample rate or emphasis, or free format.
bool readMpegFrameHead(const unsigned char *p, MpegFrameHead &head);
