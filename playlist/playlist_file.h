// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reads the saved playlist into the list and dirTable; false when the file cannot be opened.
bool loadPlaylist();

// Writes the list and dirTable to the playlist file.
void savePlaylist();
