// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Command templates; a device is always named by the track's short path.
constexpr char PLAY_TEMPLATE[] = "play %s";
constexpr char PLAY_FROM_TEMPLATE[] = "play %s from %d";
constexpr char CLOSE_TEMPLATE[] = "close %s";
constexpr char PAUSE_TEMPLATE[] = "pause %s";
constexpr char STATUS_LENGTH_TEMPLATE[] = "status %s length";
constexpr char SET_VOLUME_TEMPLATE[] = "setaudio %s volume to %d";

// Sends one media command string; only the length query passes a reply buffer. The result
// code is returned for the record, and no caller examines it.
int sendCommand(const char *command, char *reply, int replyLength);
