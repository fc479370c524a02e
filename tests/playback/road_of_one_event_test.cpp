// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/clock.h"
#include "tests/playback/playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

class RoadOfOneEvent : public PlaybackTest {};

// A double-click on entry 2 in list-loop mode while entry 0 plays, followed through the list's
// end to the window's close.
TEST_F(RoadOfOneEvent, DoubleClickThenListLoopAdvance)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "1000"}, {"c d.mp3", "62500"}, {"e.mp3", "3000"}});
    playEntry(0, static_cast<int>(PlayMode::ListLoop));
    tick(30);

    // The window turns the double-click into WM_COMMAND for the list with LBN_DBLCLK.
    doubleClickRow(IDC_PLAYLIST, 2);

    // Entry 0 closes; entry 2 plays with the slider's volume, then its length is asked.
    Commands expected = {command("close", 0)};
    for (const std::string &sent : startCommands(2))
        expected.push_back(sent);
    EXPECT_EQ(fakes.commands, expected);
    EXPECT_EQ(player.currentIndex, 2);
    EXPECT_EQ(label(IDC_TITLE), "c d.mp3");
    EXPECT_EQ(sliderMaximum(IDC_POSITION), 62);
    EXPECT_EQ(label(IDC_TOTALTIME), "1:02");
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_TRUE(isClockRunning());

    // Every second the clock advances, shows, and moves the position slider.
    fakes.commands.clear();
    tick();
    EXPECT_EQ(label(IDC_ELAPSED), "0:01");
    EXPECT_EQ(sliderValue(IDC_POSITION), 1);
    tick(60);
    EXPECT_EQ(label(IDC_ELAPSED), "1:01");
    EXPECT_TRUE(fakes.commands.empty());

    // At the end: close, a 2000 ms wait, then entry 3 selected and started, timer still running.
    tick();
    const Commands advance = {command("close", 2), command("play", 3),
                              command("status", 3) + " length",
                              command("setaudio", 3) + volumeTail(1000)};
    EXPECT_EQ(fakes.commands, advance);
    EXPECT_EQ(fakes.waits, std::vector<int>{2000});
    EXPECT_EQ(waitViews.at(0).selection, 2);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 3);
    EXPECT_EQ(player.currentIndex, 3);
    EXPECT_TRUE(isClockRunning());

    // After the last entry the loop goes on with entry 0.
    fakes.commands.clear();
    tick(3);
    EXPECT_EQ(fakes.commands.front(), command("close", 3));
    EXPECT_EQ(fakes.commands.at(1), command("play", 0));
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 0);
    EXPECT_EQ(label(IDC_TITLE), "a.mp3");

    // Closing the window writes the list, entries in order with their directories.
    mainDialogProc(WM_CLOSE, 0, 0);
    std::string saved = "4\n";
    for (const char *name : {"a.mp3", "b.mp3", "c d.mp3", "e.mp3"})
        saved += pathText(music.path) + "\n*\n" + name + "\n*\n";
    EXPECT_EQ(readFile(fakes.playlistFile()), textOnDisk(saved));
    EXPECT_TRUE(dialogEnded());
}

} // namespace
