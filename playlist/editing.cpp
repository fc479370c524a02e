// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/editing.h"

#include "host/host.h"
#include "playback/clock.h"
#include "playlist/playlist_file.h"
#include "playlist/selection.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/sequences.h"
#include "state/text.h"

namespace {

// Lives outside the stack: a full selection is some 70 KB.
char selection[SELECTION_BYTES];

// Swaps entry upper with the entry below it, in the list and in dirTable; the current track
// keeps naming the same file. False, and nothing changed, when either text cannot be read.
bool swapWithNext(int upper)
{
    int lower = upper + 1;
    if (upper < 0 || lower >= MAX_ENTRIES)
        return false;
    char upperText[NAME_BYTES] = {};
    char lowerText[NAME_BYTES] = {};
    if (!listText(IDC_PLAYLIST, upper, upperText, sizeof upperText) ||
        !listText(IDC_PLAYLIST, lower, lowerText, sizeof lowerText))
        return false;
    deleteListRow(IDC_PLAYLIST, lower);
    deleteListRow(IDC_PLAYLIST, upper);
    insertListRow(IDC_PLAYLIST, upper, lowerText);
    insertListRow(IDC_PLAYLIST, lower, upperText);

    char directory[PATH_BYTES];
    copyText(directory, sizeof directory, player.dirTable[upper]);
    copyText(player.dirTable[upper], sizeof player.dirTable[upper], player.dirTable[lower]);
    copyText(player.dirTable[lower], sizeof player.dirTable[lower], directory);

    if (player.currentIndex == upper)
        player.currentIndex = lower;
    else if (player.currentIndex == lower)
        player.currentIndex = upper;
    return true;
}

// Tells how many chosen files the last Add left out.
void showLeftOut(int leftOut)
{
    char text[LABEL_BYTES];
    formatText(text, sizeof text, MSG_ADD_LEFT_OUT_TEMPLATE, leftOut, MAX_ENTRIES,
               static_cast<int>(PATH_BYTES - 1));
    showError(text);
}

} // namespace

// Names go to the end of the list in the dialog's order; what does not fit is counted and told.
void onAdd()
{
    clearText(selection, sizeof selection);
    int leftOut = 0;
    if (!chooseFiles(selection, sizeof selection, &leftOut)) {
        if (leftOut > 0)
            showLeftOut(leftOut);
        return;
    }
    splitSingleSelection(selection, sizeof selection);
    leftOut += appendSelectedNames(selection, sizeof selection);
    int count = listCount(IDC_PLAYLIST);
    player.listCount = count < MAX_ENTRIES ? count : MAX_ENTRIES;
    for (int row = player.dirCount < 0 ? 0 : player.dirCount; row < player.listCount; ++row)
        copyText(player.dirTable[row], sizeof player.dirTable[row], selection);
    player.dirCount = player.listCount;
    savePlaylist();
    if (leftOut > 0)
        showLeftOut(leftOut);
}

// Deleting the playing entry stops it; the entries below move up one row.
void onDelete()
{
    int selected = listSelection(IDC_PLAYLIST);
    if (selected < 0) {
        showError(MSG_DELETE_NO_SELECTION);
        return;
    }
    if (selected >= player.listCount || selected >= MAX_ENTRIES)
        return;
    if (selected == player.currentIndex) {
        closeCurrentTrack();
        player.currentIndex = -1;
        resetDisplay();
        killTimer(CLOCK_TIMER_ID);
    } else if (selected < player.currentIndex) {
        --player.currentIndex;
    }
    for (int row = selected; row + 1 < player.dirCount && row + 1 < MAX_ENTRIES; ++row)
        copyText(player.dirTable[row], sizeof player.dirTable[row], player.dirTable[row + 1]);
    --player.listCount;
    --player.dirCount;
    deleteListRow(IDC_PLAYLIST, selected);
    savePlaylist();
}

// Stops the current track and empties the list; dirTable rows stay and are overwritten later.
void onClear()
{
    closeCurrentTrack();
    resetDisplay();
    while (player.listCount > 0) {
        deleteListRow(IDC_PLAYLIST, 0);
        int left = listCount(IDC_PLAYLIST);
        // The count must fall with every deletion, or the loop would never end.
        if (left >= player.listCount)
            break;
        player.listCount = left;
    }
    killTimer(CLOCK_TIMER_ID);
    player.listCount = 0;
    player.dirCount = 0;
    player.currentIndex = -1;
    savePlaylist();
}

// The selection follows the moved entry; the media is never touched.
void onMoveUp()
{
    int selected = listSelection(IDC_PLAYLIST);
    if (selected < 1) {
        showError(MSG_MOVE_UP_AT_TOP);
        return;
    }
    if (!swapWithNext(selected - 1))
        return;
    selectRow(IDC_PLAYLIST, selected - 1);
    savePlaylist();
}

void onMoveDown()
{
    int selected = listSelection(IDC_PLAYLIST);
    if (selected < 0 || selected >= player.listCount - 1) {
        showError(MSG_MOVE_DOWN_AT_BOTTOM);
        return;
    }
    if (!swapWithNext(selected))
        return;
    selectRow(IDC_PLAYLIST, selected + 1);
    savePlaylist();
}
