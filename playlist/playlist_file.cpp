// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/playlist_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/files.h"
#include "host/host.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"

namespace {

// One read of a line: at most PIECE_BYTES - 1 bytes; longer lines come in several pieces.
constexpr std::size_t PIECE_BYTES = 256;
constexpr char COUNT_TEMPLATE[] = "%d\n";
// Directory, a "*" line, name, a "*" line.
constexpr char RECORD_TEMPLATE[] = "%s\n*\n%s\n*\n";
constexpr std::size_t RECORD_BYTES = PATH_BYTES + NAME_BYTES + 8;

// The next byte with "\r\n" read as "\n"; a lone "\r" stays.
int readChar(std::FILE *file)
{
    int c = std::getc(file);
    if (c != '\r')
        return c;
    int next = std::getc(file);
    if (next == '\n')
        return '\n';
    if (next != EOF)
        std::ungetc(next, file);
    return c;
}

// Reads at most size - 1 bytes of one line, through its line feed. Returns the bytes read,
// 0 at the end of the file, -1 at a NUL byte, which no saved text holds.
int readPiece(std::FILE *file, char *piece, std::size_t size)
{
    std::size_t used = 0;
    while (used + 1 < size) {
        int c = readChar(file);
        if (c == EOF)
            break;
        if (c == '\0')
            return -1;
        piece[used++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    piece[used] = '\0';
    return static_cast<int>(used);
}

void skipRestOfLine(std::FILE *file)
{
    int c;
    do {
        c = readChar(file);
    } while (c != EOF && c != '\n');
}

// The count line as atoi reads its first piece; the rest of an overlong line is skipped, not
// taken as the first directory.
long long readCount(std::FILE *file)
{
    char piece[PIECE_BYTES];
    int length = readPiece(file, piece, sizeof piece);
    if (length <= 0)
        return 0;
    if (piece[length - 1] != '\n')
        skipRestOfLine(file);
    return readDecimal(piece);
}

// Collects one value: the lines before the next line that starts with "*", joined with their
// line feeds but without the last one; the "*" line is consumed whole. False, with dst empty,
// when the file ends first, a NUL byte comes or the value does not fit.
bool readValue(std::FILE *file, char *dst, std::size_t size)
{
    clearText(dst, size);
    char piece[PIECE_BYTES];
    bool atLineStart = true;
    bool pendingLineFeed = false;
    for (;;) {
        int length = readPiece(file, piece, sizeof piece);
        if (length <= 0)
            break;
        bool endsLine = piece[length - 1] == '\n';
        if (atLineStart && piece[0] == '*') {
            if (!endsLine)
                skipRestOfLine(file);
            return true;
        }
        if (endsLine)
            piece[length - 1] = '\0';
        if (pendingLineFeed && !appendText(dst, size, "\n"))
            break;
        if (!appendText(dst, size, piece))
            break;
        pendingLineFeed = endsLine;
        atLineStart = endsLine;
    }
    clearText(dst, size);
    return false;
}

// False for a text the reader would not give back unchanged: a line starting with "*" ends a
// value early, "\r" before a line end is dropped, and an unterminated row is not a text.
bool isSavable(const char *text, std::size_t size)
{
    if (strnlen(text, size) >= size)
        return false;
    for (const char *c = text; *c; ++c) {
        if (*c == '*' && (c == text || c[-1] == '\n'))
            return false;
        if (*c == '\r' && (c[1] == '\n' || c[1] == '\0'))
            return false;
    }
    return true;
}

// Reads row's list text into name; false when the entry cannot be written so that it loads back.
bool savableEntry(int row, char *name, std::size_t size)
{
    return row < MAX_ENTRIES && listText(IDC_PLAYLIST, row, name, size) && isSavable(name, size) &&
           isSavable(player.dirTable[row], sizeof player.dirTable[row]);
}

// The count line and the savable records of the first rows entries.
bool writeEntries(std::FILE *file, int rows, int savable)
{
    char record[RECORD_BYTES];
    if (!formatText(record, sizeof record, COUNT_TEMPLATE, savable) || std::fputs(record, file) < 0)
        return false;
    char name[NAME_BYTES];
    for (int row = 0; row < rows; ++row) {
        if (!savableEntry(row, name, sizeof name))
            continue;
        if (!formatText(record, sizeof record, RECORD_TEMPLATE, player.dirTable[row], name) ||
            std::fputs(record, file) < 0)
            return false;
    }
    return true;
}

// Writes the playlist through a replacement of the file, so a failed save keeps the old one.
bool replacePlaylistFile(int rows, int savable)
{
    char path[PATH_BYTES];
    FileReplacement replacement;
    if (!playlistFilePath(path, sizeof path) || !makeParentFolders(path) ||
        !beginReplacement(replacement, path))
        return false;
    if (!writeEntries(replacement.file, rows, savable)) {
        abandonReplacement(replacement);
        return false;
    }
    return commitReplacement(replacement);
}

// FNV-1a over a text and a separator, so folder and name cannot run into each other.
std::uint64_t mixText(std::uint64_t hash, const char *text, std::size_t size)
{
    for (std::size_t i = 0; i < size && text[i]; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 1099511628211ull;
    return (hash ^ 0x100) * 1099511628211ull;
}

// Entries of the list that the file cannot hold, as one value for the set: the same entries
// give the same value in any order; 0 when there are none.
std::uint64_t leftOutSet(int rows)
{
    std::uint64_t set = 0;
    char name[NAME_BYTES];
    for (int row = 0; row < rows; ++row) {
        if (savableEntry(row, name, sizeof name))
            continue;
        std::uint64_t hash = 14695981039346656037ull;
        hash = mixText(hash, row < MAX_ENTRIES ? player.dirTable[row] : "", PATH_BYTES);
        if (!listText(IDC_PLAYLIST, row, name, sizeof name))
            name[0] = '\0';
        set += mixText(hash, name, sizeof name) | 1;
    }
    return set;
}

} // namespace

bool loadPlaylist()
{
    char path[PATH_BYTES];
    if (!playlistFilePath(path, sizeof path))
        return false;
    // Only the player holding the lock gets here: what a cut-off save left is stale.
    removeStaleReplacements(path);
    std::FILE *file = openRegularFile(path);
    if (!file)
        return false;
    std::memset(player.dirTable, 0, sizeof player.dirTable);

    long long count = readCount(file);
    int wanted = count < 0 ? 0 : count > MAX_ENTRIES ? MAX_ENTRIES : static_cast<int>(count);
    char name[NAME_BYTES];
    int loaded = 0;
    while (loaded < wanted) {
        char *dir = player.dirTable[loaded];
        if (!readValue(file, dir, sizeof player.dirTable[loaded]) ||
            !readValue(file, name, sizeof name)) {
            // A broken record ends the list; the whole ones before it stay.
            clearText(dir, sizeof player.dirTable[loaded]);
            break;
        }
        insertListRow(IDC_PLAYLIST, -1, name);
        ++loaded;
    }
    std::fclose(file);

    player.listCount = loaded;
    player.dirCount = loaded;
    player.currentIndex = -1;
    return true;
}

void savePlaylist()
{
    int rows = listCount(IDC_PLAYLIST);
    player.listCount = rows;
    char name[NAME_BYTES];
    int savable = 0;
    for (int row = 0; row < rows; ++row) {
        if (savableEntry(row, name, sizeof name))
            ++savable;
    }
    // Each trouble is told once: a read-only folder would otherwise speak at every edit.
    if (!replacePlaylistFile(rows, savable)) {
        if (!player.saveFailureTold) {
            player.saveFailureTold = true;
            showError(MSG_PLAYLIST_SAVE_FAILED);
        }
        return;
    }
    player.saveFailureTold = false;
    std::uint64_t leftOut = savable < rows ? leftOutSet(rows) : 0;
    if (leftOut == player.leftOutTold)
        return;
    player.leftOutTold = leftOut;
    if (leftOut != 0) {
        char text[LABEL_BYTES];
        formatText(text, sizeof text, MSG_PLAYLIST_LEFT_OUT_TEMPLATE, rows - savable);
        showError(text);
    }
}
