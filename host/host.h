// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the player may ask of the host it runs on: one dialog window addressed by control
// identifier, its clock timer, message boxes, the file dialog, the fixed files and the media
// commands. No toolkit types cross here. Each group names the file of the Qt host that
// answers it; the tests and fuzzers link an in-memory host instead.

#include <cstddef>
#include <cstdint>

// Window messages delivered to the dialog procedure, and the notification codes carried in the
// high word of a WM_COMMAND's wParam. <windows.h> defines the same names with the same values.
#ifndef WM_CLOSE
constexpr unsigned WM_CLOSE = 0x0010;
constexpr unsigned WM_INITDIALOG = 0x0110;
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_HSCROLL = 0x0114;
constexpr int BN_CLICKED = 0;
constexpr int LBN_SELCHANGE = 1;
constexpr int LBN_DBLCLK = 2;
#endif

// How this platform writes a path: the separator between folders, and a folder and a name joined.
#ifdef _WIN32
constexpr char PATH_SEPARATOR = '\\';
constexpr char JOIN_PATH_TEMPLATE[] = "%s\\%s";
#else
constexpr char PATH_SEPARATOR = '/';
constexpr char JOIN_PATH_TEMPLATE[] = "%s/%s";
#endif

constexpr std::uintptr_t makeWParam(int low, int high)
{
    return (static_cast<std::uintptr_t>(high & 0xFFFF) << 16) | static_cast<unsigned>(low & 0xFFFF);
}
constexpr int lowWord(std::uintptr_t value)
{
    return static_cast<int>(value & 0xFFFF);
}
constexpr int highWord(std::uintptr_t value)
{
    return static_cast<int>((value >> 16) & 0xFFFF);
}

// For WM_HSCROLL, lParam carries the slider's control identifier (its "window handle").
using DialogProc = std::intptr_t (*)(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
using TimerProc = void (*)();

// The window itself (main_window.cpp): ends its modal loop; the run returns result.
void endDialog(int result);

// The application's run (application.cpp): runs proc once, right after the window has shown its
// first frame, or at once when no run waits for one (a window built without its loop).
void afterFirstFrame(TimerProc proc);

// The controls (controls.cpp). Static texts and labels:
void setControlText(int id, const char *text);
// Copies a control's text; false (and dst empty) when it does not fit.
bool controlText(int id, char *dst, std::size_t size);

// List box: rows in insertion order, never sorted.
int listCount(int id);
int listSelection(int id); // -1 when none
bool listText(int id, int row, char *dst, std::size_t size);
void insertListRow(int id, int row, const char *text); // row -1 appends
void deleteListRow(int id, int row);
void selectRow(int id, int row);

// Combo box.
void addComboItem(int id, const char *text);
void selectComboRow(int id, int row);
int comboSelection(int id); // -1 when none

// Trackbars. The program's own changes never reach the dialog procedure.
int sliderValue(int id);
void setSliderValue(int id, int value);
void setSliderRange(int id, int minimum, int maximum);

// Modal boxes owned by the main window (message_boxes.cpp); their loops keep delivering clock
// ticks.
void showError(const char *text);
void showMessage(const char *caption, const char *text);

// The one clock timer (clock_timer.cpp): starting it while it runs restarts its period.
void setTimer(int id, int milliseconds, TimerProc proc);
void killTimer(int id);
bool isClockRunning();

// Blocks the calling (UI) thread; the window freezes for the time.
void blockingWait(int milliseconds);

// The file-selection dialog (file_dialog.cpp): on a confirmed choice writes the selection buffer
// (directory NUL names NUL NUL, or one full path NUL NUL) and returns true. Chosen files that do
// not fit the buffer are left out and counted in *leftOut.
bool chooseFiles(char *buffer, std::size_t size, int *leftOut);

// The short name of an existing regular file (short_path.cpp): its percent-encoded file:// URI.
// False and an empty dst when the file does not exist or the name does not fit.
bool shortPathName(const char *longPath, char *dst, std::size_t size);

// Where the playlist file lives (paths.cpp): $XDG_DATA_HOME/vorla/savelist.
bool playlistFilePath(char *dst, std::size_t size);
// The first vorla/open.mp3 found in $XDG_DATA_HOME, then each of $XDG_DATA_DIRS.
bool startupSoundPath(char *dst, std::size_t size);

// Applies the application's style sheet, the skin (skin.cpp).
void attachSkin();

// The media command interpreter behind sendCommand (media_command.cpp): 0 or an error number.
int mediaCommand(const char *command, char *reply, int replyLength);
