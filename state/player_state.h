// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "state/limits.h"

// The one record of the running player, shared by every handler and the clock callback.
struct PlayerState {
    // Playlist mirror: entry i of the list control and dirTable row i describe one file.
    int currentIndex;
    int dirCount;
    char dirTable[MAX_ENTRIES][PATH_BYTES];
    int listCount;

    // Current track.
    char trackName[NAME_BYTES];
    char longPath[PATH_BYTES];
    char shortPath[PATH_BYTES];

    // Clock and length.
    int totalMin;
    int totalSec;
    int elapsedMin;
    int elapsedSec;
    int volume;

    // Formatted output and command buffers.
    char totalText[LABEL_BYTES];
    char elapsedText[LABEL_BYTES];
    char playCommand[COMMAND_BYTES];
    char closeCommand[COMMAND_BYTES];
    char volumeCommand[COMMAND_BYTES];
    char statusCommand[COMMAND_BYTES];
    char statusReply[REPLY_BYTES];

    // What the user was last told about saving, so the same trouble is told once.
    bool saveFailureTold;
    std::uint64_t leftOutTold; // the set of entries the file could not hold, 0 for none
};

extern PlayerState player;

// Zeroes the record and sets currentIndex to -1: the state at process start.
void resetPlayerState();
