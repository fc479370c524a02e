// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/seams.h"
#include "state/player_state.h"
#include "tests/support/fake_host.h"
#include "tests/support/user_actions.h"

// The main window, in memory or the real one offscreen, behind the host doubles: a fresh record
// and data folder, the window built and initialised, and the start-up command already cleared
// from the record.
class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetPlayerState();
        fakes.install();
        createMainDialog(mainDialogProc);
        fakes.commands.clear();
    }
    void TearDown() override
    {
        destroyMainDialog();
        fakes.uninstall();
        detachSkin();
    }

    FakeHost fakes;
};
