// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

#include "state/player_state.h"

// The file dialog's result buffer: a directory, then up to a full playlist of names, each
// ended by a NUL, and the empty string that ends the list.
constexpr std::size_t SELECTION_BYTES = PATH_BYTES + MAX_ENTRIES * NAME_BYTES + 1;

// Turns the one-file form (full path NUL NUL) into the several-files form (directory NUL name
// NUL NUL) by cutting at the last path separator; a file in the root folder gets the directory
// "" ("C:" on Windows). A buffer already in the several-files form, or without a separator, is
// left as it is.
void splitSingleSelection(char *buffer, std::size_t size);

// Appends every name after the directory to the end of the playlist control, up to the first
// empty string. Returns how many names were left out: those past the playlist's capacity and
// those that could not be played back (a name, or directory, separator and name, too long for
// its buffer).
int appendSelectedNames(const char *buffer, std::size_t size);
