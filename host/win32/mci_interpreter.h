// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The media commands on Windows: each command string is read with the same grammar as on Linux
// and carried out by the platform's MCI on a device opened under an alias of its own, which a
// path holding blanks needs. The length comes from our own frame scan, exact where MCI only
// estimates (a VBR file without a Xing header).

#include <string_view>

// Runs one media command: 0, or an MCI error number.
int runMciCommand(const char *command, char *reply, int replyLength);

// True for a word that names a device here: a short name, its blanks and "%" escaped, of an
// absolute path ("C:\..." or "\\server\...").
bool isMciDeviceName(std::string_view name);

// True while the device of that name is open; looks without running a command.
bool isMciDeviceOpen(std::string_view name);

// Closes every device. MCI devices still open when the process ends crash it under Wine.
void closeAllMciDevices();
