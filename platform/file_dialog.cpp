// SPDX-License-Identifier: GPL-3.0-or-later
// The file-selection dialog and the selection buffer it fills.
#include "platform/file_dialog.h"

#include <cstring>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "platform/file_drop.h"
#include "platform/main_window.h"
#include "platform/seams.h"
#include "platform/window_events.h"
#include "state/files.h"
#include "state/limits.h"

namespace {

FileDialogHandler fileDialogHandler;

// Linux names are case-sensitive; the filter takes .mp3 in any letter case.
constexpr char MP3_FILTER[] = "mp3 (*.mp3 *.mP3 *.Mp3 *.MP3)";

bool exists(const std::string &path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The one entry of folder whose name Qt reads as name; false when none or several do.
bool findEntry(const std::string &folder, const QString &name, std::string &entry)
{
    DIR *dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir)
        return false;
    int found = 0;
    while (const dirent *item = readdir(dir)) {
        if (QFile::decodeName(item->d_name) == name && found++ == 0)
            entry = item->d_name;
    }
    closedir(dir);
    return found == 1;
}

// The user's choice as absolute byte paths; false when cancelled. A file whose bytes cannot be
// found again is counted in leftOut rather than added under a name that does not exist.
bool askForFiles(std::vector<std::string> &paths, int &leftOut)
{
    if (fileDialogHandler)
        return fileDialogHandler(paths);
    announceWindowChange(WindowChange::DialogOpened, 0);
    QStringList files = QFileDialog::getOpenFileNames(mainDialog(), QString(), QString(),
                                                      QString::fromUtf8(MP3_FILTER));
    announceWindowChange(WindowChange::DialogClosed, 0);
    for (const QString &file : files) {
        std::string path;
        if (fileNameBytes(file, path))
            paths.push_back(std::move(path));
        else
            ++leftOut;
    }
    return !files.isEmpty();
}

// An absolute path to a file with a name, short enough to be played back once rebuilt.
bool isUsablePath(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    return !path.empty() && path[0] == '/' && path.find('\0') == std::string_view::npos &&
           path.size() < PATH_BYTES && slash != std::string_view::npos &&
           path.size() - slash - 1 > 0 && path.size() - slash - 1 < NAME_BYTES;
}

std::string_view nameOf(std::string_view path)
{
    return path.substr(path.rfind('/') + 1);
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

} // namespace

bool fileNameBytes(const QString &path, std::string &bytes)
{
    bytes.clear();
    if (!path.startsWith(u'/'))
        return false;
    std::string direct = QFile::encodeName(path).toStdString();
    if (exists(direct)) {
        bytes = std::move(direct);
        return true;
    }
    // Walk from the root, finding each part that is not UTF-8 in its folder's listing.
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
        std::string next = bytes + "/" + QFile::encodeName(part).toStdString();
        std::string entry;
        if (!exists(next)) {
            if (!findEntry(bytes, part, entry))
                return false;
            next = bytes + "/" + entry;
        }
        bytes = std::move(next);
    }
    return !bytes.empty();
}

void setFileDialogHandler(FileDialogHandler handler)
{
    fileDialogHandler = std::move(handler);
}

bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    int ignored = 0;
    int &left = leftOut ? *leftOut : ignored;
    left = 0;
    if (size > 0)
        std::memset(buffer, 0, size);
    std::vector<std::string> paths;
    if (DropBatch drop; takeDroppedFiles(drop)) {
        paths = std::move(drop.paths);
        left += drop.extraLeftOut;
    } else if (!askForFiles(paths, left)) {
        return false;
    }
    return writeSelection(paths, buffer, size, left);
}
