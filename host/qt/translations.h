// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLocale>

// Installs Qt's own translations for the locale, so that the toolkit's dialogs and standard
// buttons read in its language; replaces any installed before. False, with none installed,
// when Qt has no translation for that locale.
bool loadToolkitTranslations(const QLocale &locale);
