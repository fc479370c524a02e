// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as the playlist file, checks that the list and dirTable stay in step,
// then saves and loads again: the file written is the canonical form and reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "host/host.h"
#include "host/memory/memory_host.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "state/player_state.h"

namespace {

constexpr std::size_t MAX_INPUT_BYTES = 1 << 20;

// Plain arrays, not strings: the exit handler runs after static objects are destroyed.
char dataHome[64];
char playlistFolder[80];
char playlistFile[96];

void removePlaylistFolder()
{
    std::remove(playlistFile);
    std::remove(playlistFolder);
    std::remove(dataHome);
}

// A private data home for the playlist file, on a memory file system when there is one, so the
// save's fsync stays cheap; the host finds the file there as the player does.
const char *playlistPath()
{
    if (playlistFile[0])
        return playlistFile;
    const char *base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::snprintf(dataHome, sizeof dataHome, "%s/vorla-fuzz-XXXXXX", base);
    if (!mkdtemp(dataHome))
        std::abort();
    std::snprintf(playlistFolder, sizeof playlistFolder, "%s/vorla", dataHome);
    std::snprintf(playlistFile, sizeof playlistFile, "%s/savelist", playlistFolder);
    if (mkdir(playlistFolder, 0700) != 0 || setenv("XDG_DATA_HOME", dataHome, 1) != 0)
        std::abort();
    std::atexit(removePlaylistFolder);
    char found[PATH_BYTES];
    if (!playlistFilePath(found, sizeof found) || std::strcmp(found, playlistFile) != 0)
        std::abort();
    return playlistFile;
}

void writeBytes(const std::string &path, const uint8_t *data, std::size_t size)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
        std::abort();
}

std::string readBytes(const std::string &path)
{
    std::string bytes;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        std::abort();
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

void check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "playlist invariant broken: %s\n", what);
    std::abort();
}

struct Entry {
    std::string dir;
    std::string name;
};

// A value read as "x\r" from "x\r\r\n" has no form that reads back the same, so the save
// leaves its entry out. Loaded values never hold a line that starts with "*".
bool isSavable(const std::string &text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] == '\n'))
            return false;
    }
    return true;
}

// Loads the file and checks the state it leaves; returns the entries shown.
std::vector<Entry> loadAndCheck()
{
    resetPlayerState();
    buildMemoryWindow();
    player.currentIndex = 5;
    check(loadPlaylist(), "an existing file must open");

    const std::vector<std::string> &rows = listRows(IDC_PLAYLIST);
    check(player.listCount == player.dirCount, "listCount == dirCount");
    check(player.listCount == static_cast<int>(rows.size()), "listCount == rows shown");
    check(player.listCount <= MAX_ENTRIES, "at most MAX_ENTRIES");
    check(player.currentIndex == -1, "no current track after loading");

    std::vector<Entry> entries;
    for (int i = 0; i < MAX_ENTRIES; ++i) {
        const char *dir = player.dirTable[i];
        std::size_t length = strnlen(dir, PATH_BYTES);
        check(length < PATH_BYTES, "every row is terminated");
        if (i >= player.dirCount) {
            check(length == 0, "rows past dirCount are empty");
            continue;
        }
        check(rows[i].size() < NAME_BYTES, "names fit their buffer");
        entries.push_back({dir, rows[i]});
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size > MAX_INPUT_BYTES)
        return 0;
    const char *path = playlistPath();
    writeBytes(path, data, size);

    std::vector<Entry> first = loadAndCheck();

    savePlaylist();
    std::vector<Entry> kept;
    for (const Entry &entry : first) {
        if (isSavable(entry.dir) && isSavable(entry.name))
            kept.push_back(entry);
    }
    std::string expected = std::to_string(kept.size()) + "\n";
    for (const Entry &entry : kept)
        expected += entry.dir + "\n*\n" + entry.name + "\n*\n";
    check(readBytes(path) == expected, "the saved file is the canonical form of the entries");

    std::vector<Entry> second = loadAndCheck();
    check(second.size() == kept.size(), "a saved list loads back whole");
    for (std::size_t i = 0; i < kept.size(); ++i) {
        check(second[i].dir == kept[i].dir, "directories load back unchanged");
        check(second[i].name == kept[i].name, "names load back unchanged");
    }
    return 0;
}
