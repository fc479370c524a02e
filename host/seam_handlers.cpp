// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/seam_handlers.h"

SeamHandlers &seamHandlers()
{
    static SeamHandlers handlers;
    return handlers;
}

void setMediaHandler(MediaHandler handler)
{
    seamHandlers().media = std::move(handler);
}

void setMessageHandler(MessageHandler handler)
{
    seamHandlers().message = std::move(handler);
}

void setWaitHandler(WaitHandler handler)
{
    seamHandlers().wait = std::move(handler);
}

void setFileDialogHandler(FileDialogHandler handler)
{
    seamHandlers().fileDialog = std::move(handler);
}
