// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/qt/application.h"
#include "host/qt/window_events.h"
#include "host/seams.h"
#include "resources/main_template.h"
#include "state/player_state.h"
#include "tests/support/fake_host.h"
#include "tests/support/window_test.h"

namespace {

class MainWindow : public WindowTest {
protected:
    QWidget *control(int id) { return mainDialog()->control(id); }
};

bool hasKind(QWidget *widget, ControlKind kind)
{
    switch (kind) {
    case ControlKind::PushButton: return qobject_cast<QPushButton *>(widget);
    case ControlKind::ListBox: return qobject_cast<QListWidget *>(widget);
    case ControlKind::Trackbar: return qobject_cast<QSlider *>(widget);
    case ControlKind::StaticText:
    case ControlKind::StaticPicture: return qobject_cast<QLabel *>(widget);
    case ControlKind::ComboBox: return qobject_cast<QComboBox *>(widget);
    }
    return false;
}

QString shownText(QWidget *widget)
{
    if (auto *button = qobject_cast<QPushButton *>(widget))
        return button->text();
    if (auto *label = qobject_cast<QLabel *>(widget))
        return label->text();
    return QString();
}

} // namespace

TEST(DialogUnits, ConvertWithWindowsRounding)
{
    const DialogBaseUnits units{8, 16};
    EXPECT_EQ(dialogUnitsToPixels(units, 7, 143, 29, 12), QRect(14, 286, 58, 24));
    EXPECT_EQ(dialogUnitsToPixels(units, 0, 0, 154, 280), QRect(0, 0, 308, 560));
    // Odd base units round to the nearest pixel, as MulDiv does.
    const DialogBaseUnits odd{7, 15};
    EXPECT_EQ(dialogUnitsToPixels(odd, 1, 1, 3, 3), QRect(2, 2, 5, 6));
}

TEST_F(MainWindow, ClientAreaIsTheTemplateSizeAtNinetySixDpi)
{
    MainDialog *dialog = mainDialog();
    EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Vorla音乐播放器"));
    EXPECT_EQ(dialog->baseUnits().x, 8);
    EXPECT_EQ(dialog->baseUnits().y, 16);
    EXPECT_EQ(dialog->clientArea()->size(), QSize(308, 560));
    dialog->show();
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize()) << "the window must not be resizable";
}

TEST_F(MainWindow, EveryControlMatchesItsTemplateEntry)
{
    const DialogBaseUnits units = mainDialog()->baseUnits();
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        if (item.id == IDC_STATIC)
            continue;
        SCOPED_TRACE(item.id);
        QWidget *widget = control(item.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(hasKind(widget, item.kind));
        EXPECT_EQ(widget->parentWidget(), mainDialog()->clientArea());
        QRect expected = dialogUnitsToPixels(units, item.x, item.y, item.width, item.height);
        if (item.kind == ControlKind::ComboBox) {
            EXPECT_EQ(widget->pos(), expected.topLeft());
            EXPECT_EQ(widget->width(), expected.width());
        } else {
            EXPECT_EQ(widget->geometry(), expected);
        }
        if (item.kind == ControlKind::PushButton || item.kind == ControlKind::StaticText) {
            EXPECT_EQ(shownText(widget), QString::fromUtf8(item.text));
        }
    }
}

TEST_F(MainWindow, UnnamedStaticsShowTheBannerAndTheModeCaption)
{
    auto labels = mainDialog()->clientArea()->findChildren<QLabel *>();
    bool banner = false;
    bool caption = false;
    for (QLabel *label : labels) {
        if (!label->pixmap().isNull()) {
            banner = true;
            EXPECT_EQ(label->pixmap().size(), QSize(301, 79));
        }
        caption = caption || label->text() == QString::fromUtf8("播放模式:");
    }
    EXPECT_TRUE(banner);
    EXPECT_TRUE(caption);
}

TEST_F(MainWindow, TabVisitsControlsInTemplateOrder)
{
    std::vector<QWidget *> expected;
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        QWidget *widget = control(item.id);
        if (widget && widget->focusPolicy() & Qt::TabFocus)
            expected.push_back(widget);
    }
    ASSERT_EQ(expected.size(), 14u);
    QWidget *widget = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus) ||
                 widget->parentWidget() != mainDialog()->clientArea());
        EXPECT_EQ(widget, expected[i]) << "tab stop " << i;
    }
}

TEST_F(MainWindow, FirstStartWithoutPlaylistFile)
{
    auto *mode = qobject_cast<QComboBox *>(control(IDC_MODE));
    ASSERT_EQ(mode->count(), 4);
    const char *names[] = {"单曲播放", "单曲循环", "顺序播放", "列表循环"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(mode->itemText(i), QString::fromUtf8(names[i]));
    EXPECT_EQ(mode->currentIndex(), 0);

    auto *volume = qobject_cast<QSlider *>(control(IDC_VOLUME));
    EXPECT_EQ(volume->minimum(), 0);
    EXPECT_EQ(volume->maximum(), 1000);
    EXPECT_EQ(volume->value(), 1000);

    EXPECT_EQ(qobject_cast<QListWidget *>(control(IDC_PLAYLIST))->count(), 0);
    EXPECT_EQ(shownText(control(IDC_TITLE)), QString());
    EXPECT_EQ(shownText(control(IDC_ELAPSED)), QStringLiteral("0:00"));
    EXPECT_EQ(shownText(control(IDC_TOTALTIME)), QStringLiteral("0:00"));
    EXPECT_EQ(player.currentIndex, -1);
    EXPECT_TRUE(qApp->styleSheet().isEmpty()) << "no playlist file, so no skin";
}

TEST_F(MainWindow, StartupSoundIsTheFirstCommandAndFailsQuietlyWhenMissing)
{
    destroyMainDialog();
    createMainDialog(mainDialogProc);

    ASSERT_FALSE(fakes.commands.empty());
    EXPECT_EQ(fakes.commands.front(), "play ");
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(MainWindow, StartupSoundIsFoundInTheDataFolders)
{
    destroyMainDialog();
    TempDir shared;
    writeFile(shared.path / "vorla" / "open.mp3", "ID3");
    setenv("XDG_DATA_DIRS", ("/nonexistent:" + shared.path.string()).c_str(), 1);
    fakes.commands.clear();

    createMainDialog(mainDialogProc);

    ASSERT_FALSE(fakes.commands.empty());
    EXPECT_EQ(fakes.commands.front(), "play file://" + (shared.path / "vorla/open.mp3").string());
}

TEST_F(MainWindow, MenuOpensTheAboutBox)
{
    QMenuBar *bar = mainDialog()->menuBar();
    ASSERT_EQ(bar->actions().size(), 1);
    QAction *popup = bar->actions().front();
    EXPECT_EQ(popup->text(), QString::fromUtf8("关于(&G)"));
    ASSERT_EQ(popup->menu()->actions().size(), 1);
    QAction *about = popup->menu()->actions().front();
    EXPECT_EQ(about->text(), QString::fromUtf8("说明(&G)"));

    about->trigger();

    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].caption, "说明");
    EXPECT_FALSE(fakes.messages[0].isError);
    const std::string &text = fakes.messages[0].text;
    EXPECT_EQ(text.rfind("Vorla音乐播放器\n\n", 0), 0u);
    EXPECT_NE(text.find("\n----------------------------------\nV1.5\n\n更新项目：\n\n美化界面\n\n"
                        "----------------------------------\n\n使用说明：\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - std::string("利用↑、↓按钮移动歌曲顺序。").size()),
              "利用↑、↓按钮移动歌曲顺序。");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 25);
}

TEST_F(MainWindow, EscapeAndUnknownIdentifiersDoNothing)
{
    MainDialog *dialog = mainDialog();
    dialog->show();
    fakes.commands.clear();

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(dialog, &escape);
    mainDialogProc(WM_COMMAND, makeWParam(1010, 0), 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDCANCEL, 0), 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_SELCHANGE), 0);

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialogEnded());
    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(MainWindow, CloseBoxEndsTheDialogWithZero)
{
    destroyMainDialog();
    QTimer::singleShot(0, [] { mainDialog()->close(); });
    char name[] = "vorla";
    char *argv[] = {name, nullptr};

    EXPECT_EQ(runMainDialog(1, argv, mainDialogProc), 0);
    EXPECT_EQ(mainDialog(), nullptr);
}

TEST_F(MainWindow, TitleShowsMarkupInANameAsPlainText)
{
    setControlText(IDC_TITLE, "<i>x</i>.mp3");
    auto *title = qobject_cast<QLabel *>(control(IDC_TITLE));
    EXPECT_EQ(title->textFormat(), Qt::PlainText);
    EXPECT_EQ(title->text(), QStringLiteral("<i>x</i>.mp3"));
}

// Whoever publishes the window elsewhere must know when its controls are out of the user's reach.
TEST_F(MainWindow, BoxesAndTheFileDialogTellTheListenerTheyOpenAndClose)
{
    std::vector<WindowChange> heard;
    setWindowListener([&heard](WindowChange change, int) {
        if (change == WindowChange::DialogOpened || change == WindowChange::DialogClosed)
            heard.push_back(change);
    });
    setMessageHandler(nullptr);
    setFileDialogHandler(nullptr);
    auto closeTheBoxOnceOpen = [] {
        QTimer::singleShot(0, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
    };
    const std::vector<WindowChange> openThenClosed = {WindowChange::DialogOpened,
                                                      WindowChange::DialogClosed};

    closeTheBoxOnceOpen();
    showError("x");
    EXPECT_EQ(heard, openThenClosed);
    heard.clear();
    closeTheBoxOnceOpen();
    showMessage("a", "b");
    EXPECT_EQ(heard, openThenClosed);
    heard.clear();
    closeTheBoxOnceOpen();
    char selection[64] = {};
    int leftOut = 0;
    EXPECT_FALSE(chooseFiles(selection, sizeof selection, &leftOut));
    EXPECT_EQ(heard, openThenClosed);
    setWindowListener(nullptr);
}
