// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/mpeg_frames.h"

#include <cstdint>
#include <cstdio>
#include <memory>

#include "tests/engine/media_fixtures.h"
#include "tests/support/fake_host.h"

using namespace media_test;

namespace {

struct FileClose {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileClose>;

long long scanFile(const fs::path &path)
{
    FilePtr file(std::fopen(path.c_str(), "rb"));
    return file ? scanMpegFramesMs(file.get()) : -2;
}

std::string bytes(std::initializer_list<unsigned> values)
{
    std::string text;
    for (unsigned value : values)
        text += static_cast<char>(value);
    return text;
}

// Silent MPEG-1 layer III frames, 128 kbit/s at 44.1 kHz, mono: 417 bytes and 1152 samples each.
std::string frames(int count)
{
    std::string frame = bytes({0xFF, 0xFB, 0x90, 0xC4}) + std::string(413, '\0');
    std::string run;
    for (int i = 0; i < count; ++i)
        run += frame;
    return run;
}

// The same frames in free format: the size is only found from the next header.
std::string freeFormatFrames(int count)
{
    std::string frame = bytes({0xFF, 0xFB, 0x00, 0xC4}) + std::string(596, '\0');
    std::string run;
    for (int i = 0; i < count; ++i)
        run += frame;
    return run;
}

// An Info frame whose LAME tag gives the frame count, the encoder delay and the padding.
std::string infoFrame(int count, int delay, int padding)
{
    std::string frame = frames(1);
    std::string tag = "Info" + bytes({0, 0, 0, 1, 0, 0, 0, static_cast<unsigned>(count)});
    tag += "LAME3.100" + std::string(12, '\0');
    tag += bytes({static_cast<unsigned>(delay >> 4),
                  static_cast<unsigned>((delay & 15) << 4 | padding >> 8),
                  static_cast<unsigned>(padding & 255)});
    return frame.replace(4 + 17, tag.size(), tag);
}

std::string noise(std::size_t size)
{
    std::string text(size, '\0');
    std::uint32_t state = 12345;
    for (char &c : text) {
        state = state * 1103515245 + 12345;
        c = static_cast<char>(state >> 24);
    }
    return text;
}

TEST(MpegFrames, MeasuresEveryCorpusFileAsLibmpg123Does)
{
    int files = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator(corpus())) {
        SCOPED_TRACE(entry.path().filename().string());
        EXPECT_EQ(scanFile(entry.path()), referenceLengthMs(entry.path()));
        ++files;
    }
    EXPECT_GE(files, 20) << "make_media.sh made too few files";
}

TEST(MpegFrames, FindsTheAudioLibmpg123FindsInBrokenAndHostileFiles)
{
    const std::string ten = frames(10);
    const std::string hugeTag = bytes({'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F});
    const std::string footerTag = bytes({'I', 'D', '3', 4, 0, 0x10, 0, 0, 0, 20});
    struct Case {
        const char *what;
        std::string data;
        long long ms; // 1152 samples a frame at 44.1 kHz: ten frames last 261 ms
    };
    const Case cases[] = {
        {"empty", "", -1},
        {"noise", noise(200000), -1},
        {"a megabyte of sync bytes", std::string(1 << 20, '\xFF'), -1},
        {"ten frames", ten, 261},
        {"one frame: no header follows to confirm it", frames(1), -1},
        {"a lone header after junk", noise(100) + frames(1).substr(0, 4), -1},
        {"the last frame cut", ten.substr(0, ten.size() - 100), 235},
        {"1000 bytes of junk between frames", frames(5) + std::string(1000, 'j') + frames(5), 261},
        {"2000 bytes of junk end the audio", frames(5) + std::string(2000, 'j') + frames(5), 130},
        {"64000 bytes of junk first", std::string(64000, 'j') + ten, 261},
        {"66000 bytes of junk first: no audio", std::string(66000, 'j') + ten, -1},
        {"an ID3v2 tag that claims more than the file", hugeTag + ten, -1},
        {"an ID3v2 tag with a footer", footerTag + std::string(30, '\0') + ten, 261},
        {"an ID3v1 tag", ten + "TAG" + std::string(125, 'x'), 261},
        {"free format", freeFormatFrames(10), 261},
        {"an Info frame and no audio", infoFrame(10, 576, 1000), -1},
        {"a LAME tag: delay and padding go", infoFrame(10, 576, 1000) + ten, 225},
        {"padding under the decoder delay goes as the delay", infoFrame(10, 576, 100) + ten, 236},
        {"a LAME tag counting more frames than there are", infoFrame(20, 576, 1000) + ten, 261},
    };
    TempDir dir;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::path path = dir.path / "case.mp3";
        writeFile(path, c.data);
        EXPECT_EQ(scanFile(path), c.ms);
        EXPECT_EQ(referenceLengthMs(path), c.ms) << "libmpg123 measures it otherwise";
    }
}

} // namespace
