// SPDX-License-Identifier: GPL-3.0-or-later
#include <filesystem>

#include "playback/clock.h"
#include "playback/transport.h"
#include "tests/playback/playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

constexpr int SINGLE_ONCE = static_cast<int>(PlayMode::SingleOnce);
constexpr int SINGLE_LOOP = static_cast<int>(PlayMode::SingleLoop);
constexpr int SEQUENTIAL = static_cast<int>(PlayMode::Sequential);
constexpr int LIST_LOOP = static_cast<int>(PlayMode::ListLoop);

class PlayModes : public PlaybackTest {
protected:
    // The commands of an automatic advance to row, after the close of the ended track.
    Commands advanceCommands(int from, int to) const
    {
        return {command("close", from), command("play", to), command("status", to) + " length",
                command("setaudio", to) + volumeTail(1000)};
    }
};

TEST_F(PlayModes, TheClockShowsEverySecondAndDrivesThePositionSlider)
{
    fillList({{"a.mp3", "600000"}});
    playEntry(0, SINGLE_ONCE);
    const struct {
        int ticks;
        const char *shown;
    } steps[] = {{9, "0:09"}, {1, "0:10"}, {49, "0:59"}, {1, "1:00"}, {61, "2:01"}};
    int total = 0;
    for (const auto &step : steps) {
        SCOPED_TRACE(step.shown);
        tick(step.ticks);
        total += step.ticks;
        EXPECT_EQ(label(IDC_ELAPSED), step.shown);
        EXPECT_EQ(sliderValue(IDC_POSITION), total);
    }
    EXPECT_TRUE(fakes.commands.empty());
}

TEST_F(PlayModes, ATrackEndsAtTheTickThatShowsItsLength)
{
    struct Case {
        const char *lengthMs;
        int endTick;
        const char *lastShown;
    };
    const Case cases[] = {
        {"210000", 210, "3:30"}, {"45000", 45, "0:45"}, {"60000", 60, "1:00"},
        {"59999", 59, "0:59"},   {"999", 1, "0:01"},    {"", 1, "0:01"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.lengthMs);
        startOver();
        fillList({{"a.mp3", c.lengthMs}, {"b.mp3", "1000"}});
        playEntry(0, SEQUENTIAL);

        tick(c.endTick - 1);
        EXPECT_TRUE(fakes.commands.empty());
        tick();

        EXPECT_EQ(fakes.commands, advanceCommands(0, 1));
        // The ended track's time stays on the label until the next tick.
        EXPECT_EQ(label(IDC_ELAPSED), c.lastShown);
        ASSERT_EQ(waitViews.size(), 1u);
        EXPECT_EQ(waitViews[0].elapsed, c.lastShown);
    }
}

TEST_F(PlayModes, AClockSeekedToTheLastSecondEndsOnlyAMinuteLater)
{
    fillList({{"a.mp3", "179000"}});
    playEntry(0, SINGLE_ONCE);
    setSliderValue(IDC_POSITION, 179);
    mainDialogProc(WM_HSCROLL, 0, IDC_POSITION);
    EXPECT_EQ(label(IDC_ELAPSED), "2:59");

    tick(59);
    EXPECT_EQ(label(IDC_ELAPSED), "3:58");
    EXPECT_EQ(player.currentIndex, 0);
    tick();

    EXPECT_EQ(player.currentIndex, -1);
}

TEST_F(PlayModes, SingleOnceClosesTheTrackAndLeavesNothingCurrent)
{
    fillList({{"a.mp3", "3000"}, {"b.mp3", "3000"}});
    playEntry(0, SINGLE_ONCE);

    tick(3);

    EXPECT_EQ(fakes.commands, Commands{command("close", 0)});
    EXPECT_TRUE(fakes.waits.empty());
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
    expectDisplayReset();
    EXPECT_EQ(player.shortPath, device(0));
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 0);
}

TEST_F(PlayModes, SingleLoopReplaysTheSameTrackAfterTheWait)
{
    fillList({{"a.mp3", "3000"}, {"b.mp3", "3000"}});
    playEntry(0, SINGLE_LOOP);
    setSliderValue(IDC_VOLUME, 600);

    tick(3);

    EXPECT_EQ(fakes.commands, (Commands{command("close", 0), command("play", 0),
                                        command("setaudio", 0) + volumeTail(600)}));
    EXPECT_EQ(fakes.waits, std::vector<int>{2000});
    EXPECT_EQ(waitViews[0].commandsSent, 1u);
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_EQ(label(IDC_TOTALTIME), "0:03");
    EXPECT_EQ(sliderValue(IDC_POSITION), 0);
    EXPECT_EQ(player.currentIndex, 0);
    EXPECT_TRUE(isClockRunning());
    // The replay's first second is counted a period after it starts, not as the wait ends.
    EXPECT_FALSE(isClockTickOverdue());
    tick(3);
    EXPECT_EQ(fakes.waits.size(), 2u);
}

TEST_F(PlayModes, SingleLoopOnAZeroLengthTrackReplaysAtEveryTick)
{
    fillList({{"a.mp3", "0"}});
    playEntry(0, SINGLE_LOOP);

    tick(3);

    EXPECT_EQ(fakes.waits, (std::vector<int>{2000, 2000, 2000}));
    EXPECT_EQ(fakes.commands.size(), 9u);
}

TEST_F(PlayModes, SequentialAdvancesAfterTheWaitWithTheTimerStillRunning)
{
    fillList({{"a.mp3", "3000"}, {"b.mp3", "4000"}});
    playEntry(0, SEQUENTIAL);

    tick(3);

    EXPECT_EQ(fakes.commands, advanceCommands(0, 1));
    EXPECT_EQ(fakes.waits, std::vector<int>{2000});
    // During the wait the window still shows the ended track.
    const WaitView &view = waitViews.at(0);
    EXPECT_EQ(view.commandsSent, 1u);
    EXPECT_EQ(view.title, "a.mp3");
    EXPECT_EQ(view.total, "0:03");
    EXPECT_EQ(view.elapsed, "0:03");
    EXPECT_EQ(view.selection, 0);

    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
    EXPECT_EQ(label(IDC_TITLE), "b.mp3");
    EXPECT_EQ(label(IDC_TOTALTIME), "0:04");
    EXPECT_EQ(sliderMaximum(IDC_POSITION), 4);
    EXPECT_EQ(sliderValue(IDC_POSITION), 0);
    EXPECT_TRUE(isClockRunning());
    // A tick that came due during the wait would end b.mp3 a second early.
    EXPECT_FALSE(isClockTickOverdue());
    tick();
    EXPECT_EQ(label(IDC_ELAPSED), "0:01");
}

TEST_F(PlayModes, SequentialStopsOnTheLastEntryThenNextRefusesAndPlayCountsAgain)
{
    fillList({{"a.mp3", "3000"}, {"b.mp3", "2000"}});
    playEntry(1, SEQUENTIAL);

    tick(2);

    // The device is left to run out: no close.
    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(fakes.waits.empty());
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_FALSE(isClockRunning());
    expectDisplayReset();

    click(IDC_NEXT);
    EXPECT_EQ(fakes.lastError(), MSG_NEXT_AT_END);

    click(IDC_PLAY);
    EXPECT_EQ(fakes.commands, Commands{command("play", 1)});
    EXPECT_TRUE(isClockRunning());
    tick();
    EXPECT_EQ(label(IDC_ELAPSED), "0:01");
    tick();
    EXPECT_FALSE(isClockRunning());
}

TEST_F(PlayModes, ListLoopWrapsFromTheLastEntryToTheFirst)
{
    struct Case {
        const char *what;
        std::initializer_list<Entry> entries;
        int current;
    };
    const Case cases[] = {
        {"three entries", {{"a.mp3", "5000"}, {"b.mp3", "5000"}, {"c.mp3", "2000"}}, 2},
        {"one entry", {{"a.mp3", "2000"}}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        startOver();
        fillList(c.entries);
        playEntry(c.current, LIST_LOOP);

        tick(2);

        EXPECT_EQ(fakes.commands, advanceCommands(c.current, 0));
        EXPECT_EQ(fakes.waits, std::vector<int>{2000});
        EXPECT_EQ(player.currentIndex, 0);
        EXPECT_EQ(listSelection(IDC_PLAYLIST), 0);
        EXPECT_EQ(label(IDC_TITLE), "a.mp3");
        EXPECT_TRUE(isClockRunning());
    }
}

TEST_F(PlayModes, TheModeIsReadWhenTheTrackEnds)
{
    struct Case {
        int atStart;
        int atEnd;
        int currentAfter;
    };
    // -1: no mode selected, the clock runs on past the length.
    const Case cases[] = {
        {SINGLE_ONCE, LIST_LOOP, 1}, {LIST_LOOP, SINGLE_ONCE, -1}, {LIST_LOOP, -1, 0}};
    fillList({{"a.mp3", "2000"}, {"b.mp3", "2000"}});
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.atStart << " then " << c.atEnd);
        click(IDC_STOP);
        playEntry(0, c.atStart);
        tick();
        selectComboRow(IDC_MODE, c.atEnd);
        tick();
        EXPECT_EQ(player.currentIndex, c.currentAfter);
    }
    tick();
    EXPECT_EQ(label(IDC_ELAPSED), "0:03");
    EXPECT_EQ(sliderValue(IDC_POSITION), 2);
}

TEST_F(PlayModes, AMissingNextEntryIsStillAdvancedTo)
{
    fillList({{"a.mp3", "2000"}, {"b.mp3", "2000"}});
    std::filesystem::remove(music.path / "b.mp3");
    playEntry(0, SEQUENTIAL);

    tick(2);

    EXPECT_EQ(fakes.commands, (Commands{command("close", 0), "play ", "status  length",
                                        "setaudio  volume to 1000"}));
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(label(IDC_TITLE), "b.mp3");
}

} // namespace
