// SPDX-License-Identifier: GPL-3.0-or-later
// The media entry: each command goes to the MCI interpreter, or to the test's handler in its
// place.
#include "host/host.h"
#include "host/seam_handlers.h"
#include "host/win32/mci_interpreter.h"

int mediaCommand(const char *command, char *reply, int replyLength)
{
    if (const MediaHandler &handler = seamHandlers().media)
        return handler(command, reply, replyLength);
    return runMciCommand(command, reply, replyLength);
}
