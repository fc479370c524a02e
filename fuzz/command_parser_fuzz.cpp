// SPDX-License-Identifier: GPL-3.0-or-later
// Parses arbitrary bytes as a media command: never crashes, and whatever it accepts is a whole,
// well-formed request whose device name decodes to an absolute path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/command_parser.h"
#include "engine/device_name.h"

namespace {

constexpr std::size_t MAX_INPUT_BYTES = 64 * 1024;

bool isErrorNumber(int result)
{
    switch (result) {
    case ERR_UNKNOWN_KEYWORD:
    case ERR_UNKNOWN_COMMAND:
    case ERR_BAD_DEVICE_NAME:
    case ERR_NO_COMMAND:
    case ERR_BAD_NUMBER:
    case ERR_MISSING_PARAMETER:
    case ERR_NO_DEVICE:
    case ERR_DUPLICATE_KEYWORD: return true;
    default: return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > MAX_INPUT_BYTES)
        return 0;
    std::string_view text(reinterpret_cast<const char *>(data), size);
    MediaRequest req;
    int result = parseRequest(text, req);
    if (result != 0) {
        if (!isErrorNumber(result) || !req.device.empty())
            std::abort();
        return 0;
    }
    // The name is a view into the input, and it decodes to an absolute path without a NUL.
    if (req.device.data() < text.data() ||
        req.device.data() + req.device.size() > text.data() + text.size())
        std::abort();
    std::string path;
    if (!decodeDeviceName(req.device, path) || path.empty() || path[0] != '/' ||
        path.find('\0') != std::string::npos)
        std::abort();
    // Parsing is a pure function of the text.
    MediaRequest again;
    if (parseRequest(std::string(text), again) != 0 || again.verb != req.verb ||
        again.number != req.number || again.device != req.device)
        std::abort();
    return 0;
}
