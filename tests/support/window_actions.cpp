// SPDX-License-Identifier: GPL-3.0-or-later
// The user's actions on the real Qt window, through its widgets' own signals.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

#include "host/qt/main_window.h"
#include "tests/support/user_actions.h"

void clickButton(int id)
{
    if (auto *button = controlAs<QPushButton>(id))
        button->click();
}

void doubleClickRow(int id, int row)
{
    auto *list = controlAs<QListWidget>(id);
    if (!list || !list->item(row))
        return;
    list->setCurrentRow(row);
    emit list->itemDoubleClicked(list->item(row));
}

void dragSlider(int id, int value)
{
    // Not pressed, the new position is a move the slider reports at once.
    if (auto *slider = controlAs<QSlider>(id))
        slider->setSliderPosition(value);
}

int sliderMinimum(int id)
{
    auto *slider = controlAs<QSlider>(id);
    return slider ? slider->minimum() : 0;
}

int sliderMaximum(int id)
{
    auto *slider = controlAs<QSlider>(id);
    return slider ? slider->maximum() : 0;
}

bool isSkinAttached()
{
    return !qApp->styleSheet().isEmpty();
}

void detachSkin()
{
    qApp->setStyleSheet(QString());
}
