// SPDX-License-Identifier: GPL-3.0-or-later
// The host functions that read and change the window's controls, addressed by identifier.
// Texts cross as UTF-16 through the W messages, converted here, so a name reads back with the
// bytes it was shown with whatever the process code page is.
#include <cstring>
#include <string>
#include <windows.h>
// These build on <windows.h>.
#include <commctrl.h>

#include "host/host.h"
#include "host/win32/main_window.h"
#include "host/win32/wide_text.h"

namespace {

LRESULT sendToControl(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    HWND window = mainWindow();
    return window ? SendDlgItemMessageW(window, id, message, wParam, lParam) : 0;
}

// The text as the control shows it: UTF-8 where it is UTF-8, else each byte that is not as U+FFFD.
std::wstring shownText(const char *text)
{
    std::wstring wide;
    if (toWide(text, wide))
        return wide;
    int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return wide;
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<std::size_t>(length - 1));
    return wide;
}

bool isControl(int id)
{
    HWND window = mainWindow();
    return window && GetDlgItem(window, id);
}

} // namespace

void setControlText(int id, const char *text)
{
    HWND window = mainWindow();
    if (window)
        SetDlgItemTextW(window, id, shownText(text).c_str());
}

bool controlText(int id, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    HWND control = mainWindow() ? GetDlgItem(mainWindow(), id) : nullptr;
    if (!control)
        return true;
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    int length = GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return toUtf8(text, dst, size);
}

int listCount(int id)
{
    LRESULT count = sendToControl(id, LB_GETCOUNT);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

int listSelection(int id)
{
    return isControl(id) ? static_cast<int>(sendToControl(id, LB_GETCURSEL)) : -1;
}

bool listText(int id, int row, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    dst[0] = '\0';
    if (!isControl(id) || row < 0)
        return false;
    LRESULT length = sendToControl(id, LB_GETTEXTLEN, static_cast<WPARAM>(row));
    if (length == LB_ERR)
        return false;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    length = sendToControl(id, LB_GETTEXT, static_cast<WPARAM>(row),
                           reinterpret_cast<LPARAM>(text.data()));
    if (length == LB_ERR)
        return false;
    text.resize(static_cast<std::size_t>(length));
    return toUtf8(text, dst, size);
}

// Inserting at an index never sorts, though the list box has the sort style; past the end it
// appends.
void insertListRow(int id, int row, const char *text)
{
    if (row < 0 || row > listCount(id))
        row = -1;
    sendToControl(id, LB_INSERTSTRING, static_cast<WPARAM>(row),
                  reinterpret_cast<LPARAM>(shownText(text).c_str()));
}

void deleteListRow(int id, int row)
{
    if (row >= 0)
        sendToControl(id, LB_DELETESTRING, static_cast<WPARAM>(row));
}

void selectRow(int id, int row)
{
    sendToControl(id, LB_SETCURSEL, static_cast<WPARAM>(row < 0 ? -1 : row));
}

// Inserted at the end rather than added: the combo box has the sort style, and the play modes'
// indexes are their numbers.
void addComboItem(int id, const char *text)
{
    sendToControl(id, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                  reinterpret_cast<LPARAM>(shownText(text).c_str()));
}

void selectComboRow(int id, int row)
{
    sendToControl(id, CB_SETCURSEL, static_cast<WPARAM>(row));
}

int comboSelection(int id)
{
    return isControl(id) ? static_cast<int>(sendToControl(id, CB_GETCURSEL)) : -1;
}

int sliderValue(int id)
{
    return static_cast<int>(sendToControl(id, TBM_GETPOS));
}

// Setting a trackbar sends no notification, so the program's own changes never seek.
void setSliderValue(int id, int value)
{
    sendToControl(id, TBM_SETPOS, TRUE, value);
}

// The two ends are set separately, each a full 32-bit value: a packed range would cut a length
// over 65535 seconds.
void setSliderRange(int id, int minimum, int maximum)
{
    sendToControl(id, TBM_SETRANGEMIN, FALSE, minimum);
    sendToControl(id, TBM_SETRANGEMAX, TRUE, maximum < minimum ? minimum : maximum);
}
