// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/selection.h"

#include <cstring>

#include "host/host.h"
#include "resources/resource.h"

void splitSingleSelection(char *buffer, std::size_t size)
{
    std::size_t first = strnlen(buffer, size);
    // The first string and the empty one after it must both end inside the buffer.
    if (first + 1 >= size || buffer[first + 1] != '\0')
        return;
    for (std::size_t i = first; i > 0; --i) {
        if (buffer[i - 1] == PATH_SEPARATOR) {
            buffer[i - 1] = '\0';
            return;
        }
    }
}

int appendSelectedNames(const char *buffer, std::size_t size)
{
    std::size_t directoryLength = strnlen(buffer, size);
    std::size_t at = directoryLength + 1;
    int room = MAX_ENTRIES - listCount(IDC_PLAYLIST);
    int leftOut = 0;
    while (at < size && buffer[at] != '\0') {
        std::size_t nameLength = strnlen(buffer + at, size - at);
        // A name running into the end of the buffer has no terminator: the list ends there.
        if (at + nameLength >= size)
            break;
        // The track's path is rebuilt as directory, separator, name into a PATH_BYTES buffer.
        bool fits = nameLength < NAME_BYTES && directoryLength + 1 + nameLength < PATH_BYTES;
        if (fits && room > 0) {
            insertListRow(IDC_PLAYLIST, -1, buffer + at);
            --room;
        } else {
            ++leftOut;
        }
        at += nameLength + 1;
    }
    return leftOut;
}
