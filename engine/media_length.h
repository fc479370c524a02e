// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a media file holds, told from its bytes, and the exact length of MPEG audio from a full
// frame scan with libmpg123.

#include <ctime>
#include <sys/types.h>

enum class MediaType {
    Missing,    // no such regular file
    Unreadable, // exists, but cannot be read or is empty
    Mpeg,       // MPEG audio frames, maybe behind an ID3v2 tag
    Wave,       // RIFF/RF64 WAVE, whatever its name says
    Flac,       // native FLAC
    Ogg,        // an Ogg stream
    Unknown,    // anything else: only a trial decode can tell
};

// Tells one version of a file from another, so a cached length is never stale.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::time_t modifiedSeconds = 0;
    long modifiedNanoseconds = 0;

    bool operator==(const FileIdentity &) const = default;
};

// Reads a file's head: its type, and its identity when it exists.
MediaType sniffMedia(const char *path, FileIdentity *identity);

// True when libmpg123 finds a format and decodes the first frame.
bool decodesFirstMpegFrame(const char *path);

// Decoded length from a full frame scan with gapless trimming, in ms; -1 when the file is not
// MPEG audio.
long long scanMpegLengthMs(const char *path);
