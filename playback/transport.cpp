// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/transport.h"

#include "host/host.h"
#include "media/media_channel.h"
#include "playback/clock.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/sequences.h"
#include "state/text.h"

namespace {

// Where a start sends the volume command: Previous and Next send it after arming the clock.
enum class VolumeStep { AfterPlay, AfterClock };

void beginTrack(int index, VolumeStep volumeStep)
{
    player.currentIndex = index;
    trackPath(index);
    formatText(player.playCommand, sizeof player.playCommand, PLAY_TEMPLATE, player.shortPath);
    sendCommand(player.playCommand, nullptr, 0);
    setControlText(IDC_TITLE, player.trackName);
    if (volumeStep == VolumeStep::AfterPlay)
        applyVolume();
    loadTrackLength();
    setSliderValue(IDC_POSITION, 0);
    player.elapsedMin = 0;
    player.elapsedSec = 0;
    showElapsedClock();
    setTimer(CLOCK_TIMER_ID, CLOCK_PERIOD_MS, onClockTick);
    if (volumeStep == VolumeStep::AfterClock)
        applyVolume();
}

// The list's selected entry, or -1 when none is selected or it has no directory row.
int selectedEntry()
{
    int row = listSelection(IDC_PLAYLIST);
    if (row < 0 || row >= MAX_ENTRIES)
        return -1;
    return row;
}

// Previous and Next: close the current track and start its neighbour, selecting it.
void moveTo(int index)
{
    closeCurrentTrack();
    clearText(player.shortPath, sizeof player.shortPath);
    selectRow(IDC_PLAYLIST, index);
    beginTrack(index, VolumeStep::AfterClock);
}

} // namespace

void startTrack(int index)
{
    beginTrack(index, VolumeStep::AfterPlay);
}

// Play from rest sends no close: a track replayed by a seek after Stop keeps sounding.
void onPlay()
{
    if (player.currentIndex != -1) {
        formatText(player.playCommand, sizeof player.playCommand, PLAY_TEMPLATE, player.shortPath);
        sendCommand(player.playCommand, nullptr, 0);
        setTimer(CLOCK_TIMER_ID, CLOCK_PERIOD_MS, onClockTick);
        return;
    }
    int index = selectedEntry();
    // With nothing selected there is nothing to start; the stopped track's name is kept.
    if (index == -1)
        return;
    clearText(player.shortPath, sizeof player.shortPath);
    clearText(player.longPath, sizeof player.longPath);
    clearText(player.trackName, sizeof player.trackName);
    startTrack(index);
}

// Pause keeps the current track and the clock, so Play resumes.
void onPause()
{
    char pauseCommand[COMMAND_BYTES] = {};
    formatText(pauseCommand, sizeof pauseCommand, PAUSE_TEMPLATE, player.shortPath);
    sendCommand(pauseCommand, nullptr, 0);
    killTimer(CLOCK_TIMER_ID);
}

// Stop leaves shortPath naming the stopped track; the clock fields keep their values.
void onStop()
{
    closeCurrentTrack();
    player.currentIndex = -1;
    resetDisplay();
    killTimer(CLOCK_TIMER_ID);
}

// Previous moves back from the current track, not from the list's selection, and never wraps.
void onPrevious()
{
    if (player.currentIndex == -1) {
        showError(MSG_PREV_NO_TRACK);
        return;
    }
    if (player.currentIndex == 0) {
        showError(MSG_PREV_AT_START);
        return;
    }
    moveTo(player.currentIndex - 1);
}

// Next moves on from the current track, not from the list's selection, and never wraps.
void onNext()
{
    if (player.currentIndex == -1) {
        showError(MSG_NEXT_NO_TRACK);
        return;
    }
    if (player.currentIndex + 1 >= player.listCount) {
        showError(MSG_NEXT_AT_END);
        return;
    }
    moveTo(player.currentIndex + 1);
}

// A double-click on the current entry restarts it from the beginning.
void onPlaylistDoubleClick()
{
    int index = selectedEntry();
    if (index == -1)
        return;
    closeCurrentTrack();
    clearText(player.shortPath, sizeof player.shortPath);
    clearText(player.longPath, sizeof player.longPath);
    startTrack(index);
}
