// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Writes the file dialog's choice as chooseFiles hands it to the player. One file: its full
// path NUL NUL. Several: directory NUL names NUL ... NUL. Files in another folder than the first
// usable one, unusable paths and names past the buffer's end are counted in leftOut. False when
// nothing could be written.
bool writeSelection(const std::vector<std::string> &paths, char *buffer, std::size_t size,
                    int &leftOut);
