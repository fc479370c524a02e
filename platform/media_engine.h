// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Interprets one media command string: 0 on success, an error number otherwise.
int runMediaCommand(const char *command, char *reply, int replyLength);
