// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/taskbar_buttons.h"

#include <iterator>
#include <memory>
#include <type_traits>
// These build on <windows.h>.
#include <commctrl.h>
#include <shobjidl.h>

#include "host/host.h"
#include "host/win32/media_keys.h"
#include "resources/resource.h"

namespace {

static_assert(TASKBAR_PREV_ID > IDC_ELAPSED && TASKBAR_NEXT_ID < IDM_ABOUT);

struct ComRelease {
    void operator()(IUnknown *object) const { object->Release(); }
};
using TaskbarListPtr = std::unique_ptr<ITaskbarList3, ComRelease>;

struct IconDestroy {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy>;

struct Taskbar {
    TaskbarListPtr list;
    IconPtr prev, play, pause, next;
    HWND window = nullptr;
    bool showsPause = false;
};
Taskbar taskbar;

// At the size of the system's small icons, scaled down from a larger layer.
IconPtr loadIcon(int id)
{
    HICON icon = nullptr;
    if (FAILED(LoadIconMetric(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), LIM_SMALL, &icon)))
        return nullptr;
    return IconPtr(icon);
}

THUMBBUTTON button(UINT id, HICON icon, const wchar_t *tip)
{
    THUMBBUTTON button = {};
    button.dwMask = THB_ICON | THB_TOOLTIP | THB_FLAGS;
    button.iId = id;
    button.hIcon = icon;
    button.dwFlags = THBF_ENABLED;
    lstrcpynW(button.szTip, tip, static_cast<int>(std::size(button.szTip)));
    return button;
}

THUMBBUTTON playPause(bool isRunning)
{
    return isRunning ? button(TASKBAR_PLAY_PAUSE_ID, taskbar.pause.get(), L"暂停")
                     : button(TASKBAR_PLAY_PAUSE_ID, taskbar.play.get(), L"播放");
}

} // namespace

UINT taskbarButtonCreatedMessage()
{
    static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return message;
}

void addTaskbarButtons(HWND window)
{
    // A taskbar that has started again gives the window a new button, which has none yet.
    releaseTaskbarButtons();
    ITaskbarList3 *list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void **>(&list))))
        return;
    TaskbarListPtr owned(list);
    if (FAILED(owned->HrInit()))
        return;
    taskbar.prev = loadIcon(IDI_THUMB_PREV);
    taskbar.play = loadIcon(IDI_THUMB_PLAY);
    taskbar.pause = loadIcon(IDI_THUMB_PAUSE);
    taskbar.next = loadIcon(IDI_THUMB_NEXT);
    taskbar.window = window;
    taskbar.showsPause = isClockRunning();
    THUMBBUTTON buttons[] = {
        button(TASKBAR_PREV_ID, taskbar.prev.get(), L"上一首"),
        playPause(taskbar.showsPause),
        button(TASKBAR_NEXT_ID, taskbar.next.get(), L"下一首"),
    };
    if (FAILED(owned->ThumbBarAddButtons(window, static_cast<UINT>(std::size(buttons)), buttons))) {
        releaseTaskbarButtons();
        return;
    }
    taskbar.list = std::move(owned);
}

void releaseTaskbarButtons()
{
    // The taskbar first: it may draw the icons until it lets go of the window.
    taskbar.list.reset();
    taskbar = Taskbar();
}

bool isTaskbarClick(WPARAM wParam)
{
    return HIWORD(wParam) == THBN_CLICKED;
}

int taskbarButtonControl(int id)
{
    switch (id) {
    case TASKBAR_PREV_ID: return IDC_PREV;
    case TASKBAR_PLAY_PAUSE_ID: return playPauseButton();
    case TASKBAR_NEXT_ID: return IDC_NEXT;
    default: return 0;
    }
}

void showClockOnTaskbar(bool isRunning)
{
    if (!taskbar.list || taskbar.showsPause == isRunning)
        return;
    THUMBBUTTON middle = playPause(isRunning);
    if (SUCCEEDED(taskbar.list->ThumbBarUpdateButtons(taskbar.window, 1, &middle)))
        taskbar.showsPause = isRunning;
}
