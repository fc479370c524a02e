// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/selection_buffer.h"

#include <cstring>

#include "host/files.h"
#include "host/host.h"
#include "state/limits.h"

namespace {

// An absolute path to a file with a name, short enough to be played back once rebuilt.
bool isUsablePath(std::string_view path)
{
    std::size_t separator = path.rfind(PATH_SEPARATOR);
    return isAbsolutePath(path) && path.find('\0') == std::string_view::npos &&
           path.size() < PATH_BYTES && separator != std::string_view::npos &&
           path.size() - separator - 1 > 0 && path.size() - separator - 1 < NAME_BYTES;
}

std::string_view nameOf(std::string_view path)
{
    return path.substr(path.rfind(PATH_SEPARATOR) + 1);
}

// Writes text and its NUL at *at when they fit before the final empty string.
bool put(char *buffer, std::size_t size, std::size_t &at, std::string_view text)
{
    if (text.size() + 2 > size - at)
        return false;
    std::memcpy(buffer + at, text.data(), text.size());
    at += text.size();
    buffer[at++] = '\0';
    return true;
}

} // namespace

// One file: its full path NUL NUL. Several: directory NUL names NUL ... NUL. Files in another
// folder than the first usable one, unusable paths and names past the buffer's end are counted
// in leftOut. False when nothing could be written.
bool writeSelection(const std::vector<std::string> &paths, char *buffer, std::size_t size,
                    int &leftOut)
{
    std::vector<std::string_view> usable;
    for (const std::string &path : paths) {
        bool sameFolder = usable.empty() || folderOf(path) == folderOf(usable.front());
        if (isUsablePath(path) && sameFolder)
            usable.push_back(path);
        else
            ++leftOut;
    }
    std::size_t at = 0;
    if (usable.size() == 1) {
        if (put(buffer, size, at, usable.front())) {
            buffer[at] = '\0';
            return true;
        }
        ++leftOut;
        return false;
    }
    std::size_t written = 0;
    if (!usable.empty() && put(buffer, size, at, folderOf(usable.front()))) {
        for (std::string_view path : usable) {
            if (!put(buffer, size, at, nameOf(path)))
                break;
            ++written;
        }
    }
    leftOut += static_cast<int>(usable.size() - written);
    if (written == 0) {
        if (size > 0)
            buffer[0] = '\0';
        return false;
    }
    buffer[at] = '\0';
    return true;
}

bool chooseSelection(char *buffer, std::size_t size, int *leftOut, const ChoosePaths &choose)
{
    int ignored = 0;
    int &left = leftOut ? *leftOut : ignored;
    left = 0;
    if (size > 0)
        std::memset(buffer, 0, size);
    std::vector<std::string> paths;
    if (!choose(paths, left))
        return false;
    return writeSelection(paths, buffer, size, left);
}
