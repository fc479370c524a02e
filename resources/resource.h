// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Resource and control identifiers of the main window. Plain macros, as the resource compiler
// reads them too; the two that <windows.h> and its resource headers also define are left to them.
#define IDI_MAIN 1
#define IDD_MAIN 101
#define IDB_BANNER 106
#define IDR_MAINMENU 107
// The banner at twice its size, for high-DPI screens; the taskbar buttons' glyphs.
#define IDB_BANNER_2X 108
#define IDI_THUMB_PREV 110
#define IDI_THUMB_PLAY 111
#define IDI_THUMB_PAUSE 112
#define IDI_THUMB_NEXT 113

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

#define IDC_ADD 1000
#define IDC_DELETE 1001
#define IDC_PAUSE 1002
#define IDC_PLAY 1003
#define IDC_PLAYLIST 1004
#define IDC_STOP 1005
#define IDC_PREV 1006
#define IDC_NEXT 1007
#define IDC_CLEAR 1008
#define IDC_MOVEUP 1009
#define IDC_MOVEDOWN 1011
#define IDC_VOLUME 1015
#define IDC_VOLUME_LABEL 1020
#define IDC_TITLE 1021
#define IDC_POSITION 1025
#define IDC_TOTALTIME 1028
#define IDC_MODE 1029
#define IDC_ELAPSED 1030

#define IDM_ABOUT 40001
