// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/short_name.h"

namespace {

struct Escape {
    char byte;
    const char *text;
};
constexpr Escape ESCAPES[] = {{' ', "%20"}, {'\t', "%09"}, {'%', "%25"}};

} // namespace

bool encodeShortName(std::string_view path, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    std::size_t used = 0;
    for (char c : path) {
        const char *text = nullptr;
        for (const Escape &escape : ESCAPES) {
            if (c == escape.byte)
                text = escape.text;
        }
        std::size_t length = text ? 3 : 1;
        if (c == '\0' || used + length >= size) {
            dst[0] = '\0';
            return false;
        }
        for (std::size_t i = 0; i < length; ++i)
            dst[used++] = text ? text[i] : c;
    }
    dst[used] = '\0';
    return true;
}

bool decodeShortName(std::string_view name, std::string &path)
{
    path.clear();
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (name[at] != '%') {
            path += name[at];
            continue;
        }
        const Escape *match = nullptr;
        for (const Escape &escape : ESCAPES) {
            if (name.substr(at, 3) == escape.text)
                match = &escape;
        }
        if (!match) {
            path.clear();
            return false;
        }
        path += match->byte;
        at += 2;
    }
    return true;
}
