// SPDX-License-Identifier: GPL-3.0-or-later
// The media entry: each command goes to the engine, or to the test's handler in its place.
#include "engine/media_engine.h"
#include "host/host.h"
#include "host/seam_handlers.h"

int mediaCommand(const char *command, char *reply, int replyLength)
{
    if (const MediaHandler &handler = seamHandlers().media)
        return handler(command, reply, replyLength);
    return runMediaCommand(command, reply, replyLength);
}
