// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog of the resource template and the routing of its window messages.
#include "host/win32/main_window.h"

#include <commctrl.h>
#include <vector>

#include "host/seams.h"
#include "host/win32/banner.h"
#include "host/win32/mci_interpreter.h"
#include "host/win32/media_keys.h"
#include "host/win32/taskbar_buttons.h"
#include "resources/resource.h"

namespace {

// Posted at the first paint; the work waiting for the first frame runs when it comes.
constexpr UINT WM_FIRST_FRAME = WM_APP + 1;
// Posted at a change of DPI, to fit the banner once the dialog manager has laid the window out.
constexpr UINT WM_FIT_BANNER = WM_APP + 2;

// A trackbar's last notification, to tell a repeat from a new one.
struct SliderNote {
    int id = 0;
    int code = -1;
    int position = 0;
};

struct Dialog {
    HWND window = nullptr;
    DialogProc proc = nullptr;
    bool modal = false;
    bool ended = false;
    bool painted = false;
    SliderNote lastNote;
};
Dialog dialog;

// What waits for the first frame of this run's window; empty and not waiting outside a run.
struct FirstFrameWork {
    bool isWaiting = false;
    std::vector<TimerProc> procs;
};
FirstFrameWork firstFrameWork;

void runFirstFrameWork()
{
    std::vector<TimerProc> procs = std::move(firstFrameWork.procs);
    firstFrameWork = FirstFrameWork();
    for (TimerProc proc : procs)
        proc();
}

// Wine's trackbar tells the end of a mouse action twice, at the button's release and again when
// it loses the capture. Each notification is a seek, so the repeat of an end at the same place,
// with nothing from that slider in between, is dropped; Windows sends it once.
bool isRepeatedEndTrack(int id, int code, int position)
{
    SliderNote note = {id, code, position};
    bool repeated = code == TB_ENDTRACK && dialog.lastNote.id == id &&
                    dialog.lastNote.code == TB_ENDTRACK && dialog.lastNote.position == position;
    dialog.lastNote = note;
    return repeated;
}

// A transport button pressed from outside the window, by a media key or a taskbar button. Not
// while a box of the window is open: the box's loop would run the handler under it.
void pressButton(int id)
{
    if (id != 0 && IsWindowEnabled(dialog.window))
        dialog.proc(WM_COMMAND, makeWParam(id, BN_CLICKED), 0);
}

INT_PTR CALLBACK hostDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        dialog.window = window;
        dialog.proc = reinterpret_cast<DialogProc>(lParam);
        fitBannerToDpi(window);
        // A window without its loop, as the tests build it, leaves the system's keys alone.
        if (dialog.modal)
            holdMediaKeys(window);
        return dialog.proc(WM_INITDIALOG, 0, 0);
    case WM_COMMAND:
        if (isTaskbarClick(wParam)) {
            pressButton(taskbarButtonControl(LOWORD(wParam)));
            return TRUE;
        }
        dialog.proc(WM_COMMAND, wParam, 0);
        return TRUE;
    case WM_APPCOMMAND: {
        int id = appCommandButton(GET_APPCOMMAND_LPARAM(lParam));
        if (id == 0)
            return FALSE;
        pressButton(id);
        // Taken: the system does not hand the command on to another program.
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_HOTKEY: pressButton(hotKeyButton(HIWORD(lParam))); return TRUE;
    case WM_HSCROLL: {
        auto slider = reinterpret_cast<HWND>(lParam);
        if (!slider)
            return FALSE;
        int id = GetDlgCtrlID(slider);
        int position = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        if (!isRepeatedEndTrack(id, LOWORD(wParam), position))
            dialog.proc(WM_HSCROLL, 0, id);
        return TRUE;
    }
    case WM_CLOSE: dialog.proc(WM_CLOSE, 0, 0); return TRUE;
    case WM_PAINT:
        if (!dialog.painted && firstFrameWork.isWaiting) {
            dialog.painted = true;
            PostMessageA(window, WM_FIRST_FRAME, 0, 0);
        }
        return FALSE;
    case WM_FIRST_FRAME:
        // The controls paint after posted messages: finish the frame before the work starts.
        RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        runFirstFrameWork();
        return TRUE;
    case WM_DPICHANGED: PostMessageW(window, WM_FIT_BANNER, 0, 0); return FALSE;
    case WM_FIT_BANNER: fitBannerToDpi(window); return TRUE;
    case WM_NCDESTROY:
        releaseMediaKeys(window);
        releaseTaskbarButtons();
        releaseBanner();
        return FALSE;
    default:
        if (message == taskbarButtonCreatedMessage() && message != 0) {
            addTaskbarButtons(window);
            return TRUE;
        }
        return FALSE;
    }
}

} // namespace

HWND mainWindow()
{
    return dialog.window;
}

int runModalDialog(DialogProc proc)
{
    dialog = Dialog();
    dialog.modal = true;
    firstFrameWork.isWaiting = true;
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                     hostDialogProc, reinterpret_cast<LPARAM>(proc));
    firstFrameWork = FirstFrameWork();
    dialog = Dialog();
    return result == -1 ? 0 : static_cast<int>(result);
}

void raiseWindow(HWND window)
{
    if (IsIconic(window))
        ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(window));
}

void endDialog(int result)
{
    if (!dialog.window)
        return;
    dialog.ended = true;
    if (!dialog.modal)
        return;
    // Devices still open when the process ends take it down with them under Wine.
    closeAllMciDevices();
    EndDialog(dialog.window, result);
}

void afterFirstFrame(TimerProc proc)
{
    if (firstFrameWork.isWaiting)
        firstFrameWork.procs.push_back(proc);
    else
        proc();
}

void createMainDialog(DialogProc proc)
{
    destroyMainDialog();
    InitCommonControls();
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                       hostDialogProc, reinterpret_cast<LPARAM>(proc));
}

void destroyMainDialog()
{
    if (dialog.window) {
        stopClock();
        DestroyWindow(dialog.window);
    }
    dialog = Dialog();
}

bool dialogEnded()
{
    return dialog.window && dialog.ended;
}
