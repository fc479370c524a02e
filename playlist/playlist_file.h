// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shown when the playlist file cannot be written; the file saved before stays as it was.
constexpr char MSG_PLAYLIST_SAVE_FAILED[] = "播放列表保存失败!上次保存的列表保持不变。";
// Entries the file cannot hold: a name or folder with a line that starts with "*" (it would
// end the value early), a carriage return before a line end, or a text too long to read back.
constexpr char MSG_PLAYLIST_LEFT_OUT_TEMPLATE[] = "有%d首歌曲的名称或路径无法写入播放列表，已略去!";

// Reads the saved playlist into the list and dirTable; false when the file cannot be opened.
// Stops at the first broken record and keeps the whole ones before it: listCount and dirCount
// are the number of entries shown, at most MAX_ENTRIES, and currentIndex is -1.
bool loadPlaylist();

// Writes the list and dirTable to the playlist file through a temporary file renamed over it,
// so a failed save keeps the previous file; the user is told when it fails.
void savePlaylist();
