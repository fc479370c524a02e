// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Small sequences shared by the handlers; all work on the player record.

// Fills trackName, longPath and shortPath for a playlist index. An index outside the table,
// or a path that does not fit, leaves them empty so the media commands fail silently.
void trackPath(int index);

// "%d:%d" when seconds >= 10, else "%d:0%d".
void formatClock(int minutes, int seconds, char *dst, std::size_t size);

// Blank title, both time labels "0:00", position slider 0. Callers also stop the clock.
void resetDisplay();

// Sends "close" for shortPath, the current or last track.
void closeCurrentTrack();

// Formats the clock into elapsedText and shows it in the elapsed label.
void showElapsedClock();

// Reads the volume slider and sends it for the current track.
void applyVolume();

// Asks the track's length, then sets the position range, totalMin/totalSec and total label.
void loadTrackLength();
