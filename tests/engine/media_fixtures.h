// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The media corpus made by tests/fixtures/make_media.sh, and independent measurements of it
// with libmpg123, for the tests of the media interpreter.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>
#include <QThread>
#include <mpg123.h>

#include <gtest/gtest.h>

#include "engine/media_engine.h"
#include "host/host.h"

namespace media_test {

namespace fs = std::filesystem;

inline fs::path fixtureFolder()
{
    const char *folder = std::getenv("VORLA_FIXTURES");
    return folder ? fs::path(folder) : fs::path(__FILE__).parent_path() / "../fixtures";
}

// The corpus folder, made once per build and per version of the scripts that make it; parallel
// test processes share it through a lock.
inline const fs::path &corpus()
{
    static const fs::path folder = [] {
        fs::path scripts = fixtureFolder();
        std::string version;
        for (const char *name : {"make_media.sh", "mpeg_frames.py"}) {
            struct stat info {};
            stat((scripts / name).c_str(), &info);
            // Appended piece by piece: "-" + a temporary trips GCC 12's -Wrestrict at -O3.
            version += '-';
            version += std::to_string(info.st_mtim.tv_sec);
            version += '-';
            version += std::to_string(info.st_size);
        }
        fs::path home = fs::read_symlink("/proc/self/exe").parent_path();
        fs::path made = home / ("media-corpus" + version);
        int lock = open((home / "media-corpus.lock").c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        if (lock >= 0)
            flock(lock, LOCK_EX);
        if (!fs::exists(made)) {
            fs::path partial = made.string() + ".partial";
            fs::remove_all(partial);
            std::string run =
                "bash '" + (scripts / "make_media.sh").string() + "' '" + partial.string() + "'";
            if (std::system(run.c_str()) == 0)
                fs::rename(partial, made);
        }
        if (lock >= 0)
            close(lock);
        return made;
    }();
    return folder;
}

inline fs::path file(const char *name)
{
    return corpus() / name;
}

// An MPEG audio file of the corpus, and whether the plain decoding chain plays it (false: its
// tags or junk leave it to playbin).
struct MpegFile {
    const char *name;
    bool onChain;
};

// Every MPEG audio file of the corpus; make_media.sh says what each one covers.
inline constexpr MpegFile MPEG_FILES[] = {
    {"cbr128_info.mp3", true},     {"cbr320_info.mp3", true},   {"cbr_plain.mp3", true},
    {"vbr_lame.mp3", true},        {"vbr_noxing.mp3", true},    {"vbr_xing.mp3", true},
    {"vbr_xing_nolame.mp3", true}, {"vbr_vbri.mp3", true},      {"abr_lame.mp3", true},
    {"abr_noxing.mp3", true},      {"noise_short.mp3", true},   {"mpeg2_22k_mono.mp3", true},
    {"mpeg25_8k.mp3", true},       {"layer1_44k.mp3", true},    {"layer1_22k.mp3", true},
    {"layer1_8k.mp3", true},       {"layer2_44k.mp3", true},    {"layer2_22k.mp3", true},
    {"layer2_8k.mp3", true},       {"layer3_8k_vbr.mp3", true}, {"id3v22.mp3", true},
    {"id3v23_unsync.mp3", true},   {"id3v24_footer.mp3", true}, {"id3v24_unsync.mp3", true},
    {"id3_1mb.mp3", true},         {"id3_4mb.mp3", true},       {"id3v1_only.mp3", true},
    {"ape_head.mp3", false},       {"ape_tail.mp3", false},     {"junk_before.mp3", false},
    {"junk_after.mp3", true},      {"garbage.mp3", true},       {"truncated.mp3", true},
};

// The device name the player would use for a file.
inline std::string deviceName(const fs::path &path)
{
    char name[8192] = {};
    shortPathName(path.c_str(), name, sizeof name);
    return name;
}

inline std::string uriOf(const fs::path &path)
{
    static const char HEX[] = "0123456789ABCDEF";
    std::string uri = "file://";
    for (unsigned char c : path.string()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += HEX[c >> 4];
            uri += HEX[c & 15];
        }
    }
    return uri;
}

inline int run(const std::string &command)
{
    return runMediaCommand(command.c_str(), nullptr, 0);
}

// Runs a command with a 256-byte reply buffer prefilled with junk.
inline int run(const std::string &command, std::string &reply)
{
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    int result = runMediaCommand(command.c_str(), buffer, sizeof buffer);
    reply.assign(buffer, strnlen(buffer, sizeof buffer));
    return result;
}

inline bool isOpen(const std::string &name)
{
    return isMediaDeviceOpen(name);
}

// Spins the event loop until the condition holds or the time is up.
template <typename Condition>
bool waitFor(Condition condition, int milliseconds)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

struct DecoderCloser {
    void operator()(mpg123_handle *decoder) const { mpg123_delete(decoder); }
};
using Decoder = std::unique_ptr<mpg123_handle, DecoderCloser>;

inline Decoder openReference(const fs::path &path)
{
    mpg123_init();
    Decoder decoder(mpg123_new(nullptr, nullptr));
    if (!decoder)
        return nullptr;
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0);
    mpg123_format_none(decoder.get());
    for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
        mpg123_format(decoder.get(), rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    if (mpg123_open(decoder.get(), path.c_str()) != MPG123_OK)
        return nullptr;
    return decoder;
}

// The length a full libmpg123 scan gives, in ms; -1 when it fails.
inline long long referenceLengthMs(const fs::path &path)
{
    Decoder decoder = openReference(path);
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (!decoder || mpg123_scan(decoder.get()) != MPG123_OK ||
        mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK)
        return -1;
    return static_cast<long long>(mpg123_length(decoder.get())) * 1000 / rate;
}

struct Pcm {
    long rate = 0;
    int channels = 0;
    int frameSamples = 0;       // per channel in one MPEG frame
    std::vector<float> samples; // interleaved
    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

// Every sample libmpg123 decodes, gapless, as float. Scanned first, as the engine's length is: a
// scan that finds fewer frames than a Xing header claims (xingmux counts its own frame) turns
// gapless trimming off, which a decode alone would still apply.
inline Pcm referenceDecode(const fs::path &path)
{
    Pcm pcm;
    Decoder decoder = openReference(path);
    int encoding = 0;
    if (!decoder || mpg123_scan(decoder.get()) != MPG123_OK)
        return pcm;
    unsigned char block[16384];
    for (;;) {
        std::size_t done = 0;
        int result = mpg123_read(decoder.get(), block, sizeof block, &done);
        if (result == MPG123_NEW_FORMAT)
            mpg123_getformat(decoder.get(), &pcm.rate, &pcm.channels, &encoding);
        const float *floats = reinterpret_cast<const float *>(block);
        pcm.samples.insert(pcm.samples.end(), floats, floats + done / sizeof(float));
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            break;
    }
    pcm.frameSamples = mpg123_spf(decoder.get());
    return pcm;
}

// The raw float samples a filesink wrote.
inline std::vector<float> readFloats(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<float> samples(bytes.size() / sizeof(float));
    std::copy_n(bytes.data(), samples.size() * sizeof(float),
                reinterpret_cast<char *>(samples.data()));
    return samples;
}

// A sink description that writes float samples to a file, in real time or as fast as it can.
// Unbuffered, so the file's size is what has been played so far, not the last 64 KB flushed.
inline std::string rawFileSink(const fs::path &path, bool realTime)
{
    return "audioconvert ! audio/x-raw,format=F32LE ! filesink buffer-mode=unbuffered sync=" +
           std::string(realTime ? "true" : "false") + " location=\"" + path.string() + "\"";
}

inline double rms(const std::vector<float> &samples, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += double(samples[i]) * samples[i];
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// Mean squared difference of two runs of samples.
inline double difference(const float *a, const float *b, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = 0; i < count; ++i)
        sum += double(a[i] - b[i]) * (a[i] - b[i]);
    return count ? sum / double(count) : 0.0;
}

// Gives each test the real interpreter with the given output, and closes everything after.
class MediaEngineTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(corpus().empty());
        ASSERT_TRUE(fs::exists(corpus())) << "make_media.sh failed";
        setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
    }
    void TearDown() override
    {
        closeAllMediaDevices();
        unsetenv("VORLA_AUDIO_SINK");
    }
    void useSink(const std::string &description)
    {
        setenv("VORLA_AUDIO_SINK", description.c_str(), 1);
    }
};

} // namespace media_test
