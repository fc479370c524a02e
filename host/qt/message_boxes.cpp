// SPDX-License-Identifier: GPL-3.0-or-later
// The modal message boxes over the main window.
#include <QMessageBox>

#include "host/host.h"
#include "host/qt/main_window.h"
#include "host/qt/window_events.h"
#include "host/seams.h"

namespace {

MessageHandler &messageHandler()
{
    static MessageHandler handler;
    return handler;
}

void showBox(QMessageBox::Icon icon, const char *caption, const char *text)
{
    QMessageBox box(icon, QString::fromUtf8(caption), QString::fromUtf8(text), QMessageBox::Ok,
                    mainDialog());
    box.setTextFormat(Qt::PlainText);
    announceWindowChange(WindowChange::DialogOpened, 0);
    box.exec();
    announceWindowChange(WindowChange::DialogClosed, 0);
}

} // namespace

void setMessageHandler(MessageHandler handler)
{
    messageHandler() = std::move(handler);
}

void showError(const char *text)
{
    if (messageHandler()) {
        messageHandler()("错误!", text, true);
        return;
    }
    showBox(QMessageBox::Critical, "错误!", text);
}

void showMessage(const char *caption, const char *text)
{
    if (messageHandler()) {
        messageHandler()(caption, text, false);
        return;
    }
    showBox(QMessageBox::NoIcon, caption, text);
}
