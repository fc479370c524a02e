// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_dialog.h"

#include "host/host.h"
#include "media/media_channel.h"
#include "playback/seek_volume.h"
#include "playback/transport.h"
#include "playlist/editing.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"

namespace {

constexpr const char *PLAY_MODE_NAMES[] = {"单曲播放", "单曲循环", "顺序播放", "列表循环"};

// Starts the start-up chime; its device is never closed. A missing chime makes "play " fail.
// It waits for the window's first frame: the media engine's start would hold the window back.
void playStartupSound()
{
    char soundPath[PATH_BYTES] = {};
    char soundName[PATH_BYTES] = {};
    char command[COMMAND_BYTES] = {};
    if (startupSoundPath(soundPath, sizeof soundPath))
        shortPathName(soundPath, soundName, sizeof soundName);
    formatText(command, sizeof command, PLAY_TEMPLATE, soundName);
    sendCommand(command, nullptr, 0);
}

} // namespace

const char ABOUT_TEXT[] = "Vorla音乐播放器\n"
                          "\n"
                          "由 Vorla 开发者编写，自由软件，欢迎使用。\n"
                          "\n"
                          "----------------------------------\n"
                          "V1.5\n"
                          "\n"
                          "更新项目：\n"
                          "\n"
                          "美化界面\n"
                          "\n"
                          "----------------------------------\n"
                          "\n"
                          "使用说明：\n"
                          "\n"
                          "通过滑块调节音量、播放进度。\n"
                          "\n"
                          "支持对文件进行批量处理。\n"
                          "\n"
                          "动态显示播放时间、歌曲名。\n"
                          "\n"
                          "支持4种播放模式。\n"
                          "\n"
                          "自动保存上次播放列表。\n"
                          "\n"
                          "利用↑、↓按钮移动歌曲顺序。";

std::intptr_t mainDialogProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case WM_INITDIALOG: return onInitDialog();
    case WM_COMMAND: onCommand(lowWord(wParam), highWord(wParam)); return 0;
    case WM_HSCROLL: onHScroll(static_cast<int>(lParam)); return 0;
    case WM_CLOSE: onClose(); return 0;
    default: return 0;
    }
}

// Runs once as the window opens; returns 1 so the window sets the initial focus.
int onInitDialog()
{
    afterFirstFrame(playStartupSound);
    // Controls are addressed by identifier, so there are no handles to look up.
    for (int mode = 0; mode < 4; ++mode)
        addComboItem(IDC_MODE, PLAY_MODE_NAMES[mode]);
    selectComboRow(IDC_MODE, 0);
    setSliderRange(IDC_VOLUME, 0, 1000);
    setSliderValue(IDC_VOLUME, 1000);
    if (!loadPlaylist())
        return 1;
    attachSkin();
    return 1;
}

// Routes by identifier; only the list box's notification code is looked at.
void onCommand(int id, int notification)
{
    switch (id) {
    case IDC_ADD: onAdd(); break;
    case IDC_DELETE: onDelete(); break;
    case IDC_PAUSE: onPause(); break;
    case IDC_PLAY: onPlay(); break;
    case IDC_PLAYLIST:
        if (notification == LBN_DBLCLK)
            onPlaylistDoubleClick();
        break;
    case IDC_STOP: onStop(); break;
    case IDC_PREV: onPrevious(); break;
    case IDC_NEXT: onNext(); break;
    case IDC_CLEAR: onClear(); break;
    case IDC_MOVEUP: onMoveUp(); break;
    case IDC_MOVEDOWN: onMoveDown(); break;
    case IDM_ABOUT: showMessage(ABOUT_CAPTION, ABOUT_TEXT); break;
    default: break; // IDCANCEL among them: Esc never closes the window
    }
}

// Writes the playlist and ends the window; the current track's device ends with the process.
void onClose()
{
    savePlaylist();
    endDialog(0);
}
