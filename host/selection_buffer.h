// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Writes the file dialog's choice as chooseFiles hands it to the player. One file: its full
// path NUL NUL. Several: directory NUL names NUL ... NUL. Files in another folder than the first
// usable one, unusable paths and names past the buffer's end are counted in leftOut. False when
// nothing could be written.
bool writeSelection(const std::vector<std::string> &paths, char *buffer, std::size_t size,
                    int &leftOut);

// What chooseFiles does in either host: clears the buffer and the count, lets choose fill in
// the paths (and count what it already left out), then writes them. False when choose gives
// nothing or nothing could be written.
using ChoosePaths = std::function<bool(std::vector<std::string> &paths, int &leftOut)>;
bool chooseSelection(char *buffer, std::size_t size, int *leftOut, const ChoosePaths &choose);
