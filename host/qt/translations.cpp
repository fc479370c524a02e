// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {

// Owned by the application object, so it goes with it.
QPointer<QTranslator> toolkitTranslator;

} // namespace

bool loadToolkitTranslations(const QLocale &locale)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return false;
    // A translator removes itself from the application when it is deleted.
    delete toolkitTranslator;
    auto *translator = new QTranslator(application);
    // Only the toolkit's own catalogue: the player's texts are Chinese whatever the locale.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    toolkitTranslator = translator;
    return true;
}
