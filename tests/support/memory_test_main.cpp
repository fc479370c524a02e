// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the tests over the memory host: no toolkit, no application object.
#include <gtest/gtest.h>

#include "tests/support/test_environment.h"

int main(int argc, char **argv)
{
    TemporaryHome home;
    setTestDefaults();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
