// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "resources/resource.h"

enum class ControlKind { PushButton, ListBox, Trackbar, StaticText, StaticPicture, ComboBox };

// One control of the window template; the rectangle is in dialog units. The accessible name is
// what a screen reader speaks for controls whose text is a symbol or absent; the title and time
// labels are named by what they show, and this name becomes their description.
struct ControlTemplate {
    int id;
    ControlKind kind;
    const char *text;
    int x, y, width, height;
    const char *accessibleName;
};

constexpr char MAIN_CAPTION[] = "Vorla音乐播放器";
constexpr int MAIN_WIDTH_DLU = 154;
constexpr int MAIN_HEIGHT_DLU = 280;

constexpr char MENU_POPUP_TEXT[] = "关于(&G)";
constexpr char MENU_ABOUT_TEXT[] = "说明(&G)";

// Template order is tab order.
constexpr ControlTemplate MAIN_CONTROLS[] = {
    {IDC_ADD, ControlKind::PushButton, "添加", 7, 143, 29, 12, "添加"},
    {IDC_PLAYLIST, ControlKind::ListBox, "", 7, 158, 140, 115, "播放列表"},
    {IDC_PAUSE, ControlKind::PushButton, "||", 21, 81, 35, 12, "暂停"},
    {IDC_PLAY, ControlKind::PushButton, "play", 59, 81, 35, 12, "播放"},
    {IDC_STOP, ControlKind::PushButton, "■", 97, 81, 35, 12, "停止"},
    {IDC_PREV, ControlKind::PushButton, "<<", 39, 97, 35, 12, "上一首"},
    {IDC_NEXT, ControlKind::PushButton, ">>", 77, 97, 35, 12, "下一首"},
    {IDC_VOLUME, ControlKind::Trackbar, "", 107, 128, 45, 14, "音量"},
    {IDC_VOLUME_LABEL, ControlKind::StaticText, "音量", 121, 120, 17, 8, "音量"},
    {IDC_TITLE, ControlKind::StaticText, "", 2, 3, 132, 9, "歌曲名"},
    {IDC_POSITION, ControlKind::Trackbar, "", 7, 67, 140, 13, "播放进度"},
    {IDC_TOTALTIME, ControlKind::StaticText, "0:00", 122, 60, 15, 8, "总时长"},
    {IDC_ELAPSED, ControlKind::StaticText, "0:00", 12, 60, 15, 8, "已播放时间"},
    {IDC_MODE, ControlKind::ComboBox, "", 48, 128, 48, 30, "播放模式"},
    {IDC_STATIC, ControlKind::StaticPicture, "", 2, 18, 151, 40, "Vorla"},
    {IDC_STATIC, ControlKind::StaticText, "播放模式:", 9, 130, 35, 8, "播放模式"},
    {IDC_DELETE, ControlKind::PushButton, "删除", 37, 143, 29, 12, "删除"},
    {IDC_CLEAR, ControlKind::PushButton, "清空", 67, 143, 29, 12, "清空"},
    {IDC_MOVEUP, ControlKind::PushButton, "↑", 100, 143, 13, 12, "上移"},
    {IDC_MOVEDOWN, ControlKind::PushButton, "↓", 114, 143, 13, 12, "下移"},
};
