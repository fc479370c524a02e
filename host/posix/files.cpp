// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "state/text.h"

namespace {

// The temporary file is the target's name with this and six random characters.
constexpr char TEMP_MARK[] = ".vorla-";
constexpr char TEMP_TEMPLATE[] = "%s.vorla-XXXXXX";
constexpr std::size_t TEMP_RANDOM = 6;
// As many links as the kernel follows itself.
constexpr int MAX_LINKS = 40;
constexpr mode_t NEW_FILE_MODE = 0600;

// The folder to open for path: its folder part, or "/" for a file in the root folder.
bool folderToOpen(const char *path, char *dst, std::size_t size)
{
    if (path[0] != '/')
        return false;
    std::string_view folder = folderOf(path);
    if (folder.empty())
        return copyText(dst, size, "/");
    return formatText(dst, size, "%.*s", static_cast<int>(folder.size()), folder.data());
}

// Follows symbolic links from path to the file they end at, which need not exist yet.
bool resolveTarget(const char *path, char *dst, std::size_t size)
{
    char current[PATH_BYTES];
    if (!copyText(current, sizeof current, path))
        return false;
    for (int hop = 0; hop <= MAX_LINKS; ++hop) {
        struct stat info;
        if (lstat(current, &info) != 0)
            return errno == ENOENT && copyText(dst, size, current);
        if (!S_ISLNK(info.st_mode))
            return copyText(dst, size, current);
        char link[PATH_BYTES];
        ssize_t length = readlink(current, link, sizeof link);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof link)
            return false;
        link[length] = '\0';
        char folder[PATH_BYTES];
        if (link[0] == '/') {
            if (!copyText(current, sizeof current, link))
                return false;
        } else if (!folderToOpen(current, folder, sizeof folder) ||
                   !formatText(current, sizeof current, "%s/%s", folder, link)) {
            return false;
        }
    }
    return false;
}

// Makes the rename itself durable; the new file is already complete either way.
void syncFolderOf(const char *path)
{
    char folder[PATH_BYTES];
    if (!folderToOpen(path, folder, sizeof folder))
        return;
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    fsync(fd);
    close(fd);
}

bool isTempCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// True for the name a replacement of the file called base gives its temporary file.
bool isTempName(const char *name, const char *base)
{
    std::size_t baseLength = std::strlen(base);
    std::size_t markLength = sizeof TEMP_MARK - 1;
    if (std::strncmp(name, base, baseLength) != 0 ||
        std::strncmp(name + baseLength, TEMP_MARK, markLength) != 0)
        return false;
    const char *random = name + baseLength + markLength;
    if (std::strlen(random) != TEMP_RANDOM)
        return false;
    for (const char *c = random; *c; ++c) {
        if (!isTempCharacter(*c))
            return false;
    }
    return true;
}

} // namespace

bool isRegularFile(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

std::FILE *openRegularFile(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    std::FILE *file = fdopen(fd, "r");
    if (!file)
        close(fd);
    return file;
}

bool isAbsolutePath(std::string_view path)
{
    return !path.empty() && path[0] == '/';
}

std::string_view folderOf(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

bool makeParentFolders(const char *path)
{
    char folder[PATH_BYTES];
    if (path[0] != '/' || !copyText(folder, sizeof folder, path))
        return false;
    for (char *slash = std::strchr(folder + 1, '/'); slash; slash = std::strchr(slash + 1, '/')) {
        *slash = '\0';
        if (mkdir(folder, 0700) != 0 && errno != EEXIST)
            return false;
        *slash = '/';
    }
    return true;
}

bool beginReplacement(FileReplacement &replacement, const char *path)
{
    replacement.file = nullptr;
    clearText(replacement.temp, sizeof replacement.temp);
    if (!resolveTarget(path, replacement.target, sizeof replacement.target) ||
        !formatText(replacement.temp, sizeof replacement.temp, TEMP_TEMPLATE, replacement.target))
        return false;
    mode_t mode = NEW_FILE_MODE;
    struct stat info;
    if (stat(replacement.target, &info) == 0) {
        if (!S_ISREG(info.st_mode))
            return false;
        mode = info.st_mode & 07777;
    }
    int fd = mkostemp(replacement.temp, O_CLOEXEC);
    if (fd < 0)
        return false;
    if ((mode != NEW_FILE_MODE && fchmod(fd, mode) != 0) || !(replacement.file = fdopen(fd, "w"))) {
        close(fd);
        unlink(replacement.temp);
        return false;
    }
    return true;
}

bool commitReplacement(FileReplacement &replacement)
{
    if (!replacement.file)
        return false;
    bool written = std::fflush(replacement.file) == 0 && fsync(fileno(replacement.file)) == 0;
    written = std::fclose(replacement.file) == 0 && written;
    replacement.file = nullptr;
    if (!written || std::rename(replacement.temp, replacement.target) != 0) {
        unlink(replacement.temp);
        return false;
    }
    syncFolderOf(replacement.target);
    return true;
}

void abandonReplacement(FileReplacement &replacement)
{
    if (!replacement.file)
        return;
    std::fclose(replacement.file);
    replacement.file = nullptr;
    unlink(replacement.temp);
}

void removeStaleReplacements(const char *path)
{
    char target[PATH_BYTES];
    char folder[PATH_BYTES];
    if (!resolveTarget(path, target, sizeof target) || !folderToOpen(target, folder, sizeof folder))
        return;
    const char *base = std::strrchr(target, '/') + 1;
    DIR *dir = opendir(folder);
    if (!dir)
        return;
    while (const dirent *entry = readdir(dir)) {
        struct stat info;
        if (isTempName(entry->d_name, base) &&
            fstatat(dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == geteuid())
            unlinkat(dirfd(dir), entry->d_name, 0);
    }
    closedir(dir);
}
