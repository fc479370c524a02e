// SPDX-License-Identifier: GPL-3.0-or-later
// The modal message boxes over the main window.
#include <QMessageBox>

#include "host/host.h"
#include "host/qt/main_window.h"
#include "host/qt/window_events.h"
#include "host/seam_handlers.h"

namespace {

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

void showError(const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message) {
        handler("错误!", text, true);
        return;
    }
    showBox(QMessageBox::Critical, "错误!", text);
}

void showMessage(const char *caption, const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message) {
        handler(caption, text, false);
        return;
    }
    showBox(QMessageBox::NoIcon, caption, text);
}
