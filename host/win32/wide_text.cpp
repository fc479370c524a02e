// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/wide_text.h"

#include <climits>
#include <cstring>
#include <windows.h>

namespace {

// MultiByteToWideChar of the whole view; false for text it refuses.
bool decode(std::string_view bytes, unsigned codePage, std::wstring &wide)
{
    wide.clear();
    if (bytes.empty())
        return true;
    if (bytes.size() > INT_MAX / 2)
        return false;
    // Bytes that are not text of the code page fail instead of becoming U+FFFD.
    DWORD flags = MB_ERR_INVALID_CHARS;
    int length = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                     nullptr, 0);
    if (length <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                               wide.data(), length) == length;
}

} // namespace

bool toWide(std::string_view utf8, std::wstring &wide)
{
    if (utf8.find('\0') != std::string_view::npos || !decode(utf8, CP_UTF8, wide)) {
        wide.clear();
        return false;
    }
    return true;
}

bool toUtf8(std::wstring_view wide, std::string &utf8)
{
    utf8.clear();
    if (wide.empty())
        return true;
    if (wide.size() > INT_MAX / 4)
        return false;
    int length = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                                     static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return false;
    utf8.resize(static_cast<std::size_t>(length));
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(),
                            static_cast<int>(wide.size()), utf8.data(), length, nullptr,
                            nullptr) != length) {
        utf8.clear();
        return false;
    }
    return true;
}

bool toUtf8(std::wstring_view wide, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    std::string utf8;
    if (!toUtf8(wide, utf8) || utf8.size() >= size || utf8.find('\0') != std::string::npos)
        return false;
    std::memcpy(dst, utf8.c_str(), utf8.size() + 1);
    return true;
}

bool codePageToUtf8(std::string_view bytes, unsigned codePage, std::string &utf8)
{
    std::wstring wide;
    if (!decode(bytes, codePage, wide))
        return false;
    return toUtf8(wide, utf8);
}

bool isUtf8(std::string_view bytes)
{
    std::wstring ignored;
    return decode(bytes, CP_UTF8, ignored);
}
