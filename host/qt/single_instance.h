// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One player at a time: a start takes an advisory lock beside the playlist file and holds it
// for the whole run, so two players never both write the file; a later start asks the running
// player to bring its window forward instead of opening a second one.

#include <functional>

enum class InstanceLock {
    Taken,         // this start is the player; the lock is held until the process ends
    HeldElsewhere, // another running player holds it
    Unavailable,   // no data folder, or a lock file that cannot be opened: nothing to guard
};

// Shown when the running player holds the lock but cannot be reached.
constexpr char MSG_ALREADY_RUNNING[] = "Vorla音乐播放器已在运行，但无法切换到它的窗口!";

InstanceLock takeInstanceLock();

// Asks the player holding the lock to raise its window over the local socket; false when no
// player answers there.
bool askRunningPlayerToRaise();

// Serves those requests for this run: raise runs on the UI thread for each one.
void listenForRaiseRequests(std::function<void()> raise);

// Drops the lock and the listener; for tests that play a second start.
void releaseInstanceLock();
