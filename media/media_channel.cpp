// SPDX-License-Identifier: GPL-3.0-or-later
#include "media/media_channel.h"

#include "host/host.h"

int sendCommand(const char *command, char *reply, int replyLength)
{
    return mediaCommand(command, reply, replyLength);
}
