// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/sequences.h"

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/seams.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/support/fake_host.h"
#include "tests/support/user_actions.h"
#include "tests/support/window_test.h"
#ifdef _WIN32
#include "host/win32/short_name.h"
#endif

namespace fs = std::filesystem;

namespace {

class Sequences : public WindowTest {
protected:
    std::string label(int id)
    {
        char text[LABEL_BYTES];
        controlText(id, text, sizeof text);
        return text;
    }
};

} // namespace

TEST(FormatClock, PadsSecondsBelowTenOnly)
{
    struct Case {
        int minutes, seconds;
        const char *text;
    };
    const Case cases[] = {{0, 0, "0:00"},    {0, 9, "0:09"},   {0, 10, "0:10"},    {3, 5, "3:05"},
                          {12, 30, "12:30"}, {61, 0, "61:00"}, {999, 59, "999:59"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        char text[LABEL_BYTES];
        formatClock(c.minutes, c.seconds, text, sizeof text);
        EXPECT_STREQ(text, c.text);
    }
}

TEST(BoundedText, RefusesWhatDoesNotFitInsteadOfCutting)
{
    char small[8] = "old";
    EXPECT_FALSE(copyText(small, sizeof small, "12345678"));
    EXPECT_STREQ(small, "");
    EXPECT_TRUE(copyText(small, sizeof small, "1234567"));
    EXPECT_STREQ(small, "1234567");

    EXPECT_FALSE(formatText(small, sizeof small, "play %s", "/a.mp3"));
    EXPECT_STREQ(small, "");

    char joined[8] = "abc";
    EXPECT_TRUE(appendText(joined, sizeof joined, "defg"));
    EXPECT_FALSE(appendText(joined, sizeof joined, "h"));
    EXPECT_STREQ(joined, "abcdefg");
}

TEST(BoundedText, ReadsDecimalAsAtoiDoes)
{
    struct Case {
        const char *text;
        long long value;
    };
    const Case cases[] = {
        {"", 0},      {"abc", 0},           {"  42", 42}, {"+7", 7},
        {"-12", -12}, {"215000ms", 215000}, {"\t\n9", 9}, {"99999999999999999999999", LLONG_MAX}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(readDecimal(c.text), c.value);
    }
}

TEST_F(Sequences, LoadTrackLengthReadsMillisecondsIntoRangeAndLabel)
{
    struct Case {
        const char *reply;
        int seconds;
        const char *label;
    };
    const Case cases[] =
        {
            {"1000", 1, "0:01"},
            {"999", 0, "0:00"},
            {"215000", 215, "3:35"},
            {"", 0, "0:00"},
            {"abc", 0, "0:00"},
            {"61000", 61, "1:01"},
            {"70000000", 70000, "1166:40"}, // over 65535 s: the range is not wrapped to 16 bits
        };
    copyText(player.shortPath, sizeof player.shortPath, "file:///music/a.mp3");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reply);
        fakes.lengths["file:///music/a.mp3"] = c.reply;
        fakes.commands.clear();

        loadTrackLength();

        ASSERT_EQ(fakes.commands.size(), 1u);
        EXPECT_EQ(fakes.commands[0], "status file:///music/a.mp3 length");
        EXPECT_EQ(sliderMinimum(IDC_POSITION), 0);
        EXPECT_EQ(sliderMaximum(IDC_POSITION), c.seconds);
        EXPECT_EQ(player.totalMin, c.seconds / 60);
        EXPECT_EQ(player.totalSec, c.seconds % 60);
        EXPECT_EQ(label(IDC_TOTALTIME), c.label);
    }
}

TEST_F(Sequences, TrackPathBuildsTheShortNameOfAnExistingFile)
{
    TempDir folder;
    writeFile(folder.path / pathOf("b c 歌.mp3"), "x");
    insertListRow(IDC_PLAYLIST, -1, "b c 歌.mp3");
    copyText(player.dirTable[0], PATH_BYTES, pathText(folder.path).c_str());

    trackPath(0);

    EXPECT_STREQ(player.trackName, "b c 歌.mp3");
    EXPECT_EQ(std::string(player.longPath), pathText(folder.path / pathOf("b c 歌.mp3")));
#ifdef _WIN32
    // The system's short name of the file, or its long path where the volume keeps none, with
    // no blank left to split the command it goes into.
    std::string shortPath;
    ASSERT_TRUE(decodeShortName(player.shortPath, shortPath));
    EXPECT_EQ(std::string(player.shortPath).find_first_of(" \t"), std::string::npos);
    EXPECT_TRUE(fs::equivalent(pathOf(shortPath), folder.path / pathOf("b c 歌.mp3")));
#else
    EXPECT_EQ(std::string(player.shortPath),
              "file://" + folder.path.string() + "/b%20c%20%E6%AD%8C.mp3");
#endif
}

TEST_F(Sequences, TrackPathOfAFileInTheRootFolderRebuildsSlashName)
{
    insertListRow(IDC_PLAYLIST, -1, "vorla-no-such-file.mp3");
    copyText(player.dirTable[0], PATH_BYTES, ROOT_FOLDER);

    trackPath(0);

    EXPECT_EQ(player.longPath, nativePath("/vorla-no-such-file.mp3"));
    EXPECT_STREQ(player.shortPath, "") << "a missing file has no short name";
}

TEST_F(Sequences, TrackPathRefusesRowsOutsideTheTableAndPathsThatDoNotFit)
{
    copyText(player.shortPath, sizeof player.shortPath, "file:///stale.mp3");
    trackPath(-1);
    EXPECT_STREQ(player.shortPath, "");
    trackPath(MAX_ENTRIES);
    EXPECT_STREQ(player.trackName, "");

    insertListRow(IDC_PLAYLIST, -1, "a.mp3");
    std::memset(player.dirTable[0], 'd', PATH_BYTES - 3);
    player.dirTable[0][0] = '/';
    player.dirTable[0][PATH_BYTES - 3] = '\0';
    trackPath(0);
    EXPECT_STREQ(player.longPath, "") << "a path too long is refused, not cut";
    EXPECT_STREQ(player.shortPath, "");
}

TEST_F(Sequences, ResetDisplayAndApplyVolume)
{
    setControlText(IDC_TITLE, "a.mp3");
    setControlText(IDC_ELAPSED, "1:15");
    setControlText(IDC_TOTALTIME, "3:35");
    setSliderRange(IDC_POSITION, 0, 215);
    setSliderValue(IDC_POSITION, 75);

    resetDisplay();

    EXPECT_EQ(label(IDC_TITLE), " ");
    EXPECT_EQ(label(IDC_ELAPSED), "0:00");
    EXPECT_EQ(label(IDC_TOTALTIME), "0:00");
    EXPECT_EQ(sliderValue(IDC_POSITION), 0);

    setSliderValue(IDC_VOLUME, 0);
    applyVolume();
    EXPECT_EQ(player.volume, 0);
    ASSERT_EQ(fakes.commands.size(), 1u);
    EXPECT_EQ(fakes.commands[0], "setaudio  volume to 0") << "sent even with no track";
}
