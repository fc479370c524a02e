// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/transport.h"

void startTrack(int) {}

void onPlay() {}

void onPause() {}

void onStop() {}

void onPrevious() {}

void onNext() {}

void onPlaylistDoubleClick() {}
