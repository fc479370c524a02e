// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a test does as the user and reads back from the window, whichever host the test program
// links: the in-memory one (host/memory/memory_host.cpp) or the Qt window
// (tests/support/window_actions.cpp). Each action reaches the dialog procedure as the window's
// own message would.

// A click on a push button: WM_COMMAND with BN_CLICKED.
void clickButton(int id);
// A double-click on a list row: the row becomes the selection, then WM_COMMAND with LBN_DBLCLK.
void doubleClickRow(int id, int row);
// The user drags a slider to value: the value is set, clamped into the range, then WM_HSCROLL
// with the slider's identifier. A move to where the slider already is sends nothing.
void dragSlider(int id, int value);

int sliderMinimum(int id);
int sliderMaximum(int id);

// Whether attachSkin has styled the application, and undoing it between tests.
bool isSkinAttached();
void detachSkin();
