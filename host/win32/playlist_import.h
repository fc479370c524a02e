// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The list of the player Vorla follows, kept at D:\savelist in the same format, with texts in
// the system's ANSI code page (GBK on a Chinese system) and CR LF line ends.
constexpr char ORIGINAL_PLAYLIST[] = "D:\\savelist";

// The ANSI code page of the system, not of this process: the manifest makes the process's
// UTF-8, while the original player wrote its file in the system's.
unsigned systemAnsiCodePage();

// Writes the original list at from into the playlist file at to, each line that is not UTF-8
// decoded from codePage; from is only read. Does nothing when to already exists or from is
// not a regular file; false when a list should have been imported and was not.
bool importOriginalPlaylist(const char *from, const char *to, unsigned codePage);
