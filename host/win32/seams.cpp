// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/seams.h"

void resetSeams()
{
    setMediaHandler(nullptr);
    setMessageHandler(nullptr);
    setWaitHandler(nullptr);
    setFileDialogHandler(nullptr);
    stopClock();
}
