// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Starts the playlist entry at index: path, play, title, volume, length, clock from 0:00.
void startTrack(int index);

void onPlay();
void onPause();
void onStop();
void onPrevious();
void onNext();
void onPlaylistDoubleClick();
