// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "host/qt/main_window.h"
#include "host/seams.h"
#include "resources/main_template.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/support/fake_host.h"
#include "tests/support/window_test.h"

namespace {

class DesktopIntegration : public WindowTest {
protected:
    QListWidget *list() { return qobject_cast<QListWidget *>(mainDialog()->control(IDC_PLAYLIST)); }

    // Delivers a drop of these files on the list, as a file manager would.
    bool drop(const std::vector<std::string> &paths)
    {
        QList<QUrl> urls;
        for (const std::string &path : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        QMimeData data;
        data.setUrls(urls);
        QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list()->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list()->viewport(), &dropEvent);
        return true;
    }

    void press(Qt::Key key)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(list(), &event);
    }

    TempDir music;
};

} // namespace

TEST_F(DesktopIntegration, DroppedFilesAreAddedWithTheirOwnFolders)
{
    std::string pop = (music.path / "流行").string();
    std::string jazz = (music.path / "jazz club").string();
    for (const std::string &file : {pop + "/晴天.mp3", jazz + "/So What.MP3", pop + "/夜曲.mp3"})
        writeFile(file, "x");
    writeFile(pop + "/cover.jpg", "x");

    ASSERT_TRUE(
        drop({pop + "/晴天.mp3", pop + "/cover.jpg", jazz + "/So What.MP3", pop + "/夜曲.mp3"}));

    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->item(0)->text(), QString::fromUtf8("晴天.mp3"));
    EXPECT_EQ(list()->item(1)->text(), QStringLiteral("So What.MP3"));
    EXPECT_EQ(list()->item(2)->text(), QString::fromUtf8("夜曲.mp3"));
    EXPECT_EQ(player.listCount, 3);
    EXPECT_EQ(player.dirCount, 3);
    EXPECT_EQ(std::string(player.dirTable[0]), pop);
    EXPECT_EQ(std::string(player.dirTable[1]), jazz);
    EXPECT_EQ(std::string(player.dirTable[2]), pop);
    EXPECT_TRUE(fakes.messages.empty());
    EXPECT_EQ(readFile(fakes.playlistFile()).substr(0, 2), "3\n") << "saved as after an Add";
}

TEST_F(DesktopIntegration, DropsWithoutAudioFilesAreRefused)
{
    writeFile(music.path / "notes.txt", "x");
    EXPECT_FALSE(drop({(music.path / "notes.txt").string()}));
    EXPECT_FALSE(drop({}));
    EXPECT_EQ(list()->count(), 0);
    EXPECT_TRUE(fakes.messages.empty());
}

TEST_F(DesktopIntegration, DropOnAFullListIsToldOnce)
{
    for (int i = 0; i < MAX_ENTRIES - 1; ++i) {
        insertListRow(IDC_PLAYLIST, -1, "old.mp3");
        player.dirTable[i][0] = '\0';
    }
    player.listCount = player.dirCount = MAX_ENTRIES - 1;
    std::vector<std::string> paths;
    for (const char *folder : {"a", "b", "c"}) {
        paths.push_back((music.path / folder / "x.mp3").string());
        writeFile(paths.back(), "x");
    }

    ASSERT_TRUE(drop(paths));

    EXPECT_EQ(list()->count(), MAX_ENTRIES);
    EXPECT_EQ(std::string(player.dirTable[MAX_ENTRIES - 1]), (music.path / "a").string());
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].caption, "错误!");
    EXPECT_NE(fakes.messages[0].text.find('2'), std::string::npos) << fakes.messages[0].text;
}

TEST_F(DesktopIntegration, SpaceTogglesPlayAndPauseAndDeleteDeletesOnTheList)
{
    writeFile(music.path / "a.mp3", "x");
    insertListRow(IDC_PLAYLIST, -1, "a.mp3");
    copyText(player.dirTable[0], PATH_BYTES, music.path.c_str());
    player.listCount = player.dirCount = 1;
    selectRow(IDC_PLAYLIST, 0);
    std::string name = "file://" + (music.path / "a.mp3").string();

    press(Qt::Key_Space);
    ASSERT_FALSE(fakes.commands.empty());
    EXPECT_EQ(fakes.commands.front(), "play " + name);
    EXPECT_TRUE(isClockRunning());

    fakes.commands.clear();
    press(Qt::Key_Space);
    ASSERT_EQ(fakes.commands.size(), 1u);
    EXPECT_EQ(fakes.commands[0], "pause " + name);
    EXPECT_FALSE(isClockRunning());

    press(Qt::Key_Delete);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(player.currentIndex, -1);

    press(Qt::Key_Delete);
    EXPECT_EQ(fakes.lastError(), "您没有选中任何项目!");

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(mainDialog(), &escape);
    EXPECT_FALSE(dialogEnded());
}

TEST_F(DesktopIntegration, SymbolControlsHaveSpokenNames)
{
    struct Case {
        int id;
        const char *name;
    };
    const Case cases[] = {{IDC_PAUSE, "暂停"},        {IDC_STOP, "停止"},   {IDC_PREV, "上一首"},
                          {IDC_NEXT, "下一首"},       {IDC_MOVEUP, "上移"}, {IDC_MOVEDOWN, "下移"},
                          {IDC_POSITION, "播放进度"}, {IDC_VOLUME, "音量"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(mainDialog()->control(c.id)->accessibleName(), QString::fromUtf8(c.name));
    }
    for (const ControlTemplate &item : MAIN_CONTROLS) {
        if (QWidget *widget = mainDialog()->control(item.id)) {
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << item.id;
        }
    }
}
