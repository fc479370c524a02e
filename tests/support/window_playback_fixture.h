// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSlider>

#include "host/qt/main_window.h"
#include "tests/playback/playback_fixture.h"

// The playback fixture over the real Qt window, with its sliders at hand for input of their own.
class WindowPlaybackTest : public PlaybackTest {
protected:
    QSlider *slider(int id) { return qobject_cast<QSlider *>(mainDialog()->control(id)); }
};
