// SPDX-License-Identifier: GPL-3.0-or-later
// The short name of a track: the system's 8.3 form of its path, made blank-free for a command.
#include <string>
#include <windows.h>

#include "host/files.h"
#include "host/host.h"
#include "host/win32/short_name.h"
#include "host/win32/wide_text.h"

bool shortPathName(const char *longPath, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    std::wstring wide;
    if (!isRegularFile(longPath) || !toWide(longPath, wide))
        return false;
    // Where the volume keeps no 8.3 names this is the long path itself.
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD length = GetShortPathNameW(wide.c_str(), shortPath.data(), MAX_PATH);
    if (length >= MAX_PATH) {
        shortPath.resize(length);
        length = GetShortPathNameW(wide.c_str(), shortPath.data(), length);
    }
    if (length == 0 || length >= shortPath.size())
        return false;
    shortPath.resize(length);
    std::string utf8;
    return toUtf8(shortPath, utf8) && encodeShortName(utf8, dst, size);
}
