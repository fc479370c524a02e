// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/file_drop.h"

#include <climits>
#include <optional>
#include <unistd.h>

#include "engine/device_name.h"
#include "host/files.h"

namespace {

// An empty host, "localhost" or this machine's name: a file the player can open.
bool isThisHost(std::string_view host)
{
    if (host.empty() || host == "localhost")
        return true;
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name - 1) == 0 && host == name;
}

// The path of one "file:" URI ("file:///p", "file://host/p" or "file:/p"); false otherwise.
bool localPathOf(std::string_view uri, std::string &path)
{
    constexpr std::string_view SCHEME = "file:";
    if (uri.size() <= SCHEME.size())
        return false;
    for (std::size_t i = 0; i < SCHEME.size(); ++i) {
        char c = uri[i] >= 'A' && uri[i] <= 'Z' ? static_cast<char>(uri[i] - 'A' + 'a') : uri[i];
        if (c != SCHEME[i])
            return false;
    }
    std::string_view rest = uri.substr(SCHEME.size());
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        std::size_t slash = rest.find('/');
        if (slash == std::string_view::npos || !isThisHost(rest.substr(0, slash)))
            return false;
        rest.remove_prefix(slash);
    }
    // A query or fragment is no part of a file's name.
    if (rest.empty() || rest[0] != '/' || rest.find_first_of("?#") != std::string_view::npos)
        return false;
    return percentDecode(rest, path);
}

} // namespace

std::vector<std::string> localPathsOfUriList(std::string_view list)
{
    std::vector<std::string> paths;
    while (!list.empty()) {
        std::size_t end = list.find('\n');
        std::string_view line = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.remove_suffix(1);
        std::string path;
        if (!line.empty() && line[0] != '#' && localPathOf(line, path))
            paths.push_back(std::move(path));
    }
    return paths;
}

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
        if (path.empty() || path[0] != '/' || !isAudioFileName(path) ||
            !isRegularFile(path.c_str()))
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

namespace {

std::optional<DropBatch> pendingDrop;

} // namespace

void setDroppedFiles(DropBatch batch)
{
    pendingDrop = std::move(batch);
}

bool takeDroppedFiles(DropBatch &batch)
{
    if (!pendingDrop)
        return false;
    batch = std::move(*pendingDrop);
    pendingDrop.reset();
    return true;
}
