// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/seek_volume.h"

#include <climits>

#include "media/media_channel.h"
#include "platform/host.h"
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
    formatClock(player.elapsedMin, player.elapsedSec, player.elapsedText,
                sizeof player.elapsedText);
    setControlText(IDC_ELAPSED, player.elapsedText);
    formatText(player.playCommand, sizeof player.playCommand, PLAY_FROM_TEMPLATE, player.shortPath,
               seconds * 1000);
    formatText(player.closeCommand, sizeof player.closeCommand, CLOSE_TEMPLATE, player.shortPath);
    sendCommand(player.closeCommand, nullptr, 0);
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
