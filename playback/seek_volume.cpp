// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/seek_volume.h"

void onHScroll(int) {}
