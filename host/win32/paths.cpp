// SPDX-License-Identifier: GPL-3.0-or-later
// The two fixed files: the playlist in the user's roaming application data, the chime beside
// the program or the user's own copy. A portable copy keeps both in a data folder of its own.
#include <cwchar>
#include <string>
#include <windows.h>
// These build on <windows.h>.
#include <shlobj.h>

#include "host/files.h"
#include "host/host.h"
#include "host/win32/wide_text.h"
#include "state/limits.h"
#include "state/text.h"

namespace {

// %APPDATA%: the variable when it holds an absolute path (so a test, or a user wanting the list
// elsewhere, can move it), else the shell's known folder.
bool roamingAppData(char *dst, std::size_t size)
{
    const wchar_t *variable = _wgetenv(L"APPDATA");
    if (variable && toUtf8(variable, dst, size) && isAbsolutePath(dst))
        return true;
    wchar_t *known = nullptr;
    bool found = SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DONT_VERIFY,
                                                nullptr, &known)) &&
                 toUtf8(known, dst, size) && isAbsolutePath(dst);
    CoTaskMemFree(known);
    if (!found)
        copyText(dst, size, "");
    return found;
}

// The folder the running program was started from.
bool programFolder(char *dst, std::size_t size)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return false;
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= 32768)
            return false;
        path.resize(path.size() * 2);
    }
    std::size_t separator = path.rfind(L'\\');
    return separator != std::wstring::npos && toUtf8(path.substr(0, separator), dst, size);
}

bool isFolder(const char *path)
{
    std::wstring wide;
    DWORD attributes =
        toWide(path, wide) ? GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Where this copy keeps its own files: "data" beside the program when a file "portable" or a
// folder "data" is there (a copy on a USB stick leaves nothing on the machine), else Vorla's
// folder in the user's roaming application data.
bool dataFolder(char *dst, std::size_t size)
{
    char program[PATH_BYTES];
    char marker[PATH_BYTES];
    if (programFolder(program, sizeof program) && formatText(dst, size, "%s\\data", program) &&
        formatText(marker, sizeof marker, "%s\\portable", program) &&
        (isRegularFile(marker) || isFolder(dst)))
        return true;
    char roaming[PATH_BYTES];
    if (roamingAppData(roaming, sizeof roaming) && formatText(dst, size, "%s\\Vorla", roaming))
        return true;
    copyText(dst, size, "");
    return false;
}

} // namespace

bool playlistFilePath(char *dst, std::size_t size)
{
    char folder[PATH_BYTES];
    if (!dataFolder(folder, sizeof folder)) {
        copyText(dst, size, "");
        return false;
    }
    return formatText(dst, size, "%s\\savelist", folder);
}

// The user's own chime wins over the one installed beside the program.
bool startupSoundPath(char *dst, std::size_t size)
{
    char candidate[PATH_BYTES];
    if (dataFolder(candidate, sizeof candidate) &&
        appendText(candidate, sizeof candidate, "\\open.mp3") && isRegularFile(candidate))
        return copyText(dst, size, candidate);
    if (programFolder(candidate, sizeof candidate) &&
        appendText(candidate, sizeof candidate, "\\open.mp3") && isRegularFile(candidate))
        return copyText(dst, size, candidate);
    copyText(dst, size, "");
    return false;
}
