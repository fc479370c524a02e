// SPDX-License-Identifier: GPL-3.0-or-later
// The host functions that read and change the window's controls, addressed by identifier.
#include <cstring>

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "host/host.h"
#include "host/qt/display_text.h"
#include "host/qt/main_window.h"
#include "host/qt/window_events.h"

// A label paints its new text at once, as a static text control does, so a text set just before
// a blocking wait is what the frozen window shows; everything else repaints after the wait.
void setControlText(int id, const char *text)
{
    if (auto *label = controlAs<QLabel>(id)) {
        label->setText(displayText(text));
        label->repaint();
    } else if (auto *button = controlAs<QPushButton>(id)) {
        button->setText(displayText(text));
    }
    updateAccessibleText(id);
    announceWindowChange(WindowChange::Text, id);
}

namespace {

bool copyBytes(const QByteArray &bytes, char *dst, std::size_t size)
{
    if (size == 0)
        return false;
    if (static_cast<std::size_t>(bytes.size()) >= size) {
        dst[0] = '\0';
        return false;
    }
    std::memcpy(dst, bytes.constData(), bytes.size() + 1);
    return true;
}

bool copyUtf8(const QString &text, char *dst, std::size_t size)
{
    return copyBytes(text.toUtf8(), dst, size);
}

} // namespace

bool controlText(int id, char *dst, std::size_t size)
{
    if (auto *label = controlAs<QLabel>(id))
        return copyUtf8(label->text(), dst, size);
    if (auto *button = controlAs<QPushButton>(id))
        return copyUtf8(button->text(), dst, size);
    return copyUtf8(QString(), dst, size);
}

int listCount(int id)
{
    auto *list = controlAs<QListWidget>(id);
    return list ? list->count() : 0;
}

int listSelection(int id)
{
    auto *list = controlAs<QListWidget>(id);
    if (!list)
        return -1;
    QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

// The row's bytes as they were inserted, whatever the list shows for them.
bool listText(int id, int row, char *dst, std::size_t size)
{
    auto *list = controlAs<QListWidget>(id);
    QListWidgetItem *item = list ? list->item(row) : nullptr;
    return copyBytes(item ? item->data(ROW_BYTES_ROLE).toByteArray() : QByteArray(), dst, size) &&
           item;
}

void insertListRow(int id, int row, const char *text)
{
    auto *list = controlAs<QListWidget>(id);
    if (!list)
        return;
    if (row < 0 || row > list->count())
        row = list->count();
    auto *item = new QListWidgetItem(displayText(text));
    item->setData(ROW_BYTES_ROLE, QByteArray(text));
    list->insertItem(row, item);
}

void deleteListRow(int id, int row)
{
    auto *list = controlAs<QListWidget>(id);
    if (!list || row < 0 || row >= list->count())
        return;
    bool wasSelected = listSelection(id) == row;
    delete list->takeItem(row);
    // A list box selects nothing once its selected entry is gone; Qt would select the next.
    if (wasSelected) {
        list->clearSelection();
        list->setCurrentRow(-1);
    }
}

void selectRow(int id, int row)
{
    auto *list = controlAs<QListWidget>(id);
    if (!list)
        return;
    if (row < 0 || row >= list->count()) {
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void addComboItem(int id, const char *text)
{
    if (auto *combo = controlAs<QComboBox>(id))
        combo->addItem(QString::fromUtf8(text));
}

void selectComboRow(int id, int row)
{
    if (auto *combo = controlAs<QComboBox>(id))
        combo->setCurrentIndex(row);
}

int comboSelection(int id)
{
    auto *combo = controlAs<QComboBox>(id);
    return combo ? combo->currentIndex() : -1;
}

int sliderValue(int id)
{
    // During a user action the new position is already set while value() still lags behind.
    auto *slider = controlAs<QSlider>(id);
    return slider ? slider->sliderPosition() : 0;
}

void setSliderValue(int id, int value)
{
    // The slider announces a change of its value itself, the user's moves too.
    if (auto *slider = controlAs<QSlider>(id))
        slider->setValue(value);
}

void setSliderRange(int id, int minimum, int maximum)
{
    if (auto *slider = controlAs<QSlider>(id)) {
        slider->setRange(minimum, maximum);
        setSliderSteps(slider);
    }
    announceWindowChange(WindowChange::SliderRange, id);
}
