// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as plain records: each control of the template keeps what its Qt widget
// would show, with QListWidget's, QSlider's and QComboBox's rules for rows, ranges and items.
#include "host/memory/memory_host.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "host/files.h"
#include "host/host.h"
#include "host/seam_handlers.h"
#include "host/selection_buffer.h"
#include "resources/main_template.h"
#include "state/limits.h"
#include "tests/support/user_actions.h"

namespace {

constexpr std::size_t CONTROL_COUNT = sizeof MAIN_CONTROLS / sizeof MAIN_CONTROLS[0];

struct Control {
    int id = IDC_STATIC;
    ControlKind kind = ControlKind::StaticText;
    std::string text;
    std::vector<std::string> rows;
    // A list's selection, and its current row, which outlives a cleared selection as in Qt.
    int selection = -1;
    int current = -1;
    // A combo box's items and current index; -1 while it has none.
    std::vector<std::string> items;
    int comboIndex = -1;
    int minimum = 0;
    int maximum = 100;
    int value = 0;
};

struct Window {
    Control controls[CONTROL_COUNT];
    DialogProc proc = nullptr;
    bool ended = false;
};

std::optional<Window> window;

struct Clock {
    bool running = false;
    int interval = 0;
    TimerProc proc = nullptr;
    // A tick came due while a wait blocked the thread; it comes as soon as the wait ends.
    bool tickOverdue = false;
};
Clock clock;

std::vector<ShownMessage> messages;
std::vector<int> waits;
bool skinAttached = false;

Control *controlOf(int id, ControlKind kind)
{
    if (!window || id == IDC_STATIC)
        return nullptr;
    for (Control &control : window->controls) {
        if (control.id == id)
            return control.kind == kind ? &control : nullptr;
    }
    return nullptr;
}

Control *listOf(int id)
{
    return controlOf(id, ControlKind::ListBox);
}

Control *sliderOf(int id)
{
    return controlOf(id, ControlKind::Trackbar);
}

// As Qt's copy of a text out of a widget: false, with dst empty, when it does not fit.
bool copyBytes(std::string_view bytes, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    if (bytes.size() >= size) {
        dst[0] = '\0';
        return false;
    }
    // An empty view may have no data at all.
    if (!bytes.empty())
        std::memcpy(dst, bytes.data(), bytes.size());
    dst[bytes.size()] = '\0';
    return true;
}

void sendCommand(int id, int notification)
{
    if (window && window->proc)
        window->proc(WM_COMMAND, makeWParam(id, notification), 0);
}

} // namespace

void buildMemoryWindow()
{
    window.emplace();
    std::size_t index = 0;
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        Control &control = window->controls[index++];
        control.id = item.id;
        control.kind = item.kind;
        // A picture shows no text; every other control starts with its template's.
        if (item.kind == ControlKind::PushButton || item.kind == ControlKind::StaticText)
            control.text = item.text;
    }
    messages.clear();
    waits.clear();
}

const std::vector<std::string> &listRows(int id)
{
    static const std::vector<std::string> none;
    const Control *list = listOf(id);
    return list ? list->rows : none;
}

const std::vector<ShownMessage> &shownMessages()
{
    return messages;
}

const std::vector<int> &waitsDone()
{
    return waits;
}

void createMainDialog(DialogProc proc)
{
    destroyMainDialog();
    buildMemoryWindow();
    window->proc = proc;
    proc(WM_INITDIALOG, 0, 0);
}

void destroyMainDialog()
{
    window.reset();
}

bool dialogEnded()
{
    return window && window->ended;
}

void endDialog(int)
{
    if (window)
        window->ended = true;
}

// No run waits for a frame here, so the work runs at once, as on the Qt host outside a run.
void afterFirstFrame(TimerProc proc)
{
    proc();
}

void setControlText(int id, const char *text)
{
    Control *control = controlOf(id, ControlKind::StaticText);
    if (!control)
        control = controlOf(id, ControlKind::PushButton);
    if (control)
        control->text = text;
}

bool controlText(int id, char *dst, std::size_t size)
{
    Control *control = controlOf(id, ControlKind::StaticText);
    if (!control)
        control = controlOf(id, ControlKind::PushButton);
    return copyBytes(control ? control->text : std::string_view(), dst, size);
}

int listCount(int id)
{
    const Control *list = listOf(id);
    return list ? static_cast<int>(list->rows.size()) : 0;
}

int listSelection(int id)
{
    const Control *list = listOf(id);
    return list ? list->selection : -1;
}

bool listText(int id, int row, char *dst, std::size_t size)
{
    const Control *list = listOf(id);
    bool exists = list && row >= 0 && row < static_cast<int>(list->rows.size());
    return copyBytes(exists ? list->rows[row] : std::string_view(), dst, size) && exists;
}

void insertListRow(int id, int row, const char *text)
{
    Control *list = listOf(id);
    if (!list)
        return;
    int count = static_cast<int>(list->rows.size());
    if (row < 0 || row > count)
        row = count;
    list->rows.insert(list->rows.begin() + row, text);
    // The selected and the current row are items: they move down with the rows above them.
    if (list->selection >= row)
        ++list->selection;
    if (list->current >= row)
        ++list->current;
}

void deleteListRow(int id, int row)
{
    Control *list = listOf(id);
    if (!list || row < 0 || row >= static_cast<int>(list->rows.size()))
        return;
    bool wasSelected = list->selection == row;
    list->rows.erase(list->rows.begin() + row);
    int count = static_cast<int>(list->rows.size());
    if (list->selection > row)
        --list->selection;
    if (list->current > row) {
        --list->current;
    } else if (list->current == row) {
        // A single-selection view makes the next row, else the one above, current and selected.
        list->current = count == 0 ? -1 : std::min(row, count - 1);
        list->selection = list->current;
    }
    // A list box selects nothing once its selected entry is gone.
    if (wasSelected) {
        list->selection = -1;
        list->current = -1;
    }
}

void selectRow(int id, int row)
{
    Control *list = listOf(id);
    if (!list)
        return;
    if (row < 0 || row >= static_cast<int>(list->rows.size())) {
        list->selection = -1;
        return;
    }
    list->selection = row;
    list->current = row;
}

void addComboItem(int id, const char *text)
{
    Control *combo = controlOf(id, ControlKind::ComboBox);
    if (!combo)
        return;
    combo->items.emplace_back(text);
    // The first item of an empty box becomes its current one.
    if (combo->items.size() == 1)
        combo->comboIndex = 0;
}

void selectComboRow(int id, int row)
{
    Control *combo = controlOf(id, ControlKind::ComboBox);
    if (!combo)
        return;
    combo->comboIndex = row >= 0 && row < static_cast<int>(combo->items.size()) ? row : -1;
}

int comboSelection(int id)
{
    const Control *combo = controlOf(id, ControlKind::ComboBox);
    return combo ? combo->comboIndex : -1;
}

int sliderValue(int id)
{
    const Control *slider = sliderOf(id);
    return slider ? slider->value : 0;
}

void setSliderValue(int id, int value)
{
    if (Control *slider = sliderOf(id))
        slider->value = std::clamp(value, slider->minimum, slider->maximum);
}

void setSliderRange(int id, int minimum, int maximum)
{
    Control *slider = sliderOf(id);
    if (!slider)
        return;
    // As QAbstractSlider: a maximum below the minimum leaves the minimum the only value.
    slider->minimum = minimum;
    slider->maximum = std::max(minimum, maximum);
    slider->value = std::clamp(slider->value, slider->minimum, slider->maximum);
}

void showError(const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message)
        handler("错误!", text, true);
    else
        messages.push_back({"错误!", text, true});
}

void showMessage(const char *caption, const char *text)
{
    if (const MessageHandler &handler = seamHandlers().message)
        handler(caption, text, false);
    else
        messages.push_back({caption, text, false});
}

void setTimer(int, int milliseconds, TimerProc proc)
{
    clock.proc = proc;
    clock.interval = milliseconds;
    clock.running = true;
    clock.tickOverdue = false;
}

void killTimer(int)
{
    clock.running = false;
    clock.tickOverdue = false;
}

bool isClockRunning()
{
    return clock.running;
}

int clockInterval()
{
    return clock.interval;
}

bool isClockTickOverdue()
{
    return clock.tickOverdue;
}

void fireClockTick()
{
    clock.tickOverdue = false;
    if (clock.proc)
        clock.proc();
}

void blockingWait(int milliseconds)
{
    clock.tickOverdue = clock.tickOverdue || (clock.running && milliseconds >= clock.interval);
    if (const WaitHandler &handler = seamHandlers().wait)
        handler(milliseconds);
    else
        waits.push_back(milliseconds);
}

// Without a dialog seam the user cancels.
bool chooseFiles(char *buffer, std::size_t size, int *leftOut)
{
    return chooseSelection(buffer, size, leftOut, [](std::vector<std::string> &paths, int &) {
        const FileDialogHandler &handler = seamHandlers().fileDialog;
        return handler && handler(paths);
    });
}

void attachSkin()
{
    skinAttached = true;
}

int mediaCommand(const char *command, char *reply, int replyLength)
{
    if (const MediaHandler &handler = seamHandlers().media)
        return handler(command, reply, replyLength);
    if (reply && replyLength > 0)
        reply[0] = '\0';
    return 0;
}

void resetSeams()
{
    seamHandlers() = SeamHandlers();
#ifndef _WIN32
    setPasswordHomeLookup(nullptr);
#endif
    clock.running = false;
    clock.proc = nullptr;
}

void clickButton(int id)
{
    if (controlOf(id, ControlKind::PushButton))
        sendCommand(id, BN_CLICKED);
}

void doubleClickRow(int id, int row)
{
    if (!listOf(id) || row < 0 || row >= listCount(id))
        return;
    selectRow(id, row);
    sendCommand(id, LBN_DBLCLK);
}

void dragSlider(int id, int value)
{
    Control *slider = sliderOf(id);
    if (!slider)
        return;
    int position = std::clamp(value, slider->minimum, slider->maximum);
    if (position == slider->value)
        return;
    slider->value = position;
    if (window->proc)
        window->proc(WM_HSCROLL, 0, id);
}

int sliderMinimum(int id)
{
    const Control *slider = sliderOf(id);
    return slider ? slider->minimum : 0;
}

int sliderMaximum(int id)
{
    const Control *slider = sliderOf(id);
    return slider ? slider->maximum : 0;
}

bool isSkinAttached()
{
    return skinAttached;
}

void detachSkin()
{
    skinAttached = false;
}
