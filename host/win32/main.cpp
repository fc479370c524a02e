// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows program's entry. The command line is ignored.
#include <windows.h>

#include "app/main_dialog.h"
#include "host/win32/application.h"
#include "state/player_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    resetPlayerState();
    runMainDialog(mainDialogProc);
    return 0;
}
