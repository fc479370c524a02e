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
    for (const char *name : {"vbr_noxing.mp3", "cbr128_info.mp3", "id3_1mb.mp3", "garbage.mp3",
                             "mpeg2_22k_mono.mp3"}) {
        SCOPED_TRACE(name);
        Pcm pcm = referenceDecode(file(name));
        ASSERT_GT(pcm.rate, 0);
        EXPECT_EQ(scanMpegLengthMs(file(name).c_str()),
                  static_cast<long long>(pcm.frames()) * 1000 / pcm.rate);
        EXPECT_TRUE(decodesFirstMpegFrame(file(name).c_str()));
    }
    for (const char *name : {"random.mp3", "empty.mp3", "no such file.mp3"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(decodesFirstMpegFrame(file(name).c_str()));
    }
}

} // namespace
