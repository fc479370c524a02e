// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/seam_handlers.h"

void resetSeams()
{
    seamHandlers() = SeamHandlers();
    stopClock();
}
