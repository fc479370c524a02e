// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/host.h"
#include "platform/seams.h"

namespace {

FileDialogHandler fileDialogHandler;

} // namespace

void setFileDialogHandler(FileDialogHandler handler)
{
    fileDialogHandler = std::move(handler);
}

bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    if (leftOut)
        *leftOut = 0;
    if (size > 0)
        buffer[0] = '\0';
    return false;
}
