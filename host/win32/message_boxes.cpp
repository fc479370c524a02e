// SPDX-License-Identifier: GPL-3.0-or-later
// The modal message boxes over the main window; their loop keeps delivering the clock's ticks.
#include <windows.h>

#include "host/host.h"
#include "host/seam_handlers.h"
#include "host/win32/main_window.h"

namespace {

} // namespace

void showError(const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message) {
        handler("错误!", text, true);
        return;
    }
    MessageBoxA(mainWindow(), text, "错误!", MB_OK | MB_ICONERROR);
}

void showMessage(const char *caption, const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message) {
        handler(caption, text, false);
        return;
    }
    MessageBoxA(mainWindow(), text, caption, MB_OK);
}
