// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

constexpr char MSG_PREV_NO_TRACK[] = "喂喂~你是指哪首歌的[上一首]啊,当前无播放曲目啊= =!";
constexpr char MSG_PREV_AT_START[] = "苏米马sen~已经不能再前放了= =!";
constexpr char MSG_NEXT_NO_TRACK[] = "喂喂~你是指哪首歌的[下一首]啊,当前无播放曲目啊= =!";
constexpr char MSG_NEXT_AT_END[] = "苏米马sen~已经不能再后放了= =!";

// Starts the playlist entry at index: path, play, title, volume, length, clock from 0:00, and
// arms the clock timer.
void startTrack(int index);

// Play from rest starts the selected entry; with a current track it resumes that track.
void onPlay();
void onPause();
void onStop();
void onPrevious();
void onNext();
// Closes the current track, if any, and starts the entry the user double-clicked.
void onPlaylistDoubleClick();
