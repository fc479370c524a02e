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

// How a file's MPEG audio sits in it, for a parser that must not see the tags.
enum class MpegLayout {
    Bare,  // frames from the first byte, no tags
    Id3,   // frames right after one ID3v2 tag, an ID3v1 tag at the end, or both
    Other, // APE tags, two ID3v2 tags in a row, bytes before the first frame, unreadable
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

// Where the MPEG audio sits in a file and which tags surround it.
MpegLayout mpegLayoutOf(const char *path);

// True when libmpg123 finds a format and decodes the first frame.
bool decodesFirstMpegFrame(const char *path);

// Decoded length from a full frame scan with gapless trimming, in ms; -1 when the file is not
// MPEG audio.
long long scanMpegLengthMs(const char *path);
