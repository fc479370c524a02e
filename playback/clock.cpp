// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/clock.h"

void onClockTick() {}
