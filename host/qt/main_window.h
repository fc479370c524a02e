// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QDialog>
#include <QRect>

#include "host/host.h"
#include "resources/main_template.h"

class QLabel;
class QMenuBar;
class QSlider;

// Pixels per dialog unit come from the dialog font as on Windows: base x is the average width
// of "A".."Z" and "a".."z", base y the font height.
struct DialogBaseUnits {
    int x;
    int y;
};
DialogBaseUnits dialogBaseUnits(const QFont &font);
QRect dialogUnitsToPixels(const DialogBaseUnits &units, int x, int y, int width, int height);

// The main window, built from the template; every user action becomes a window message.
class MainDialog : public QDialog {
public:
    explicit MainDialog(DialogProc proc);

    QWidget *control(int id) const;
    QWidget *clientArea() const { return m_client; }
    QMenuBar *menuBar() const { return m_menuBar; }
    DialogBaseUnits baseUnits() const { return m_units; }
    bool hasEnded() const { return m_ended; }
    void endWith(int result);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QWidget *createControl(const ControlTemplate &item);
    void sendCommand(int id, int notification);

    DialogProc m_proc;
    DialogBaseUnits m_units;
    QWidget *m_client;
    QMenuBar *m_menuBar;
    QWidget *m_controls[sizeof MAIN_CONTROLS / sizeof MAIN_CONTROLS[0]] = {};
    bool m_ended = false;
};

// The window the host functions address; null before it is built.
MainDialog *mainDialog();

// The window's control with that identifier as a Widget; null when there is none of that kind.
template <typename Widget>
Widget *controlAs(int id)
{
    MainDialog *dialog = mainDialog();
    return dialog ? qobject_cast<Widget *>(dialog->control(id)) : nullptr;
}

// Brings the main window forward, out of a minimised state.
void raiseMainDialog();
// Closes the window as its close box does.
void closeMainDialog();

// How the controls show what the host functions give them. A list row keeps the bytes it was
// given beside the text it shows.
constexpr int ROW_BYTES_ROLE = Qt::UserRole;
// Like the original trackbar: a page is a fifth of the range, at least 1; an arrow key is 1.
void setSliderSteps(QSlider *slider);
// After a text change, so that a label's accessible name is the text it now shows.
void updateAccessibleText(int id);
