// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

constexpr char MSG_DELETE_NO_SELECTION[] = "您没有选中任何项目!";
constexpr char MSG_MOVE_UP_AT_TOP[] = "苏米马sen~已经不能再上移了= =!";
constexpr char MSG_MOVE_DOWN_AT_BOTTOM[] = "苏米马sen~已经不能再下移了= =!";
// Files left out of an Add, the playlist's capacity and the longest path it takes.
constexpr char MSG_ADD_LEFT_OUT_TEMPLATE[] =
    "有%d个文件未添加!播放列表最多%d首，文件路径不能超过%d字节。";

// The five editing actions. Each keeps the list control, dirTable, listCount, dirCount and
// currentIndex in step, and saves the playlist once it is done.
void onAdd();
void onDelete();
void onClear();
void onMoveUp();
void onMoveDown();
