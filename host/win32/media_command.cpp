// SPDX-License-Identifier: GPL-3.0-or-later
// The media entry: each command goes to the MCI interpreter, or to the test's handler in its
// place.
#include "host/host.h"
#include "host/seams.h"
#include "host/win32/mci_interpreter.h"

namespace {

MediaHandler &mediaHandler()
{
    static MediaHandler handler;
    return handler;
}

} // namespace

void setMediaHandler(MediaHandler handler)
{
    mediaHandler() = std::move(handler);
}

int mediaCommand(const char *command, char *reply, int replyLength)
{
    if (mediaHandler())
        return mediaHandler()(command, reply, replyLength);
    return runMciCommand(command, reply, replyLength);
}
