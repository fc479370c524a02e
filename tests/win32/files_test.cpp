// SPDX-License-Identifier: GPL-3.0-or-later
// The system's file dialog and the selection it gives, the short names of the commands, and the
// original player's list brought in at a first start.
#include <atomic>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>
// These build on <windows.h>.
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/files.h"
#include "host/host.h"
#include "host/seams.h"
#include "host/win32/main_window.h"
#include "host/win32/playlist_import.h"
#include "host/win32/short_name.h"
#include "playlist/selection.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "tests/support/fake_host.h"
#include "tests/support/test_environment.h"

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;

// Types a name into the next file dialog this process opens and confirms it, from a thread of
// its own while the dialog's loop runs on the test's. A dialog that does not take the name in
// time is cancelled, so the test fails rather than waits.
class DialogTypist {
public:
    explicit DialogTypist(std::wstring typed)
        : m_typed(std::move(typed)), m_thread([this] { run(); })
    {
    }
    ~DialogTypist() { m_thread.join(); }
    bool confirmed() const { return m_confirmed; }

private:
    static constexpr int TRIES = 120;
    static constexpr DWORD PAUSE_MS = 250;

    static BOOL CALLBACK findDialog(HWND window, LPARAM found)
    {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
            std::wstring(name) == L"#32770") {
            *reinterpret_cast<HWND *>(found) = window;
            return FALSE;
        }
        return TRUE;
    }

    static HWND openDialog()
    {
        HWND dialog = nullptr;
        EnumWindows(findDialog, reinterpret_cast<LPARAM>(&dialog));
        return dialog;
    }

    // The dialog may still be filling its folder view when it shows: the name is typed and
    // confirmed again until the dialog has gone.
    void run()
    {
        HWND last = nullptr;
        for (int attempt = 0; attempt < TRIES; ++attempt) {
            HWND dialog = openDialog();
            if (!dialog && last) {
                m_confirmed = true;
                return;
            }
            // The name box: a combo box in the explorer-style dialog, an edit box in older ones.
            HWND name = dialog ? GetDlgItem(dialog, cmb13) : nullptr;
            if (dialog && !name)
                name = GetDlgItem(dialog, edt1);
            if (name) {
                last = dialog;
                SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_typed.c_str()));
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
            }
            Sleep(PAUSE_MS);
        }
        if (HWND dialog = openDialog())
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    std::wstring m_typed;
    std::atomic<bool> m_confirmed{false};
    std::thread m_thread;
};

std::wstring wide(const std::string &utf8)
{
    return pathOf(utf8).wstring();
}

TEST(FileDialog, TheSystemsDialogGivesOneFileOrAFolderAndItsNames)
{
    TempDir music;
    for (const char *name : {"a.mp3", "b c.mp3", "歌 曲.mp3"})
        writeFile(music.path / pathOf(name), "");
    const std::string folder = pathText(music.path);
    // The dialog opens in the current folder when the request names none.
    ASSERT_TRUE(SetCurrentDirectoryW(music.path.wstring().c_str()));

    struct Case {
        const char *what;
        std::string typed;
        std::string selection;
    };
    // Appended piece by piece: GCC 12 warns wrongly of an overlap in a longer expression.
    std::string one = folder;
    one += "\\歌 曲.mp3\0\0"s;
    std::string several = folder;
    several += "\0b c.mp3\0a.mp3\0\0"s;
    const Case cases[] = {
        {"one file", "歌 曲.mp3", one},
        {"several files", "\"b c.mp3\" \"a.mp3\"", several},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<char> buffer(SELECTION_BYTES, 'x');
        int leftOut = -1;
        bool chosen;
        bool confirmed;
        {
            DialogTypist typist(wide(c.typed));
            chosen = chooseFiles(buffer.data(), buffer.size(), &leftOut);
            confirmed = typist.confirmed();
        }
        ASSERT_TRUE(confirmed) << "the file dialog did not take the name";
        ASSERT_TRUE(chosen);
        EXPECT_EQ(leftOut, 0);
        EXPECT_EQ(std::string(buffer.data(), c.selection.size()), c.selection);
    }
    SetCurrentDirectoryW(fs::temp_directory_path().wstring().c_str());
}

TEST(ShortName, BlanksAndPercentSignsAreEscapedAndComeBack)
{
    struct Case {
        std::string path;
        std::string name;
    };
    const Case cases[] = {
        {"C:\\MUSIC~1\\A~1.MP3", "C:\\MUSIC~1\\A~1.MP3"},
        {"D:\\My Music\\a b.mp3", "D:\\My%20Music\\a%20b.mp3"},
        {"D:\\tab\there\\100%.mp3", "D:\\tab%09here\\100%25.mp3"},
        {"D:\\歌 曲\\%20.mp3", "D:\\歌%20曲\\%2520.mp3"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        char name[64];
        ASSERT_TRUE(encodeShortName(c.path, name, sizeof name));
        EXPECT_EQ(std::string(name), c.name);
        std::string back;
        ASSERT_TRUE(decodeShortName(name, back));
        EXPECT_EQ(back, c.path);
    }
    char small[8];
    EXPECT_FALSE(encodeShortName("C:\\a b.mp3", small, sizeof small));
    EXPECT_STREQ(small, "");
    std::string back;
    for (const char *broken : {"a%", "a%2", "a%41", "%2G"})
        EXPECT_FALSE(decodeShortName(broken, back)) << broken;
}

class OriginalPlaylist : public testing::Test {
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
    }

    FakeHost fakes;
    TempDir drive;
};

TEST_F(OriginalPlaylist, AFirstStartBringsInTheListDecodedFromTheSystemsCodePage)
{
    // GBK, as the original player wrote it on a Chinese system: 音乐 and 晴天, then a line that
    // is UTF-8 already, and one that is neither.
    const std::string original = "3\r\nD:\\\xD2\xF4\xC0\xD6\r\n*\r\n\xC7\xE7\xCC\xEC.mp3\r\n*\r\n"
                                 "D:\\\xE6\xAD\x8C\r\n*\r\nb c.mp3\r\n*\r\n"
                                 "D:\\m\r\n*\r\n\x81.mp3\r\n*\r\n";
    const fs::path from = drive.path / "savelist";
    writeFile(from, original);
    const std::string to = pathText(fakes.playlistFile());

    ASSERT_TRUE(importOriginalPlaylist(pathText(from).c_str(), to.c_str(), 936));

    EXPECT_EQ(readFile(fakes.playlistFile()),
              "3\r\nD:\\音乐\r\n*\r\n晴天.mp3\r\n*\r\nD:\\歌\r\n*\r\nb c.mp3\r\n*\r\n"
              "D:\\m\r\n*\r\n\x81.mp3\r\n*\r\n");
    EXPECT_EQ(readFile(from), original) << "the original is only read";

    createMainDialog(mainDialogProc);
    char name[NAME_BYTES];
    ASSERT_EQ(listCount(IDC_PLAYLIST), 3);
    ASSERT_TRUE(listText(IDC_PLAYLIST, 0, name, sizeof name));
    EXPECT_STREQ(name, "晴天.mp3");
    EXPECT_STREQ(player.dirTable[0], "D:\\音乐");
}

TEST_F(OriginalPlaylist, ALaterStartKeepsItsOwnList)
{
    const fs::path from = drive.path / "savelist";
    writeFile(from, "1\r\nD:\\old\r\n*\r\nold.mp3\r\n*\r\n");
    const std::string own = textOnDisk("1\nC:\\new\n*\nnew.mp3\n*\n");
    writeFile(fakes.playlistFile(), own);

    EXPECT_TRUE(importOriginalPlaylist(pathText(from).c_str(),
                                       pathText(fakes.playlistFile()).c_str(), 936));
    EXPECT_EQ(readFile(fakes.playlistFile()), own);

    // Nor is anything made when there is no original list.
    fs::remove(fakes.playlistFile());
    EXPECT_TRUE(importOriginalPlaylist(pathText(drive.path / "none").c_str(),
                                       pathText(fakes.playlistFile()).c_str(), 936));
    EXPECT_FALSE(fs::exists(fakes.playlistFile()));
}

} // namespace
