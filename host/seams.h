// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Test seams of the host layer. Each replaces one outside effect; an empty handler restores
// the real one. Player code never includes this header.

#include <functional>
#include <string>
#include <vector>

#include "host/host.h"

using MediaHandler = std::function<int(const char *command, char *reply, int replyLength)>;
using MessageHandler = std::function<void(const char *caption, const char *text, bool isError)>;
using WaitHandler = std::function<void(int milliseconds)>;
// Returns false for a cancelled dialog; otherwise fills the chosen absolute paths.
using FileDialogHandler = std::function<bool(std::vector<std::string> &paths)>;

#ifndef _WIN32
// Returns false when the password database has no home folder for the user.
using PasswordHomeLookup = std::function<bool(std::string &home)>;
void setPasswordHomeLookup(PasswordHomeLookup lookup);
#endif

void setMediaHandler(MediaHandler handler);
void setMessageHandler(MessageHandler handler);
void setWaitHandler(WaitHandler handler);
void setFileDialogHandler(FileDialogHandler handler);
void resetSeams();

// The clock timer as the tests see it.
int clockInterval();
// True when a tick came due while the thread was blocked and has not come yet.
bool isClockTickOverdue();
// Runs the timer callback once, as a tick would.
void fireClockTick();
// Stops the clock and forgets its callback.
void stopClock();

// The main window without its modal loop, for tests that drive it: built, then initialised by
// WM_INITDIALOG. dialogEnded() tells whether endDialog has been called since.
void createMainDialog(DialogProc proc);
void destroyMainDialog();
bool dialogEnded();
