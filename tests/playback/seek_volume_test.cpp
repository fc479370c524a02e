// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/seek_volume.h"

#include <climits>

#include "tests/playback/playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

class SeekAndVolume : public PlaybackTest {
protected:
    Commands seekCommands(int row, int milliseconds, int volume = 1000) const
    {
        return {command("close", row),
                command("play", row) + " from " + std::to_string(milliseconds),
                command("setaudio", row) + volumeTail(volume)};
    }
    void moveSlider(int id, int value)
    {
        setSliderValue(id, value);
        mainDialogProc(WM_HSCROLL, 0, id);
    }
};

TEST_F(SeekAndVolume, APositionMoveReopensTheTrackAtTheChosenSecond)
{
    struct Case {
        const char *what;
        int second;
        bool paused;
        const char *shown;
        const char *afterTick;
    };
    const Case cases[] = {
        {"75 s while playing", 75, false, "1:15", "1:16"},
        {"0 s while playing", 0, false, "0:00", "0:01"},
        {"75 s while paused", 75, true, "1:15", "1:15"},
    };
    fillList({{"a.mp3", "215000"}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        playEntry(0, 0);
        tick(20);
        if (c.paused)
            click(IDC_PAUSE);
        fakes.commands.clear();

        moveSlider(IDC_POSITION, c.second);

        EXPECT_EQ(fakes.commands, seekCommands(0, c.second * 1000));
        EXPECT_EQ(label(IDC_ELAPSED), c.shown);
        EXPECT_EQ(isClockRunning(), !c.paused);
        // Nothing of the track's length or identity changes.
        EXPECT_EQ(label(IDC_TOTALTIME), "3:35");
        EXPECT_EQ(label(IDC_TITLE), "a.mp3");
        EXPECT_EQ(sliderMaximum(IDC_POSITION), 215);
        EXPECT_EQ(player.currentIndex, 0);
        if (isClockRunning())
            tick();
        EXPECT_EQ(label(IDC_ELAPSED), c.afterTick);
    }
    click(IDC_PLAY);
    tick();
    EXPECT_EQ(label(IDC_ELAPSED), "1:16");
}

TEST_F(SeekAndVolume, AfterStopAPositionMoveReplaysTheStoppedTrackWithoutTheClock)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "215000"}});
    playEntry(1, 0);
    click(IDC_STOP);
    setSliderRange(IDC_POSITION, 0, 215);
    fakes.commands.clear();

    moveSlider(IDC_POSITION, 30);

    EXPECT_EQ(fakes.commands, seekCommands(1, 30000));
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
    EXPECT_EQ(label(IDC_ELAPSED), "0:30");
}

TEST_F(SeekAndVolume, AVolumeMoveSendsTheVolumeEvenWithNoTrack)
{
    struct Case {
        const char *what;
        bool playing;
        int volume;
    };
    const Case cases[] = {{"0 with no track", false, 0}, {"500 while playing", true, 500}};
    fillList({{"a.mp3", "215000"}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        if (c.playing)
            playEntry(0, 0);
        fakes.commands.clear();

        moveSlider(IDC_VOLUME, c.volume);

        const std::string name = c.playing ? device(0) : "";
        EXPECT_EQ(fakes.commands, Commands{"setaudio " + name + volumeTail(c.volume)});
        EXPECT_EQ(player.volume, c.volume);
        EXPECT_EQ(isClockRunning(), c.playing);
    }
}

TEST_F(SeekAndVolume, ASeekOnAnImmenseLengthStaysWithinTheCommandsNumber)
{
    fillList({{"a.mp3", "99999999999999999999"}});
    playEntry(0, 0);
    ASSERT_EQ(sliderMaximum(IDC_POSITION), INT_MAX);

    moveSlider(IDC_POSITION, INT_MAX);
    tick();

    EXPECT_EQ(fakes.commands.at(1), command("play", 0) + " from 2147483000");
    EXPECT_EQ(label(IDC_ELAPSED), "35791:24");
}

TEST_F(SeekAndVolume, ScrollsFromOtherControlsAreIgnored)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);

    mainDialogProc(WM_HSCROLL, 0, IDC_MODE);
    mainDialogProc(WM_HSCROLL, 0, 0);

    EXPECT_TRUE(fakes.commands.empty());
}

} // namespace
