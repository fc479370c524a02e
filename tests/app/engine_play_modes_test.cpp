// SPDX-License-Identifier: GPL-3.0-or-later
#include <chrono>
#include <cstdlib>

#include <QElapsedTimer>
#include <QTest>

#include "engine/gst_handles.h"
#include "engine/media_engine.h"
#include "playback/clock.h"
#include "tests/playback/playback_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Encodes a sine tone of the given length as MP3; false when the encoder is missing or fails.
bool makeTone(const std::filesystem::path &file, int milliseconds)
{
    const int buffers = milliseconds / 10;
    const std::string description =
        "audiotestsrc wave=sine freq=440 samplesperbuffer=441 num-buffers=" +
        std::to_string(buffers) + " ! audio/x-raw,rate=44100,channels=1 ! lamemp3enc ! " +
        "filesink location=\"" + file.string() + "\"";
    GError *raw = nullptr;
    if (!gst_init_check(nullptr, nullptr, &raw))
        return false;
    PipelinePtr pipeline = adoptFloating<PipelinePtr>(gst_parse_launch(description.c_str(), &raw));
    ErrorPtr error(raw);
    if (!pipeline || error)
        return false;
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    std::unique_ptr<GstBus, ObjectUnref> bus(gst_element_get_bus(pipeline.get()));
    MessagePtr done(gst_bus_timed_pop_filtered(
        bus.get(), 10 * GST_SECOND,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR)));
    return done && GST_MESSAGE_TYPE(done.get()) == GST_MESSAGE_EOS;
}

class EnginePlayModes : public PlaybackTest {
protected:
    struct Sent {
        std::string command;
        int result;
        Clock::time_point at;
    };

    void SetUp() override
    {
        setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
        PlaybackTest::SetUp();
        // The real interpreter, the real timer and the real two-second wait.
        setMediaHandler([this](const char *command, char *reply, int replyLength) {
            int result = runMediaCommand(command, reply, replyLength);
            sent.push_back({command, result, Clock::now()});
            return result;
        });
        setWaitHandler(nullptr);
    }
    void TearDown() override
    {
        PlaybackTest::TearDown();
        closeAllMediaDevices();
        unsetenv("VORLA_AUDIO_SINK");
    }

    const Sent *find(const std::string &command) const
    {
        for (const Sent &each : sent) {
            if (each.command == command)
                return &each;
        }
        return nullptr;
    }

    std::vector<Sent> sent;
};

TEST_F(EnginePlayModes, ListLoopStartsTheSecondTrackAfterTheFirstEnds)
{
    ASSERT_TRUE(makeTone(music.path / "first.mp3", 1500));
    ASSERT_TRUE(makeTone(music.path / "second.mp3", 3000));
    fillList({{"first.mp3", "0"}, {"second.mp3", "0"}});
    fakes.lengths.clear();
    selectComboRow(IDC_MODE, static_cast<int>(PlayMode::ListLoop));
    selectRow(IDC_PLAYLIST, 0);

    click(IDC_PLAY);
    ASSERT_EQ(label(IDC_TOTALTIME), "0:01");
    QElapsedTimer waited;
    waited.start();
    while (player.currentIndex != 1 && waited.elapsed() < 8000)
        QTest::qWait(50);

    ASSERT_EQ(player.currentIndex, 1);
    const Sent *playFirst = find(command("play", 0));
    const Sent *closeFirst = find(command("close", 0));
    const Sent *playSecond = find(command("play", 1));
    ASSERT_TRUE(playFirst && closeFirst && playSecond);
    EXPECT_EQ(playFirst->result, 0);
    EXPECT_EQ(playSecond->result, 0);
    // The first track was still sounding when its one-second clock ran out.
    EXPECT_EQ(closeFirst->result, 0);
    EXPECT_GE(closeFirst->at - playFirst->at, std::chrono::milliseconds(900));
    EXPECT_GE(playSecond->at - closeFirst->at, std::chrono::milliseconds(1900));
    EXPECT_EQ(label(IDC_TOTALTIME), "0:03");
    EXPECT_EQ(listSelection(IDC_PLAYLIST), 1);
    // The second device is open and playing; the first is gone.
    EXPECT_EQ(runMediaCommand((command("setaudio", 1) + " volume to 500").c_str(), nullptr, 0), 0);
    EXPECT_NE(runMediaCommand(command("close", 0).c_str(), nullptr, 0), 0);
}

} // namespace
