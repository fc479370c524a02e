// SPDX-License-Identifier: GPL-3.0-or-later
// The two fixed files, found through the XDG base directories.
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

#include "platform/host.h"
#include "state/text.h"

namespace {

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
bool dataHome(char *dst, std::size_t size)
{
    const char *home = std::getenv("XDG_DATA_HOME");
    if (home && home[0] == '/')
        return copyText(dst, size, home);
    const char *user = std::getenv("HOME");
    if (!user || user[0] != '/')
        return false;
    return formatText(dst, size, "%s/.local/share", user);
}

bool isRegularFile(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool playlistFilePath(char *dst, std::size_t size)
{
    char home[4096];
    if (!dataHome(home, sizeof home))
        return copyText(dst, size, "");
    return formatText(dst, size, "%s/vorla/savelist", home);
}

bool startupSoundPath(char *dst, std::size_t size)
{
    char candidate[4096];
    if (dataHome(candidate, sizeof candidate) &&
        appendText(candidate, sizeof candidate, "/vorla/open.mp3") && isRegularFile(candidate))
        return copyText(dst, size, candidate);

    const char *dirs = std::getenv("XDG_DATA_DIRS");
    if (!dirs || !dirs[0])
        dirs = "/usr/local/share/:/usr/share/";
    while (*dirs) {
        std::size_t length = std::strcspn(dirs, ":");
        if (length > 0 && dirs[0] == '/' &&
            formatText(candidate, sizeof candidate, "%.*s/vorla/open.mp3", static_cast<int>(length),
                       dirs) &&
            isRegularFile(candidate))
            return copyText(dst, size, candidate);
        dirs += length;
        if (*dirs == ':')
            ++dirs;
    }
    return copyText(dst, size, "") && false;
}
