// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Bounded text writes: a result that does not fit leaves dst empty and returns false, so a
// path or name is refused rather than cut into a different one.
[[gnu::format(printf, 3, 4)]] bool formatText(char *dst, std::size_t size, const char *format, ...);
bool copyText(char *dst, std::size_t size, const char *src);

// Appends src to the text already in dst; on overflow dst keeps its old text and false returns.
bool appendText(char *dst, std::size_t size, const char *src);

// Zero-fills the whole buffer.
void clearText(char *dst, std::size_t size);

// Reads leading decimal digits as atoi does: blanks, an optional sign, digits; 0 when none.
// Saturates instead of overflowing.
long long readDecimal(const char *text);
