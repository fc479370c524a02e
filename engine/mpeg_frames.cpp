// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/mpeg_frames.h"

#include <algorithm>
#include <cstring>

namespace {

// libmpg123's limits: where it gives up searching decides where the audio ends, so they are
// part of the length.
constexpr long JUNK_LIMIT = 65536;    // bytes searched for the first frame
constexpr long RESYNC_LIMIT = 1024;   // bytes searched for the next frame after a bad header
constexpr long MAX_BODY_BYTES = 3456; // the largest frame body it reads
constexpr int FREE_FORMAT_GUESSES = 5;
// The decoder's own delay, trimmed at the start beside the encoder delay of a LAME tag.
constexpr long long DECODER_DELAY = 529;
constexpr long long ID3V1_BYTES = 128;

constexpr std::size_t WINDOW_BYTES = 16384;
// How far behind its position the scanner may step back: one frame and two headers.
constexpr long long KEEP_BEHIND = 4096;

constexpr long SAMPLE_RATES[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};
// Bit rates in kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index]; index 0 is free format.
constexpr long BIT_RATES[2][3][15] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
};

constexpr unsigned long fourCc(const char (&text)[5])
{
    return static_cast<unsigned long>(static_cast<unsigned char>(text[0])) << 24 |
           static_cast<unsigned long>(static_cast<unsigned char>(text[1])) << 16 |
           static_cast<unsigned long>(static_cast<unsigned char>(text[2])) << 8 |
           static_cast<unsigned char>(text[3]);
}

bool isTagHead(unsigned long head, const char (&name)[5])
{
    return (head & 0xFFFFFF00UL) == fourCc(name);
}

// The file, read forward through a window that keeps the last few kilobytes, so the scanner can
// look a frame ahead and step back without seeking.
struct Input {
    std::FILE *file = nullptr;
    long long pos = 0;   // where the next read starts, from the stream's position at the start
    long long start = 0; // where window[0] is
    std::size_t fill = 0;
    bool ended = false;
    unsigned char window[WINDOW_BYTES];
};

// Drops the window's bytes before `from` and fills the rest. A gap up to `from` is read and
// dropped, not sought over, keeping the last bytes read for the ID3v1 tag at the end.
void refill(Input &in, long long from)
{
    while (in.start + static_cast<long long>(in.fill) < from && !in.ended) {
        std::size_t keep = std::min<std::size_t>(in.fill, ID3V1_BYTES);
        std::memmove(in.window, in.window + in.fill - keep, keep);
        in.start += static_cast<long long>(in.fill - keep);
        in.fill = keep;
        long long gap = from - (in.start + static_cast<long long>(in.fill));
        auto chunk = static_cast<std::size_t>(
            std::min<long long>(gap, static_cast<long long>(WINDOW_BYTES - in.fill)));
        std::size_t got = std::fread(in.window + in.fill, 1, chunk, in.file);
        in.fill += got;
        in.ended = got < chunk;
    }
    long long end = in.start + static_cast<long long>(in.fill);
    if (from > in.start && from <= end) {
        auto drop = static_cast<std::size_t>(from - in.start);
        std::memmove(in.window, in.window + drop, in.fill - drop);
        in.fill -= drop;
        in.start = from;
    }
    while (in.fill < WINDOW_BYTES && !in.ended) {
        std::size_t got = std::fread(in.window + in.fill, 1, WINDOW_BYTES - in.fill, in.file);
        in.fill += got;
        in.ended = got == 0;
    }
}

// Up to count bytes at the position, which moves past those there are; count becomes how many.
const unsigned char *readSome(Input &in, std::size_t &count)
{
    long long end = in.start + static_cast<long long>(in.fill);
    if (in.pos + static_cast<long long>(count) > end && !in.ended) {
        refill(in, std::max(in.start, in.pos - KEEP_BEHIND));
        end = in.start + static_cast<long long>(in.fill);
    }
    // Steps back stay within KEEP_BEHIND, so the position never falls before the window.
    if (in.pos < in.start || in.pos >= end) {
        count = 0;
        return nullptr;
    }
    count = std::min(count, static_cast<std::size_t>(end - in.pos));
    const unsigned char *bytes = in.window + (in.pos - in.start);
    in.pos += static_cast<long long>(count);
    return bytes;
}

// Exactly count bytes at the position; nullptr when the stream ends first.
const unsigned char *readBytes(Input &in, std::size_t count)
{
    if (count == 0)
        return in.window;
    std::size_t got = count;
    const unsigned char *bytes = readSome(in, got);
    return got == count ? bytes : nullptr;
}

// The stream's length; reads on to its end, keeping its last bytes in the window.
long long streamLength(Input &in)
{
    while (!in.ended) {
        long long end = in.start + static_cast<long long>(in.fill);
        refill(in, std::max(in.start, end - ID3V1_BYTES));
    }
    return in.start + static_cast<long long>(in.fill);
}

unsigned long bigEndian(const unsigned char *p)
{
    return static_cast<unsigned long>(p[0]) << 24 | static_cast<unsigned long>(p[1]) << 16 |
           static_cast<unsigned long>(p[2]) << 8 | p[3];
}

unsigned long littleEndian(const unsigned char *p)
{
    return static_cast<unsigned long>(p[3]) << 24 | static_cast<unsigned long>(p[2]) << 16 |
           static_cast<unsigned long>(p[1]) << 8 | p[0];
}

bool readHead(Input &in, unsigned long &head)
{
    const unsigned char *bytes = readBytes(in, 4);
    if (!bytes)
        return false;
    head = bigEndian(bytes);
    return true;
}

// Moves the four bytes looked at one byte on.
bool shiftHead(Input &in, unsigned long &head)
{
    const unsigned char *byte = readBytes(in, 1);
    if (!byte)
        return false;
    head = (head << 8 | *byte) & 0xFFFFFFFFUL;
    return true;
}

struct FrameHeader {
    int layer = 0;
    bool lowRate = false; // MPEG-2 or 2.5: half the samples in layer III
    int rateIndex = 0;    // into SAMPLE_RATES
    int bitRateIndex = 0;
    int channels = 0;
    long samples = 0;
    long bodyBytes = 0;        // after the four header bytes
    long freeFormatBytes = -1; // a free-format stream's body without padding, once found
};

// What one step of the search for a frame found. End and Fail both end the audio; they differ
// where libmpg123 tells a clean end from an error.
enum class Parse { Good, Bad, Again, Resync, End, Fail, Lone };

// How a read of the next frame came out.
enum class Read {
    Frame,
    End,    // the audio ended
    Failed, // an error, which still counts as the end when it leaves the position at the end
    Lone,   // the first header found had no header after it: libmpg123 only estimates then
};

// More than the frames before the furthest start libmpg123 seeks back to: the longest delay in
// frames of 384 samples puts it under frame 50.
constexpr int KEPT_HEADS = 64;

// Everything libmpg123 keeps from one frame to the next that changes what it counts.
struct Scan {
    Input in;
    unsigned long firstHead = 0;
    FrameHeader frame; // the last frame read
    // From a Xing or Info frame and its LAME tag.
    long long audioStart = 0;
    long long tagFrames = 0;
    long long tagBytes = -1;
    long long gaplessFrames = 0;
    long long gaplessBegin = 0;
    long long gaplessEnd = 0;
    // Where the output format may change: libmpg123 sets its format up again at a frame that
    // does not decode alike the one before, or that follows a tag or a resync.
    unsigned long oldHead = 0; // the frame before, 0 after a tag or a resync
    long long frames = 0;
    bool laterChange = false; // at a frame after the first
    unsigned long heads[KEPT_HEADS] = {};
    bool changes[KEPT_HEADS] = {};
};

// The cheap test of four bytes, before the header is decoded.
bool isHeader(unsigned long head)
{
    return (head & 0xFFE00000UL) == 0xFFE00000UL && ((head >> 17) & 3) != 0 &&
           ((head >> 12) & 15) != 15 && ((head >> 10) & 3) != 3;
}

bool isMono(unsigned long head)
{
    return ((head >> 6) & 3) == 3;
}

bool isProtected(unsigned long head)
{
    return ((head >> 16) & 1) == 0;
}

// A header's sync, version, layer and sample rate.
constexpr unsigned long KIND_BITS = 0xFFFE0C00UL;

// Same version, layer and rate, and both mono or neither.
bool decodeAlike(unsigned long a, unsigned long b)
{
    return (a & KIND_BITS) == (b & KIND_BITS) && isMono(a) == isMono(b);
}

// Layer III side information: where a Xing or Info tag starts in the first frame.
long sideInfoBytes(const FrameHeader &frame)
{
    if (frame.channels == 2)
        return frame.lowRate ? 17 : 32;
    return frame.lowRate ? 9 : 17;
}

// A free-format frame's size: the distance to the next header that agrees in everything but
// the protection, padding, private and mode extension bits. The position stays.
Parse guessFreeFormat(Input &in, unsigned long head, long &bodyBytes)
{
    constexpr unsigned long SAME = 0xFFFEFCC0UL;
    long long start = in.pos;
    std::size_t count = MAX_BODY_BYTES + 8;
    const unsigned char *ahead = readSome(in, count);
    in.pos = start;
    for (long distance = 1; distance <= MAX_BODY_BYTES; ++distance) {
        // libmpg123 gives up at the end of the stream, even with a shorter frame still possible.
        if (static_cast<std::size_t>(distance) + 4 > count)
            return Parse::End;
        if (ahead[distance] == 0xFF && (bigEndian(ahead + distance) & SAME) == (head & SAME)) {
            bodyBytes = distance;
            return Parse::Good;
        }
    }
    return Parse::Bad;
}

// MPEG-2 and 2.5 have half the rates of MPEG-1 and, in layer III, half the samples.
bool isLowRate(unsigned long head)
{
    return ((head >> 19) & 3) != 3;
}

int rateIndexOf(unsigned long head)
{
    int version = static_cast<int>((head >> 19) & 3);
    int rateBits = static_cast<int>((head >> 10) & 3);
    // The reserved version reads as MPEG-2.5, as libmpg123 reads it.
    if (!(version & 2))
        return 6 + rateBits;
    return rateBits + (isLowRate(head) ? 3 : 0);
}

long samplesOf(unsigned long head)
{
    switch (4 - static_cast<int>((head >> 17) & 3)) {
    case 1: return 384;
    case 2: return 1152;
    default: return isLowRate(head) ? 576 : 1152;
    }
}

Parse decodeHeader(Input &in, unsigned long head, FrameHeader &frame, int &guesses)
{
    frame.layer = 4 - static_cast<int>((head >> 17) & 3);
    frame.lowRate = isLowRate(head);
    frame.rateIndex = rateIndexOf(head);
    frame.samples = samplesOf(head);
    frame.channels = isMono(head) ? 1 : 2;
    frame.bitRateIndex = static_cast<int>((head >> 12) & 15);
    long padding = static_cast<long>((head >> 9) & 1);
    long rate = SAMPLE_RATES[frame.rateIndex];
    long bitRate = BIT_RATES[frame.lowRate ? 1 : 0][frame.layer - 1][frame.bitRateIndex];
    bool freeFormat = frame.bitRateIndex == 0;

    if (freeFormat) {
        if (frame.freeFormatBytes < 0) {
            if (++guesses > FREE_FORMAT_GUESSES)
                return Parse::Bad;
            long found = 0;
            Parse guess = guessFreeFormat(in, head, found);
            if (guess != Parse::Good)
                return guess;
            frame.freeFormatBytes = found - padding;
        }
        frame.bodyBytes = frame.freeFormatBytes + padding;
    }
    switch (frame.layer) {
    case 1:
        if (!freeFormat)
            frame.bodyBytes = (bitRate * 12000 / rate + padding) * 4 - 4;
        break;
    case 2:
        if (!freeFormat)
            frame.bodyBytes = bitRate * 144000 / rate + padding - 4;
        break;
    default:
        if (!freeFormat)
            frame.bodyBytes = bitRate * 144000 / (rate << (frame.lowRate ? 1 : 0)) + padding - 4;
        // A frame too small for its side information is no frame.
        if (frame.bodyBytes < sideInfoBytes(frame) + (isProtected(head) ? 2 : 0))
            return Parse::Bad;
        break;
    }
    return frame.bodyBytes > MAX_BODY_BYTES ? Parse::Bad : Parse::Good;
}

void initGapless(Scan &scan, long long frames, long long delay, long long padding)
{
    scan.gaplessFrames = frames;
    bool known = frames > 0 && delay >= 0 && padding >= 0;
    scan.gaplessBegin = known ? delay + DECODER_DELAY : 0;
    scan.gaplessEnd = known ? frames * scan.frame.samples - padding + DECODER_DELAY : 0;
}

// True when the first frame is a Xing or Info frame, which holds no audio; takes its counts and
// the LAME tag's encoder delay and padding.
bool readInfoFrame(Scan &scan, const unsigned char *body)
{
    const FrameHeader &frame = scan.frame;
    long at = sideInfoBytes(frame);
    if (frame.bodyBytes < at + 8)
        return false;
    // The side information before the tag is all zero, but for its first two bytes.
    for (long i = 2; i < at; ++i) {
        if (body[i] != 0)
            return false;
    }
    unsigned long name = bigEndian(body + at);
    if (name != fourCc("Info") && name != fourCc("Xing"))
        return false;
    unsigned long flags = bigEndian(body + at + 4);
    at += 8;
    // Fields announced but cut off by the frame's end are ignored, the frame still is no audio.
    auto fits = [&](long bytes) { return frame.bodyBytes >= at + bytes; };
    if (flags & 1) {
        if (!fits(4))
            return true;
        scan.tagFrames = static_cast<long long>(bigEndian(body + at));
        initGapless(scan, scan.tagFrames, 0, 0);
        at += 4;
    }
    if (flags & 2) {
        if (!fits(4))
            return true;
        scan.tagBytes = static_cast<long long>(bigEndian(body + at));
        at += 4;
    }
    constexpr long TABLE_BYTES = 100;
    constexpr long QUALITY_BYTES = 4;
    if (flags & 4) {
        if (!fits(TABLE_BYTES))
            return true;
        at += TABLE_BYTES;
    }
    if (flags & 8) {
        if (!fits(QUALITY_BYTES))
            return true;
        at += QUALITY_BYTES;
    }
    if (!fits(24) || body[at] == 0)
        return true;
    long long delay = static_cast<long long>(body[at + 21]) << 4 | body[at + 22] >> 4;
    long long padding = (static_cast<long long>(body[at + 22]) << 8 | body[at + 23]) & 0xFFF;
    initGapless(scan, scan.tagFrames, delay, padding);
    return true;
}

// Skips an ID3v2 tag whose first four bytes are read. One libmpg123 can parse is read whole, so a
// cut one is an error; any other is skipped, and a malformed one skipped as far as it was read.
Parse skipId3v2(Input &in, unsigned long head)
{
    int major = static_cast<int>(head & 0xFF);
    if (major == 0xFF)
        return Parse::Again;
    const unsigned char *rest = readBytes(in, 6);
    if (!rest)
        return Parse::Fail;
    if (rest[0] == 0xFF || ((rest[2] | rest[3] | rest[4] | rest[5]) & 0x80))
        return Parse::Again;
    int flags = rest[1];
    long long bytes =
        static_cast<long long>(rest[2]) << 21 | rest[3] << 14 | rest[4] << 7 | rest[5];
    bytes += (flags & 0x10) ? 10 : 0;
    // Version 2.2's compression flag is its unknown flag.
    bool parsed =
        major >= 2 && major <= 4 && (flags & 0x0F) == 0 && !(major == 2 && (flags & 0x40));
    if (parsed && bytes > 0) {
        in.pos += bytes - 1;
        if (!readBytes(in, 1)) {
            in.pos = in.start + static_cast<long long>(in.fill);
            return Parse::Fail;
        }
        return Parse::Again;
    }
    in.pos += bytes;
    return Parse::Again;
}

// Skips an APE tag from its header, "APET" read; anything else is searched on from one byte in.
Parse skipApeTag(Input &in)
{
    long long start = in.pos - 4;
    std::size_t got = 28;
    const unsigned char *rest = readSome(in, got);
    bool isTag = got == 28 && std::memcmp(rest, "AGEX", 4) == 0 && littleEndian(rest + 4) == 2000 &&
                 std::all_of(rest + 20, rest + 28, [](unsigned char c) { return c == 0; });
    if (!isTag) {
        in.pos = start + 1;
        return Parse::Again;
    }
    in.pos += static_cast<long long>(littleEndian(rest + 8));
    return Parse::Again;
}

// Before the first frame: an ID3v2 tag, a RIFF header up to its data, or junk searched byte by
// byte for a header that decodes.
Parse skipJunk(Input &in, unsigned long &head, long &searched, FrameHeader &frame)
{
    if (isTagHead(head, "ID3\0"))
        return skipId3v2(in, head);
    if (head == fourCc("RIFF")) {
        unsigned long word = 0;
        if (!readHead(in, word))
            return Parse::End;
        while (word != fourCc("data")) {
            if (!shiftHead(in, word))
                return Parse::End;
        }
        // The data chunk's size goes too; its samples are searched as junk.
        return readHead(in, word) ? Parse::Again : Parse::End;
    }
    // Each search has its own free-format guesses.
    int guesses = 0;
    for (;;) {
        if (++searched >= JUNK_LIMIT)
            return Parse::Fail;
        if (!shiftHead(in, head))
            return Parse::End;
        if (isHeader(head)) {
            Parse decoded = decodeHeader(in, head, frame, guesses);
            if (decoded != Parse::Bad)
                return decoded;
        }
    }
}

// After a header that is not one: tags are skipped, anything else is searched for a header.
Parse recover(Input &in, unsigned long &head)
{
    if (isTagHead(head, "TAG\0")) {
        in.pos += ID3V1_BYTES - 4;
        return Parse::Again;
    }
    if (isTagHead(head, "ID3\0"))
        return skipId3v2(in, head);
    if (head == fourCc("APET"))
        return skipApeTag(in);
    for (long tries = 1; tries < RESYNC_LIMIT; ++tries) {
        if (!shiftHead(in, head))
            return Parse::End;
        if (isHeader(head))
            return Parse::Resync;
    }
    return Parse::Fail;
}

// The first frame counts only when the next header follows it and decodes alike.
Parse lookAhead(Input &in, unsigned long head, const FrameHeader &frame)
{
    long long start = in.pos;
    in.pos += frame.bodyBytes;
    unsigned long next = 0;
    bool found = readHead(in, next);
    in.pos = start;
    if (!found)
        return Parse::Lone;
    if (isHeader(next) && decodeAlike(head, next))
        return Parse::Good;
    in.pos -= 3;
    return Parse::Again;
}

Read endOf(Parse parse)
{
    switch (parse) {
    case Parse::Fail: return Read::Failed;
    case Parse::Lone: return Read::Lone;
    default: return Read::End;
    }
}

// Reads the next audio frame into scan.frame.
Read readFrame(Scan &scan)
{
    Input &in = scan.in;
    FrameHeader next = scan.frame;
    long searched = 0;
    int guesses = 0;
    unsigned long head = 0;
    bool readNewHead = true;
    // Each pass moves at least one byte on, so the loop ends with the stream.
    for (;;) {
        if (readNewHead && !readHead(in, head))
            return Read::End;
        readNewHead = true;
        if (!scan.firstHead && !isHeader(head)) {
            if (isTagHead(head, "ID3\0") || head == fourCc("RIFF"))
                scan.oldHead = 0;
            Parse skipped = skipJunk(in, head, searched, next);
            if (skipped == Parse::Again)
                continue;
            if (skipped != Parse::Good)
                return endOf(skipped);
        }
        Parse decoded = isHeader(head) ? decodeHeader(in, head, next, guesses) : Parse::Bad;
        if (decoded == Parse::Bad) {
            if (isTagHead(head, "ID3\0") || head == fourCc("APET"))
                scan.oldHead = 0;
            decoded = recover(in, head);
        }
        if (decoded == Parse::Again)
            continue;
        if (decoded == Parse::Resync) {
            scan.oldHead = 0;
            readNewHead = false;
            continue;
        }
        if (decoded != Parse::Good)
            return endOf(decoded);
        if (!scan.firstHead) {
            Parse ahead = lookAhead(in, head, next);
            if (ahead == Parse::Again)
                continue;
            if (ahead != Parse::Good)
                return endOf(ahead);
        }
        long long framePos = in.pos - 4;
        const unsigned char *body = readBytes(in, static_cast<std::size_t>(next.bodyBytes));
        if (!body)
            return Read::Failed;
        scan.frame = next;
        if (!scan.firstHead) {
            scan.firstHead = head;
            scan.audioStart = framePos;
            if (next.layer == 3 && readInfoFrame(scan, body)) {
                scan.oldHead = 0;
                continue;
            }
        }
        bool changed = !scan.oldHead || !decodeAlike(scan.oldHead, head);
        scan.oldHead = head;
        if (scan.frames < KEPT_HEADS) {
            scan.heads[scan.frames] = head;
            scan.changes[scan.frames] = changed;
        }
        scan.laterChange = scan.laterChange || (scan.frames > 0 && changed);
        ++scan.frames;
        return Read::Frame;
    }
}

// The length libmpg123 takes for the file: without a trailing ID3v1 tag.
long long audioLength(Scan &scan)
{
    Input &in = scan.in;
    long long length = streamLength(in);
    long long tagAt = length - ID3V1_BYTES;
    if (length >= ID3V1_BYTES && tagAt >= in.start &&
        std::memcmp(in.window + (tagAt - in.start), "TAG", 3) == 0)
        length = tagAt;
    if (length < 1 && scan.tagBytes >= 0)
        length = scan.tagBytes + scan.audioStart;
    return length;
}

// libmpg123's gapless window, in untrimmed samples: the audio runs from begin to end, the
// encoder's padding after it to fullEnd.
struct Trim {
    long long begin = 0;
    long long end = 0;
    long long fullEnd = 0;
};

// The LAME tag's window; none when it does not know the frame count.
Trim tagTrim(const Scan &scan, long long firstSamples)
{
    if (scan.gaplessFrames <= 0)
        return {};
    return {scan.gaplessBegin, scan.gaplessEnd, scan.gaplessFrames * firstSamples};
}

// An untrimmed sample position or count, trimmed.
long long trim(const Trim &window, long long samples)
{
    if (samples <= window.end)
        return samples - window.begin;
    if (samples < window.fullEnd)
        return window.end - window.begin;
    return samples - (window.fullEnd - window.end + window.begin);
}

long long untrim(const Trim &window, long long samples)
{
    long long untrimmed = samples + window.begin;
    return untrimmed >= window.end ? untrimmed + window.fullEnd - window.end : untrimmed;
}

// Bytes per frame as libmpg123 averages them for its estimate.
double frameBytes(const FrameHeader &frame)
{
    return frame.bodyBytes > 0 ? static_cast<double>(frame.bodyBytes) + 4.0 : 1.0;
}

long rateOf(unsigned long head)
{
    return SAMPLE_RATES[rateIndexOf(head)];
}

long long keptIndex(long long frame)
{
    return std::min(frame, static_cast<long long>(KEPT_HEADS - 1));
}

// The frame libmpg123 last set its output format up for, reading up to frame `upTo`: the first
// frame, or a later one whose format may differ.
unsigned long setUpHead(const Scan &scan, long long upTo)
{
    for (long long i = keptIndex(std::min(upTo, scan.frames - 1)); i > 0; --i) {
        if (scan.changes[i])
            return scan.heads[i];
    }
    return scan.heads[0];
}

// After its scan libmpg123 seeks back to where it stood before, at the frame of the trimmed
// start. The frame it lands on sets the output up again when any frame read since the last
// set-up may have changed the format.
unsigned long headAfterScan(const Scan &scan, long long firstNeeded, const Trim &before,
                            const Trim &after)
{
    unsigned long setUp = setUpHead(scan, firstNeeded);
    long long firstSamples = samplesOf(scan.heads[0]);
    // It stood at the trimmed start, counted in the samples of the frame it had read last.
    long long startThen = firstNeeded * samplesOf(scan.heads[keptIndex(firstNeeded)]) +
                          before.begin - firstNeeded * firstSamples;
    long long position = std::max(0LL, trim(before, startThen));
    long long firstFrame = untrim(after, position) / scan.frame.samples;
    // Layer III decodes four frames before the one it seeks to, layers I and II two.
    long long target = std::max(0LL, firstFrame - (scan.frame.layer == 3 ? 4 : 2));

    // The scan starts over at the first frame, read after the frame firstNeeded.
    bool changed =
        scan.laterChange ||
        (firstNeeded > 0 && !decodeAlike(scan.heads[keptIndex(firstNeeded)], scan.heads[0]));
    long long last = scan.frames - 1;
    if ((last < firstFrame && last > target) || (last == target && target < firstFrame) ||
        last == target - 1)
        return setUp;
    unsigned long current = scan.heads[keptIndex(last)];
    if (target < last) {
        // It seeks through its frame index, a frame in every `step`, 1000 at most.
        long long step = 1;
        while (scan.frames > 1000 * step)
            step *= 2;
        long long from = keptIndex(target / step * step);
        changed = changed || !scan.oldHead || !decodeAlike(scan.oldHead, scan.heads[from]);
        for (long long i = from + 1; i <= keptIndex(target); ++i)
            changed = changed || scan.changes[i];
        current = scan.heads[keptIndex(target)];
    }
    return changed ? current : setUp;
}

// When the first header found stood alone, libmpg123 skips its full scan and takes the length
// from the first frame found after it: the LAME tag's frame count, else the file's length over
// the mean frame size.
bool estimateSamples(Scan &scan, long long &samples, long &rate)
{
    if (readFrame(scan) != Read::Frame)
        return false;
    long long firstSamples = scan.frame.samples;
    double meanBytes = frameBytes(scan.frame);
    // Frames before the trimmed start are read before the format counts as known.
    long long firstNeeded = scan.gaplessBegin / firstSamples;
    for (long long frames = 1; frames <= firstNeeded; ++frames) {
        if (readFrame(scan) != Read::Frame)
            return false;
        meanBytes = (meanBytes * static_cast<double>(frames) + frameBytes(scan.frame)) /
                    static_cast<double>(frames + 1);
    }
    long long total = 0;
    if (scan.tagFrames > 0) {
        total = scan.tagFrames * scan.frame.samples;
    } else {
        long long length = audioLength(scan);
        if (length <= 0)
            return false;
        total = static_cast<long long>(static_cast<double>(length) / meanBytes *
                                       static_cast<double>(scan.frame.samples));
    }
    rate = rateOf(setUpHead(scan, firstNeeded));
    samples = trim(tagTrim(scan, firstSamples), total);
    return true;
}

// The decoded samples after trimming, and the rate libmpg123 reports; false when it finds no
// audio.
bool scanSamples(std::FILE *file, long long &samples, long &rate)
{
    // About 16 KB: static storage would not be reentrant, the heap is not needed.
    Scan scan;
    scan.in.file = file;
    Read read = readFrame(scan);
    if (read == Read::Lone)
        return estimateSamples(scan, samples, rate);
    if (read != Read::Frame)
        return false;
    long long firstSamples = scan.frame.samples;
    long long total = firstSamples;
    while ((read = readFrame(scan)) == Read::Frame)
        total += scan.frame.samples;

    Trim window = tagTrim(scan, firstSamples);
    // libmpg123 reads up to the frame where the trimmed start lies before it scans. When the
    // audio ends first, it never scans: an error there is the end of it, and the LAME tag's
    // frame count goes unchecked.
    long long firstNeeded = window.begin / firstSamples;
    if (firstNeeded >= scan.frames) {
        if (read == Read::Failed && scan.in.pos != audioLength(scan))
            return false;
        rate = rateOf(setUpHead(scan, firstNeeded));
        samples = trim(window, scan.frames * scan.frame.samples);
        return true;
    }
    // A LAME tag that claims more frames than there are is not trusted at all.
    bool trusted = scan.gaplessFrames * scan.frame.samples <= total;
    Trim after = trusted ? window : Trim{};
    rate = rateOf(headAfterScan(scan, firstNeeded, window, after));
    samples = trim(after, total);
    return true;
}

} // namespace

long long scanMpegFramesMs(std::FILE *file)
{
    long long samples = 0;
    long rate = 0;
    if (!file || !scanSamples(file, samples, rate) || samples < 0)
        return -1;
    return samples * 1000 / rate;
}

bool readMpegFrameHead(const unsigned char *p, MpegFrameHead &head)
{
    unsigned long bits = bigEndian(p);
    bool reservedVersion = ((bits >> 19) & 3) == 1;
    bool freeFormat = ((bits >> 12) & 15) == 0;
    bool reservedEmphasis = (bits & 3) == 2;
    if (!isHeader(bits) || reservedVersion || freeFormat || reservedEmphasis)
        return false;
    int layer = 4 - static_cast<int>((bits >> 17) & 3);
    bool lowRate = isLowRate(bits);
    long rate = rateOf(bits);
    long bitRate = BIT_RATES[lowRate ? 1 : 0][layer - 1][(bits >> 12) & 15];
    long padding = static_cast<long>((bits >> 9) & 1);
    long bytes = layer == 1
                     ? (bitRate * 12000 / rate + padding) * 4
                     : bitRate * 144000 / (rate << (layer == 3 && lowRate ? 1 : 0)) + padding;
    head.kind = bits & KIND_BITS;
    head.bytes = static_cast<std::size_t>(bytes);
    return true;
}
