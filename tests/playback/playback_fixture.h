// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/seams.h"
#include "playback/clock.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/support/fake_host.h"
#include "tests/support/user_actions.h"

// The window, in memory or the real one offscreen, with the host doubles; the list is filled
// with real files (made empty unless a test made them first) so each entry has a short name,
// and lengths are answered from the fake.
class PlaybackTest : public testing::Test {
protected:
    struct Entry {
        const char *name;
        const char *lengthMs;
    };
    // What the window showed while the track-change wait blocked it.
    struct WaitView {
        std::size_t commandsSent;
        std::string title;
        std::string total;
        std::string elapsed;
        int selection;
    };

    void SetUp() override
    {
        resetPlayerState();
        fakes.install();
        setWaitHandler([this](int milliseconds) {
            fakes.waits.push_back(milliseconds);
            waitViews.push_back({fakes.commands.size(), label(IDC_TITLE), label(IDC_TOTALTIME),
                                 label(IDC_ELAPSED), listSelection(IDC_PLAYLIST)});
        });
        createMainDialog(mainDialogProc);
        fakes.commands.clear();
    }
    void TearDown() override
    {
        destroyMainDialog();
        fakes.uninstall();
    }

    void fillList(std::initializer_list<Entry> entries)
    {
        for (const Entry &entry : entries) {
            int row = player.listCount;
            std::filesystem::path file = music.path / entry.name;
            if (!std::filesystem::exists(file))
                writeFile(file, "");
            insertListRow(IDC_PLAYLIST, -1, entry.name);
            copyText(player.dirTable[row], sizeof player.dirTable[row],
                     pathText(music.path).c_str());
            char name[PATH_BYTES] = {};
            shortPathName(pathText(file).c_str(), name, sizeof name);
            ASSERT_NE(name[0], '\0');
            shortNames.push_back(name);
            fakes.lengths[name] = entry.lengthMs;
            ++player.listCount;
            ++player.dirCount;
        }
    }

    // Back to a fresh player and an empty list, for the next row of a table.
    void startOver()
    {
        killTimer(CLOCK_TIMER_ID);
        resetPlayerState();
        while (listCount(IDC_PLAYLIST) > 0)
            deleteListRow(IDC_PLAYLIST, 0);
        shortNames.clear();
        fakes.commands.clear();
        fakes.waits.clear();
        fakes.messages.clear();
        waitViews.clear();
    }

    // A click on a button of the window, through its routing.
    void click(int id) { clickButton(id); }

    // Starts entry row as a double-click would, then forgets the commands it sent.
    void playEntry(int row, int mode)
    {
        selectComboRow(IDC_MODE, mode);
        selectRow(IDC_PLAYLIST, row);
        mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);
        fakes.commands.clear();
    }
    void tick(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            fireClockTick();
    }

    std::string label(int id)
    {
        char text[LABEL_BYTES] = {};
        controlText(id, text, sizeof text);
        return text;
    }
    // Blank title, both time labels "0:00", position slider at 0.
    void expectDisplayReset()
    {
        EXPECT_EQ(label(IDC_TITLE), " ");
        EXPECT_EQ(label(IDC_TOTALTIME), "0:00");
        EXPECT_EQ(label(IDC_ELAPSED), "0:00");
        EXPECT_EQ(sliderValue(IDC_POSITION), 0);
    }
    std::string device(int row) const { return shortNames.at(row); }
    // Appended in order: prepending to a temporary (const char * + string&&) trips GCC 12's
    // -Wrestrict in the inlined insert.
    std::string command(const char *verb, int row) const
    {
        std::string text = verb;
        text += ' ';
        text += device(row);
        return text;
    }
    // The three commands of a track start, in the order of a double-click or Play from rest.
    std::vector<std::string> startCommands(int row, int volume = 1000) const
    {
        return {command("play", row), command("setaudio", row) + volumeTail(volume),
                command("status", row) + " length"};
    }
    static std::string volumeTail(int volume) { return " volume to " + std::to_string(volume); }

    FakeHost fakes;
    TempDir music;
    std::vector<std::string> shortNames;
    std::vector<WaitView> waitViews;
};
