// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/device_name.h"

namespace {

constexpr std::string_view SCHEME = "file://";
constexpr char HEX[] = "0123456789ABCDEF";

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

// The value of the escape at text[at] ("%XX"), or -1 when there is none or it stands for NUL.
int escapeAt(std::string_view text, std::size_t at)
{
    if (text[at] != '%' || at + 2 >= text.size())
        return -1;
    int high = hexValue(text[at + 1]);
    int low = hexValue(text[at + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0))
        return -1;
    return high * 16 + low;
}

} // namespace

bool encodeDeviceName(const char *absolutePath, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    if (SCHEME.size() >= size)
        return false;
    SCHEME.copy(dst, SCHEME.size());
    std::size_t used = SCHEME.size();
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(absolutePath); *p; ++p) {
        bool plain = isUnreserved(*p) || *p == '/';
        if (used + (plain ? 1 : 3) >= size) {
            dst[0] = '\0';
            return false;
        }
        if (plain) {
            dst[used++] = static_cast<char>(*p);
        } else {
            dst[used++] = '%';
            dst[used++] = HEX[*p >> 4];
            dst[used++] = HEX[*p & 0xF];
        }
    }
    dst[used] = '\0';
    return true;
}

bool isDeviceName(std::string_view name)
{
    if (name.substr(0, SCHEME.size()) != SCHEME || name.size() == SCHEME.size() ||
        name[SCHEME.size()] != '/')
        return false;
    for (std::size_t i = SCHEME.size(); i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (isUnreserved(c) || c == '/')
            continue;
        if (escapeAt(name, i) < 0)
            return false;
        i += 2;
    }
    return true;
}

bool decodeDeviceName(std::string_view name, std::string &path)
{
    path.clear();
    return isDeviceName(name) && percentDecode(name.substr(SCHEME.size()), path);
}

bool percentDecode(std::string_view text, std::string &out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        int value = escapeAt(text, i);
        if (value < 0)
            return false;
        out.push_back(static_cast<char>(value));
        i += 2;
    }
    return true;
}
