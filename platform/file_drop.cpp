// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file_drop.h"

#include <sys/stat.h>

namespace {

std::string_view folderOf(std::string_view path)
{
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

bool isRegularFile(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool isAudioFileName(std::string_view path)
{
    constexpr std::string_view SUFFIX = ".mp3";
    if (path.size() <= SUFFIX.size() || path[path.size() - SUFFIX.size() - 1] == '/')
        return false;
    std::string_view tail = path.substr(path.size() - SUFFIX.size());
    for (std::size_t i = 0; i < SUFFIX.size(); ++i) {
        char c = tail[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != SUFFIX[i])
            return false;
    }
    return true;
}

std::vector<DropBatch> planDrop(const std::vector<std::string> &paths, int room)
{
    std::vector<DropBatch> batches;
    for (const std::string &path : paths) {
        if (path.empty() || path[0] != '/' || !isAudioFileName(path) || !isRegularFile(path))
            continue;
        if (batches.empty() || folderOf(batches.back().paths.front()) != folderOf(path))
            batches.emplace_back();
        batches.back().paths.push_back(path);
    }
    // Once the list is full, later batches would each say the same thing: fold them into the
    // last batch that is still added, so the user is told once.
    int left = room;
    for (std::size_t i = 0; i + 1 < batches.size(); ++i) {
        left -= static_cast<int>(batches[i].paths.size());
        if (left > 0)
            continue;
        for (std::size_t later = i + 1; later < batches.size(); ++later)
            batches[i].extraLeftOut += static_cast<int>(batches[later].paths.size());
        batches.resize(i + 1);
        break;
    }
    return batches;
}
