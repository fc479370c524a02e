// SPDX-License-Identifier: GPL-3.0-or-later
// A host without a window: the list box is a vector, every other effect is dropped.
#include "fuzz/fuzz_host.h"

#include <cstring>

#include "platform/host.h"
#include "state/text.h"

namespace {

std::vector<std::string> rows;
int selection = -1;
std::string playlistPath = "/nonexistent/vorla-fuzz/savelist";

} // namespace

std::vector<std::string> &fuzzListRows()
{
    return rows;
}

void setFuzzPlaylistPath(const char *path)
{
    playlistPath = path;
}

void resetFuzzHost()
{
    rows.clear();
    selection = -1;
}

void setControlText(int, const char *) {}

bool controlText(int, char *dst, std::size_t size)
{
    return copyText(dst, size, "");
}

int listCount(int)
{
    return static_cast<int>(rows.size());
}

int listSelection(int)
{
    return selection;
}

bool listText(int, int row, char *dst, std::size_t size)
{
    if (row < 0 || row >= listCount(0))
        return copyText(dst, size, "") && false;
    return copyText(dst, size, rows[row].c_str());
}

void insertListRow(int, int row, const char *text)
{
    if (row < 0 || row > listCount(0))
        row = listCount(0);
    rows.insert(rows.begin() + row, text);
}

void deleteListRow(int, int row)
{
    if (row >= 0 && row < listCount(0))
        rows.erase(rows.begin() + row);
}

void selectRow(int, int row)
{
    selection = row >= 0 && row < listCount(0) ? row : -1;
}

void addComboItem(int, const char *) {}
void selectComboRow(int, int) {}
int comboSelection(int)
{
    return 0;
}
int sliderValue(int)
{
    return 0;
}
void setSliderValue(int, int) {}
void setSliderRange(int, int, int) {}
void showError(const char *) {}
void showMessage(const char *, const char *) {}
void setTimer(int, int, TimerProc) {}
void killTimer(int) {}
void blockingWait(int) {}

bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    *leftOut = 0;
    return copyText(buffer, size, "") && false;
}

bool shortPathName(const char *, char *dst, std::size_t size)
{
    return copyText(dst, size, "") && false;
}

bool playlistFilePath(char *dst, std::size_t size)
{
    return copyText(dst, size, playlistPath.c_str());
}

bool startupSoundPath(char *dst, std::size_t size)
{
    return copyText(dst, size, "") && false;
}

void attachSkin() {}

int mediaCommand(const char *, char *reply, int replyLength)
{
    if (reply && replyLength > 0)
        reply[0] = '\0';
    return 0;
}
