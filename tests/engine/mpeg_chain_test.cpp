// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/media_length.h"
#include "engine/media_pipeline.h"
#include "tests/engine/media_fixtures.h"
#include "tests/support/fake_host.h"

using namespace media_test;

namespace {

class MpegChain : public MediaEngineTest {
protected:
    TempDir dir;
};

// Plays name to the end into a file as fast as it can; the samples written.
std::vector<float> playToEnd(const std::string &command, const std::string &name,
                             const fs::path &out)
{
    setenv("VORLA_AUDIO_SINK", rawFileSink(out, false).c_str(), 1);
    EXPECT_EQ(run(command), 0);
    EXPECT_TRUE(waitFor([&] { return !isOpen(name); }, 5000));
    return readFloats(out);
}

TEST_F(MpegChain, ChosenForMpegAudioAndNotForOtherTypes)
{
    std::vector<MpegFile> cases(std::begin(MPEG_FILES), std::end(MPEG_FILES));
    for (const char *other : {"wave_named.mp3", "tone.wav", "tone.flac", "tone.ogg"})
        cases.push_back({other, false});
    for (const auto &[file, onChain] : cases) {
        SCOPED_TRACE(file);
        std::string name = deviceName(media_test::file(file));
        ASSERT_EQ(run("play " + name), 0);
        EXPECT_TRUE(isOpen(name));
        EXPECT_EQ(isMediaDeviceOnMpegChain(name), onChain);
        // The pipeline kept after a close is reused as it was built.
        EXPECT_EQ(run("close " + name), 0);
        EXPECT_EQ(run("play " + name + " from 100"), 0);
        EXPECT_EQ(isMediaDeviceOnMpegChain(name), onChain);
        EXPECT_EQ(run("close " + name), 0);
        EXPECT_FALSE(isMediaDeviceOnMpegChain(name));
    }
}

TEST_F(MpegChain, PlayFromLandsWhereAskedAndPlaysTheRestExactly)
{
    struct Case {
        const char *file;
        std::uint32_t ms;
    };
    const Case cases[] = {
        {"cbr_plain.mp3", 333},      {"cbr128_info.mp3", 250},   {"vbr_xing.mp3", 2500},
        {"id3_1mb.mp3", 700},        {"id3v1_only.mp3", 420},    {"mpeg2_22k_mono.mp3", 600},
        {"mpeg25_8k.mp3", 900},      {"ape_tail.mp3", 10},       {"noise_short.mp3", 0},
        {"layer1_8k.mp3", 1700},     {"layer2_8k.mp3", 2100},    {"layer2_44k.mp3", 800},
        {"layer3_8k_vbr.mp3", 1250}, {"vbr_vbri.mp3", 2000},     {"abr_noxing.mp3", 1500},
        {"id3_4mb.mp3", 2400},       {"id3v24_footer.mp3", 900}, {"id3v23_unsync.mp3", 300},
        {"junk_before.mp3", 600},    {"junk_after.mp3", 2900},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.file) + " from " + std::to_string(c.ms));
        std::string name = deviceName(file(c.file));
        fs::path out = dir.path / ("out" + std::to_string(++round) + ".raw");
        std::vector<float> output =
            playToEnd("play " + name + " from " + std::to_string(c.ms), name, out);

        Pcm reference = referenceDecode(file(c.file));
        std::size_t channels = static_cast<std::size_t>(reference.channels);
        ASSERT_GT(output.size(), 1024 * channels);
        ASSERT_LE(output.size(), reference.samples.size());
        std::size_t start = reference.frames() - output.size() / channels;
        long long wanted = static_cast<long long>(c.ms) * reference.rate / 1000;
        EXPECT_NEAR(static_cast<long long>(start), wanted, 1152);
        EXPECT_LT(
            difference(output.data(), reference.samples.data() + start * channels, output.size()),
            1e-6);
    }
}

TEST_F(MpegChain, RawByteFileNamesReachTheFile)
{
    // Latin-1 bytes, not UTF-8: the name is bytes to the file system.
    fs::path track = dir.path / "caf\xE9 \xFF.mp3";
    fs::copy_file(file("noise_short.mp3"), track);
    std::string name = deviceName(track);
    ASSERT_EQ(run("play " + name), 0);
    EXPECT_TRUE(isMediaDeviceOnMpegChain(name));
    ASSERT_EQ(run("close " + name), 0);
    closeAllMediaDevices();

    std::vector<float> output = playToEnd("play " + name, name, dir.path / "out.raw");
    EXPECT_EQ(output.size(), referenceDecode(track).samples.size());
}

TEST_F(MpegChain, OutputThatDoesNotParseFallsBackToTheAutomaticSink)
{
    useSink("no-such-element-anywhere ! fakesink");
    std::string name = deviceName(file("cbr_plain.mp3"));
    EXPECT_EQ(run("play " + name), 0);
    EXPECT_TRUE(isMediaDeviceOnMpegChain(name));
    EXPECT_EQ(run("setaudio " + name + " volume to 300"), 0);
    EXPECT_EQ(run("pause " + name), 0);
    EXPECT_EQ(run("play " + name + " from 500"), 0);
    EXPECT_EQ(run("close " + name), 0);
}

// The first element in the output bin (and the bins in it) that has a property of that name.
GstElement *outputElementWith(const Playback &playback, const char *property)
{
    ElementPtr output(GST_ELEMENT(gst_element_get_parent(playback.volume.get())));
    GstElement *found = nullptr;
    GstIterator *elements = gst_bin_iterate_recurse(GST_BIN(output.get()));
    GValue item = G_VALUE_INIT;
    while (!found && gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        auto *element = GST_ELEMENT(g_value_get_object(&item));
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), property))
            found = element;
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return found;
}

gint64 microsecondsOf(GstElement *sink, const char *property)
{
    gint64 value = 0;
    g_object_get(sink, property, &value, nullptr);
    return value;
}

TEST_F(MpegChain, OnlyTheAutomaticSinksChoiceGetsTheDeeperBuffer)
{
    ASSERT_TRUE(startGstreamer());
    std::string uri = deviceName(file("cbr_plain.mp3"));
    for (MediaType type : {MediaType::Mpeg, MediaType::Unknown}) {
        SCOPED_TRACE(type == MediaType::Mpeg ? "chain" : "playbin");
        // What the automatic sink adds once it has found a sound server.
        Playback automatic;
        ASSERT_TRUE(buildPlayback(uri, type, "", nullptr, automatic));
        GstElement *chooser = outputElementWith(automatic, "filter-caps");
        ASSERT_NE(chooser, nullptr);
        GstElement *chosen = gst_element_factory_make("pulsesink", nullptr);
        ASSERT_NE(chosen, nullptr);
        ASSERT_TRUE(gst_bin_add(GST_BIN(chooser), chosen));
        EXPECT_EQ(microsecondsOf(chosen, "buffer-time"), AUDIO_BUFFER_US);
        EXPECT_EQ(microsecondsOf(chosen, "latency-time"), AUDIO_SEGMENT_US);

        // A sink named in VORLA_AUDIO_SINK keeps what it was given, or its own default.
        Playback described;
        ASSERT_TRUE(buildPlayback(uri, type, "pulsesink latency-time=5000", nullptr, described));
        GstElement *named = outputElementWith(described, "buffer-time");
        ASSERT_NE(named, nullptr);
        EXPECT_EQ(microsecondsOf(named, "buffer-time"), 200000);
        EXPECT_EQ(microsecondsOf(named, "latency-time"), 5000);
    }
}

double volumeOf(GstElement *element)
{
    double value = -1;
    g_object_get(element, "volume", &value, nullptr);
    return value;
}

TEST_F(MpegChain, VolumeGoesToTheSinksStreamVolumeWhereItHasOne)
{
    ASSERT_TRUE(startGstreamer());
    std::string uri = deviceName(file("cbr_plain.mp3"));
    // The sound server's sink scales its stream as it mixes; a file or fake sink has no level.
    Playback automatic;
    ASSERT_TRUE(buildPlayback(uri, MediaType::Mpeg, "", nullptr, automatic));
    GstElement *chooser = outputElementWith(automatic, "filter-caps");
    ASSERT_NE(chooser, nullptr);
    GstElement *chosen = gst_element_factory_make("pulsesink", nullptr);
    ASSERT_NE(chosen, nullptr);
    g_object_set(chosen, "volume", 0.25, nullptr);
    ASSERT_TRUE(gst_bin_add(GST_BIN(chooser), chosen));
    // A new stream starts at full level, whatever the server remembers.
    EXPECT_EQ(volumeOf(chosen), 1.0);
    setGain(automatic, 0.3);
    EXPECT_NEAR(volumeOf(chosen), 0.3, 1e-6);
    EXPECT_EQ(volumeOf(automatic.volume.get()), 1.0);

    Playback described;
    ASSERT_TRUE(buildPlayback(uri, MediaType::Mpeg, "pulsesink volume=0.5", nullptr, described));
    GstElement *named = outputElementWith(described, "buffer-time");
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(volumeOf(named), 1.0);
    setGain(described, 0.0);
    EXPECT_EQ(volumeOf(named), 0.0);
    EXPECT_EQ(volumeOf(described.volume.get()), 1.0);

    Playback fake;
    ASSERT_TRUE(buildPlayback(uri, MediaType::Mpeg, "fakesink", nullptr, fake));
    setGain(fake, 0.3);
    EXPECT_NEAR(volumeOf(fake.volume.get()), 0.3, 1e-6);
}

TEST_F(MpegChain, DurationQueryAnswersAsPlaybinDoes)
{
    ASSERT_TRUE(startGstreamer());
    // Without an Info or Xing header either chain may still answer 0 at preroll: an estimate
    // from the bit rate comes after a few frames.
    const std::pair<const char *, bool> cases[] = {
        {"cbr128_info.mp3", true}, {"vbr_xing.mp3", true}, {"vbr_lame.mp3", true},
        {"cbr_plain.mp3", false},  {"id3_1mb.mp3", false}, {"id3v1_only.mp3", false}};
    for (const auto &[name, hasHeader] : cases) {
        SCOPED_TRACE(name);
        std::string uri = deviceName(file(name));
        long long scanned = referenceLengthMs(file(name));
        long long ms[2] = {-1, -1};
        for (MediaType type : {MediaType::Mpeg, MediaType::Unknown}) {
            Playback playback;
            ASSERT_TRUE(buildPlayback(uri, type, "fakesink", nullptr, playback));
            EXPECT_EQ(playback.mpegChain, type == MediaType::Mpeg);
            ASSERT_NE(gst_element_set_state(playback.pipeline.get(), GST_STATE_PAUSED),
                      GST_STATE_CHANGE_FAILURE);
            ASSERT_TRUE(waitPrerolled(playback, 2000));
            long long duration = durationMs(playback);
            // A tag taken for audio would stretch the estimate far past the scan.
            EXPECT_TRUE(duration == 0 || std::abs(duration - scanned) <= scanned / 10) << duration;
            ms[playback.mpegChain ? 0 : 1] = duration;
        }
        if (hasHeader) {
            EXPECT_GT(ms[0], 0);
            EXPECT_EQ(ms[0], ms[1]);
        }
        // What status reports still comes from the frame scan, not from this query.
        std::string reply;
        EXPECT_EQ(run("status " + uri + " length", reply), 0);
        EXPECT_EQ(reply, std::to_string(scanned));
    }
}

// The first bytes of a corpus file.
std::string headOf(const char *name, std::size_t bytes)
{
    std::string all = readFile(file(name));
    return all.substr(0, std::min(bytes, all.size()));
}

TEST_F(MpegChain, LayoutDecidesWhatPlaybinWouldHaveToSortOut)
{
    std::string frames = readFile(file("cbr_plain.mp3"));
    // A 16-byte ID3v2.3 tag of padding only.
    std::string small = std::string("ID3\x03\x00\x00\x00\x00\x00\x06", 10) + std::string(6, '\0');
    const std::pair<std::string, MpegLayout> cases[] = {
        {frames, MpegLayout::Bare},
        {small + frames, MpegLayout::Id3},
        {readFile(file("id3_1mb.mp3")), MpegLayout::Id3},
        {readFile(file("id3v1_only.mp3")), MpegLayout::Id3},
        {small + small + frames, MpegLayout::Other},
        {std::string("ID3\x03\x00\x00\x80\x00\x00\x06", 10) + frames, MpegLayout::Other},
        {readFile(file("ape_head.mp3")), MpegLayout::Other},
        {readFile(file("ape_tail.mp3")), MpegLayout::Other},
        {readFile(file("ape_tail.mp3")) + readFile(file("id3v1_only.mp3")).substr(frames.size()),
         MpegLayout::Other},
        {std::string(100, '\0') + frames, MpegLayout::Other},
        {"garbage " + frames, MpegLayout::Other},
        {frames.substr(0, 200), MpegLayout::Other},
        {"", MpegLayout::Other},
    };
    int round = 0;
    for (const auto &[bytes, layout] : cases) {
        SCOPED_TRACE(round);
        fs::path path = dir.path / ("tags" + std::to_string(++round) + ".mp3");
        writeFile(path, bytes);
        EXPECT_EQ(mpegLayoutOf(path.c_str()), layout);
    }
    EXPECT_EQ(mpegLayoutOf((dir.path / "missing.mp3").c_str()), MpegLayout::Other);
}

TEST_F(MpegChain, BrokenFilesFailOrEndButNeverHang)
{
    std::string tagOnly = headOf("id3_1mb.mp3", 10);
    struct Case {
        const char *what;
        std::string bytes;
        int result; // -1: plays, then ends by itself
    };
    const Case cases[] = {
        {"zero bytes", "", 277},
        {"random bytes", readFile(file("random.mp3")), 277},
        {"an ID3 header and nothing", tagOnly, 277},
        {"an ID3 tag, then text", headOf("id3_1mb.mp3", 4096) + std::string(4096, 'x'), 277},
        {"three frames", headOf("cbr_plain.mp3", 3 * 418), -1},
        {"frames, then random bytes",
         headOf("cbr_plain.mp3", 8000) + readFile(file("random.mp3")) + std::string(9000, '\xFF'),
         -1},
        {"cut inside a frame", headOf("vbr_lame.mp3", 20011), -1},
    };
    int round = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::path path = dir.path / ("broken" + std::to_string(++round) + ".mp3");
        writeFile(path, c.bytes);
        std::string name = deviceName(path);
        auto started = std::chrono::steady_clock::now();
        int result = run("play " + name + " from 0");
        // Far above the 2 s the interpreter may wait for a preroll: only a hang gets there.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(5000));
        if (c.result != -1) {
            EXPECT_EQ(result, c.result);
            EXPECT_FALSE(isOpen(name));
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(isMediaDeviceOnMpegChain(name));
        EXPECT_TRUE(waitFor([&] { return !isOpen(name); }, 4000));
        EXPECT_EQ(run("close " + name), 263);
    }
}

} // namespace
