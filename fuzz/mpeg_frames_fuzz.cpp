// SPDX-License-Identifier: GPL-3.0-or-later
// Scans arbitrary bytes as an MPEG audio file: the scan ends without a crash or undefined
// behaviour and gives -1 or a length that bytes of that size can hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "engine/mpeg_frames.h"

namespace {

constexpr std::size_t MAX_INPUT_BYTES = 1 << 20;
// A LAME tag may claim 2^32 frames of 1152 samples, at 8 kHz: about 6.2e11 ms.
constexpr long long MAX_LENGTH_MS = 1'000'000'000'000LL;

struct FileClose {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size)
{
    if (size == 0 || size > MAX_INPUT_BYTES)
        return 0;
    std::unique_ptr<std::FILE, FileClose> file(fmemopen(const_cast<uint8_t *>(data), size, "rb"));
    if (!file)
        std::abort();
    long long ms = scanMpegFramesMs(file.get());
    if (ms < -1 || ms >= MAX_LENGTH_MS) {
        std::fprintf(stderr, "length out of range: %lld ms\n", ms);
        std::abort();
    }
    return 0;
}
