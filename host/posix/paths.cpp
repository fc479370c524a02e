// SPDX-License-Identifier: GPL-3.0-or-later
// The two fixed files, found through the XDG base directories.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "host/files.h"
#include "host/host.h"
#include "host/seams.h"
#include "state/limits.h"
#include "state/text.h"

namespace {

PasswordHomeLookup passwordHomeLookup;

// The home folder the password database gives this user, as GLib falls back on it.
bool passwordHome(char *dst, std::size_t size)
{
    if (passwordHomeLookup) {
        std::string home;
        return passwordHomeLookup(home) && copyText(dst, size, home.c_str());
    }
    long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384);
    passwd entry;
    passwd *found = nullptr;
    while (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    return found && found->pw_dir && copyText(dst, size, found->pw_dir);
}

// $XDG_DATA_HOME when it is absolute, else .local/share in the home folder: $HOME when it is
// absolute, else the password database's. Relative or empty values are never used.
bool dataHome(char *dst, std::size_t size)
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome && dataHome[0] == '/')
        return copyText(dst, size, dataHome);
    char home[PATH_BYTES];
    const char *user = std::getenv("HOME");
    if (user && user[0] == '/') {
        if (!copyText(home, sizeof home, user))
            return false;
    } else if (!passwordHome(home, sizeof home) || home[0] != '/') {
        return false;
    }
    return formatText(dst, size, "%s/.local/share", home);
}

} // namespace

void setPasswordHomeLookup(PasswordHomeLookup lookup)
{
    passwordHomeLookup = std::move(lookup);
}

bool playlistFilePath(char *dst, std::size_t size)
{
    char home[PATH_BYTES];
    if (!dataHome(home, sizeof home)) {
        copyText(dst, size, "");
        return false;
    }
    return formatText(dst, size, "%s/vorla/savelist", home);
}

bool startupSoundPath(char *dst, std::size_t size)
{
    char candidate[PATH_BYTES];
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
