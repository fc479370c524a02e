// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/window_events.h"

namespace {

WindowListener &listener()
{
    static WindowListener instance;
    return instance;
}

} // namespace

void setWindowListener(WindowListener newListener)
{
    listener() = std::move(newListener);
}

void announceWindowChange(WindowChange change, int id)
{
    if (listener())
        listener()(change, id);
}
