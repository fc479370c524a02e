// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The host of the tests and fuzzers that need no window: the functions of host/host.h and
// host/seams.h over the main template's controls kept in memory. It behaves as the Qt window
// does wherever the player can see it; paths and short names are the real ones. The user actions
// of tests/support/user_actions.h are messages to the dialog procedure.

#include <string>
#include <vector>

// The window's controls in their template state, without a dialog procedure or WM_INITDIALOG:
// for fuzzers that call the player's functions directly. createMainDialog builds it too.
void buildMemoryWindow();

// A list box's rows, each as the bytes it was inserted with; empty for any other control.
const std::vector<std::string> &listRows(int id);

// Message boxes and waits while no seam takes them, in order; a new window clears them.
struct ShownMessage {
    std::string caption;
    std::string text;
    bool isError;
};
const std::vector<ShownMessage> &shownMessages();
const std::vector<int> &waitsDone();
