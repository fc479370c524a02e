// SPDX-License-Identifier: GPL-3.0-or-later
// The real dialog from the resource, and the way the real controls' input reaches the player.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>
#include <windows.h>
// These build on <windows.h>.
#include <commctrl.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/host.h"
#include "host/seams.h"
#include "host/win32/main_window.h"
#include "host/win32/taskbar_buttons.h"
#include "playback/transport.h"
#include "resources/main_template.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/support/fake_host.h"
#include "tests/support/test_environment.h"
#include "version.h"

namespace {

std::string utf8(const std::wstring &wide)
{
    return pathText(std::filesystem::path(wide));
}

std::string windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), text.size())));
    return utf8(text);
}

std::string className(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return utf8(name);
}

// The class of each kind of control, and the styles it must have for the player to work as
// designed. The dialog manager changes some at run time (the default button, a hidden scroll
// bar), so they are read from the template itself.
struct KindShape {
    ControlKind kind;
    const char *className;
    WORD classOrdinal;
    DWORD requiredStyle;
};
const KindShape SHAPES[] = {
    {ControlKind::PushButton, "Button", 0x80, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {ControlKind::ListBox, "ListBox", 0x83,
     LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER},
    {ControlKind::Trackbar, TRACKBAR_CLASSA, 0, TBS_BOTH | TBS_NOTICKS},
    {ControlKind::StaticText, "Static", 0x82, SS_LEFT},
    {ControlKind::StaticPicture, "Static", 0x82, SS_BITMAP},
    {ControlKind::ComboBox, "ComboBox", 0x85, CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL},
};

const KindShape &shapeOf(ControlKind kind)
{
    for (const KindShape &shape : SHAPES) {
        if (shape.kind == kind)
            return shape;
    }
    return SHAPES[0];
}

// One control of the compiled template (DLGITEMTEMPLATEEX).
struct TemplateItem {
    DWORD exStyle;
    DWORD style;
    short x, y, width, height;
    int id;
    std::wstring className;
    WORD classOrdinal;
    std::wstring text;
    WORD textOrdinal;
};

struct TemplateReader {
    const BYTE *at;

    template <typename T>
    T take()
    {
        T value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    // A string, or an ordinal after 0xFFFF.
    void nameOrOrdinal(std::wstring &name, WORD &ordinal)
    {
        ordinal = 0;
        if (take<WORD>() == 0xFFFF) {
            ordinal = take<WORD>();
            return;
        }
        at -= sizeof(WORD);
        for (WCHAR c; (c = take<WCHAR>()) != 0;)
            name += c;
    }
    void alignToDword()
    {
        while (reinterpret_cast<std::uintptr_t>(at) % 4)
            ++at;
    }
};

struct DialogTemplate {
    DWORD style;
    short width, height;
    WORD menu;
    std::wstring caption;
    WORD pointSize;
    std::wstring face;
    std::vector<TemplateItem> items;
};

DialogTemplate readTemplate()
{
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDD_MAIN), MAKEINTRESOURCEW(5));
    TemplateReader reader{static_cast<const BYTE *>(LockResource(LoadResource(nullptr, found)))};
    DialogTemplate dialog;
    reader.take<WORD>(); // version
    reader.take<WORD>(); // 0xFFFF: the extended form
    reader.take<DWORD>();
    reader.take<DWORD>();
    dialog.style = reader.take<DWORD>();
    WORD count = reader.take<WORD>();
    reader.take<short>();
    reader.take<short>();
    dialog.width = reader.take<short>();
    dialog.height = reader.take<short>();
    std::wstring ignored;
    reader.nameOrOrdinal(ignored, dialog.menu);
    WORD classOrdinal;
    reader.nameOrOrdinal(ignored, classOrdinal);
    for (WCHAR c; (c = reader.take<WCHAR>()) != 0;)
        dialog.caption += c;
    dialog.pointSize = reader.take<WORD>();
    reader.take<WORD>();
    reader.take<BYTE>();
    reader.take<BYTE>();
    for (WCHAR c; (c = reader.take<WCHAR>()) != 0;)
        dialog.face += c;
    for (WORD i = 0; i < count; ++i) {
        reader.alignToDword();
        TemplateItem item = {};
        reader.take<DWORD>();
        item.exStyle = reader.take<DWORD>();
        item.style = reader.take<DWORD>();
        item.x = reader.take<short>();
        item.y = reader.take<short>();
        item.width = reader.take<short>();
        item.height = reader.take<short>();
        item.id = static_cast<int>(reader.take<DWORD>());
        reader.nameOrOrdinal(item.className, item.classOrdinal);
        reader.nameOrOrdinal(item.text, item.textOrdinal);
        reader.at += reader.take<WORD>();
        dialog.items.push_back(item);
    }
    return dialog;
}

// A control's rectangle in the dialog's client coordinates.
RECT clientRect(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

// Dialog units to pixels as the dialog manager places a control: each of the four on its own.
RECT dialogUnits(HWND dialog, int x, int y, int width, int height)
{
    RECT rect = {x, y, width, height};
    MapDialogRect(dialog, &rect);
    return rect;
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        resetPlayerState();
        fakes.install();
        createMainDialog(mainDialogProc);
        ASSERT_NE(mainWindow(), nullptr);
        fakes.commands.clear();
    }
    void TearDown() override
    {
        destroyMainDialog();
        fakes.uninstall();
    }

    HWND control(int id) const { return GetDlgItem(mainWindow(), id); }

    // Adds an empty file of the name to the list, with its folder, as the file dialog would.
    void addFile(const char *name)
    {
        std::filesystem::path file = music.path / pathOf(name);
        writeFile(file, "");
        int row = listCount(IDC_PLAYLIST);
        insertListRow(IDC_PLAYLIST, -1, name);
        copyText(player.dirTable[row], PATH_BYTES, pathText(music.path).c_str());
        player.listCount = player.dirCount = row + 1;
    }

    // Mouse messages to a control, as the system sends them for the user's button.
    void mouse(HWND window, std::initializer_list<UINT> messages, POINT at)
    {
        for (UINT message : messages) {
            WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
            SendMessageW(window, message, keys, MAKELPARAM(at.x, at.y));
        }
    }

    int count(const char *verb) const
    {
        int found = 0;
        for (const std::string &command : fakes.commands)
            found += command.rfind(verb, 0) == 0;
        return found;
    }

    FakeHost fakes;
    TempDir music;
};

TEST(WindowTemplate, TheResourceHoldsTheTemplate)
{
    DialogTemplate dialog = readTemplate();
    EXPECT_EQ(utf8(dialog.caption), MAIN_CAPTION);
    EXPECT_EQ(dialog.width, MAIN_WIDTH_DLU);
    EXPECT_EQ(dialog.height, MAIN_HEIGHT_DLU);
    EXPECT_EQ(dialog.menu, IDR_MAINMENU);
    const DWORD style = DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU |
                        WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(dialog.style & ~DS_SETFONT, style);

    // Buttons with the modal-frame edge: the transport's five.
    const int framed[] = {IDC_PAUSE, IDC_PLAY, IDC_STOP, IDC_PREV, IDC_NEXT};
    ASSERT_EQ(dialog.items.size(), std::size(MAIN_CONTROLS));
    for (std::size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem &item = dialog.items[i];
        const ControlTemplate &expected = MAIN_CONTROLS[i];
        SCOPED_TRACE(std::to_string(expected.id) + " " + expected.text);
        const KindShape &shape = shapeOf(expected.kind);
        EXPECT_EQ(static_cast<short>(item.id), expected.id);
        // A predefined class is named by its ordinal or its name, in any letter case.
        if (item.classOrdinal != 0) {
            EXPECT_EQ(item.classOrdinal, shape.classOrdinal);
        } else {
            EXPECT_EQ(_stricmp(utf8(item.className).c_str(), shape.className), 0)
                << utf8(item.className);
        }
        EXPECT_EQ(item.style & shape.requiredStyle, shape.requiredStyle);
        EXPECT_EQ(item.style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
        EXPECT_EQ(item.x, expected.x);
        EXPECT_EQ(item.y, expected.y);
        EXPECT_EQ(item.width, expected.width);
        EXPECT_EQ(item.height, expected.height);
        if (expected.kind == ControlKind::StaticPicture) {
            EXPECT_EQ(item.textOrdinal, IDB_BANNER);
        } else {
            EXPECT_EQ(utf8(item.text), expected.text);
        }
        bool isFramed =
            std::find(std::begin(framed), std::end(framed), expected.id) != std::end(framed);
        EXPECT_EQ((item.exStyle & WS_EX_DLGMODALFRAME) != 0, isFramed);
    }
}

// One string of the program's version resource, in its Chinese (PRC) Unicode block.
std::string versionString(const std::vector<char> &info, const wchar_t *name)
{
    std::wstring path = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
    void *value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0)
        return "";
    return utf8(static_cast<const wchar_t *>(value));
}

TEST(WindowTemplate, TheVersionResourceTellsWhatAndWhichVersion)
{
    wchar_t program[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, program, MAX_PATH), 0u);
    DWORD size = GetFileVersionInfoSizeW(program, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(program, 0, size, info.data()));
    EXPECT_EQ(versionString(info, L"ProductName"), "Vorla");
    EXPECT_EQ(versionString(info, L"ProductVersion"), VORLA_VERSION_TEXT);
    EXPECT_EQ(versionString(info, L"FileDescription"), MAIN_CAPTION);
    EXPECT_NE(versionString(info, L"LegalCopyright"), "");
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void **>(&fixed), &length));
    char numbers[32];
    std::snprintf(numbers, sizeof numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
    EXPECT_EQ(std::string(numbers), VORLA_VERSION_TEXT);
}

TEST_F(MainWindow, TheDialogIsBuiltFromTheTemplate)
{
    HWND dialog = mainWindow();
    EXPECT_EQ(windowText(dialog), MAIN_CAPTION);
    RECT client;
    GetClientRect(dialog, &client);
    RECT size = dialogUnits(dialog, 0, 0, MAIN_WIDTH_DLU, MAIN_HEIGHT_DLU);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HMENU menu = GetMenu(dialog);
    ASSERT_NE(menu, nullptr);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(utf8(text), MENU_POPUP_TEXT);
    HMENU popup = GetSubMenu(menu, 0);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(IDM_ABOUT));
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_EQ(utf8(text), MENU_ABOUT_TEXT);

    // The children come in template order, which is also the tab order.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        SCOPED_TRACE(std::to_string(item.id) + " " + item.text);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(static_cast<short>(GetDlgCtrlID(child)), item.id);
        EXPECT_EQ(className(child), shapeOf(item.kind).className);
        if (item.kind == ControlKind::PushButton || item.kind == ControlKind::StaticText) {
            EXPECT_EQ(windowText(child), item.text);
        }
        RECT expected = dialogUnits(dialog, item.x, item.y, item.width, item.height);
        RECT actual = clientRect(child);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        if (item.kind == ControlKind::StaticPicture) {
            // The picture takes the banner's own size.
            EXPECT_EQ(actual.right - actual.left, 301);
            EXPECT_EQ(actual.bottom - actual.top, 79);
        } else {
            EXPECT_EQ(actual.right - actual.left, expected.right);
            // A closed drop-down list is as high as its text; the template's height is the list's.
            if (item.kind != ControlKind::ComboBox) {
                EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
            }
        }
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "a control the template does not have";
}

// Both controls have the sort style; the player's own insertions must keep their order.
TEST_F(MainWindow, ListAndModesKeepTheOrderTheyWereInsertedIn)
{
    const char *modes[] = {"单曲播放", "单曲循环", "顺序播放", "列表循环"};
    ASSERT_EQ(SendMessageW(control(IDC_MODE), CB_GETCOUNT, 0, 0), 4);
    for (int row = 0; row < 4; ++row) {
        wchar_t text[32] = {};
        SendMessageW(control(IDC_MODE), CB_GETLBTEXT, row, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(utf8(text), modes[row]);
    }
    EXPECT_EQ(comboSelection(IDC_MODE), 0);

    for (const char *name : {"c.mp3", "a.mp3", "歌.mp3", "b.mp3"})
        insertListRow(IDC_PLAYLIST, -1, name);
    insertListRow(IDC_PLAYLIST, 1, "0.mp3");
    const char *expected[] = {"c.mp3", "0.mp3", "a.mp3", "歌.mp3", "b.mp3"};
    char text[NAME_BYTES];
    for (int row = 0; row < 5; ++row) {
        ASSERT_TRUE(listText(IDC_PLAYLIST, row, text, sizeof text));
        EXPECT_STREQ(text, expected[row]);
    }
}

TEST_F(MainWindow, ClicksDoubleClicksAndSliderMovesReachTheirHandlers)
{
    addFile("a.mp3");
    addFile("b c.mp3");

    // A click of Stop closes what is current: nothing, so the command names no device.
    SendMessageW(control(IDC_STOP), BM_CLICK, 0, 0);
    EXPECT_EQ(fakes.commands, std::vector<std::string>{"close "});

    // A double-click on the second row plays it.
    fakes.commands.clear();
    RECT row;
    SendMessageW(control(IDC_PLAYLIST), LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    POINT middle = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
    mouse(control(IDC_PLAYLIST), {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
          middle);
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_STREQ(player.trackName, "b c.mp3");
    EXPECT_EQ(count("play "), 1);

    // A click in the position slider's channel pages towards it. Wine's trackbar then tells the
    // end of the action twice; the player seeks once for the page and once for its end, as on
    // Windows.
    fakes.commands.clear();
    setSliderRange(IDC_POSITION, 0, 100);
    setSliderValue(IDC_POSITION, 0);
    RECT channel;
    SendMessageW(control(IDC_POSITION), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    POINT right = {channel.right - 2, (channel.top + channel.bottom) / 2};
    mouse(control(IDC_POSITION), {WM_LBUTTONDOWN, WM_LBUTTONUP}, right);
    int position = sliderValue(IDC_POSITION);
    EXPECT_GT(position, 0);
    EXPECT_EQ(count("close "), 2);
    EXPECT_EQ(count("play "), 2);
    EXPECT_EQ(fakes.commands.back(),
              "setaudio " + std::string(player.shortPath) + " volume to 1000");
    char clock[16];
    formatText(clock, sizeof clock, position % 60 >= 10 ? "%d:%d" : "%d:0%d", position / 60,
               position % 60);
    char elapsed[LABEL_BYTES];
    controlText(IDC_ELAPSED, elapsed, sizeof elapsed);
    EXPECT_STREQ(elapsed, clock);
}

TEST_F(MainWindow, ARepeatedEndOfTrackingIsOneSeekAndAnyOtherStaysOne)
{
    HWND slider = control(IDC_POSITION);
    auto scroll = [slider](int code, int position) {
        setSliderValue(IDC_POSITION, position);
        SendMessageW(mainWindow(), WM_HSCROLL, MAKEWPARAM(code, 0),
                     reinterpret_cast<LPARAM>(slider));
    };
    struct Step {
        int code;
        int position;
        int seeks; // seeks so far
    };
    const Step steps[] = {
        {TB_THUMBTRACK, 30, 1}, {TB_THUMBPOSITION, 40, 2}, {TB_ENDTRACK, 40, 3},
        {TB_ENDTRACK, 40, 3},   {TB_LINEDOWN, 41, 4},      {TB_ENDTRACK, 41, 5},
        {TB_ENDTRACK, 50, 6},   {TB_ENDTRACK, 50, 6},      {TB_ENDTRACK, 50, 6},
    };
    setSliderRange(IDC_POSITION, 0, 100);
    int step = 0;
    for (const Step &s : steps) {
        SCOPED_TRACE("step " + std::to_string(step++));
        scroll(s.code, s.position);
        EXPECT_EQ(count("close "), s.seeks);
    }

    // The volume slider's end of tracking is not a repeat of the position slider's.
    scroll(TB_ENDTRACK, 50);
    SendMessageW(mainWindow(), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(control(IDC_VOLUME)));
    EXPECT_EQ(count("setaudio "), 7);
}

// The keyboard's media keys, in the focus and in the background, and the taskbar's buttons
// press the transport buttons. Play/Pause pauses while the clock runs and plays otherwise.
TEST_F(MainWindow, MediaKeysAndTaskbarButtonsPressTheTransportButtons)
{
    enum class From { AppCommand, HotKey, Taskbar };
    auto press = [](From from, int code) {
        HWND window = mainWindow();
        switch (from) {
        case From::AppCommand:
            return SendMessageW(window, WM_APPCOMMAND, reinterpret_cast<WPARAM>(window),
                                MAKELPARAM(0, code | FAPPCOMMAND_KEY));
        case From::HotKey: return SendMessageW(window, WM_HOTKEY, 1, MAKELPARAM(0, code));
        case From::Taskbar:
            return SendMessageW(window, WM_COMMAND, MAKEWPARAM(code, THBN_CLICKED), 0);
        }
        return LRESULT{0};
    };
    struct Press {
        From from;
        int code;         // the command, the key or the taskbar button
        const char *verb; // the first media command sent; null for none
        int index;        // the current entry after it
        bool isPlaying;
    };
    const Press presses[] = {
        {From::AppCommand, APPCOMMAND_MEDIA_PLAY_PAUSE, "play ", 0, true},
        {From::AppCommand, APPCOMMAND_MEDIA_PLAY_PAUSE, "pause ", 0, false},
        {From::HotKey, VK_MEDIA_PLAY_PAUSE, "play ", 0, true},
        {From::AppCommand, APPCOMMAND_MEDIA_NEXTTRACK, "close ", 1, true},
        {From::Taskbar, TASKBAR_NEXT_ID, nullptr, 1, true},
        {From::Taskbar, TASKBAR_PLAY_PAUSE_ID, "pause ", 1, false},
        {From::Taskbar, TASKBAR_PREV_ID, "close ", 0, true},
        {From::HotKey, VK_MEDIA_STOP, "close ", -1, false},
    };
    addFile("a.mp3");
    addFile("b.mp3");
    selectRow(IDC_PLAYLIST, 0);
    int step = 0;
    for (const Press &p : presses) {
        SCOPED_TRACE("press " + std::to_string(step++));
        fakes.commands.clear();
        fakes.messages.clear();
        LRESULT result = press(p.from, p.code);
        if (p.from == From::AppCommand) {
            EXPECT_EQ(result, TRUE) << "the command is taken";
        }
        if (p.verb) {
            ASSERT_FALSE(fakes.commands.empty());
            EXPECT_EQ(fakes.commands.front().rfind(p.verb, 0), 0u) << fakes.commands.front();
            EXPECT_TRUE(fakes.messages.empty());
        } else {
            EXPECT_TRUE(fakes.commands.empty());
            EXPECT_EQ(fakes.lastError(), MSG_NEXT_AT_END);
        }
        EXPECT_EQ(player.currentIndex, p.index);
        EXPECT_EQ(isClockRunning(), p.isPlaying);
    }

    // A box of the window disables it; its loop would otherwise run a second handler under it.
    fakes.commands.clear();
    fakes.messages.clear();
    EnableWindow(mainWindow(), FALSE);
    press(From::AppCommand, APPCOMMAND_MEDIA_PLAY_PAUSE);
    press(From::HotKey, VK_MEDIA_NEXT_TRACK);
    press(From::Taskbar, TASKBAR_PLAY_PAUSE_ID);
    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(fakes.messages.empty());
}

} // namespace
