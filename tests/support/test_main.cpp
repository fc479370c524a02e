// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the window tests: the real Qt window offscreen.
#include <cstdlib>

#include <QApplication>

#include <gtest/gtest.h>

#include "tests/support/test_environment.h"

int main(int argc, char **argv)
{
    // Before the application, so Qt finds its folders here, and gone only after it.
    TemporaryHome home;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setTestDefaults();
    testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
