// SPDX-License-Identifier: GPL-3.0-or-later
// The application's style sheet.
#include <QApplication>
#include <QFile>

#include "host/host.h"

void attachSkin()
{
    QFile sheet(QStringLiteral(":/vorla/skin.qss"));
    if (!sheet.open(QIODevice::ReadOnly))
        return;
    if (auto *application = qobject_cast<QApplication *>(QCoreApplication::instance()))
        application->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}
