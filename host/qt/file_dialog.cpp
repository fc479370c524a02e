// SPDX-License-Identifier: GPL-3.0-or-later
// The file-selection dialog and the selection buffer it fills.
#include "host/qt/file_dialog.h"

#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "host/files.h"
#include "host/qt/file_drop.h"
#include "host/qt/main_window.h"
#include "host/qt/window_events.h"
#include "host/seam_handlers.h"
#include "host/selection_buffer.h"
#include "state/limits.h"

namespace {

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
    if (const FileDialogHandler &handler = seamHandlers().fileDialog)
        return handler(paths);
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

bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    return chooseSelection(buffer, size, leftOut, [](std::vector<std::string> &paths, int &left) {
        if (DropBatch drop; takeDroppedFiles(drop)) {
            paths = std::move(drop.paths);
            left += drop.extraLeftOut;
            return true;
        }
        return askForFiles(paths, left);
    });
}
