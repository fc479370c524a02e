// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include <QString>

// The bytes of the file that the file dialog names with path. Qt shows a name whose bytes are
// not UTF-8 with replacement characters, so such a name is found again by listing its folder;
// false when no entry, or more than one, reads as that name.
bool fileNameBytes(const QString &path, std::string &bytes);
