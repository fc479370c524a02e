// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Path texts hold PATH_MAX bytes; names, replies and labels 256.
constexpr std::size_t PATH_BYTES = 4096;
constexpr std::size_t NAME_BYTES = 256;
constexpr std::size_t LABEL_BYTES = 256;
constexpr std::size_t REPLY_BYTES = 256;
// A command is a path plus the command's own words and numbers.
constexpr std::size_t COMMAND_BYTES = PATH_BYTES + 64;
constexpr int MAX_ENTRIES = 256;

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
};

extern PlayerState player;

// Zeroes the record and sets currentIndex to -1: the state at process start.
void resetPlayerState();
