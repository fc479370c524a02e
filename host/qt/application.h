// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The application's run: the toolkit's application object, one player at a time, the main
// window's modal loop, and the hooks through which the program adds what the host does not
// know of (the desktop's media controls).

#include <functional>
#include <memory>

#include "host/host.h"

class QApplication;

struct RunHooks {
    // Once the window has shown its first frame: what the first frame does not need starts here.
    std::function<void(DialogProc proc)> shown;
    // After the modal loop, while the window still exists.
    std::function<void()> ending;
    // For a second start whose request over the local socket found no player: another way to
    // ask the running player to raise its window; false when none answers.
    std::function<bool()> raiseRunningPlayer;
};

// Builds the main window, sends WM_INITDIALOG and runs the modal loop until endDialog.
// Returns the value given to endDialog; 0 for a second start, which opens no window.
int runMainDialog(int argc, char **argv, DialogProc proc, const RunHooks &hooks = {});

// The application object, given the program's name alone.
std::unique_ptr<QApplication> createApplication(int argc, char **argv);
