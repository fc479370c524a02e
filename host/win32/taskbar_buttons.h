// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Previous, Play/Pause and Next as buttons of the window's thumbnail on the taskbar. A system
// without a taskbar, or one that does not do them, leaves the window as it is.

#include <windows.h>

// The buttons' identifiers, as a click's WM_COMMAND names them: above every control's, below
// the menu's, so that no click reads as a control's.
constexpr int TASKBAR_PREV_ID = 2001;
constexpr int TASKBAR_PLAY_PAUSE_ID = 2002;
constexpr int TASKBAR_NEXT_ID = 2003;

// The message the taskbar sends once the window's button is on it, again after a restart.
UINT taskbarButtonCreatedMessage();

// Puts the buttons on the window's taskbar button. Needs COM on the thread.
void addTaskbarButtons(HWND window);
// Forgets the buttons and lets the taskbar go; safe without them.
void releaseTaskbarButtons();

// Whether a WM_COMMAND's wParam is a click of a taskbar button.
bool isTaskbarClick(WPARAM wParam);
// The transport button a taskbar button stands for; 0 for an identifier not of ours.
int taskbarButtonControl(int id);

// The middle button shows Pause while the clock runs, else Play.
void showClockOnTaskbar(bool isRunning);
