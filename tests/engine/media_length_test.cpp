// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/media_length.h"

#include "tests/engine/media_fixtures.h"
#include "tests/support/fake_host.h"

using namespace media_test;

namespace {

TEST(MediaLength, TypeComesFromTheBytesNotTheName)
{
    const std::pair<const char *, MediaType> cases[] = {
        {"cbr_plain.mp3", MediaType::Mpeg},   {"mpeg25_8k.mp3", MediaType::Mpeg},
        {"id3_1mb.mp3", MediaType::Mpeg},     {"ape_head.mp3", MediaType::Mpeg},
        {"truncated.mp3", MediaType::Mpeg},   {"wave_named.mp3", MediaType::Wave},
        {"tone.flac", MediaType::Flac},       {"tone.ogg", MediaType::Ogg},
        {"random.mp3", MediaType::Unknown},   {"text.mp3", MediaType::Unknown},
        {"empty.mp3", MediaType::Unreadable}, {"no such file.mp3", MediaType::Missing},
    };
    for (const auto &[name, type] : cases) {
        SCOPED_TRACE(name);
        FileIdentity identity;
        EXPECT_EQ(sniffMedia(file(name).c_str(), &identity), type);
    }
}

TEST(MediaLength, IdentityChangesWithTheFileContent)
{
    TempDir dir;
    writeFile(dir.path / "a.mp3", "first");
    FileIdentity before;
    FileIdentity after;
    sniffMedia((dir.path / "a.mp3").c_str(), &before);
    writeFile(dir.path / "a.mp3", "second version");
    sniffMedia((dir.path / "a.mp3").c_str(), &after);
    EXPECT_NE(before, after);
    EXPECT_EQ(sniffMedia(dir.path.c_str(), &after), MediaType::Missing);
}

TEST(MediaLength, FrameScanMatchesAnIndependentDecode)
{
    for (const MpegFile &mpeg : MPEG_FILES) {
        SCOPED_TRACE(mpeg.name);
        Pcm pcm = referenceDecode(file(mpeg.name));
        ASSERT_GT(pcm.rate, 0);
        EXPECT_EQ(scanMpegLengthMs(file(mpeg.name).c_str()),
                  static_cast<long long>(pcm.frames()) * 1000 / pcm.rate);
        EXPECT_TRUE(decodesFirstMpegFrame(file(mpeg.name).c_str()));
    }
    for (const char *name : {"random.mp3", "empty.mp3", "no such file.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(decodesFirstMpegFrame(file(name).c_str()));
    }
}

TEST(MediaLength, FrameScanFindsWhatTheEncoderWasGiven)
{
    struct Case {
        const char *file;
        long long nominalMs; // the encoder's input; gapless files match it exactly
        long long slackMs;
    };
    // Gapless files behind tags or junk keep their exact length only when the scan still finds
    // their LAME tag.
    const Case cases[] = {
        {"cbr128_info.mp3", 1000, 0},     {"cbr320_info.mp3", 1500, 0},
        {"vbr_lame.mp3", 3000, 0},        {"abr_lame.mp3", 3000, 0},
        {"layer3_8k_vbr.mp3", 3000, 0},   {"id3v22.mp3", 3000, 0},
        {"id3v23_unsync.mp3", 1000, 0},   {"id3v24_footer.mp3", 1500, 0},
        {"id3v24_unsync.mp3", 3000, 0},   {"junk_before.mp3", 1000, 0},
        {"junk_after.mp3", 3000, 0},      {"cbr_plain.mp3", 1000, 60},
        {"vbr_noxing.mp3", 3000, 60},     {"vbr_xing.mp3", 3000, 60},
        {"mpeg2_22k_mono.mp3", 1000, 80}, {"mpeg25_8k.mp3", 1500, 160},
        {"id3_1mb.mp3", 1000, 60},        {"id3v1_only.mp3", 1000, 60},
        {"ape_head.mp3", 1000, 60},       {"ape_tail.mp3", 1000, 60},
        {"garbage.mp3", 2500, 120},       {"truncated.mp3", 1800, 200},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_NEAR(scanMpegLengthMs(file(c.file).c_str()), c.nominalMs, c.slackMs);
    }
}

} // namespace
