// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A file or folder name is bytes; this is the readable form shown on screen. UTF-8 when the
// bytes are UTF-8, else GB18030 when they decode as such (names from archives made on Chinese
// Windows), else UTF-8 with replacement characters.
QString displayText(const char *bytes);
