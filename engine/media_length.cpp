// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/media_length.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <mpg123.h>

#include "engine/gst_handles.h"
#include "engine/mpeg_frames.h"

namespace {

// How far into the audio data the first MPEG frame may start.
constexpr std::size_t SYNC_WINDOW = 64 * 1024;
// The largest frame and the next one's header: MPEG-2.5 layer II at 160 kbit/s is 2881 bytes.
constexpr std::size_t FIRST_FRAMES_BYTES = 4096;

// An open file descriptor, closed when it goes.
struct OpenFile {
    explicit OpenFile(int descriptor) : fd(descriptor) {}
    ~OpenFile()
    {
        if (fd >= 0)
            close(fd);
    }
    OpenFile(const OpenFile &) = delete;
    OpenFile &operator=(const OpenFile &) = delete;
    int fd;
};

// At data[at], two frames in a row that agree, or one frame that ends the file exactly.
bool framesStartAt(const std::vector<unsigned char> &data, std::size_t at, std::size_t audioStart,
                   off_t fileSize)
{
    MpegFrameHead first;
    if (at + 4 > data.size() || !readMpegFrameHead(&data[at], first))
        return false;
    std::size_t next = at + first.bytes;
    if (static_cast<off_t>(audioStart + next) == fileSize)
        return true;
    MpegFrameHead second;
    return next + 4 <= data.size() && readMpegFrameHead(&data[next], second) &&
           second.kind == first.kind;
}

bool hasMpegFrames(const std::vector<unsigned char> &data, std::size_t audioStart, off_t fileSize)
{
    for (std::size_t at = 0; at + 4 <= data.size(); ++at) {
        if (framesStartAt(data, at, audioStart, fileSize))
            return true;
    }
    return false;
}

// Reads up to count bytes at offset; fewer at the end of the file.
std::vector<unsigned char> readAt(int fd, off_t offset, std::size_t count)
{
    std::vector<unsigned char> data(count);
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = pread(fd, data.data() + got, count - got, offset + static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    data.resize(got);
    return data;
}

bool startsWith(const std::vector<unsigned char> &data, std::size_t at, const char *magic)
{
    std::size_t length = std::strlen(magic);
    return data.size() >= at + length && std::memcmp(&data[at], magic, length) == 0;
}

// The size of an ID3v2 tag at the head (header and footer included), 0 when there is none.
off_t id3v2Size(const std::vector<unsigned char> &head)
{
    if (!startsWith(head, 0, "ID3") || head.size() < 10)
        return 0;
    for (int i = 6; i < 10; ++i) {
        if (head[i] & 0x80)
            return 0;
    }
    off_t body = (off_t{head[6]} << 21) | (off_t{head[7]} << 14) | (off_t{head[8]} << 7) | head[9];
    bool hasFooter = (head[5] & 0x10) != 0;
    return 10 + body + (hasFooter ? 10 : 0);
}

// A decoder handle that stays quiet and trims encoder delay and padding.
DecoderPtr openDecoder(const char *path)
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    DecoderPtr decoder(mpg123_new(nullptr, nullptr));
    if (!decoder ||
        mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0) !=
            MPG123_OK ||
        mpg123_open(decoder.get(), path) != MPG123_OK)
        return nullptr;
    return decoder;
}

} // namespace

MediaType sniffMedia(const char *path, FileIdentity *identity)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return MediaType::Missing;
    // Non-blocking, so a FIFO swapped in after the check cannot stall the caller.
    OpenFile file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0)
        return MediaType::Unreadable;
    int fd = file.fd;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return MediaType::Missing;
    if (identity) {
        identity->device = info.st_dev;
        identity->inode = info.st_ino;
        identity->size = info.st_size;
        identity->modifiedSeconds = info.st_mtim.tv_sec;
        identity->modifiedNanoseconds = info.st_mtim.tv_nsec;
    }
    if (info.st_size == 0)
        return MediaType::Unreadable;

    std::vector<unsigned char> head = readAt(fd, 0, 16);
    if (head.empty())
        return MediaType::Unreadable;
    if ((startsWith(head, 0, "RIFF") || startsWith(head, 0, "RF64")) && startsWith(head, 8, "WAVE"))
        return MediaType::Wave;
    if (startsWith(head, 0, "fLaC"))
        return MediaType::Flac;
    if (startsWith(head, 0, "OggS"))
        return MediaType::Ogg;

    off_t audioStart = id3v2Size(head);
    if (audioStart >= info.st_size)
        return MediaType::Unknown;
    std::vector<unsigned char> audio = readAt(fd, audioStart, SYNC_WINDOW);
    if (hasMpegFrames(audio, static_cast<std::size_t>(audioStart), info.st_size))
        return MediaType::Mpeg;
    return MediaType::Unknown;
}

MpegLayout mpegLayoutOf(const char *path)
{
    OpenFile file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info;
    if (file.fd < 0 || fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return MpegLayout::Other;
    constexpr off_t ID3V1_BYTES = 128;
    constexpr off_t APE_FOOTER_BYTES = 32;
    std::vector<unsigned char> head = readAt(file.fd, 0, 16);
    off_t front = id3v2Size(head);
    std::vector<unsigned char> next = front > 0 ? readAt(file.fd, front, 16) : head;
    if (startsWith(next, 0, "ID3") || startsWith(head, 0, "APETAGEX"))
        return MpegLayout::Other;
    // Frames elsewhere may be false ones in another format, which playbin's typefinding sorts out.
    std::vector<unsigned char> audio = readAt(file.fd, front, FIRST_FRAMES_BYTES);
    if (!framesStartAt(audio, 0, static_cast<std::size_t>(front), info.st_size))
        return MpegLayout::Other;
    off_t tailStart = std::max<off_t>(0, info.st_size - ID3V1_BYTES - APE_FOOTER_BYTES);
    std::vector<unsigned char> tail =
        readAt(file.fd, tailStart, static_cast<std::size_t>(info.st_size - tailStart));
    bool hasId3v1 =
        tail.size() >= ID3V1_BYTES && startsWith(tail, tail.size() - ID3V1_BYTES, "TAG");
    std::size_t apeFooter = tail.size() - (hasId3v1 ? ID3V1_BYTES : 0);
    if (apeFooter >= APE_FOOTER_BYTES && startsWith(tail, apeFooter - APE_FOOTER_BYTES, "APETAGEX"))
        return MpegLayout::Other;
    return front > 0 || hasId3v1 ? MpegLayout::Id3 : MpegLayout::Bare;
}

bool decodesFirstMpegFrame(const char *path)
{
    DecoderPtr decoder = openDecoder(path);
    if (!decoder)
        return false;
    off_t frame = 0;
    unsigned char *audio = nullptr;
    std::size_t bytes = 0;
    // The first call may only announce the format; the second decodes.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int result = mpg123_decode_frame(decoder.get(), &frame, &audio, &bytes);
        if (result == MPG123_OK)
            return true;
        if (result != MPG123_NEW_FORMAT)
            return false;
    }
    return false;
}

long long scanMpegLengthMs(const char *path)
{
    DecoderPtr decoder = openDecoder(path);
    if (!decoder || mpg123_scan(decoder.get()) != MPG123_OK)
        return -1;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(decoder.get(), &rate, &channels, &encoding) != MPG123_OK || rate <= 0)
        return -1;
    off_t samples = mpg123_length(decoder.get());
    return samples < 0 ? -1 : static_cast<long long>(samples) * 1000LL / rate;
}
