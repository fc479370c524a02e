// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keyboard's media keys: while the window has the focus they come as WM_APPCOMMAND from the
// focused control; in the background as WM_HOTKEY, for the keys the window holds as hot keys.

#include <windows.h>

// Play/Pause as one button: Pause while the clock runs, else Play, as the MPRIS service does.
int playPauseButton();

// The transport button a WM_APPCOMMAND's command presses; 0 for a command that is not ours.
int appCommandButton(int command);
// The transport button a WM_HOTKEY's virtual key presses; 0 for a key that is not ours.
int hotKeyButton(UINT virtualKey);

// Holds Play/Pause, Stop, Next and Previous, without modifiers, as hot keys of the window. A key
// another program holds stays with it, unreported.
void holdMediaKeys(HWND window);
// Lets go of the keys holdMediaKeys took.
void releaseMediaKeys(HWND window);
