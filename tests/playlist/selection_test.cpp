// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/selection.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/host.h"
#include "host/seams.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "tests/support/fake_host.h"
#include "tests/support/window_test.h"

namespace {

// A buffer of exactly the given bytes, so a read past them shows under the sanitizer.
std::vector<char> bufferOf(const std::string &bytes)
{
    return std::vector<char>(bytes.begin(), bytes.end());
}

class SelectionBuffer : public WindowTest {
protected:
    std::vector<std::string> rows() const
    {
        std::vector<std::string> result;
        for (int row = 0; row < listCount(IDC_PLAYLIST); ++row) {
            char name[NAME_BYTES] = {};
            listText(IDC_PLAYLIST, row, name, sizeof name);
            result.push_back(name);
        }
        return result;
    }
};

} // namespace

TEST(SplitSingleSelection, CutsOneFileAtItsLastSlashOnly)
{
    struct Case {
        const char *what;
        std::string before;
        std::string after;
    };
    using namespace std::string_literals;
    // Paths are written the POSIX way and tried in this platform's form.
    const Case cases[] = {
        {"one file", "/music/old/a.mp3\0\0"s, "/music/old\0a.mp3\0\0"s},
        {"one file in the root folder", "/a.mp3\0\0"s, ROOT_FOLDER + "\0a.mp3\0\0"s},
        {"name with spaces", "/m/b c.mp3\0\0"s, "/m\0b c.mp3\0\0"s},
        {"several files", "/m\0a.mp3\0b.mp3\0\0"s, "/m\0a.mp3\0b.mp3\0\0"s},
        {"several files in the root folder", "\0a.mp3\0b.mp3\0\0"s, "\0a.mp3\0b.mp3\0\0"s},
        {"no slash", "a.mp3\0\0"s, "a.mp3\0\0"s},
        {"empty", "\0\0"s, "\0\0"s},
        {"one terminator only", "/m/a.mp3\0"s, "/m/a.mp3\0"s},
        {"no terminator", "/m/a.mp3"s, "/m/a.mp3"s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> buffer = bufferOf(nativePath(c.before));

        splitSingleSelection(buffer.data(), buffer.size());

        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), nativePath(c.after));
    }
}

TEST_F(SelectionBuffer, AppendsTheNamesAfterTheDirectoryUpToTheEmptyString)
{
    struct Case {
        const char *what;
        std::string buffer;
        std::vector<std::string> added;
        int leftOut;
    };
    using namespace std::string_literals;
    const std::string longName(NAME_BYTES, 'n');
    // With this directory a name of 7 bytes rebuilds to the longest path a buffer holds.
    const std::string longDir = "/" + std::string(PATH_BYTES - 10, 'd');
    const std::vector<Case> cases = {
        {"three names", "/m\0c.mp3\0a.mp3\0b.mp3\0\0"s, {"c.mp3", "a.mp3", "b.mp3"}, 0},
        {"stops at the empty string", "/m\0a.mp3\0\0b.mp3\0\0"s, {"a.mp3"}, 0},
        {"root folder", "\0a.mp3\0\0"s, {"a.mp3"}, 0},
        {"directory only", "/m\0\0"s, {}, 0},
        {"unterminated last name", "/m\0a.mp3\0b.mp3"s, {"a.mp3"}, 0},
        {"unterminated directory", "/music"s, {}, 0},
        {"name too long for a list text", "/m\0"s + longName + "\0a.mp3\0\0"s, {"a.mp3"}, 1},
        {"path too long to play", longDir + "\0"s + "abcd.mp3\0abc.mp3\0\0"s, {"abc.mp3"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        while (listCount(IDC_PLAYLIST) > 0)
            deleteListRow(IDC_PLAYLIST, 0);
        std::vector<char> buffer = bufferOf(c.buffer);

        int leftOut = appendSelectedNames(buffer.data(), buffer.size());

        EXPECT_EQ(rows(), c.added);
        EXPECT_EQ(leftOut, c.leftOut);
    }
}

TEST_F(SelectionBuffer, StopsAddingAtCapacityAndCountsTheRest)
{
    for (int row = 0; row < MAX_ENTRIES - 2; ++row)
        insertListRow(IDC_PLAYLIST, -1, "old.mp3");
    std::string selection("/m\0a.mp3\0b.mp3\0c.mp3\0d.mp3\0\0", 28);
    std::vector<char> buffer = bufferOf(selection);

    int leftOut = appendSelectedNames(buffer.data(), buffer.size());

    std::vector<std::string> now = rows();
    ASSERT_EQ(now.size(), static_cast<std::size_t>(MAX_ENTRIES));
    EXPECT_EQ(now[MAX_ENTRIES - 2], "a.mp3");
    EXPECT_EQ(now[MAX_ENTRIES - 1], "b.mp3");
    EXPECT_EQ(leftOut, 2);
}
