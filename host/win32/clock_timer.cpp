// SPDX-License-Identifier: GPL-3.0-or-later
// The one clock timer of the main window, and the blocking wait.
#include <windows.h>

#include "host/host.h"
#include "host/seam_handlers.h"
#include "host/win32/main_window.h"
#include "host/win32/taskbar_buttons.h"

namespace {

struct Clock {
    TimerProc proc = nullptr;
    UINT_PTR id = 0;
    int interval = 0;
    bool running = false;
};
Clock clock;

void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD)
{
    fireClockTick();
}

} // namespace

// Setting the timer of the same identifier again restarts its period.
void setTimer(int id, int milliseconds, TimerProc proc)
{
    HWND window = mainWindow();
    if (!window)
        return;
    clock.proc = proc;
    clock.id = static_cast<UINT_PTR>(id);
    clock.interval = milliseconds;
    clock.running = SetTimer(window, clock.id, static_cast<UINT>(milliseconds), onTimer) != 0;
    showClockOnTaskbar(clock.running);
}

void killTimer(int id)
{
    if (HWND window = mainWindow())
        KillTimer(window, static_cast<UINT_PTR>(id));
    clock.running = false;
    showClockOnTaskbar(false);
}

bool isClockRunning()
{
    return clock.running;
}

int clockInterval()
{
    return clock.interval;
}

// A tick that came due waits in the queue as WM_TIMER until the thread reads its messages.
bool isClockTickOverdue()
{
    MSG message;
    HWND window = mainWindow();
    return clock.running && window &&
           PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_NOREMOVE | PM_NOYIELD);
}

void fireClockTick()
{
    if (clock.proc)
        clock.proc();
}

void stopClock()
{
    killTimer(static_cast<int>(clock.id));
    clock = Clock();
}

void blockingWait(int milliseconds)
{
    if (const WaitHandler &handler = seamHandlers().wait) {
        handler(milliseconds);
        return;
    }
    Sleep(static_cast<DWORD>(milliseconds));
}
