// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the host functions through one fixed sequence and prints what it sees. Built once over
// the Qt window and once over the memory host: the two outputs must be the same.
#include <cstdint>
#include <cstdio>
#include <string>

#ifdef VORLA_PROBE_QT
#include <QApplication>
#endif

#include "host/host.h"
#include "host/seams.h"
#include "resources/resource.h"
#include "tests/support/user_actions.h"

namespace {

std::intptr_t proc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    std::printf("message %#x id %d code %d lParam %ld\n", message, lowWord(wParam),
                highWord(wParam), static_cast<long>(lParam));
    return 0;
}

std::string hex(const char *text)
{
    std::string out;
    char byte[4];
    for (const char *at = text; *at; ++at) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(*at));
        out += byte;
    }
    return out;
}

void showText(const char *what, int id, std::size_t size = 256)
{
    char text[256] = "unset";
    bool fits = controlText(id, text, size);
    std::printf("%s: %d [%s]\n", what, fits, hex(text).c_str());
}

void showList(const char *what)
{
    std::printf("%s: count %d selection %d rows", what, listCount(IDC_PLAYLIST),
                listSelection(IDC_PLAYLIST));
    for (int row = -1; row <= listCount(IDC_PLAYLIST); ++row) {
        char text[64] = "unset";
        bool exists = listText(IDC_PLAYLIST, row, text, sizeof text);
        std::printf(" %d[%s]", exists, text);
    }
    std::printf("\n");
}

void showSlider(const char *what, int id)
{
    std::printf("%s: %d..%d at %d\n", what, sliderMinimum(id), sliderMaximum(id), sliderValue(id));
}

void probeTexts()
{
    const int ids[] = {IDC_TITLE,    IDC_TOTALTIME, IDC_ELAPSED,  IDC_VOLUME_LABEL,
                       IDC_PLAY,     IDC_PAUSE,     IDC_PLAYLIST, IDC_MODE,
                       IDC_POSITION, IDC_STATIC,    IDC_MOVEDOWN, 4242};
    for (int id : ids) {
        std::string what = "initial text of " + std::to_string(id);
        showText(what.c_str(), id);
        setControlText(id, "新 text");
        what = "set text of " + std::to_string(id);
        showText(what.c_str(), id);
    }
    setControlText(IDC_TITLE, "abcdef");
    showText("text in a buffer of its size", IDC_TITLE, 6);
    showText("text in a buffer one larger", IDC_TITLE, 7);
    char none[1] = {'x'};
    std::printf("text into no buffer: %d %c\n", controlText(IDC_TITLE, none, 0), none[0]);
}

void probeList()
{
    showList("empty list");
    insertListRow(IDC_PLAYLIST, -1, "b.mp3");
    insertListRow(IDC_PLAYLIST, 5, "c.mp3");
    insertListRow(IDC_PLAYLIST, 0, "a.mp3");
    insertListRow(IDC_PLAYLIST, 1, "\xb8\xe8.mp3");
    insertListRow(IDC_PLAYLIST, -7, "");
    showList("after inserts");
    char small[6] = "unset";
    std::printf("row in a small buffer: %d [%s]\n", listText(IDC_PLAYLIST, 0, small, sizeof small),
                small);

    selectRow(IDC_PLAYLIST, 2);
    insertListRow(IDC_PLAYLIST, 0, "z.mp3");
    showList("insert above the selection");
    deleteListRow(IDC_PLAYLIST, 0);
    showList("delete above the selection");
    deleteListRow(IDC_PLAYLIST, 4);
    showList("delete below the selection");
    deleteListRow(IDC_PLAYLIST, 2);
    showList("delete the selection");
    selectRow(IDC_PLAYLIST, 9);
    showList("select past the end");
    selectRow(IDC_PLAYLIST, 1);
    selectRow(IDC_PLAYLIST, -1);
    showList("select -1");
    deleteListRow(IDC_PLAYLIST, 1);
    showList("delete the current row after the selection was cleared");
    selectRow(IDC_PLAYLIST, 2);
    deleteListRow(IDC_PLAYLIST, 2);
    showList("delete the selected last row");
    deleteListRow(IDC_PLAYLIST, -1);
    deleteListRow(IDC_PLAYLIST, 99);
    showList("delete out of range");
    selectRow(IDC_PLAYLIST, 1);
    selectRow(IDC_PLAYLIST, 99);
    deleteListRow(IDC_PLAYLIST, 1);
    showList("delete the current last row after the selection was cleared");
    while (listCount(IDC_PLAYLIST) > 0) {
        selectRow(IDC_PLAYLIST, 0);
        deleteListRow(IDC_PLAYLIST, 0);
    }
    showList("emptied");
    insertListRow(IDC_MODE, -1, "not a list");
    std::printf("rows of the combo box: %d\n", listCount(IDC_MODE));
}

void probeCombo()
{
    std::printf("empty combo: %d\n", comboSelection(IDC_MODE));
    selectComboRow(IDC_MODE, 0);
    std::printf("select in the empty combo: %d\n", comboSelection(IDC_MODE));
    addComboItem(IDC_MODE, "one");
    std::printf("first item: %d\n", comboSelection(IDC_MODE));
    addComboItem(IDC_MODE, "two");
    addComboItem(IDC_MODE, "three");
    std::printf("more items: %d\n", comboSelection(IDC_MODE));
    selectComboRow(IDC_MODE, 2);
    std::printf("select 2: %d\n", comboSelection(IDC_MODE));
    selectComboRow(IDC_MODE, 3);
    std::printf("select 3: %d\n", comboSelection(IDC_MODE));
    addComboItem(IDC_MODE, "four");
    std::printf("item added with none current: %d\n", comboSelection(IDC_MODE));
    selectComboRow(IDC_MODE, -1);
    std::printf("select -1: %d\n", comboSelection(IDC_MODE));
    selectComboRow(IDC_MODE, 1);
    std::printf("select 1: %d\n", comboSelection(IDC_MODE));
}

void probeSliders()
{
    showSlider("initial position slider", IDC_POSITION);
    showSlider("initial volume slider", IDC_VOLUME);
    setSliderValue(IDC_POSITION, 150);
    showSlider("value above the range", IDC_POSITION);
    setSliderValue(IDC_POSITION, -5);
    showSlider("value below the range", IDC_POSITION);
    setSliderRange(IDC_VOLUME, 0, 1000);
    setSliderValue(IDC_VOLUME, 1000);
    setSliderRange(IDC_VOLUME, 0, 215);
    showSlider("range shrunk under the value", IDC_VOLUME);
    setSliderRange(IDC_VOLUME, 300, 400);
    showSlider("range raised over the value", IDC_VOLUME);
    setSliderRange(IDC_VOLUME, 50, 10);
    showSlider("maximum below minimum", IDC_VOLUME);
    setSliderValue(IDC_TITLE, 5);
    std::printf("value of a label: %d\n", sliderValue(IDC_TITLE));
    setSliderRange(IDC_POSITION, 0, 60);
    std::printf("program changes sent nothing; now the user's moves\n");
    dragSlider(IDC_POSITION, 30);
    dragSlider(IDC_POSITION, 30);
    dragSlider(IDC_POSITION, 99);
    showSlider("user moved past the end", IDC_POSITION);
}

void probeClockAndEnd()
{
    std::printf("clock before: %d %d\n", isClockRunning(), clockInterval());
    setTimer(1, 1000, [] { std::printf("tick\n"); });
    std::printf("clock started: %d %d\n", isClockRunning(), clockInterval());
    fireClockTick();
    setTimer(1, 250, [] { std::printf("other tick\n"); });
    std::printf("clock restarted: %d %d\n", isClockRunning(), clockInterval());
    killTimer(1);
    std::printf("clock killed: %d %d\n", isClockRunning(), clockInterval());
    fireClockTick();
    resetSeams();
    fireClockTick();
    std::printf("clock after reset: %d\n", isClockRunning());

    char reply[8] = "unset";
    setMediaHandler([](const char *command, char *out, int length) {
        std::snprintf(out, length, "%s", command);
        return 7;
    });
    std::printf("media seam: %d [%s]\n", mediaCommand("abc", reply, sizeof reply), reply);
    setMessageHandler([](const char *caption, const char *text, bool isError) {
        std::printf("box %s %s %d\n", caption, text, isError);
    });
    showError("bad");
    showMessage("cap", "fine");
    setWaitHandler([](int ms) { std::printf("wait %d\n", ms); });
    blockingWait(5);
    setFileDialogHandler([](std::vector<std::string> &paths) {
        paths = {"/music/a.mp3", "/music/b.mp3", "/other/c.mp3", "relative.mp3"};
        return true;
    });
    char buffer[32];
    int leftOut = -1;
    bool chosen = chooseFiles(buffer, sizeof buffer, &leftOut);
    std::printf("files chosen: %d left out %d [%s|%s|%s]\n", chosen, leftOut, buffer, buffer + 7,
                buffer + 13);
    resetSeams();

    std::printf("ended before: %d\n", dialogEnded());
    endDialog(3);
    std::printf("ended after: %d\n", dialogEnded());
    destroyMainDialog();
    std::printf("ended without a window: %d, count %d\n", dialogEnded(), listCount(IDC_PLAYLIST));
    insertListRow(IDC_PLAYLIST, -1, "lost");
    std::printf("rows inserted without a window: %d\n", listCount(IDC_PLAYLIST));
}

} // namespace

int main(int argc, char **argv)
{
#ifdef VORLA_PROBE_QT
    QApplication application(argc, argv);
#else
    (void)argc;
    (void)argv;
#endif
    createMainDialog(proc);
    probeTexts();
    probeList();
    probeCombo();
    probeSliders();
    clickButton(IDC_PLAY);
    clickButton(IDC_TITLE);
    insertListRow(IDC_PLAYLIST, -1, "x.mp3");
    insertListRow(IDC_PLAYLIST, -1, "y.mp3");
    doubleClickRow(IDC_PLAYLIST, 1);
    std::printf("double-clicked row selected: %d\n", listSelection(IDC_PLAYLIST));
    doubleClickRow(IDC_PLAYLIST, 5);
    probeClockAndEnd();
    return 0;
}
