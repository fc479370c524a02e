// SPDX-License-Identifier: GPL-3.0-or-later
// The file-selection dialog: the system's own, with the player's request.
#include "host/win32/file_dialog.h"

#include <cstring>
#include <windows.h>
// These build on <windows.h>.
#include <commdlg.h>

#include "host/host.h"
#include "host/seam_handlers.h"
#include "host/selection_buffer.h"
#include "host/win32/main_window.h"
#include "state/limits.h"

namespace {

constexpr char MP3_FILTER[] = "mp3\0*.MP3\0";
constexpr DWORD SELECT_FLAGS =
    OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_ALLOWMULTISELECT;
// The dialog writes its whole result at once or nothing. This holds some 4000 names of the
// longest length, far past the playlist's capacity; what the player's buffer cannot take of it
// is counted when the selection is written there.
constexpr std::size_t RESULT_BYTES = std::size_t{1} << 20;

// The user's choice as full paths; false when cancelled. A choice too long even for the
// result buffer adds nothing, and counts at least as many files as would have filled it.
bool askForFiles(std::vector<std::string> &paths, int &leftOut)
{
    if (const FileDialogHandler &handler = seamHandlers().fileDialog)
        return handler(paths);
    std::vector<char> result(RESULT_BYTES, '\0');
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = mainWindow();
    request.lpstrFilter = MP3_FILTER;
    request.nFilterIndex = 1;
    request.lpstrFile = result.data();
    request.nMaxFile = static_cast<DWORD>(result.size());
    request.Flags = SELECT_FLAGS;
    if (GetOpenFileNameA(&request))
        paths = selectedPaths(result.data(), result.size());
    else if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL)
        leftOut += static_cast<int>(RESULT_BYTES / NAME_BYTES);
    return !paths.empty();
}

} // namespace

std::vector<std::string> selectedPaths(const char *buffer, std::size_t size)
{
    std::vector<std::string> paths;
    std::size_t first = strnlen(buffer, size);
    if (first == 0 || first + 1 >= size)
        return paths;
    std::string folder(buffer, first);
    if (buffer[first + 1] == '\0') {
        paths.push_back(folder);
        return paths;
    }
    // A folder at a drive's root comes with its separator, "C:\"; any other without.
    if (folder.back() != '\\')
        folder += '\\';
    for (std::size_t at = first + 1; at < size && buffer[at] != '\0';) {
        std::size_t length = strnlen(buffer + at, size - at);
        if (at + length >= size)
            break;
        paths.push_back(folder + std::string(buffer + at, length));
        at += length + 1;
    }
    return paths;
}

bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    return chooseSelection(buffer, size, leftOut, askForFiles);
}
