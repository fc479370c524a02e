// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_dialog.h"
#include "host/qt/application.h"
#include "host/qt/mpris/mpris.h"
#include "state/player_state.h"

int main(int argc, char **argv)
{
    resetPlayerState();
    // The desktop's media controls join once the window is on screen.
    RunHooks desktop;
    desktop.shown = [](DialogProc proc) { startMpris(proc); };
    desktop.ending = stopMpris;
    desktop.raiseRunningPlayer = raiseRunningPlayerOverMpris;
    runMainDialog(argc, argv, mainDialogProc, desktop);
    return 0;
}
