// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

// Interprets one media command string: 0 on success, an error number otherwise.
int runMediaCommand(const char *command, char *reply, int replyLength);

// True while the device of that name is open; looks without running a command.
bool isMediaDeviceOpen(std::string_view name);

// True while the device of that name is open and plays through the MPEG audio decoding chain,
// not playbin.
bool isMediaDeviceOnMpegChain(std::string_view name);

// Stops and releases every device and every kept pipeline. Runs at exit; tests call it too.
void closeAllMediaDevices();

// Forgets the lengths measured so far, so the next length query scans the file again.
void forgetMediaLengths();
