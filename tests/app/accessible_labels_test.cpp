// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include <QAccessible>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QThread>

#include <gtest/gtest.h>

#include "host/qt/main_window.h"
#include "resources/resource.h"
#include "tests/playback/playback_fixture.h"

namespace {

struct Announcement {
    QObject *object;
    std::string name;
};
std::vector<Announcement> announcements;

// Installed as Qt's accessibility update handler: what a screen reader would be told.
void recordNameChange(QAccessibleEvent *event)
{
    if (event->type() != QAccessible::NameChanged)
        return;
    QAccessibleInterface *iface = event->accessibleInterface();
    announcements.push_back(
        {event->object(), iface ? iface->text(QAccessible::Name).toStdString() : std::string()});
}

// The real window with the host doubles, read through Qt's accessibility interface.
class AccessibleLabels : public PlaybackTest {
protected:
    void TearDown() override
    {
        QAccessible::installUpdateHandler(nullptr);
        announcements.clear();
        PlaybackTest::TearDown();
    }

    QWidget *widget(int id) { return mainDialog()->control(id); }
    std::string accessibleText(int id, QAccessible::Text which)
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(widget(id));
        return iface ? iface->text(which).toStdString() : std::string("(no interface)");
    }
    std::vector<std::string> announcedNames(int id)
    {
        std::vector<std::string> names;
        for (const Announcement &announcement : announcements) {
            if (announcement.object == widget(id))
                names.push_back(announcement.name);
        }
        return names;
    }

    // Waits for the platform's accessibility bridge to go active; false if it never does.
    static bool accessibilityActive()
    {
        QDeadlineTimer deadline(10000);
        while (!QAccessible::isActive() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
        return QAccessible::isActive();
    }
};

} // namespace

TEST_F(AccessibleLabels, LabelsAreNamedByWhatTheyShowAndDescribedByTheirRole)
{
    fillList({{"晴天 Live <1>.mp3", "210500"}});
    struct Case {
        int id;
        const char *name;
        const char *description;
    };
    // A label that shows nothing is named by its role.
    const Case atRest[] = {{IDC_TITLE, "歌曲名", "歌曲名"},
                           {IDC_TOTALTIME, "0:00", "总时长"},
                           {IDC_ELAPSED, "0:00", "已播放时间"}};
    const Case playing[] = {{IDC_TITLE, "晴天 Live <1>.mp3", "歌曲名"},
                            {IDC_TOTALTIME, "3:30", "总时长"},
                            {IDC_ELAPSED, "0:02", "已播放时间"}};
    const Case stopped[] = {{IDC_TITLE, "歌曲名", "歌曲名"},
                            {IDC_TOTALTIME, "0:00", "总时长"},
                            {IDC_ELAPSED, "0:00", "已播放时间"}};
    auto check = [&](const char *when, const Case(&cases)[3]) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(when) + " " + c.description);
            EXPECT_EQ(accessibleText(c.id, QAccessible::Name), c.name);
            EXPECT_EQ(accessibleText(c.id, QAccessible::Description), c.description);
        }
    };

    check("at rest", atRest);
    playEntry(0, 0);
    tick(2);
    check("playing", playing);
    EXPECT_EQ(label(IDC_TITLE), "晴天 Live <1>.mp3") << "named by the text it shows";
    click(IDC_STOP);
    check("stopped", stopped);
}

TEST_F(AccessibleLabels, OtherControlsKeepTheirNames)
{
    fillList({{"a.mp3", "4000"}});
    playEntry(0, 0);
    struct Case {
        int id;
        const char *name;
    };
    const Case cases[] = {{IDC_PLAY, "播放"},         {IDC_PAUSE, "暂停"},
                          {IDC_PLAYLIST, "播放列表"}, {IDC_POSITION, "播放进度"},
                          {IDC_VOLUME, "音量"},       {IDC_VOLUME_LABEL, "音量"},
                          {IDC_ADD, "添加"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(accessibleText(c.id, QAccessible::Name), c.name);
        EXPECT_EQ(accessibleText(c.id, QAccessible::Description), "");
    }
}

// Qt hands accessibility events only to an active bridge; offscreen has none, so this runs in
// the App.AccessibilityEventsOnX11 test, under Xvfb with an AT-SPI bus.
TEST_F(AccessibleLabels, EachNewTitleAndClockTextIsAnnouncedOnce)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        GTEST_SKIP() << "no accessibility bridge on the offscreen platform";
    ASSERT_TRUE(accessibilityActive()) << "the AT-SPI bridge did not start";
    fillList({{"a.mp3", "4000"}, {"b.mp3", "4000"}});
    QAccessible::installUpdateHandler(recordNameChange);

    playEntry(0, 0);
    tick();
    click(IDC_NEXT);
    // The same texts again, as a tick that changes nothing would set them.
    setControlText(IDC_TITLE, "b.mp3");
    setControlText(IDC_ELAPSED, "0:00");

    EXPECT_EQ(announcedNames(IDC_TITLE), (std::vector<std::string>{"a.mp3", "b.mp3"}));
    EXPECT_EQ(announcedNames(IDC_ELAPSED), (std::vector<std::string>{"0:01", "0:00"}));
    EXPECT_EQ(announcedNames(IDC_TOTALTIME), (std::vector<std::string>{"0:04"}))
        << "both tracks last 0:04";
}
