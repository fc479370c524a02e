// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include "host/qt/file_drop.h"
#include "host/qt/window_events.h"
#include "host/seams.h"
#include "state/limits.h"

namespace {

MainDialog *theDialog = nullptr;

// The dialog font: a CJK sans face sized to give base units near 8 x 16 pixels at 96 DPI.
QFont dialogFont()
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPointSizeF(10.5);
    return font;
}

// The labels a screen reader names by what they show; their template name describes them, and
// names them while they show nothing.
bool isNamedByText(int id)
{
    return id == IDC_TITLE || id == IDC_TOTALTIME || id == IDC_ELAPSED;
}

void nameByShownText(QLabel *label)
{
    QString shown = label->text();
    QString name = shown.trimmed().isEmpty() ? label->accessibleDescription() : shown;
    // Setting a name announces it even when it stays the same.
    if (label->accessibleName() != name)
        label->setAccessibleName(name);
}

} // namespace

void setSliderSteps(QSlider *slider)
{
    slider->setSingleStep(1);
    slider->setPageStep(std::max(1, (slider->maximum() - slider->minimum()) / 5));
}

void updateAccessibleText(int id)
{
    auto *label = controlAs<QLabel>(id);
    if (label && isNamedByText(id))
        nameByShownText(label);
}

DialogBaseUnits dialogBaseUnits(const QFont &font)
{
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect dialogUnitsToPixels(const DialogBaseUnits &units, int x, int y, int width, int height)
{
    auto toX = [&](int dlu) { return (dlu * units.x + 2) / 4; };
    auto toY = [&](int dlu) { return (dlu * units.y + 4) / 8; };
    return QRect(toX(x), toY(y), toX(width), toY(height));
}

MainDialog::MainDialog(DialogProc proc)
    : m_proc(proc), m_units(dialogBaseUnits(dialogFont())), m_client(new QWidget(this)),
      m_menuBar(new QMenuBar(this))
{
    setFont(dialogFont());
    setWindowTitle(QString::fromUtf8(MAIN_CAPTION));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    QMenu *popup = m_menuBar->addMenu(QString::fromUtf8(MENU_POPUP_TEXT));
    QAction *about = popup->addAction(QString::fromUtf8(MENU_ABOUT_TEXT));
    connect(about, &QAction::triggered, this, [this] { sendCommand(IDM_ABOUT, 0); });

    QRect client = dialogUnitsToPixels(m_units, 0, 0, MAIN_WIDTH_DLU, MAIN_HEIGHT_DLU);
    m_client->setFixedSize(client.size());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget *previous = nullptr;
    int index = 0;
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        QWidget *widget = createControl(item);
        m_controls[index++] = widget;
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous)
                setTabOrder(previous, widget);
            previous = widget;
        }
    }
}

QWidget *MainDialog::createControl(const ControlTemplate &item)
{
    const QString text = QString::fromUtf8(item.text);
    QRect geometry = dialogUnitsToPixels(m_units, item.x, item.y, item.width, item.height);
    QWidget *widget = nullptr;
    switch (item.kind) {
    case ControlKind::PushButton: {
        auto *button = new QPushButton(text, m_client);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, id = item.id] { sendCommand(id, 0); });
        widget = button;
        break;
    }
    case ControlKind::ListBox: {
        auto *list = new QListWidget(m_client);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false);
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setAcceptDrops(true);
        list->viewport()->setAcceptDrops(true);
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::itemDoubleClicked, this,
                [this, id = item.id] { sendCommand(id, LBN_DBLCLK); });
        widget = list;
        break;
    }
    case ControlKind::Trackbar: {
        auto *slider = new QSlider(Qt::Horizontal, m_client);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setRange(0, 100);
        setSliderSteps(slider);
        // Only user input emits these; setValue and setRange from the program never do.
        connect(slider, &QSlider::actionTriggered, this,
                [this, id = item.id] { m_proc(WM_HSCROLL, 0, id); });
        connect(slider, &QSlider::sliderReleased, this,
                [this, id = item.id] { m_proc(WM_HSCROLL, 0, id); });
        connect(slider, &QSlider::valueChanged, this,
                [id = item.id] { announceWindowChange(WindowChange::SliderValue, id); });
        widget = slider;
        break;
    }
    case ControlKind::StaticText: {
        auto *label = new QLabel(text, m_client);
        // File names are shown as they are, never read as markup.
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
    }
    case ControlKind::StaticPicture: {
        auto *picture = new QLabel(m_client);
        QPixmap banner(QStringLiteral(":/vorla/banner.png"));
        picture->setPixmap(banner);
        geometry.setSize(banner.size());
        widget = picture;
        break;
    }
    case ControlKind::ComboBox: {
        auto *combo = new QComboBox(m_client);
        // The template height includes the drop-down list; the closed box takes its own height.
        geometry.setHeight(combo->sizeHint().height());
        widget = combo;
        break;
    }
    }
    widget->setGeometry(geometry);
    widget->setAccessibleName(QString::fromUtf8(item.accessibleName));
    if (auto *label = qobject_cast<QLabel *>(widget); label && isNamedByText(item.id)) {
        label->setAccessibleDescription(label->accessibleName());
        nameByShownText(label);
    }
    if (item.id != IDC_STATIC)
        widget->setObjectName(QString::number(item.id));
    return widget;
}

QWidget *MainDialog::control(int id) const
{
    if (id == IDC_STATIC)
        return nullptr;
    int index = 0;
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        if (item.id == id)
            return m_controls[index];
        ++index;
    }
    return nullptr;
}

void MainDialog::sendCommand(int id, int notification)
{
    m_proc(WM_COMMAND, makeWParam(id, notification), 0);
}

namespace {

// The local audio files among a drag's URLs, in order.
std::vector<std::string> droppedAudioFiles(const QMimeData *data)
{
    std::vector<std::string> paths;
    if (!data || !data->hasUrls())
        return paths;
    // Read as bytes: QUrl would replace a name's bytes that are not UTF-8.
    QByteArray list = data->data(QStringLiteral("text/uri-list"));
    for (std::string &path : localPathsOfUriList(std::string_view(list.constData(), list.size()))) {
        if (isAudioFileName(path))
            paths.push_back(std::move(path));
    }
    return paths;
}

} // namespace

bool MainDialog::eventFilter(QObject *watched, QEvent *event)
{
    QWidget *list = control(IDC_PLAYLIST);
    if (!list || (watched != list && watched != static_cast<QListWidget *>(list)->viewport()))
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::KeyPress: {
        // On the list, Space plays or pauses and Delete deletes, through the buttons' routes.
        int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Space) {
            sendCommand(isClockRunning() ? IDC_PAUSE : IDC_PLAY, 0);
            return true;
        }
        if (key == Qt::Key_Delete) {
            sendCommand(IDC_DELETE, 0);
            return true;
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (droppedAudioFiles(drag->mimeData()).empty())
            drag->ignore();
        else
            drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        std::vector<std::string> paths = droppedAudioFiles(drop->mimeData());
        if (paths.empty())
            return true;
        drop->acceptProposedAction();
        int room = MAX_ENTRIES - static_cast<QListWidget *>(list)->count();
        for (DropBatch &batch : planDrop(paths, room)) {
            setDroppedFiles(std::move(batch));
            sendCommand(IDC_ADD, 0);
        }
        return true;
    }
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::endWith(int result)
{
    m_ended = true;
    done(result);
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    // Esc reaches the routing as IDCANCEL, which does nothing; the window never closes on it.
    if (event->key() == Qt::Key_Escape) {
        sendCommand(IDCANCEL, 0);
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::reject()
{
    sendCommand(IDCANCEL, 0);
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    m_proc(WM_CLOSE, 0, 0);
    if (m_ended)
        event->accept();
    else
        event->ignore();
}

MainDialog *mainDialog()
{
    return theDialog;
}

void createMainDialog(DialogProc proc)
{
    destroyMainDialog();
    theDialog = new MainDialog(proc);
    QScreen *screen = theDialog->screen();
    theDialog->adjustSize();
    if (screen)
        theDialog->move(screen->availableGeometry().center() - theDialog->rect().center());
    proc(WM_INITDIALOG, 0, 0);
}

void destroyMainDialog()
{
    delete theDialog;
    theDialog = nullptr;
}

bool dialogEnded()
{
    return theDialog && theDialog->hasEnded();
}

void raiseMainDialog()
{
    if (!theDialog)
        return;
    theDialog->setWindowState(theDialog->windowState() & ~Qt::WindowMinimized);
    theDialog->show();
    theDialog->raise();
    theDialog->activateWindow();
}

void endDialog(int result)
{
    if (theDialog)
        theDialog->endWith(result);
}

void closeMainDialog()
{
    if (theDialog)
        theDialog->close();
}
