// SPDX-License-Identifier: GPL-3.0-or-later
// Treats arbitrary bytes as the file dialog's selection buffer: splits and appends it against a
// list already holding some entries, then checks the list gained exactly the names the buffer
// holds, none empty, never past the playlist's capacity.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"
#include "host/memory/memory_host.h"
#include "playlist/selection.h"
#include "resources/resource.h"
#include "state/player_state.h"

namespace {

char selection[SELECTION_BYTES];

// The names after the directory up to the first empty string, each ended inside the buffer.
std::vector<std::string> namesIn(const char *buffer, std::size_t size)
{
    std::vector<std::string> names;
    std::size_t at = strnlen(buffer, size) + 1;
    while (at < size && buffer[at] != '\0') {
        std::size_t length = strnlen(buffer + at, size - at);
        if (at + length >= size)
            break;
        names.emplace_back(buffer + at, length);
        at += length + 1;
    }
    return names;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    buildMemoryWindow();
    // The first byte says how full the list already is; 250 and above mean full.
    int before = data[0] >= 250 ? MAX_ENTRIES : data[0];
    for (int row = 0; row < before; ++row)
        insertListRow(IDC_PLAYLIST, -1, "old.mp3");
    // The rest is the buffer, cut to its real size, with its last byte forced to NUL as the
    // dialog's zero-filled buffer always ends.
    std::size_t length = std::min(size - 1, sizeof selection - 1);
    std::memset(selection, 0, sizeof selection);
    std::memcpy(selection, data + 1, length);

    splitSingleSelection(selection, sizeof selection);
    std::vector<std::string> names = namesIn(selection, sizeof selection);
    int leftOut = appendSelectedNames(selection, sizeof selection);

    const std::vector<std::string> &rows = listRows(IDC_PLAYLIST);
    std::size_t added = rows.size() - static_cast<std::size_t>(before);
    if (rows.size() > static_cast<std::size_t>(MAX_ENTRIES) || leftOut < 0 ||
        added + static_cast<std::size_t>(leftOut) != names.size())
        std::abort();
    std::size_t next = 0;
    for (std::size_t row = before; row < rows.size(); ++row) {
        if (rows[row].empty() || rows[row].size() >= NAME_BYTES)
            std::abort();
        // Each added name is one of the buffer's, in the buffer's order.
        while (next < names.size() && names[next] != rows[row])
            ++next;
        if (next == names.size())
            std::abort();
        ++next;
    }
    return 0;
}
