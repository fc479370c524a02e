// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Resource and control identifiers of the main window.
constexpr int IDI_MAIN = 1;
constexpr int IDD_MAIN = 101;
constexpr int IDB_BANNER = 106;
constexpr int IDR_MAINMENU = 107;

constexpr int IDC_STATIC = -1;
constexpr int IDCANCEL = 2;

constexpr int IDC_ADD = 1000;
constexpr int IDC_DELETE = 1001;
constexpr int IDC_PAUSE = 1002;
constexpr int IDC_PLAY = 1003;
constexpr int IDC_PLAYLIST = 1004;
constexpr int IDC_STOP = 1005;
constexpr int IDC_PREV = 1006;
constexpr int IDC_NEXT = 1007;
constexpr int IDC_CLEAR = 1008;
constexpr int IDC_MOVEUP = 1009;
constexpr int IDC_MOVEDOWN = 1011;
constexpr int IDC_VOLUME = 1015;
constexpr int IDC_VOLUME_LABEL = 1020;
constexpr int IDC_TITLE = 1021;
constexpr int IDC_POSITION = 1025;
constexpr int IDC_TOTALTIME = 1028;
constexpr int IDC_MODE = 1029;
constexpr int IDC_ELAPSED = 1030;

constexpr int IDM_ABOUT = 40001;
