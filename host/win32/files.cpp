// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer on Windows: UTF-8 paths with '\' separators, opened through the W calls.
#include "host/files.h"

#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <random>
#include <string>
#include <windows.h>

#include "host/win32/wide_text.h"
#include "state/text.h"

namespace {

// The temporary file is the target's name with this and six random characters.
constexpr char TEMP_MARK[] = ".vorla-";
constexpr char TEMP_TEMPLATE[] = "%s.vorla-%s";
constexpr std::size_t TEMP_RANDOM = 6;
constexpr int TEMP_TRIES = 16;

// The attributes of what path names, past any symbolic links; false when it does not exist.
bool attributesOf(const char *path, DWORD &attributes)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return false;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return false;
    attributes = data.dwFileAttributes;
    return true;
}

bool isPlainFile(DWORD attributes)
{
    return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

// A handle on a regular file for reading, or INVALID_HANDLE_VALUE: a folder, a pipe or a
// device in its place is no file.
HANDLE openForReading(const std::wstring &wide)
{
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        !isPlainFile(info.dwFileAttributes)) {
        CloseHandle(handle);
        return INVALID_HANDLE_VALUE;
    }
    return handle;
}

// The file a path ends at past symbolic links and junctions; the path itself when it does not
// exist yet.
bool resolveTarget(const char *path, char *dst, std::size_t size)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return false;
    HANDLE handle =
        CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND) && copyText(dst, size, path);
    }
    wchar_t resolved[MAX_PATH * 4];
    DWORD length = GetFinalPathNameByHandleW(handle, resolved, MAX_PATH * 4,
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(handle);
    if (length == 0 || length >= MAX_PATH * 4)
        return false;
    std::wstring_view found(resolved, length);
    // "\\?\C:\..." for a drive, "\\?\UNC\server\..." for a share.
    if (found.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        std::wstring share = L"\\\\" + std::wstring(found.substr(8));
        return toUtf8(share, dst, size);
    }
    if (found.rfind(L"\\\\?\\", 0) == 0)
        found.remove_prefix(4);
    return toUtf8(found, dst, size);
}

bool isTempCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// True for the name a replacement of the file called base gives its temporary file. Names on
// Windows match in any letter case.
bool isTempName(const char *name, const char *base)
{
    std::size_t baseLength = std::strlen(base);
    std::size_t markLength = sizeof TEMP_MARK - 1;
    if (_strnicmp(name, base, baseLength) != 0 ||
        _strnicmp(name + baseLength, TEMP_MARK, markLength) != 0)
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

// Where the folders of path start: past "X:\" or "\\server\share\"; 0 for a path that is
// not absolute.
std::size_t rootLength(std::string_view path)
{
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')))
        return 3;
    if (path.size() < 3 || path[0] != '\\' || path[1] != '\\' || path[2] == '\\')
        return 0;
    std::size_t server = path.find('\\', 2);
    if (server == std::string_view::npos || server == 2)
        return 0;
    std::size_t share = path.find('\\', server + 1);
    if (share == server + 1)
        return 0;
    return share == std::string_view::npos ? path.size() : share + 1;
}

} // namespace

bool isRegularFile(const char *path)
{
    DWORD attributes = 0;
    return attributesOf(path, attributes) && isPlainFile(attributes);
}

// Binary: the reader turns CR LF into LF itself, and text mode would stop at a 0x1A byte.
std::FILE *openRegularFile(const char *path)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return nullptr;
    HANDLE handle = openForReading(wide);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE *file = _fdopen(fd, "rb");
    if (!file)
        _close(fd);
    return file;
}

bool isAbsolutePath(std::string_view path)
{
    return rootLength(path) > 0;
}

std::string_view folderOf(std::string_view path)
{
    std::size_t separator = path.rfind('\\');
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}

bool makeParentFolders(const char *path)
{
    std::size_t root = rootLength(path);
    char folder[PATH_BYTES];
    if (root == 0 || !copyText(folder, sizeof folder, path))
        return false;
    for (char *separator = std::strchr(folder + root, '\\'); separator;
         separator = std::strchr(separator + 1, '\\')) {
        *separator = '\0';
        std::wstring wide;
        if (!toWide(folder, wide))
            return false;
        if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        *separator = '\\';
    }
    return true;
}

// The temporary file is opened in text mode, so each "\n" the player writes is stored as CR LF,
// the line end of text files on Windows.
bool beginReplacement(FileReplacement &replacement, const char *path)
{
    replacement.file = nullptr;
    clearText(replacement.temp, sizeof replacement.temp);
    if (!resolveTarget(path, replacement.target, sizeof replacement.target))
        return false;
    DWORD attributes = 0;
    if (attributesOf(replacement.target, attributes) && !isPlainFile(attributes))
        return false;

    static constexpr char ALPHABET[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < TEMP_TRIES; ++attempt) {
        char suffix[TEMP_RANDOM + 1] = {};
        for (std::size_t i = 0; i < TEMP_RANDOM; ++i)
            suffix[i] = ALPHABET[random() % (sizeof ALPHABET - 1)];
        std::wstring wide;
        if (!formatText(replacement.temp, sizeof replacement.temp, TEMP_TEMPLATE,
                        replacement.target, suffix) ||
            !toWide(replacement.temp, wide))
            break;
        HANDLE handle = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            break;
        }
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_TEXT);
        if (fd < 0) {
            CloseHandle(handle);
        } else if ((replacement.file = _fdopen(fd, "w"))) {
            return true;
        } else {
            _close(fd);
        }
        DeleteFileW(wide.c_str());
        break;
    }
    clearText(replacement.temp, sizeof replacement.temp);
    return false;
}

bool commitReplacement(FileReplacement &replacement)
{
    if (!replacement.file)
        return false;
    bool written = std::fflush(replacement.file) == 0 && _commit(_fileno(replacement.file)) == 0;
    written = std::fclose(replacement.file) == 0 && written;
    replacement.file = nullptr;
    std::wstring temp;
    std::wstring target;
    if (!toWide(replacement.temp, temp))
        return false;
    if (!written || !toWide(replacement.target, target) ||
        !MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

void abandonReplacement(FileReplacement &replacement)
{
    if (!replacement.file)
        return;
    std::fclose(replacement.file);
    replacement.file = nullptr;
    std::wstring temp;
    if (toWide(replacement.temp, temp))
        DeleteFileW(temp.c_str());
}

// The folder is the user's own (%APPDATA%), so every file in it named as a replacement names its
// temporary file is one of ours.
void removeStaleReplacements(const char *path)
{
    char target[PATH_BYTES];
    char pattern[PATH_BYTES];
    if (!resolveTarget(path, target, sizeof target) ||
        !formatText(pattern, sizeof pattern, "%s%s*", target, TEMP_MARK))
        return;
    const char *separator = std::strrchr(target, '\\');
    if (!separator)
        return;
    const char *base = separator + 1;
    std::string_view folder = folderOf(target);
    std::wstring widePattern;
    if (!toWide(pattern, widePattern))
        return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(widePattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char name[NAME_BYTES * 2];
        char full[PATH_BYTES];
        std::wstring wide;
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            toUtf8(found.cFileName, name, sizeof name) && isTempName(name, base) &&
            formatText(full, sizeof full, "%.*s\\%s", static_cast<int>(folder.size()),
                       folder.data(), name) &&
            toWide(full, wide))
            DeleteFileW(wide.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}
