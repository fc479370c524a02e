// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProcess>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "app/main_dialog.h"
#include "engine/media_engine.h"
#include "host/files.h"
#include "host/qt/display_text.h"
#include "host/qt/file_dialog.h"
#include "host/qt/file_drop.h"
#include "host/qt/main_window.h"
#include "host/qt/single_instance.h"
#include "host/seams.h"
#include "playback/clock.h"
#include "playlist/playlist_file.h"
#include "resources/resource.h"
#include "state/player_state.h"
#include "state/text.h"
#include "tests/engine/media_fixtures.h"
#include "tests/support/fake_host.h"
#include "tests/support/window_test.h"

namespace fs = std::filesystem;

namespace {

// "音乐" and "你好" as GBK bytes, as an archive made on Chinese Windows unpacks them.
const std::string GBK_FOLDER = "\xD2\xF4\xC0\xD6";
const std::string GBK_NAME = "\xC4\xE3\xBA\xC3.mp3";

std::string savedFile(const std::string &dir, const std::string &name)
{
    return "1\n" + dir + "\n*\n" + name + "\n*\n";
}

QListWidget *playlist()
{
    return qobject_cast<QListWidget *>(mainDialog()->control(IDC_PLAYLIST));
}

std::string rowBytes(int row)
{
    char text[NAME_BYTES] = {};
    return listText(IDC_PLAYLIST, row, text, sizeof text) ? text : "<none>";
}

} // namespace

TEST(DisplayText, ShowsUtf8AsItIsAndGbkBytesAsTheirCharacters)
{
    struct Case {
        const char *what;
        std::string bytes;
        QString shown;
    };
    const Case cases[] = {
        {"UTF-8", "晴天.mp3", QStringLiteral("晴天.mp3")},
        {"GBK", GBK_NAME, QStringLiteral("你好.mp3")},
        {"neither: replacement characters", "caf\xE9.mp3", QStringLiteral("caf\uFFFD.mp3")},
        {"empty", "", QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(displayText(c.bytes.c_str()), c.shown);
    }
}

// The real window and the real engine on a fake sink, with the list and folder in GBK bytes.
TEST(NameBytes, GbkNamedFilePlaysAndIsSavedBackByteForByte)
{
    FakeHost fakes;
    fakes.install();
    setMediaHandler(nullptr);
    setenv("VORLA_AUDIO_SINK", "fakesink sync=true", 1);
    TempDir music;
    const fs::path folder = music.path / GBK_FOLDER;
    fs::create_directories(folder);
    fs::copy_file(media_test::file("noise_short.mp3"), folder / GBK_NAME);
    const std::string saved = savedFile(folder.string(), GBK_NAME);
    writeFile(fakes.playlistFile(), saved);

    resetPlayerState();
    createMainDialog(mainDialogProc);
    ASSERT_EQ(playlist()->count(), 1);
    EXPECT_EQ(playlist()->item(0)->text(), QStringLiteral("你好.mp3"));
    EXPECT_EQ(rowBytes(0), GBK_NAME);
    EXPECT_EQ(player.dirTable[0], folder.string());

    selectRow(IDC_PLAYLIST, 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);
    EXPECT_EQ(player.longPath, (folder / GBK_NAME).string());
    EXPECT_TRUE(isMediaDeviceOpen(player.shortPath)) << player.shortPath;
    EXPECT_GT(std::atoi(player.statusReply), 0);
    EXPECT_EQ(qobject_cast<QLabel *>(mainDialog()->control(IDC_TITLE))->text(),
              QStringLiteral("你好.mp3"));

    mainDialogProc(WM_CLOSE, 0, 0);
    EXPECT_EQ(readFile(fakes.playlistFile()), saved);
    EXPECT_TRUE(fakes.messages.empty());
    closeAllMediaDevices();
    destroyMainDialog();
    unsetenv("VORLA_AUDIO_SINK");
    fakes.uninstall();
}

TEST(NameBytes, UriListsGiveTheBytesTheirEscapesStandFor)
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    const std::string list = "# a comment\r\n"
                             "file:///m/a%20b.mp3\r\n"
                             "file:///m/%C4%E3%BA%C3.mp3\r\n"
                             "file://localhost/m/c.mp3\r\n"
                             "file://" +
                             std::string(host) +
                             "/m/d.mp3\n"
                             "FILE:/m/e.mp3\n"
                             "file://elsewhere.example/m/f.mp3\n"
                             "http://example.org/g.mp3\n"
                             "file:///m/broken%2\n"
                             "file:///m/nul%00.mp3\n"
                             "file:///m/query.mp3?x=1\n"
                             "\n";
    const std::vector<std::string> expected = {"/m/a b.mp3", "/m/" + GBK_NAME, "/m/c.mp3",
                                               "/m/d.mp3", "/m/e.mp3"};
    EXPECT_EQ(localPathsOfUriList(list), expected);
}

TEST_F(WindowTest, DroppedGbkNamesKeepTheirBytes)
{
    TempDir music;
    const fs::path folder = music.path / GBK_FOLDER;
    writeFile(folder / GBK_NAME, "x");
    std::string uri = "file://";
    for (unsigned char c : (folder / GBK_NAME).string()) {
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "%%%02X", c);
        uri += c < 0x80 && c != '%' ? std::string(1, static_cast<char>(c)) : escaped;
    }
    QMimeData data;
    data.setData(QStringLiteral("text/uri-list"), QByteArray::fromStdString(uri + "\r\n"));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(playlist()->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(playlist()->viewport(), &drop);

    ASSERT_EQ(playlist()->count(), 1);
    EXPECT_EQ(playlist()->item(0)->text(), QStringLiteral("你好.mp3"));
    EXPECT_EQ(rowBytes(0), GBK_NAME);
    EXPECT_EQ(player.dirTable[0], folder.string());
}

TEST(NameBytes, FileDialogNamesAreFoundAgainByTheirFolderListing)
{
    TempDir music;
    const fs::path folder = music.path / GBK_FOLDER;
    writeFile(folder / GBK_NAME, "x");
    writeFile(music.path / "晴天.mp3", "x");
    // Two names that Qt reads alike cannot be told apart.
    writeFile(music.path / "\xC4\xE3.mp3", "x");
    writeFile(music.path / "\xC5\xE3.mp3", "x");
    struct Case {
        const char *what;
        fs::path file;
        bool found;
    };
    const Case cases[] = {
        {"GBK folder and name", folder / GBK_NAME, true},
        {"UTF-8 name", music.path / "晴天.mp3", true},
        {"ambiguous name", music.path / "\xC4\xE3.mp3", false},
        {"missing file", music.path / "none.mp3", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes;
        EXPECT_EQ(fileNameBytes(QFile::decodeName(c.file.c_str()), bytes), c.found);
        if (c.found) {
            EXPECT_EQ(bytes, c.file.string());
        }
    }
    std::string bytes;
    EXPECT_FALSE(fileNameBytes(QStringLiteral("relative.mp3"), bytes));
}

// The tick that ends a track writes its final time, which the frozen window must show.
TEST_F(WindowTest, ElapsedLabelPaintsTheFinalTimeBeforeTheTrackChangeWait)
{
    struct PaintLog : QObject {
        QString painted;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                painted = qobject_cast<QLabel *>(watched)->text();
            return false;
        }
    } log;
    auto *elapsed = qobject_cast<QLabel *>(mainDialog()->control(IDC_ELAPSED));
    auto *position = qobject_cast<QSlider *>(mainDialog()->control(IDC_POSITION));
    elapsed->installEventFilter(&log);
    mainDialog()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mainDialog()));

    TempDir music;
    for (const char *name : {"a.mp3", "b.mp3"}) {
        writeFile(music.path / name, "");
        insertListRow(IDC_PLAYLIST, -1, name);
        copyText(player.dirTable[player.listCount], PATH_BYTES, music.path.c_str());
        player.dirCount = ++player.listCount;
        char device[PATH_BYTES] = {};
        shortPathName((music.path / name).c_str(), device, sizeof device);
        fakes.lengths[device] = "4000";
    }
    QString paintedDuringWait;
    int sliderDuringWait = -1;
    setWaitHandler([&](int) {
        paintedDuringWait = log.painted;
        sliderDuringWait = position->value();
    });
    selectComboRow(IDC_MODE, static_cast<int>(PlayMode::ListLoop));
    selectRow(IDC_PLAYLIST, 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);
    for (int second = 1; second <= 4; ++second) {
        fireClockTick();
        QApplication::processEvents();
    }
    EXPECT_EQ(paintedDuringWait, QStringLiteral("0:04"));
    // The slider repaints after the wait, as a trackbar does.
    EXPECT_EQ(sliderDuringWait, 3);
    EXPECT_EQ(player.currentIndex, 1);
    elapsed->removeEventFilter(&log);
}

TEST_F(WindowTest, SlidersPageByAFifthOfTheirRange)
{
    auto *position = qobject_cast<QSlider *>(mainDialog()->control(IDC_POSITION));
    auto *volume = qobject_cast<QSlider *>(mainDialog()->control(IDC_VOLUME));
    struct Case {
        int maximum;
        int page;
    };
    EXPECT_EQ(position->pageStep(), 20) << "the default range 0..100";
    for (const Case &c : {Case{215, 43}, Case{3, 1}, Case{0, 1}, Case{70000, 14000}}) {
        SCOPED_TRACE(c.maximum);
        setSliderRange(IDC_POSITION, 0, c.maximum);
        EXPECT_EQ(position->pageStep(), c.page);
        EXPECT_EQ(position->singleStep(), 1);
    }
    EXPECT_EQ(volume->pageStep(), 200);

    QTest::keyClick(volume, Qt::Key_PageDown);
    QTest::keyClick(volume, Qt::Key_Left);
    setSliderRange(IDC_POSITION, 0, 215);
    setSliderValue(IDC_POSITION, 0);
    // A click in the groove right of the thumb moves one page toward it.
    position->resize(400, position->height());
    QTest::mouseClick(position, Qt::LeftButton, Qt::NoModifier,
                      QPoint(position->width() - 5, position->height() / 2));
    const std::vector<std::string> expected = {"setaudio  volume to 800", "setaudio  volume to 799",
                                               "close ", "play  from 43000",
                                               "setaudio  volume to 799"};
    EXPECT_EQ(fakes.commands, expected);
}

// Without a usable home folder the player still runs and says once that it cannot save.
TEST_F(WindowTest, DataFolderFollowsTheBaseDirectoryRules)
{
    struct Case {
        const char *what;
        const char *dataHome; // nullptr: unset
        const char *home;
        const char *passwordHome; // nullptr: no entry
        std::string path;         // "" for none
    };
    const Case cases[] = {
        {"XDG_DATA_HOME", "/x/data", "/h", "/p", "/x/data/vorla/savelist"},
        {"relative XDG_DATA_HOME", "data", "/h", "/p", "/h/.local/share/vorla/savelist"},
        {"empty XDG_DATA_HOME", "", "/h", "/p", "/h/.local/share/vorla/savelist"},
        {"relative HOME", nullptr, "h", "/p", "/p/.local/share/vorla/savelist"},
        {"no HOME", nullptr, nullptr, "/p", "/p/.local/share/vorla/savelist"},
        {"relative password home", nullptr, nullptr, "p", ""},
        {"nothing at all", "", "", nullptr, ""},
    };
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto put = [](const char *name, const char *value) {
            value ? setenv(name, value, 1) : unsetenv(name);
        };
        put("XDG_DATA_HOME", c.dataHome);
        put("HOME", c.home);
        setPasswordHomeLookup([&c](std::string &home) {
            home = c.passwordHome ? c.passwordHome : "";
            return c.passwordHome != nullptr;
        });
        char path[PATH_BYTES] = "junk";
        EXPECT_EQ(playlistFilePath(path, sizeof path), !c.path.empty());
        EXPECT_EQ(path, c.path);
    }
    EXPECT_FALSE(makeParentFolders(""));
    EXPECT_FALSE(makeParentFolders("relative/file"));

    // Still "nothing at all": edits and the close each try to save; one box tells of it.
    fakes.messages.clear();
    TempDir music;
    writeFile(music.path / "a.mp3", "");
    fakes.chosenFiles = {(music.path / "a.mp3").string()};
    mainDialogProc(WM_COMMAND, makeWParam(IDC_ADD, 0), 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_ADD, 0), 0);
    selectRow(IDC_PLAYLIST, 0);
    mainDialogProc(WM_COMMAND, makeWParam(IDC_PLAYLIST, LBN_DBLCLK), 0);
    EXPECT_EQ(player.currentIndex, 0);
    mainDialogProc(WM_CLOSE, 0, 0);
    EXPECT_TRUE(dialogEnded());
    ASSERT_EQ(fakes.messages.size(), 1u);
    EXPECT_EQ(fakes.messages[0].text, MSG_PLAYLIST_SAVE_FAILED);
    setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_DATA_HOME", fakes.dataHome.c_str(), 1);
}

class SingleInstance : public testing::Test {
protected:
    void SetUp() override { fakes.install(); }
    void TearDown() override
    {
        releaseInstanceLock();
        fakes.uninstall();
    }

    // Starts the real program as the desktop would, and waits for it to end.
    int startAgain()
    {
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("VORLA_AUDIO_SINK"), QStringLiteral("fakesink"));
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(VORLA_EXECUTABLE), {});
        QElapsedTimer clock;
        clock.start();
        while (second.state() != QProcess::NotRunning && clock.elapsed() < 15000) {
            QApplication::processEvents();
            second.waitForFinished(10);
        }
        if (second.state() != QProcess::NotRunning) {
            second.kill();
            second.waitForFinished();
            return -1;
        }
        return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    }

    FakeHost fakes;
};

TEST_F(SingleInstance, SecondStartRaisesTheRunningPlayerAndLeavesTheFileAlone)
{
    writeFile(fakes.playlistFile(), savedFile("/m", "a.mp3"));
    ASSERT_EQ(takeInstanceLock(), InstanceLock::Taken);
    int raised = 0;
    listenForRaiseRequests([&raised] { ++raised; });
    const auto before = fs::last_write_time(fakes.playlistFile());

    EXPECT_EQ(startAgain(), 0);
    for (int i = 0; i < 100 && raised == 0; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(readFile(fakes.playlistFile()), savedFile("/m", "a.mp3"));
    EXPECT_EQ(fs::last_write_time(fakes.playlistFile()), before);
    std::vector<std::string> files;
    for (const auto &item : fs::directory_iterator(fakes.playlistFile().parent_path()))
        files.push_back(item.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"savelist", "savelist.lock"}));
}

TEST_F(SingleInstance, LockHeldByAPlayerThatDoesNotAnswerIsNotTaken)
{
    ASSERT_TRUE(makeParentFolders(fakes.playlistFile().c_str()));
    std::string lockPath = fakes.playlistFile().string() + ".lock";
    int other = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(takeInstanceLock(), InstanceLock::HeldElsewhere);
    EXPECT_FALSE(askRunningPlayerToRaise());
    close(other);
    EXPECT_EQ(takeInstanceLock(), InstanceLock::Taken);
}
