// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The host tells one listener what changed on the window, so that whoever publishes the window
// elsewhere (the desktop's media controls) follows it without the host knowing who listens.

#include <functional>

enum class WindowChange {
    Text,         // a control's text was set
    SliderValue,  // a slider moved, by the program or by the user
    SliderRange,  // a slider got a new range; for the position slider, a new track
    Clock,        // the clock timer started or stopped
    DialogOpened, // a modal box or the file dialog opened over the window
    DialogClosed, // and closed again
};

// Called right after each change, on the UI thread; id is the control's (the timer's for Clock,
// 0 for dialogs).
using WindowListener = std::function<void(WindowChange change, int id)>;

// Replaces the listener; an empty one stops the announcements.
void setWindowListener(WindowListener listener);

// Called by the host functions after each change.
void announceWindowChange(WindowChange change, int id);
