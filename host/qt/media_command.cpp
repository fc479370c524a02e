// SPDX-License-Identifier: GPL-3.0-or-later
// The media entry: each command goes to the engine, or to the test's handler in its place.
#include "engine/media_engine.h"
#include "host/host.h"
#include "host/seams.h"

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
    return runMediaCommand(command, reply, replyLength);
}
