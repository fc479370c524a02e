// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Where the handlers set through host/seams.h are kept, for every host alike: a host asks for
// its handler before each outside effect and does the real thing when it is empty.

#include "host/seams.h"

struct SeamHandlers {
    MediaHandler media;
    MessageHandler message;
    WaitHandler wait;
    FileDialogHandler fileDialog;
};

SeamHandlers &seamHandlers();
