// SPDX-License-Identifier: GPL-3.0-or-later
// Playback through the real window: its sliders' own input handling, its real clock timer and
// message box.
#include <functional>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include "playback/clock.h"
#include "tests/support/window_playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

class SeekAndVolume : public WindowPlaybackTest {
protected:
    Commands seekCommands(int row, int milliseconds, int volume = 1000) const
    {
        return {command("close", row),
                command("play", row) + " from " + std::to_string(milliseconds),
                command("setaudio", row) + volumeTail(volume)};
    }
};

class PlayModes : public WindowPlaybackTest {
protected:
    // The commands of an automatic advance to row, after the close of the ended track.
    Commands advanceCommands(int from, int to) const
    {
        return {command("close", from), command("play", to), command("status", to) + " length",
                command("setaudio", to) + volumeTail(1000)};
    }
};

constexpr int SEQUENTIAL = static_cast<int>(PlayMode::Sequential);

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

// The real timer and a real message box: a track ends and advances behind the open box.
TEST_F(PlayModes, TheClockKeepsTickingBehindAnOpenMessageBox)
{
    fillList({{"a.mp3", "1000"}, {"b.mp3", "215000"}});
    playEntry(0, SEQUENTIAL);
    setMessageHandler(nullptr);
    bool boxSeen = false;
    QObject scope;
    QTimer::singleShot(1300, &scope, [&boxSeen] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            boxSeen = true;
            box->close();
        }
    });

    click(IDC_PREV);

    EXPECT_TRUE(boxSeen);
    EXPECT_EQ(fakes.commands, advanceCommands(0, 1));
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(label(IDC_TITLE), "b.mp3");
}

} // namespace
