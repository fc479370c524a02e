// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window as an MPRIS2 media player on D-Bus (org.mpris.MediaPlayer2.vorla), for media keys
// and the desktop's player controls. It follows the window through the host's window listener
// and publishes what the player's record and the host's controls hold; every request enters
// the dialog procedure the way the window's own controls send it.

#include "host/host.h"

// Publishes the main window on the session bus and listens to its changes. False, with nothing
// published, when there is no session bus or the name is taken; the player runs the same either
// way.
bool startMpris(DialogProc proc);
// The same on the bus at busAddress, a D-Bus address such as "unix:path=/run/bus".
bool startMpris(DialogProc proc, const char *busAddress);
// Withdraws the player from the bus and closes the connection; nothing when not published.
void stopMpris();

// Asks the player that owns the bus name to raise its window; false when none answers.
bool raiseRunningPlayerOverMpris();
