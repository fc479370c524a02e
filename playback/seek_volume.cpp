// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/seek_volume.h"

#include <climits>

#include "host/host.h"
#include "media/media_channel.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/sequences.h"
#include "state/text.h"

namespace {

// The slider position in seconds, kept where its milliseconds still fit the command's number.
int seekSeconds()
{
    int seconds = sliderValue(IDC_POSITION);
    if (seconds < 0)
        return 0;
    return seconds > INT_MAX / 1000 ? INT_MAX / 1000 : seconds;
}

// Every position notification re-opens the track at the chosen second; after Stop that
// replays the stopped track, since shortPath still names it.
void seekTo(int seconds)
{
    clearText(player.closeCommand, sizeof player.closeCommand);
    clearText(player.playCommand, sizeof player.playCommand);
    player.elapsedMin = seconds / 60;
    player.elapsedSec = seconds % 60;
    showElapsedClock();
    formatText(player.playCommand, sizeof player.playCommand, PLAY_FROM_TEMPLATE, player.shortPath,
               seconds * 1000);
    closeCurrentTrack();
    sendCommand(player.playCommand, nullptr, 0);
}

} // namespace

void onHScroll(int sliderId)
{
    if (sliderId == IDC_POSITION) {
        seekTo(seekSeconds());
        applyVolume();
        return;
    }
    if (sliderId == IDC_VOLUME)
        applyVolume();
}
