// SPDX-License-Identifier: GPL-3.0-or-later
// The short name of a track: the media device name of its absolute path.
#include <climits>
#include <cstdlib>

#include "engine/device_name.h"
#include "host/files.h"
#include "host/host.h"

bool shortPathName(const char *longPath, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    char absolute[PATH_MAX];
    if (!realpath(longPath, absolute) || !isRegularFile(absolute))
        return false;
    return encodeDeviceName(absolute, dst, size);
}
