// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

constexpr int CLOCK_TIMER_ID = 0;
constexpr int CLOCK_PERIOD_MS = 1000;
// The window freezes this long between a track's end and its replay or successor.
constexpr int TRACK_CHANGE_WAIT_MS = 2000;

// The play mode is the selected index of the play-mode combo box.
enum class PlayMode { SingleOnce = 0, SingleLoop = 1, Sequential = 2, ListLoop = 3 };

// The clock timer's callback: advances the clock one second and, at a track's end, acts by
// the play mode selected at that moment.
void onClockTick();
