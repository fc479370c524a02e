// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/sequences.h"

#include <climits>

#include "host/host.h"
#include "media/media_channel.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"

void trackPath(int index)
{
    clearText(player.trackName, sizeof player.trackName);
    clearText(player.longPath, sizeof player.longPath);
    clearText(player.shortPath, sizeof player.shortPath);
    if (index < 0 || index >= MAX_ENTRIES)
        return;
    if (!listText(IDC_PLAYLIST, index, player.trackName, sizeof player.trackName))
        return;
    if (!formatText(player.longPath, sizeof player.longPath, JOIN_PATH_TEMPLATE,
                    player.dirTable[index], player.trackName))
        return;
    shortPathName(player.longPath, player.shortPath, sizeof player.shortPath);
}

void formatClock(int minutes, int seconds, char *dst, std::size_t size)
{
    formatText(dst, size, seconds >= 10 ? "%d:%d" : "%d:0%d", minutes, seconds);
}

void resetDisplay()
{
    setControlText(IDC_TITLE, " ");
    setControlText(IDC_TOTALTIME, "0:00");
    setControlText(IDC_ELAPSED, "0:00");
    setSliderValue(IDC_POSITION, 0);
}

void closeCurrentTrack()
{
    formatText(player.closeCommand, sizeof player.closeCommand, CLOSE_TEMPLATE, player.shortPath);
    sendCommand(player.closeCommand, nullptr, 0);
}

void showElapsedClock()
{
    formatClock(player.elapsedMin, player.elapsedSec, player.elapsedText,
                sizeof player.elapsedText);
    setControlText(IDC_ELAPSED, player.elapsedText);
}

void applyVolume()
{
    player.volume = sliderValue(IDC_VOLUME);
    formatText(player.volumeCommand, sizeof player.volumeCommand, SET_VOLUME_TEMPLATE,
               player.shortPath, player.volume);
    sendCommand(player.volumeCommand, nullptr, 0);
}

void loadTrackLength()
{
    formatText(player.statusCommand, sizeof player.statusCommand, STATUS_LENGTH_TEMPLATE,
               player.shortPath);
    sendCommand(player.statusCommand, player.statusReply, sizeof player.statusReply);
    long long milliseconds = readDecimal(player.statusReply);
    long long seconds = milliseconds > 0 ? milliseconds / 1000 : 0;
    int length = seconds > INT_MAX ? INT_MAX : static_cast<int>(seconds);
    // The whole length reaches the slider: a 16-bit range would wrap past 65535 s.
    setSliderRange(IDC_POSITION, 0, length);
    player.totalMin = length / 60;
    player.totalSec = length % 60;
    formatClock(player.totalMin, player.totalSec, player.totalText, sizeof player.totalText);
    setControlText(IDC_TOTALTIME, player.totalText);
}
