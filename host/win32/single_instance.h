// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One player at a time for each user: a start holds a named mutex for its whole run; a later
// start finds the running player's window and brings it forward instead of opening its own.

// Shown when a player runs but its window cannot be found.
constexpr char MSG_ALREADY_RUNNING[] = "Vorla音乐播放器已在运行，但无法切换到它的窗口!";

enum class InstanceLock {
    Taken,         // this start is the player; the mutex is held until the process ends
    HeldElsewhere, // another running player of this user holds it
    Unavailable,   // the mutex cannot be made: nothing to guard
};

InstanceLock takeInstanceLock();

// Restores and raises the running player's window; false when none is found in time.
bool raiseRunningPlayer();
