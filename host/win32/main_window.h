// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window of the Win32 host: the dialog of the resource template IDD_MAIN, whose window
// messages reach the player's dialog procedure.

#include <windows.h>

#include "host/host.h"

// The window of this run or of createMainDialog; null before and after.
HWND mainWindow();

// Runs the window modally with DialogBoxParamA until endDialog; returns its result.
int runModalDialog(DialogProc proc);

// Brings a window forward from behind other programs' windows or from the task bar, over any
// box it has open.
void raiseWindow(HWND window);
