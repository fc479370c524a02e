// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The player's texts are UTF-8; the W calls of Windows take UTF-16. Both ways are strict: bytes
// that are not UTF-8, or a lone surrogate, convert to nothing rather than to a different name.

#include <cstddef>
#include <string>
#include <string_view>

// False, with wide empty, for bytes that are not UTF-8 or hold a NUL.
bool toWide(std::string_view utf8, std::wstring &wide);

// False, with dst empty, when wide is not valid UTF-16 or its UTF-8 does not fit.
bool toUtf8(std::wstring_view wide, char *dst, std::size_t size);
bool toUtf8(std::wstring_view wide, std::string &utf8);

// Decodes bytes of a Windows code page (936 is GBK) into UTF-8; false when they are not text of
// that code page.
bool codePageToUtf8(std::string_view bytes, unsigned codePage, std::string &utf8);

// True for bytes that are valid UTF-8.
bool isUtf8(std::string_view bytes);
