// SPDX-License-Identifier: GPL-3.0-or-later
// The one clock timer and the blocking wait.
#include <QCoreApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "host/host.h"
#include "host/qt/window_events.h"
#include "host/seam_handlers.h"

namespace {

// Owned by the application object, so it goes with it.
QPointer<QTimer> clockTimer;
TimerProc clockProc = nullptr;

QTimer &theClockTimer()
{
    if (!clockTimer) {
        clockTimer = new QTimer(QCoreApplication::instance());
        // A coarse timer may tick 5 % early or late, and the clock decides where a track ends.
        clockTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(clockTimer, &QTimer::timeout, clockTimer, [] { fireClockTick(); });
    }
    return *clockTimer;
}

} // namespace

void setTimer(int id, int milliseconds, TimerProc proc)
{
    clockProc = proc;
    theClockTimer().start(milliseconds);
    announceWindowChange(WindowChange::Clock, id);
}

void killTimer(int id)
{
    if (clockTimer)
        clockTimer->stop();
    announceWindowChange(WindowChange::Clock, id);
}

bool isClockRunning()
{
    return clockTimer && clockTimer->isActive();
}

int clockInterval()
{
    return clockTimer ? clockTimer->interval() : 0;
}

bool isClockTickOverdue()
{
    return clockTimer && clockTimer->isActive() && clockTimer->remainingTime() == 0;
}

void fireClockTick()
{
    if (clockProc)
        clockProc();
}

void stopClock()
{
    if (clockTimer)
        clockTimer->stop();
    clockProc = nullptr;
}

void blockingWait(int milliseconds)
{
    if (const WaitHandler &handler = seamHandlers().wait) {
        handler(milliseconds);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}
