// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/transport.h"

#include <filesystem>

#include "tests/playback/playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

class Transport : public PlaybackTest {};

TEST_F(Transport, PlayFromRestStartsTheSelectedEntryWithoutClosing)
{
    fillList({{"a.mp3", "100000"}, {"b c.mp3", "215000"}, {"d.mp3", "1000"}});
    selectRow(IDC_PLAYLIST, 1);

    click(IDC_PLAY);

    EXPECT_EQ(fakes.commands, startCommands(1));
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(label(IDC_TITLE), "b c.mp3");
    EXPECT_EQ(label(IDC_TOTALTIME), "3:35");
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_EQ(sliderMaximum(IDC_POSITION), 215);
    EXPECT_EQ(sliderValue(IDC_POSITION), 0);
    EXPECT_TRUE(isClockRunning());
    EXPECT_EQ(clockInterval(), 1000);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
}

TEST_F(Transport, PlayOnACurrentTrackResendsPlayAndTheClockGoesOn)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    for (bool paused : {true, false}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        playEntry(0, 0);
        tick(5);
        if (paused)
            click(IDC_PAUSE);
        EXPECT_EQ(isClockRunning(), !paused);
        // The selection is not consulted while a track is current.
        selectRow(IDC_PLAYLIST, 1);
        fakes.commands.clear();

        click(IDC_PLAY);

        EXPECT_EQ(fakes.commands, Commands{command("play", 0)});
        EXPECT_TRUE(isClockRunning());
        EXPECT_EQ(player.currentIndex, 0);
        EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
        EXPECT_EQ(label(IDC_TOTALTIME), "3:35");
        EXPECT_EQ(label(IDC_ELAPSED), "0:05");
        tick();
        EXPECT_EQ(label(IDC_ELAPSED), "0:06");
    }
}

TEST_F(Transport, PauseSendsPauseAndStopsTheClock)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);
    tick(2);

    click(IDC_PAUSE);

    EXPECT_EQ(fakes.commands, Commands{command("pause", 0)});
    EXPECT_FALSE(isClockRunning());
    EXPECT_EQ(player.currentIndex, 0);
    EXPECT_EQ(label(IDC_ELAPSED), "0:02");
}

TEST_F(Transport, StopClosesResetsTheDisplayAndKeepsTheStoppedTrackName)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);
    tick(7);

    click(IDC_STOP);

    EXPECT_EQ(fakes.commands, Commands{command("close", 0)});
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
    expectDisplayReset();
    EXPECT_EQ(player.shortPath, device(0));
    EXPECT_EQ(player.elapsedSec, 7);
}

TEST_F(Transport, PreviousAndNextRefuseWithTheirMessageAndChangeNothing)
{
    struct Case {
        const char *what;
        int current;
        int button;
        const char *message;
    };
    const Case cases[] = {
        {"previous with nothing current", -1, IDC_PREV, MSG_PREV_NO_TRACK},
        {"previous on the first entry", 0, IDC_PREV, MSG_PREV_AT_START},
        {"next with nothing current", -1, IDC_NEXT, MSG_NEXT_NO_TRACK},
        {"next on the last entry", 1, IDC_NEXT, MSG_NEXT_AT_END},
    };
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        click(IDC_STOP);
        if (c.current != -1)
            playEntry(c.current, 0);
        // A selection elsewhere must not stand in for the current track.
        selectRow(IDC_PLAYLIST, c.current == 0 ? 1 : 0);
        const int selection = listSelection(IDC_PLAYLIST);
        fakes.commands.clear();
        fakes.messages.clear();

        click(c.button);

        ASSERT_EQ(fakes.messages.size(), 1u);
        EXPECT_EQ(fakes.messages[0].caption, "错误!");
        EXPECT_EQ(fakes.messages[0].text, c.message);
        EXPECT_TRUE(fakes.messages[0].isError);
        EXPECT_TRUE(fakes.commands.empty());
        EXPECT_EQ(player.currentIndex, c.current);
        EXPECT_EQ(listSelection(IDC_PLAYLIST), selection);
        EXPECT_EQ(isClockRunning(), c.current != -1);
    }
}

TEST_F(Transport, NextAndPreviousMoveFromTheCurrentTrackAndSelectIt)
{
    fillList({{"a.mp3", "60000"}, {"b.mp3", "120000"}, {"c.mp3", "180000"}, {"d.mp3", "1000"}});
    playEntry(1, 0);
    tick(4);
    selectRow(IDC_PLAYLIST, 3);

    click(IDC_NEXT);

    // Previous and Next send the volume last, after the clock is armed.
    const Commands toEntry2 = {command("close", 1), command("play", 2),
                               command("status", 2) + " length",
                               command("setaudio", 2) + volumeTail(1000)};
    EXPECT_EQ(fakes.commands, toEntry2);
    EXPECT_EQ(player.currentIndex, 2);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 2);
    EXPECT_EQ(label(IDC_TITLE), "c.mp3");
    EXPECT_EQ(label(IDC_TOTALTIME), "3:00");
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_TRUE(waitViews.empty());

    fakes.commands.clear();
    click(IDC_PREV);

    const Commands toEntry1 = {command("close", 2), command("play", 1),
                               command("status", 1) + " length",
                               command("setaudio", 1) + volumeTail(1000)};
    EXPECT_EQ(fakes.commands, toEntry1);
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
    EXPECT_TRUE(isClockRunning());
}

TEST_F(Transport, DoubleClickOnTheCurrentEntryRestartsItFromTheBeginning)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    playEntry(1, 0);
    tick(10);
    setSliderValue(IDC_VOLUME, 250);

    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);

    Commands expected = {command("close", 1)};
    for (const std::string &sent : startCommands(1, 250))
        expected.push_back(sent);
    EXPECT_EQ(fakes.commands, expected);
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_EQ(player.elapsedSec, 0);
    EXPECT_EQ(player.volume, 250);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
}

// Regression: with nothing selected, Play from rest and a double-click took row -1 as the track.
TEST_F(Transport, PlayAndDoubleClickWithNothingSelectedDoNothing)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    playEntry(0, 0);
    click(IDC_STOP);
    selectRow(IDC_PLAYLIST, -1);
    ASSERT_EQ(listSelection(IDC_PLAYLIST), -1);
    fakes.commands.clear();

    click(IDC_PLAY);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);

    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(fakes.messages.empty());
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
    EXPECT_EQ(player.shortPath, device(0));
}

TEST_F(Transport, PlayFromRestAfterASeekLeavesTheReplayedTrackSounding)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    playEntry(0, 0);
    click(IDC_STOP);
    setSliderRange(IDC_POSITION, 0, 215);
    setSliderValue(IDC_POSITION, 30);
    mainDialogProc(WM_HSCROLL, 0, IDC_POSITION);
    selectRow(IDC_PLAYLIST, 1);
    fakes.commands.clear();

    click(IDC_PLAY);
    click(IDC_STOP);

    Commands expected = startCommands(1);
    expected.push_back(command("close", 1));
    EXPECT_EQ(fakes.commands, expected);
}

TEST_F(Transport, AMissingFileStillBecomesCurrentAndEndsAtTheFirstTick)
{
    fillList({{"gone.mp3", "215000"}});
    std::filesystem::remove(music.path / "gone.mp3");
    selectRow(IDC_PLAYLIST, 0);

    click(IDC_PLAY);

    EXPECT_EQ(fakes.commands, (Commands{"play ", "setaudio  volume to 1000", "status  length"}));
    EXPECT_EQ(player.currentIndex, 0);
    EXPECT_EQ(label(IDC_TITLE), "gone.mp3");
    EXPECT_EQ(label(IDC_TOTALTIME), "0:00");
    tick();
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
}

} // namespace
