// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/seek_volume.h"

#include <climits>

#include <QTest>
#include <QWheelEvent>

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
        EXPECT_EQ(slider(IDC_POSITION)->maximum(), 215);
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
    ASSERT_EQ(slider(IDC_POSITION)->maximum(), INT_MAX);

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

// The program's own range and position changes stay silent; every user move is a seek.
TEST_F(SeekAndVolume, OnlyUserMovesOfTheSlidersReachTheHandler)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "100000"}});
    selectRow(IDC_PLAYLIST, 0);
    click(IDC_PLAY);
    tick(5);
    click(IDC_NEXT);
    tick(5);
    for (const std::string &sent : fakes.commands)
        EXPECT_EQ(sent.find("from"), std::string::npos) << sent;
    fakes.commands.clear();

    QSlider *position = slider(IDC_POSITION);
    struct Step {
        const char *what;
        std::function<void()> act;
        Commands expected;
    };
    const Step steps[] = {
        {"single step", [&] { position->triggerAction(QAbstractSlider::SliderSingleStepAdd); },
         seekCommands(1, 6000)},
        {"key", [&] { QTest::keyClick(position, Qt::Key_Left); }, seekCommands(1, 5000)},
        // A page is a fifth of b.mp3's 100 s, not of a.mp3's range before it.
        {"page", [&] { position->triggerAction(QAbstractSlider::SliderPageStepAdd); },
         seekCommands(1, 25000)},
        {"drag of two steps, then release",
         [&] {
             position->setSliderDown(true);
             position->setSliderPosition(40);
             position->setSliderPosition(41);
             position->setSliderDown(false);
         },
         [&] {
             Commands all = seekCommands(1, 40000);
             for (const Commands &more : {seekCommands(1, 41000), seekCommands(1, 41000)})
                 all.insert(all.end(), more.begin(), more.end());
             return all;
         }()},
        {"wheel",
         [&] {
             QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120),
                               Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(position, &wheel);
         },
         seekCommands(1, (41 - QApplication::wheelScrollLines()) * 1000)},
        {"volume key", [&] { QTest::keyClick(slider(IDC_VOLUME), Qt::Key_Left); },
         Commands{command("setaudio", 1) + volumeTail(999)}},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        fakes.commands.clear();
        step.act();
        EXPECT_EQ(fakes.commands, step.expected);
    }
}

} // namespace
