// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/editing.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/host.h"
#include "host/seams.h"
#include "playback/transport.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/sequences.h"
#include "tests/support/fake_host.h"
#include "tests/support/window_test.h"

namespace fs = std::filesystem;

namespace {

struct Entry {
    std::string dir;
    std::string name;
    bool operator==(const Entry &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Entry &entry)
{
    return out << entry.dir << " | " << entry.name;
}

class Editing : public WindowTest {
protected:
    // Creates an empty file under the temporary folder and returns its absolute path.
    std::string makeFile(const std::string &relative)
    {
        fs::path path = music.path / pathOf(relative);
        writeFile(path, "");
        return pathText(path);
    }

    void add(const std::vector<std::string> &paths)
    {
        fakes.chosenFiles = paths;
        onAdd();
    }

    // Four entries from two folders: a1, a2 from "a", b1, b2 from "b".
    void addFour()
    {
        add({makeFile("a/a1.mp3"), makeFile("a/a2.mp3")});
        add({makeFile("b/b1.mp3"), makeFile("b/b2.mp3")});
    }

    std::string dir(const char *folder) const { return pathText(music.path / pathOf(folder)); }

    // The playlist as the list control and dirTable hold it.
    std::vector<Entry> entries() const
    {
        std::vector<Entry> result;
        for (int row = 0; row < listCount(IDC_PLAYLIST); ++row) {
            char name[NAME_BYTES] = {};
            listText(IDC_PLAYLIST, row, name, sizeof name);
            result.push_back({player.dirTable[row], name});
        }
        return result;
    }

    // Starts entry index as a double-click would and forgets the commands it sent.
    std::string play(int index)
    {
        startTrack(index);
        fakes.commands.clear();
        return player.shortPath;
    }

    void expectInStep() const
    {
        EXPECT_EQ(player.listCount, listCount(IDC_PLAYLIST));
        EXPECT_EQ(player.dirCount, player.listCount);
    }

    TempDir music;
};

} // namespace

TEST_F(Editing, AddOneFileGivesItsNameAndFolder)
{
    struct Case {
        const char *relative;
        const char *name;
    };
    const Case cases[] = {
        {"Music/a.mp3", "a.mp3"},
        {"Music/b c.mp3", "b c.mp3"},
        {"音乐 收藏/周 杰伦 - 晴天.MP3", "周 杰伦 - 晴天.MP3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.relative);
        std::string path = makeFile(c.relative);
        onClear();

        add({path});

        ASSERT_EQ(entries(), (std::vector<Entry>{{pathText(pathOf(path).parent_path()), c.name}}));
        expectInStep();
        trackPath(0);
        EXPECT_EQ(player.longPath, path);
        EXPECT_NE(player.shortPath[0], '\0');
    }
}

TEST_F(Editing, AddFileInTheRootFolderRebuildsItsPath)
{
    add({nativePath("/vorla-root.mp3")});

    ASSERT_EQ(entries(), (std::vector<Entry>{{ROOT_FOLDER, "vorla-root.mp3"}}));
    trackPath(0);
    EXPECT_EQ(player.longPath, nativePath("/vorla-root.mp3"));

    add({nativePath("/x.mp3"), nativePath("/y z.mp3")});
    EXPECT_EQ(entries(), (std::vector<Entry>{{ROOT_FOLDER, "vorla-root.mp3"},
                                             {ROOT_FOLDER, "x.mp3"},
                                             {ROOT_FOLDER, "y z.mp3"}}));
}

TEST_F(Editing, AddSeveralFilesAppendsInTheDialogOrder)
{
    add({makeFile("old/first.mp3")});
    std::string c = makeFile("new/c.mp3"), a = makeFile("new/a a.mp3"), b = makeFile("new/b.mp3");

    add({c, a, b});
    add({a});

    const std::vector<Entry> expected = {{dir("old"), "first.mp3"},
                                         {dir("new"), "c.mp3"},
                                         {dir("new"), "a a.mp3"},
                                         {dir("new"), "b.mp3"},
                                         {dir("new"), "a a.mp3"}};
    EXPECT_EQ(entries(), expected);
    expectInStep();
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(Editing, AddLeavesThePlayingTrackAlone)
{
    addFour();
    std::string playing = play(1);

    add({makeFile("c/c1.mp3")});

    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(player.shortPath, playing);
    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(isClockRunning());
}

TEST_F(Editing, CancelledDialogChangesNothing)
{
    addFour();
    fs::remove(fakes.playlistFile());

    add({});

    EXPECT_EQ(entries().size(), 4u);
    expectInStep();
    EXPECT_TRUE(fakes.messages.empty());
    EXPECT_FALSE(fs::exists(fakes.playlistFile()));
}

TEST_F(Editing, DeleteKeepsTheCurrentTrackNamingTheSameFile)
{
    struct Case {
        const char *what;
        int selected;
        int currentAfter;
        std::vector<Entry> left;
    };
    const std::vector<Case> cases = {
        {"above", 0, 0, {{dir("a"), "a2.mp3"}, {dir("b"), "b1.mp3"}, {dir("b"), "b2.mp3"}}},
        {"at", 1, -1, {{dir("a"), "a1.mp3"}, {dir("b"), "b1.mp3"}, {dir("b"), "b2.mp3"}}},
        {"below", 2, 1, {{dir("a"), "a1.mp3"}, {dir("a"), "a2.mp3"}, {dir("b"), "b2.mp3"}}},
        {"last", 3, 1, {{dir("a"), "a1.mp3"}, {dir("a"), "a2.mp3"}, {dir("b"), "b1.mp3"}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        onClear();
        addFour();
        std::string playing = play(1);
        selectRow(IDC_PLAYLIST, c.selected);

        onDelete();

        EXPECT_EQ(entries(), c.left);
        expectInStep();
        EXPECT_EQ(player.currentIndex, c.currentAfter);
        EXPECT_EQ(listSelection(IDC_PLAYLIST), -1);
        EXPECT_TRUE(fakes.messages.empty());
        char title[LABEL_BYTES] = {};
        controlText(IDC_TITLE, title, sizeof title);
        if (c.currentAfter == -1) {
            EXPECT_EQ(fakes.commands, std::vector<std::string>{"close " + playing});
            EXPECT_FALSE(isClockRunning());
            EXPECT_STREQ(title, " ");
        } else {
            EXPECT_TRUE(fakes.commands.empty());
            EXPECT_TRUE(isClockRunning());
            EXPECT_STREQ(title, "a2.mp3");
        }
    }
}

TEST_F(Editing, DeleteWithNothingSelectedWarnsAndKeepsTheList)
{
    addFour();
    selectRow(IDC_PLAYLIST, -1);
    fs::remove(fakes.playlistFile());

    onDelete();

    EXPECT_EQ(fakes.lastError(), "您没有选中任何项目!");
    EXPECT_EQ(entries().size(), 4u);
    expectInStep();
    EXPECT_FALSE(fs::exists(fakes.playlistFile()));
}

TEST_F(Editing, MoveSwapsNeighboursAndTheCurrentIndexFollowsItsFile)
{
    struct Case {
        const char *what;
        void (*action)();
        int selected;
        int selectedAfter;
        int currentAfter;
        std::vector<const char *> order;
    };
    // Entry 2 (b1) plays in every case.
    const Case cases[] = {
        {"up from below the current", onMoveUp, 3, 2, 3, {"a1", "a2", "b2", "b1"}},
        {"up onto the current", onMoveUp, 2, 1, 1, {"a1", "b1", "a2", "b2"}},
        {"up away from the current", onMoveUp, 1, 0, 2, {"a2", "a1", "b1", "b2"}},
        {"down from above the current", onMoveDown, 1, 2, 1, {"a1", "b1", "a2", "b2"}},
        {"down onto the current", onMoveDown, 2, 3, 3, {"a1", "a2", "b2", "b1"}},
        {"down away from the current", onMoveDown, 0, 1, 2, {"a2", "a1", "b1", "b2"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        onClear();
        addFour();
        play(2);
        selectRow(IDC_PLAYLIST, c.selected);

        c.action();

        std::vector<Entry> expected;
        for (const char *name : c.order)
            expected.push_back({dir(name[0] == 'a' ? "a" : "b"), std::string(name) + ".mp3"});
        EXPECT_EQ(entries(), expected);
        expectInStep();
        EXPECT_EQ(listSelection(IDC_PLAYLIST), c.selectedAfter);
        EXPECT_EQ(player.currentIndex, c.currentAfter);
        EXPECT_STREQ(player.trackName, "b1.mp3");
        EXPECT_TRUE(fakes.commands.empty());
        EXPECT_TRUE(fakes.messages.empty());
        EXPECT_TRUE(isClockRunning());
    }
}

TEST_F(Editing, MovePastEitherEndWarns)
{
    struct Case {
        const char *what;
        void (*action)();
        int selected;
        const char *message;
    };
    const Case cases[] = {
        {"up on the first entry", onMoveUp, 0, "苏米马sen~已经不能再上移了= =!"},
        {"up with nothing selected", onMoveUp, -1, "苏米马sen~已经不能再上移了= =!"},
        {"down on the last entry", onMoveDown, 3, "苏米马sen~已经不能再下移了= =!"},
        {"down with nothing selected", onMoveDown, -1, "苏米马sen~已经不能再下移了= =!"},
    };
    addFour();
    const std::vector<Entry> before = entries();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fakes.messages.clear();
        selectRow(IDC_PLAYLIST, c.selected);

        c.action();

        ASSERT_EQ(fakes.messages.size(), 1u);
        EXPECT_EQ(fakes.messages[0].caption, "错误!");
        EXPECT_EQ(fakes.messages[0].text, c.message);
        EXPECT_EQ(entries(), before);
        EXPECT_EQ(listSelection(IDC_PLAYLIST), c.selected);
    }
}

TEST_F(Editing, ClearDuringPlaybackStopsTheTrackAndEmptiesTheList)
{
    addFour();
    std::string playing = play(3);
    setControlText(IDC_ELAPSED, "0:07");

    onClear();

    EXPECT_EQ(fakes.commands, std::vector<std::string>{"close " + playing});
    EXPECT_EQ(listCount(IDC_PLAYLIST), 0);
    EXPECT_EQ(player.listCount, 0);
    EXPECT_EQ(player.dirCount, 0);
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_FALSE(isClockRunning());
    char elapsed[LABEL_BYTES] = {};
    controlText(IDC_ELAPSED, elapsed, sizeof elapsed);
    EXPECT_STREQ(elapsed, "0:00");

    // The next Add starts again at row 0.
    add({makeFile("c/c1.mp3")});
    EXPECT_EQ(entries(), (std::vector<Entry>{{dir("c"), "c1.mp3"}}));
}

TEST_F(Editing, EveryCompletedEditSavesTheList)
{
    struct Step {
        const char *what;
        void (*action)();
        int selected;
        const char *saved;
    };
    const Step steps[] = {
        {"add", onAdd, -1, "3\nD\n*\nx.mp3\n*\nD\n*\ny.mp3\n*\nD\n*\nz.mp3\n*\n"},
        {"move down", onMoveDown, 0, "3\nD\n*\ny.mp3\n*\nD\n*\nx.mp3\n*\nD\n*\nz.mp3\n*\n"},
        {"move up", onMoveUp, 2, "3\nD\n*\ny.mp3\n*\nD\n*\nz.mp3\n*\nD\n*\nx.mp3\n*\n"},
        {"delete", onDelete, 0, "2\nD\n*\nz.mp3\n*\nD\n*\nx.mp3\n*\n"},
        {"clear", onClear, -1, "0\n"},
    };
    fakes.chosenFiles = {makeFile("d/x.mp3"), makeFile("d/y.mp3"), makeFile("d/z.mp3")};
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        selectRow(IDC_PLAYLIST, step.selected);

        step.action();

        std::string expected;
        for (const char *at = step.saved; *at; ++at)
            expected += *at == 'D' ? dir("d") : std::string(1, *at);
        EXPECT_EQ(readFile(fakes.playlistFile()), textOnDisk(expected));
    }
}

TEST_F(Editing, AddPastCapacityKeepsWhatFitsAndSaysHowManyWereLeftOut)
{
    std::vector<std::string> first;
    for (int i = 0; i < 250; ++i)
        first.push_back(makeFile("full/" + std::to_string(i) + ".mp3"));
    add(first);
    ASSERT_TRUE(fakes.messages.empty());
    std::vector<std::string> more;
    for (int i = 0; i < 10; ++i)
        more.push_back(makeFile("more/m" + std::to_string(i) + ".mp3"));

    add(more);

    std::vector<Entry> now = entries();
    ASSERT_EQ(now.size(), 256u);
    expectInStep();
    EXPECT_EQ(now[249], (Entry{dir("full"), "249.mp3"}));
    EXPECT_EQ(now[250], (Entry{dir("more"), "m0.mp3"}));
    EXPECT_EQ(now[255], (Entry{dir("more"), "m5.mp3"}));
    EXPECT_EQ(fakes.lastError(), "有4个文件未添加!播放列表最多256首，文件路径不能超过4095字节。");

    fakes.messages.clear();
    add({makeFile("more/late.mp3")});

    EXPECT_EQ(entries(), now);
    EXPECT_EQ(fakes.lastError(), "有1个文件未添加!播放列表最多256首，文件路径不能超过4095字节。");
}

TEST_F(Editing, LongSelectionIsCountedNotDropped)
{
    // 300 names of 250 bytes overflow the selection buffer as well as the playlist.
    std::vector<std::string> chosen;
    for (int i = 0; i < 300; ++i) {
        std::string number = std::to_string(1000 + i);
        chosen.push_back(makeFile("long/" + number + std::string(242, 'x') + ".mp3"));
    }

    add(chosen);

    std::vector<Entry> now = entries();
    ASSERT_EQ(now.size(), 256u);
    EXPECT_EQ(now[255].name, fs::path(chosen[255]).filename().string());
    EXPECT_EQ(fakes.lastError(), "有44个文件未添加!播放列表最多256首，文件路径不能超过4095字节。");
}

TEST_F(Editing, UnusableChoicesAreCountedAndTheRestIsAdded)
{
    struct Case {
        const char *what;
        std::vector<std::string> chosen;
        std::vector<Entry> added;
        const char *message;
    };
    const std::string tooLong = nativePath("/" + std::string(4200, 'd') + "/a.mp3");
    const std::string p = nativePath("/p");
    const std::vector<Case> cases = {
        {"a path too long", {tooLong}, {}, "有1个文件未添加!"},
        {"a second folder",
         {nativePath("/p/a.mp3"), nativePath("/q/b.mp3"), nativePath("/p/c.mp3")},
         {{p, "a.mp3"}, {p, "c.mp3"}},
         "有1个文件未添加!"},
        {"a relative path", {"a.mp3", nativePath("/p/b.mp3")}, {{p, "b.mp3"}}, "有1个文件未添加!"},
        {"a name over 255 bytes",
         {nativePath("/p/" + std::string(256, 'n'))},
         {},
         "有1个文件未添加!"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        onClear();
        fakes.messages.clear();

        add(c.chosen);

        EXPECT_EQ(entries(), c.added);
        expectInStep();
        EXPECT_EQ(fakes.lastError().rfind(c.message, 0), 0u) << fakes.lastError();
    }
}

namespace {

// A playlist data folder on tmpfs when there is one: every edit saves, and the saves sync.
struct FastDataHome {
    FastDataHome()
    {
#ifndef _WIN32
        std::string pattern = "/dev/shm/vorla-model-XXXXXX";
        if (fs::is_directory("/dev/shm") && mkdtemp(pattern.data())) {
            path = pattern;
            setenv("XDG_DATA_HOME", path.c_str(), 1);
        }
#endif
    }
    ~FastDataHome()
    {
        std::error_code ignored;
        if (!path.empty())
            fs::remove_all(path, ignored);
    }
    fs::path path;
};

// The playlist as a plain vector of entries, each with an identity, so the current track is
// followed by what it is rather than by index arithmetic.
struct Model {
    struct Item {
        Entry entry;
        int id;
    };
    std::vector<Item> items;
    int currentId = -1;
    int nextId = 0;

    int currentIndex() const
    {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].id == currentId)
                return static_cast<int>(i);
        }
        return -1;
    }
    std::vector<Entry> entries() const
    {
        std::vector<Entry> result;
        for (const Item &item : items)
            result.push_back(item.entry);
        return result;
    }
};

} // namespace

TEST_F(Editing, RandomEditsKeepListTableAndFileInStep)
{
    FastDataHome dataHome;
    const std::vector<std::string> folders = {"p", "q 音乐"};
    const std::vector<std::string> names = {"1.mp3", "two words.mp3", "三.mp3", "4.MP3", "5.mp3"};
    for (const std::string &folder : folders) {
        for (const std::string &name : names)
            makeFile(folder + "/" + name);
    }
    std::mt19937 random(20240611);
    auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    enum class Op { Add, Delete, MoveUp, MoveDown, Play, Clear };
    const Op ops[] = {Op::Add,    Op::Add,      Op::Add,      Op::Delete, Op::Delete, Op::MoveUp,
                      Op::MoveUp, Op::MoveDown, Op::MoveDown, Op::Play,   Op::Play,   Op::Clear};

    // Without tmpfs each save waits for the disk: fewer sequences keep the test quick.
    const int sequences = dataHome.path.empty() ? 50 : 2000;
    int roundTrips = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        onClear();
        Model model;
        int steps = 1 + below(12);
        for (int step = 0; step < steps; ++step) {
            SCOPED_TRACE("sequence " + std::to_string(sequence) + " step " + std::to_string(step));
            Op op = ops[below(std::size(ops))];
            int count = static_cast<int>(model.items.size());
            int selected = count > 0 ? below(count + 1) - 1 : -1;
            selectRow(IDC_PLAYLIST, selected);
            fakes.commands.clear();
            fakes.messages.clear();
            std::string expectedError;
            std::vector<std::string> expectedCommands;
            switch (op) {
            case Op::Add: {
                std::string folder = folders[below(2)];
                std::vector<std::string> chosen;
                for (int n = 1 + below(4); n > 0; --n) {
                    std::string name = names[below(names.size())];
                    chosen.push_back(dir(folder.c_str()) + PATH_SEPARATOR + name);
                    model.items.push_back({{dir(folder.c_str()), name}, model.nextId++});
                }
                add(chosen);
                break;
            }
            case Op::Delete:
                if (selected == -1) {
                    expectedError = MSG_DELETE_NO_SELECTION;
                } else {
                    if (model.items[selected].id == model.currentId) {
                        expectedCommands.push_back("close " + std::string(player.shortPath));
                        model.currentId = -1;
                    }
                    model.items.erase(model.items.begin() + selected);
                }
                onDelete();
                break;
            case Op::MoveUp:
                if (selected < 1)
                    expectedError = MSG_MOVE_UP_AT_TOP;
                else
                    std::swap(model.items[selected], model.items[selected - 1]);
                onMoveUp();
                break;
            case Op::MoveDown:
                if (selected == -1 || selected == count - 1)
                    expectedError = MSG_MOVE_DOWN_AT_BOTTOM;
                else
                    std::swap(model.items[selected], model.items[selected + 1]);
                onMoveDown();
                break;
            case Op::Play:
                if (count == 0)
                    continue;
                selected = below(count);
                play(selected);
                model.currentId = model.items[selected].id;
                break;
            case Op::Clear:
                expectedCommands.push_back("close " + std::string(player.shortPath));
                model.items.clear();
                model.currentId = -1;
                onClear();
                break;
            }

            ASSERT_EQ(entries(), model.entries());
            ASSERT_EQ(player.listCount, static_cast<int>(model.items.size()));
            ASSERT_EQ(player.dirCount, player.listCount);
            ASSERT_EQ(player.currentIndex, model.currentIndex());
            ASSERT_EQ(fakes.lastError(), expectedError);
            ASSERT_LE(fakes.messages.size(), 1u);
            ASSERT_EQ(fakes.commands, expectedCommands);
            if (player.currentIndex != -1) {
                ASSERT_STREQ(player.trackName, model.items[player.currentIndex].entry.name.c_str());
            }

            // A sample of edits: what is on disk reads back as the same list, as after a crash.
            if (op == Op::Play || below(8) != 0)
                continue;
            ++roundTrips;
            while (listCount(IDC_PLAYLIST) > 0)
                deleteListRow(IDC_PLAYLIST, 0);
            ASSERT_TRUE(loadPlaylist());
            model.currentId = -1;
            ASSERT_EQ(entries(), model.entries());
            ASSERT_EQ(player.listCount, static_cast<int>(model.items.size()));
            ASSERT_EQ(player.dirCount, player.listCount);
        }
    }
    EXPECT_GT(roundTrips, sequences / 4);
}
