// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/clock.h"

#include "host/host.h"
#include "media/media_channel.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/sequences.h"
#include "state/text.h"

namespace {

void resetClock()
{
    player.elapsedMin = 0;
    player.elapsedSec = 0;
}

// Minutes and seconds are compared separately: a 2:59 track seeked to 2:59 ends only at 3:59.
bool hasTrackEnded()
{
    return player.elapsedSec >= player.totalSec && player.elapsedMin >= player.totalMin;
}

bool isLastEntry()
{
    return player.currentIndex + 1 >= player.listCount;
}

// Nothing is current any more; shortPath keeps the ended track's name.
void endSingleOnce()
{
    player.currentIndex = -1;
    resetClock();
    killTimer(CLOCK_TIMER_ID);
    closeCurrentTrack();
    resetDisplay();
}

// The tick that came due while the wait froze the window would come at once and count the new
// start's first second before it is heard, ending the track a second early: the clock's period
// starts again with the track.
void restartClockPeriod()
{
    setTimer(CLOCK_TIMER_ID, CLOCK_PERIOD_MS, onClockTick);
}

// The timer keeps running; length, range and total label stay those of the same track.
void replaySameTrack()
{
    resetClock();
    formatText(player.playCommand, sizeof player.playCommand, PLAY_TEMPLATE, player.shortPath);
    closeCurrentTrack();
    blockingWait(TRACK_CHANGE_WAIT_MS);
    showElapsedClock();
    setSliderValue(IDC_POSITION, 0);
    sendCommand(player.playCommand, nullptr, 0);
    applyVolume();
    restartClockPeriod();
}

// The last entry ended in order: the device is left to run out and the last entry stays current.
void endAtListEnd()
{
    setControlText(IDC_TITLE, " ");
    killTimer(CLOCK_TIMER_ID);
    setControlText(IDC_TOTALTIME, "0:00");
    setControlText(IDC_ELAPSED, "0:00");
    resetClock();
}

// Starts the entry after the current one with the timer still running. The elapsed label keeps
// the ended track's time until the next tick.
void advance()
{
    clearText(player.closeCommand, sizeof player.closeCommand);
    clearText(player.playCommand, sizeof player.playCommand);
    clearText(player.trackName, sizeof player.trackName);
    clearText(player.longPath, sizeof player.longPath);
    closeCurrentTrack();
    blockingWait(TRACK_CHANGE_WAIT_MS);
    player.currentIndex += 1;
    clearText(player.shortPath, sizeof player.shortPath);
    selectRow(IDC_PLAYLIST, player.currentIndex);
    trackPath(player.currentIndex);
    formatText(player.playCommand, sizeof player.playCommand, PLAY_TEMPLATE, player.shortPath);
    sendCommand(player.playCommand, nullptr, 0);
    setControlText(IDC_TITLE, player.trackName);
    loadTrackLength();
    applyVolume();
    resetClock();
    restartClockPeriod();
}

} // namespace

void onClockTick()
{
    player.elapsedSec += 1;
    if (player.elapsedSec >= 60) {
        player.elapsedSec = 0;
        player.elapsedMin += 1;
    }
    showElapsedClock();

    if (hasTrackEnded()) {
        switch (static_cast<PlayMode>(comboSelection(IDC_MODE))) {
        case PlayMode::SingleOnce: endSingleOnce(); return;
        case PlayMode::SingleLoop: replaySameTrack(); return;
        case PlayMode::Sequential:
            if (isLastEntry())
                endAtListEnd();
            else
                advance();
            break;
        case PlayMode::ListLoop:
            resetClock();
            // Wraps: the advance then starts entry 0.
            if (isLastEntry())
                player.currentIndex = -1;
            advance();
            break;
        default: break; // no mode selected: the clock just runs on
        }
    }
    setSliderValue(IDC_POSITION, player.elapsedMin * 60 + player.elapsedSec);
}
