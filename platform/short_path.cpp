// SPDX-License-Identifier: GPL-3.0-or-later
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

#include "platform/host.h"
#include "state/text.h"

namespace {

bool isUnreserved(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

} // namespace

bool shortPathName(const char *longPath, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    char absolute[PATH_MAX];
    struct stat info;
    if (!realpath(longPath, absolute) || stat(absolute, &info) != 0 || !S_ISREG(info.st_mode))
        return false;

    static constexpr char HEX[] = "0123456789ABCDEF";
    static constexpr char SCHEME[] = "file://";
    std::size_t used = sizeof SCHEME - 1;
    if (used >= size)
        return false;
    copyText(dst, size, SCHEME);
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(absolute); *p; ++p) {
        bool plain = isUnreserved(*p) || *p == '/';
        std::size_t need = plain ? 1 : 3;
        if (used + need >= size) {
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
