// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "host/host.h"

// The program's run: one player at a time, the original player's list brought in at a first
// start, then the main window until it ends.
void runMainDialog(DialogProc proc);
