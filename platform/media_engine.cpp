// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/media_engine.h"

int runMediaCommand(const char *, char *reply, int replyLength)
{
    if (reply && replyLength > 0)
        reply[0] = '\0';
    return 0;
}
