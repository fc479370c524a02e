// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A user move of a slider, identified by its control identifier. The position slider replays
// the track from the chosen second; the volume slider sets the volume. Neither touches the
// clock timer.
void onHScroll(int sliderId);
