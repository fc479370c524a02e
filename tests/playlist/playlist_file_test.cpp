// SPDX-License-Identifier: GPL-3.0-or-later
#include "playlist/playlist_file.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/files.h"
#include "host/host.h"
#include "host/seams.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/support/fake_host.h"
#include "tests/support/user_actions.h"

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

// before, then piece times over.
std::string repeat(const char *piece, int times, const char *before = "")
{
    std::string text = before;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string withWindowsLineEnds(const std::string &text)
{
    std::string converted;
    for (char c : text)
        converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return converted;
}

// The list's text: a count line, then four lines per entry.
std::string listLines(const Names &dirs, const Names &names)
{
    std::string text = std::to_string(names.size()) + "\n";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += dirs[i] + "\n*\n" + names[i] + "\n*\n";
    return text;
}

// The file as the player writes it.
std::string savedFile(const Names &dirs, const Names &names)
{
    return textOnDisk(listLines(dirs, names));
}

// Every file under folder with its bytes; a folder maps to "/".
std::map<std::string, std::string> snapshot(const fs::path &folder)
{
    std::map<std::string, std::string> files;
    for (const auto &item : fs::recursive_directory_iterator(folder))
        files[item.path().string()] = item.is_directory() ? "/" : readFile(item.path());
    return files;
}

// Set before each start, so a test sees whether loading reset it.
constexpr int STALE_INDEX = 3;

class PlaylistFile : public testing::Test {
protected:
    void SetUp() override
    {
        resetPlayerState();
        fakes.install();
    }
    void TearDown() override
    {
        destroyMainDialog();
        fakes.uninstall();
        detachSkin();
    }

    // Opens the window afresh, as at start-up, which loads the playlist file.
    void startPlayer()
    {
        destroyMainDialog();
        detachSkin();
        resetPlayerState();
        player.currentIndex = STALE_INDEX;
        createMainDialog(mainDialogProc);
    }
    void closeWindow() { mainDialogProc(WM_CLOSE, 0, 0); }
    void addEntry(const std::string &dir, const std::string &name)
    {
        ASSERT_TRUE(copyText(player.dirTable[player.dirCount], PATH_BYTES, dir.c_str()));
        insertListRow(IDC_PLAYLIST, -1, name.c_str());
        player.listCount = ++player.dirCount;
    }
    bool skinAttached() const { return isSkinAttached(); }

    // The entries shown must be exactly names, with dirs in step and nothing current.
    void expectEntries(const Names &dirs, const Names &names, int currentIndex = -1)
    {
        Names shown;
        char text[NAME_BYTES];
        for (int row = 0; row < listCount(IDC_PLAYLIST); ++row)
            shown.push_back(listText(IDC_PLAYLIST, row, text, sizeof text) ? text : "<too long>");
        EXPECT_EQ(shown, names);
        Names rows(player.dirTable, player.dirTable + player.dirCount);
        EXPECT_EQ(rows, dirs);
        EXPECT_EQ(player.listCount, static_cast<int>(names.size()));
        EXPECT_EQ(player.dirCount, static_cast<int>(names.size()));
        if (player.dirCount < MAX_ENTRIES) {
            EXPECT_EQ(player.dirTable[player.dirCount][0], '\0');
        }
        EXPECT_EQ(player.currentIndex, currentIndex);
    }

    FakeHost fakes;
};

TEST_F(PlaylistFile, SavedListsLoadAndSaveBackByteForByte)
{
    struct Case {
        const char *what;
        Names dirs;
        Names names;
    };
    const Case cases[] = {
        {"two entries", {"/home/user/Music", "/srv/Songs/Old"}, {"a.mp3", "b c.mp3"}},
        {"chinese and spaces", {"/home/用户/音乐/周杰伦 精选"}, {"七里香 (live).mp3"}},
        {"252-character name", {"/m"}, {repeat("n", 248) + ".mp3"}},
        {"255-byte name", {"/m"}, {repeat("歌", 83) + "xy.mp3"}},
        {"longest directory", {repeat("乐", 1364, "/") + "ab"}, {"a.mp3"}},
        {"file in the root folder", {""}, {"a.mp3"}},
        {"name over two lines", {"/m"}, {"first\nsecond.mp3"}},
        {"end-of-file byte in a name", {"/m"}, {"a\x1a.mp3"}},
        {"empty list", {}, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = savedFile(c.dirs, c.names);
        writeFile(fakes.playlistFile(), bytes);
        startPlayer();
        expectEntries(c.dirs, c.names);
        EXPECT_TRUE(skinAttached());

        closeWindow();
        EXPECT_TRUE(dialogEnded());
        EXPECT_EQ(readFile(fakes.playlistFile()), bytes);
        EXPECT_TRUE(fakes.messages.empty());
    }
}

TEST_F(PlaylistFile, WindowsLineEndsLoadTheSameEntriesAndSaveInThePlatformsForm)
{
    // The long directory puts a "\r" at the end of a read piece, its "\n" in the next one.
    const Names dirs = {"C:\\Music", repeat("d", 254, "/"), "/m"};
    const Names names = {"a.mp3", "b c.mp3", "lone\rreturn.mp3"};
    writeFile(fakes.playlistFile(), withWindowsLineEnds(listLines(dirs, names)));

    startPlayer();
    expectEntries(dirs, names);
    closeWindow();
    EXPECT_EQ(readFile(fakes.playlistFile()), savedFile(dirs, names));
}

TEST_F(PlaylistFile, NoFileStartsEmptyWithoutSkinAndCloseCreatesTheFolders)
{
    const fs::path home = fakes.dataHome / "not" / "yet";
    setEnvironment(DATA_HOME_VARIABLE, pathText(home));
    startPlayer();
    expectEntries({}, {}, STALE_INDEX);
    EXPECT_FALSE(skinAttached());

    closeWindow();
    EXPECT_EQ(readFile(home / DATA_FOLDER / "savelist"), textOnDisk("0\n"));
    EXPECT_TRUE(fakes.messages.empty());

    // A folder in the file's place is no playlist file either.
    fs::remove(home / DATA_FOLDER / "savelist");
    fs::create_directories(home / DATA_FOLDER / "savelist");
    startPlayer();
    expectEntries({}, {}, STALE_INDEX);
    EXPECT_FALSE(skinAttached());
}

TEST_F(PlaylistFile, CountLineDecidesHowManyOfThePresentRecordsLoad)
{
    struct Case {
        std::string countLine;
        std::size_t loaded;
    };
    // The last: the rest of an overlong count line is skipped, not taken as the first directory.
    const Case cases[] = {{"3", 3},
                          {"2", 2},
                          {"7", 3},
                          {"0", 0},
                          {"abc", 0},
                          {"", 0},
                          {"-1", 0},
                          {"  +2", 2},
                          {"2 songs", 2},
                          {"99999999999999999999999", 3},
                          {repeat(" ", 300, "1"), 1}};
    const Names dirs = {"/a", "/b", "/c"};
    const Names names = {"1.mp3", "2.mp3", "3.mp3"};
    const std::string records = listLines(dirs, names).substr(2);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.countLine);
        writeFile(fakes.playlistFile(), c.countLine + "\n" + records);
        startPlayer();
        expectEntries(Names(dirs.begin(), dirs.begin() + c.loaded),
                      Names(names.begin(), names.begin() + c.loaded));
        EXPECT_TRUE(skinAttached());
    }
}

TEST_F(PlaylistFile, ListStopsAtCapacity)
{
    Names dirs, names;
    for (int i = 0; i < 300; ++i) {
        dirs.push_back(std::string("/music/").append(std::to_string(i)));
        names.push_back(std::to_string(i) + ".mp3");
    }
    writeFile(fakes.playlistFile(), savedFile(dirs, names));
    startPlayer();
    expectEntries(Names(dirs.begin(), dirs.begin() + MAX_ENTRIES),
                  Names(names.begin(), names.begin() + MAX_ENTRIES));

    closeWindow();
    EXPECT_EQ(readFile(fakes.playlistFile()).rfind(textOnDisk("256\n"), 0), 0u);
}

TEST_F(PlaylistFile, BrokenTailIsDroppedAndWholeRecordsKept)
{
    const std::string whole = "3\n/a\n*\n1.mp3\n*\n";
    const std::string after = "/c\n*\n3.mp3\n*\n";
    struct Case {
        const char *what;
        std::string bytes;
    };
    const Case cases[] = {
        {"file ends after a directory", whole + "/b\n*\n"},
        {"name never ended by a star line", whole + "/b\n*\n2.mp3\n"},
        {"directory never ended", whole + "/b\n/b2"},
        {"name longer than its buffer",
         whole + repeat("n", NAME_BYTES, "/b\n*\n") + "\n*\n" + after},
        {"directory longer than its row",
         whole + repeat("d", PATH_BYTES - 1, "/") + "\n*\nb\n*\n" + after},
        {"NUL byte in a name", whole + "/b\n*\n2" + std::string(1, '\0') + ".mp3\n*\n" + after},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(fakes.playlistFile(), c.bytes);
        startPlayer();
        expectEntries({"/a"}, {"1.mp3"});
    }
}

TEST_F(PlaylistFile, StarLinesEndValuesWhateverFollowsTheStar)
{
    struct Case {
        const char *what;
        std::string bytes;
        Names dirs;
        Names names;
    };
    const Case cases[] = {
        {"last star line without line end", "1\n/a\n*\nx.mp3\n*", {"/a"}, {"x.mp3"}},
        {"value with no line before its star", "1\n*\nx.mp3\n*\n", {""}, {"x.mp3"}},
        {"star lines carrying more text",
         repeat("j", 400, "2\n/a\n*junk\nx.mp3\n* ") + "\n/b\n*\ny.mp3\n*\n",
         {"/a", "/b"},
         {"x.mp3", "y.mp3"}},
        {"star inside a line", "1\n/a*\n*\n *x.mp3\n*\n", {"/a*"}, {" *x.mp3"}},
        {"star at the start of a line's second piece",
         repeat("d", 254, "1\n/") + "*x\n*\na.mp3\n*\n",
         {repeat("d", 254, "/") + "*x"},
         {"a.mp3"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(fakes.playlistFile(), c.bytes);
        startPlayer();
        expectEntries(c.dirs, c.names);
    }
}

TEST_F(PlaylistFile, FailedSaveKeepsTheOldFileTellsTheUserOnceAndCloses)
{
    const fs::path folder = fakes.playlistFile().parent_path();
    struct Case {
        const char *what;
        std::function<void()> breakDisk;
        std::function<void()> repair;
    };
#ifndef _WIN32
    rlimit oldLimit{};
    getrlimit(RLIMIT_FSIZE, &oldLimit);
#endif
    const Case cases[] = {
#ifndef _WIN32
        {"disk full",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit tiny = {16, oldLimit.rlim_max};
             setrlimit(RLIMIT_FSIZE, &tiny);
         },
         [&] {
             setrlimit(RLIMIT_FSIZE, &oldLimit);
             std::signal(SIGXFSZ, SIG_DFL);
         }},
        {"folder read-only",
         [&] { fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec); },
         [&] { fs::permissions(folder, fs::perms::owner_all); }},
#endif
        {"a folder in the file's place",
         [&] {
             fs::remove(fakes.playlistFile());
             writeFile(fakes.playlistFile() / "keep", "kept");
         },
         [] {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
#ifndef _WIN32
        if (std::string(c.what) == "folder read-only" && geteuid() == 0)
            continue; // permissions do not stop root
#endif
        fakes.messages.clear();
        fs::remove_all(folder);
        writeFile(fakes.playlistFile(), savedFile({"/a", "/b"}, {"1.mp3", "2.mp3"}));
        startPlayer();
        addEntry("/c", "3.mp3");
        c.breakDisk();
        const auto before = snapshot(folder);
        closeWindow();
        const auto after = snapshot(folder);
        c.repair();

        EXPECT_EQ(after, before);
        EXPECT_TRUE(dialogEnded());
        ASSERT_EQ(fakes.messages.size(), 1u);
        EXPECT_EQ(fakes.messages[0].text, MSG_PLAYLIST_SAVE_FAILED);
        EXPECT_TRUE(fakes.messages[0].isError);
    }
}

TEST_F(PlaylistFile, EntriesTheFileCannotHoldAreLeftOutWithOneMessage)
{
    startPlayer();
    addEntry("/a", "1.mp3");
    addEntry("/a", "*star.mp3");
    addEntry("/b\n*c", "x.mp3");
    addEntry("/a", "cr\r");
    addEntry("/d", "2.mp3");
    closeWindow();

    EXPECT_EQ(readFile(fakes.playlistFile()), savedFile({"/a", "/d"}, {"1.mp3", "2.mp3"}));
    char expected[LABEL_BYTES];
    ASSERT_TRUE(formatText(expected, sizeof expected, MSG_PLAYLIST_LEFT_OUT_TEMPLATE, 3));
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, expected);
    EXPECT_TRUE(dialogEnded());
}

// A data folder that cannot hold the file: each edit saves, yet the user hears of it once until
// a save works again.
TEST_F(PlaylistFile, FailedSavesAreToldOnceUntilASaveWorksAgain)
{
    const fs::path home = fakes.dataHome;
    TempDir blocked;
    // A file where the data folder should be stops root as well as anyone.
    writeFile(blocked.path / "not-a-folder", "x");
    setEnvironment(DATA_HOME_VARIABLE, pathText(blocked.path / "not-a-folder"));
    startPlayer();
    for (const char *name : {"1.mp3", "2.mp3", "3.mp3"}) {
        addEntry("/a", name);
        savePlaylist();
    }
    closeWindow();
    EXPECT_TRUE(dialogEnded());
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, MSG_PLAYLIST_SAVE_FAILED);
    EXPECT_EQ(readFile(blocked.path / "not-a-folder"), "x");

    // A save that works ends the silence; the next failure is told again.
    setEnvironment(DATA_HOME_VARIABLE, pathText(home));
    savePlaylist();
    EXPECT_EQ(readFile(fakes.playlistFile()),
              savedFile({"/a", "/a", "/a"}, {"1.mp3", "2.mp3", "3.mp3"}));
    setEnvironment(DATA_HOME_VARIABLE, pathText(blocked.path / "not-a-folder"));
    savePlaylist();
    savePlaylist();
    EXPECT_EQ(fakes.messages.size(), 2u);
    setEnvironment(DATA_HOME_VARIABLE, pathText(home));
}

TEST_F(PlaylistFile, EntriesLeftOutAreToldOnceForTheSameSet)
{
    startPlayer();
    addEntry("/a", "1.mp3");
    addEntry("/a", "*star.mp3");
    savePlaylist();
    savePlaylist();
    ASSERT_EQ(fakes.messages.size(), 1u);

    // Moving entries keeps the set; a new entry the file cannot hold makes a new set.
    selectRow(IDC_PLAYLIST, 1);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_MOVEUP, 0), 0);
    EXPECT_EQ(fakes.messages.size(), 1u);
    addEntry("/b", "*other.mp3");
    savePlaylist();
    ASSERT_EQ(fakes.messages.size(), 2u);
    char expected[LABEL_BYTES];
    ASSERT_TRUE(formatText(expected, sizeof expected, MSG_PLAYLIST_LEFT_OUT_TEMPLATE, 2));
    EXPECT_EQ(fakes.messages[1].text, expected);
    closeWindow();
    EXPECT_EQ(fakes.messages.size(), 2u);
    EXPECT_EQ(readFile(fakes.playlistFile()), savedFile({"/a"}, {"1.mp3"}));
}

TEST_F(PlaylistFile, SaveReplacesALinksTargetAndKeepsPermissionBits)
{
#ifdef _WIN32
    GTEST_SKIP() << "a user's files on Windows have no permission bits, nor links without rights";
#endif
    TempDir elsewhere;
    const fs::path target = elsewhere.path / "lists" / "mine.txt";
    writeFile(target, savedFile({"/a"}, {"1.mp3"}));
    fs::permissions(target, fs::perms(0644));
    fs::create_directories(fakes.playlistFile().parent_path());
    // A relative link, as a user makes it with ln -s.
    fs::create_symlink(fs::relative(target, fakes.playlistFile().parent_path()),
                       fakes.playlistFile());

    startPlayer();
    expectEntries({"/a"}, {"1.mp3"});
    addEntry("/b", "2.mp3");
    closeWindow();

    EXPECT_TRUE(fs::is_symlink(fakes.playlistFile()));
    EXPECT_EQ(readFile(target), savedFile({"/a", "/b"}, {"1.mp3", "2.mp3"}));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0644));
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()),
              1);

    // A new file is for the user alone.
    fs::remove(fakes.playlistFile());
    startPlayer();
    closeWindow();
    EXPECT_FALSE(fs::is_symlink(fakes.playlistFile()));
    EXPECT_EQ(fs::status(fakes.playlistFile()).permissions(), fs::perms(0600));
}

TEST_F(PlaylistFile, StartRemovesOnlyTheTemporaryFilesOfCutOffSaves)
{
    const fs::path folder = fakes.playlistFile().parent_path();
    writeFile(fakes.playlistFile(), savedFile({"/a"}, {"1.mp3"}));
    // What a save killed between its write and its rename leaves behind: its file, closed as
    // the process ends, neither renamed nor removed.
    FileReplacement replacement;
    ASSERT_TRUE(beginReplacement(replacement, pathText(fakes.playlistFile()).c_str()));
    std::fputs("half", replacement.file);
    std::fclose(replacement.file);
    const Names others = {"savelist.backup", "savelist.vorla-12345", "savelist.vorla-1234567",
                          "other.vorla-abcdef", "notes.txt"};
    for (const std::string &name : others)
        writeFile(folder / name, "mine");
    ASSERT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 7);

    startPlayer();
    expectEntries({"/a"}, {"1.mp3"});
    Names left;
    for (const auto &item : fs::directory_iterator(folder))
        left.push_back(item.path().filename().string());
    std::sort(left.begin(), left.end());
    Names expected = others;
    expected.push_back("savelist");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);
}

} // namespace
