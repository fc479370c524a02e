// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// The playlist control of the fuzzing host, for targets that inspect what the player inserted.
std::vector<std::string> &fuzzListRows();
// Clears the list and the recorded commands; call at the start of each input.
void resetFuzzHost();
// Where playlistFilePath points; a fixed nonexistent path until set.
void setFuzzPlaylistPath(const char *path);
