// SPDX-License-Identifier: GPL-3.0-or-later
// Message boxes, the clock timer, the blocking wait, the skin and the media entry, each with
// its test seam.
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include "engine/media_engine.h"
#include "platform/main_window.h"
#include "platform/mpris.h"
#include "platform/seams.h"

namespace {

struct Seams {
    MediaHandler media;
    MessageHandler message;
    WaitHandler wait;
};
Seams seams;

// Owned by the application object, so it goes with it.
QPointer<QTimer> clockTimer;
TimerProc clockProc = nullptr;

QTimer &theClockTimer()
{
    if (!clockTimer) {
        clockTimer = new QTimer(QCoreApplication::instance());
        QObject::connect(clockTimer, &QTimer::timeout, clockTimer, [] { fireClockTick(); });
    }
    return *clockTimer;
}

} // namespace

void setMediaHandler(MediaHandler handler)
{
    seams.media = std::move(handler);
}

void setMessageHandler(MessageHandler handler)
{
    seams.message = std::move(handler);
}

void setWaitHandler(WaitHandler handler)
{
    seams.wait = std::move(handler);
}

void resetSeams()
{
    seams = Seams();
    setFileDialogHandler(nullptr);
    setPasswordHomeLookup(nullptr);
    if (clockTimer)
        clockTimer->stop();
    clockProc = nullptr;
}

int mediaCommand(const char *command, char *reply, int replyLength)
{
    if (seams.media)
        return seams.media(command, reply, replyLength);
    return runMediaCommand(command, reply, replyLength);
}

void showError(const char *text)
{
    if (seams.message) {
        seams.message("错误!", text, true);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QStringLiteral("错误!"), QString::fromUtf8(text),
                    QMessageBox::Ok, mainDialog());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void showMessage(const char *caption, const char *text)
{
    if (seams.message) {
        seams.message(caption, text, false);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::Ok, mainDialog());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void setTimer(int id, int milliseconds, TimerProc proc)
{
    clockProc = proc;
    theClockTimer().start(milliseconds);
    noteWindowChange(WindowChange::Clock, id);
}

void killTimer(int id)
{
    if (clockTimer)
        clockTimer->stop();
    noteWindowChange(WindowChange::Clock, id);
}

bool isClockRunning()
{
    return clockTimer && clockTimer->isActive();
}

int clockInterval()
{
    return clockTimer ? clockTimer->interval() : 0;
}

void fireClockTick()
{
    if (clockProc)
        clockProc();
}

void blockingWait(int milliseconds)
{
    if (seams.wait) {
        seams.wait(milliseconds);
        return;
    }
    QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void attachSkin()
{
    QFile sheet(QStringLiteral(":/vorla/skin.qss"));
    if (!sheet.open(QIODevice::ReadOnly))
        return;
    if (auto *application = qobject_cast<QApplication *>(QCoreApplication::instance()))
        application->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}
