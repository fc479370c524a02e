// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/playlist_file.h"

bool loadPlaylist()
{
    return false;
}

void savePlaylist() {}
