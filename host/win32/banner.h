// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The banner of the main window at the window's DPI. The template's bitmap is drawn one pixel
// for one at 96 DPI; above that the banner grows with the dialog's font, from the twice-size art.

#include <windows.h>

// Shows the banner at the size for the window's DPI; at 96 DPI the template's own, untouched.
void fitBannerToDpi(HWND dialog);
// Forgets the banner; after the window is gone, as its picture may show a bitmap of ours.
void releaseBanner();
