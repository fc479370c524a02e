// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_dialog.h"
#include "platform/host.h"
#include "state/player_state.h"

int main(int argc, char **argv)
{
    resetPlayerState();
    runMainDialog(argc, argv, mainDialogProc);
    return 0;
}
