// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/mpris/mpris.h"

#include <cmath>
#include <csignal>
#include <functional>
#include <limits>
#include <sys/prctl.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEventLoop>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "host/qt/window_events.h"
#include "playback/transport.h"
#include "state/sequences.h"
#include "tests/support/window_playback_fixture.h"

namespace {

using Commands = std::vector<std::string>;

const QString SERVICE = QStringLiteral("org.mpris.MediaPlayer2.vorla");
const QString OBJECT = QStringLiteral("/org/mpris/MediaPlayer2");
const QString ROOT = QStringLiteral("org.mpris.MediaPlayer2");
const QString PLAYER = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PROPERTIES = QStringLiteral("org.freedesktop.DBus.Properties");
const QString NO_TRACK = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
const QString CLIENT = QStringLiteral("mpris-test-client");
constexpr qint64 SECOND = 1000000;

// A private session bus: dbus-daemon as a child process that ends with the test process.
class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"),
                        QStringLiteral("--print-address")});
        if (!m_daemon.waitForStarted(5000))
            return;
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
        }
        address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
    }

    QString address;

private:
    QProcess m_daemon;
};

// What the test's client hears from the player.
class Listener : public QObject {
    Q_OBJECT

public:
    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;

    void clear()
    {
        changes.clear();
        seeks.clear();
    }

public slots:
    void propertiesChanged(const QString &interface, const QVariantMap &changed,
                           const QStringList &)
    {
        if (interface == PLAYER)
            changes.push_back(changed);
    }
    void seeked(qlonglong position) { seeks.push_back(position); }
};

QVariantMap asMap(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

// The real window with the host doubles, published on a private bus and driven by a client on
// its own connection to that bus.
class Mpris : public WindowPlaybackTest {
protected:
    static void SetUpTestSuite() { bus = new PrivateBus; }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }

    void SetUp() override
    {
        PlaybackTest::SetUp();
        ASSERT_FALSE(bus->address.isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(startMpris(mainDialogProc, bus->address.toUtf8().constData()));
        client = QDBusConnection::connectToBus(bus->address, CLIENT);
        ASSERT_TRUE(client.isConnected());
        client.connect(QString(), OBJECT, PROPERTIES, QStringLiteral("PropertiesChanged"),
                       &listener, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        client.connect(QString(), OBJECT, PLAYER, QStringLiteral("Seeked"), &listener,
                       SLOT(seeked(qlonglong)));
        settle();
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(CLIENT);
        stopMpris();
        PlaybackTest::TearDown();
    }

    // A method call on the player, answered while this thread goes on serving the player.
    QDBusMessage call(const QString &interface, const QString &method,
                      const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(SERVICE, OBJECT, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message, 5000);
        QDBusPendingCallWatcher watcher(pending);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        if (!pending.isFinished())
            loop.exec();
        QCoreApplication::processEvents();
        return pending.reply();
    }
    QDBusMessage request(const char *method, const QVariantList &arguments = {})
    {
        return call(PLAYER, QString::fromLatin1(method), arguments);
    }
    QVariant get(const QString &interface, const char *property)
    {
        QDBusMessage reply =
            call(PROPERTIES, QStringLiteral("Get"), {interface, QString::fromLatin1(property)});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << property;
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariant playerProperty(const char *property) { return get(PLAYER, property); }
    QVariantMap metadata() { return asMap(playerProperty("Metadata")); }
    QString trackId() { return metadata().value("mpris:trackid").value<QDBusObjectPath>().path(); }
    QDBusMessage setVolume(double volume)
    {
        return call(PROPERTIES, QStringLiteral("Set"),
                    {PLAYER, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(volume))});
    }

    // Lets every change made so far reach the client: two round trips through the player.
    void settle()
    {
        QCoreApplication::processEvents();
        get(ROOT, "Identity");
        get(ROOT, "Identity");
    }
    bool waitForChange()
    {
        return QTest::qWaitFor([this] { return !listener.changes.empty(); });
    }
    bool waitForSeek()
    {
        return QTest::qWaitFor([this] { return !listener.seeks.empty(); });
    }

    static PrivateBus *bus;
    QDBusConnection client{CLIENT};
    Listener listener;
};

PrivateBus *Mpris::bus = nullptr;

TEST_F(Mpris, RootInterfaceNamesThePlayerAndItsDesktopEntry)
{
    struct Case {
        const char *property;
        QVariant expected;
    };
    const Case cases[] = {
        {"Identity", QString::fromUtf8("Vorla音乐播放器")},
        {"DesktopEntry", QStringLiteral("org.vorla.Vorla")},
        {"CanQuit", true},
        {"CanRaise", true},
        {"HasTrackList", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.property);
        EXPECT_EQ(get(ROOT, c.property), c.expected);
    }
    EXPECT_TRUE(client.interface()->isServiceRegistered(SERVICE).value());
}

// Each request is compared with a click on the matching button from the same state.
TEST_F(Mpris, TransportMethodsDoWhatTheButtonsDo)
{
    struct Outcome {
        Commands commands;
        std::vector<std::string> messages;
        int currentIndex;
        bool clockRunning;
        int selection;
    };
    auto idle = [] { selectRow(IDC_PLAYLIST, 1); };
    auto playing = [this](int row) { return [this, row] { playEntry(row, 0); }; };
    auto paused = [this] {
        playEntry(0, 0);
        click(IDC_PAUSE);
    };
    struct Case {
        const char *method;
        const char *state;
        std::function<void()> setUp;
        int button;
    };
    const Case cases[] = {
        {"Play", "idle", idle, IDC_PLAY},
        {"PlayPause", "idle", idle, IDC_PLAY},
        {"PlayPause", "playing", playing(0), IDC_PAUSE},
        {"PlayPause", "paused", paused, IDC_PLAY},
        {"Pause", "playing", playing(0), IDC_PAUSE},
        {"Stop", "playing", playing(0), IDC_STOP},
        {"Next", "first playing", playing(0), IDC_NEXT},
        {"Next", "last playing", playing(1), IDC_NEXT},
        {"Next", "idle", idle, IDC_NEXT},
        {"Previous", "last playing", playing(1), IDC_PREV},
        {"Previous", "first playing", playing(0), IDC_PREV},
        {"Previous", "idle", idle, IDC_PREV},
    };
    auto run = [this](const Case &c, const std::function<void()> &act) {
        startOver();
        fillList({{"a.mp3", "215000"}, {"b.mp3", "62000"}});
        c.setUp();
        fakes.commands.clear();
        act();
        Outcome outcome{
            fakes.commands, {}, player.currentIndex, isClockRunning(), listSelection(IDC_PLAYLIST)};
        for (const FakeHost::Message &message : fakes.messages)
            outcome.messages.push_back(message.text);
        return outcome;
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.method) + " while " + c.state);
        Outcome byButton = run(c, [&] { click(c.button); });
        Outcome byBus =
            run(c, [&] { EXPECT_EQ(request(c.method).type(), QDBusMessage::ReplyMessage); });
        EXPECT_FALSE(byButton.commands.empty() && byButton.messages.empty());
        EXPECT_EQ(byBus.commands, byButton.commands);
        EXPECT_EQ(byBus.messages, byButton.messages);
        EXPECT_EQ(byBus.currentIndex, byButton.currentIndex);
        EXPECT_EQ(byBus.clockRunning, byButton.clockRunning);
        EXPECT_EQ(byBus.selection, byButton.selection);
    }
    // The same message the button gives.
    startOver();
    request("Next");
    EXPECT_EQ(fakes.lastError(), MSG_NEXT_NO_TRACK);
}

TEST_F(Mpris, PlaybackStatusFollowsTheClockAndTheTitle)
{
    fillList({{"a.mp3", "2000"}});
    selectComboRow(IDC_MODE, static_cast<int>(PlayMode::Sequential));
    selectRow(IDC_PLAYLIST, 0);
    struct Step {
        const char *action;
        std::function<void()> act;
        const char *status;
        bool canSeek;
    };
    const Step steps[] = {
        {"start", [] {}, "Stopped", false},
        {"Play", [this] { request("Play"); }, "Playing", true},
        {"Pause", [this] { request("Pause"); }, "Paused", true},
        {"PlayPause", [this] { request("PlayPause"); }, "Playing", true},
        {"last entry ends in order", [this] { tick(2); }, "Stopped", false},
        {"Play after the list end", [this] { request("Play"); }, "Playing", false},
        {"Stop", [this] { request("Stop"); }, "Stopped", false},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.action);
        step.act();
        EXPECT_EQ(playerProperty("PlaybackStatus").toString(), QString::fromLatin1(step.status));
        EXPECT_EQ(playerProperty("CanSeek").toBool(), step.canSeek);
    }
}

TEST_F(Mpris, MetadataDescribesTheShownTrack)
{
    // 70000 s: a length past 65535 s, and a total label past 59 minutes.
    fillList({{"a b.mp3", "215000"}, {"long.mp3", "70000000"}});
    EXPECT_EQ(metadata(),
              (QVariantMap{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(NO_TRACK))}}));

    playEntry(0, 0);
    QVariantMap first = metadata();
    EXPECT_EQ(first.value("xesam:title").toString(), QStringLiteral("a b.mp3"));
    EXPECT_EQ(first.value("mpris:length").metaType(), QMetaType::fromType<qlonglong>());
    EXPECT_EQ(first.value("mpris:length").toLongLong(), 215 * SECOND);
    ASSERT_EQ(first.value("mpris:trackid").metaType(), QMetaType::fromType<QDBusObjectPath>());
    const QString firstId = first.value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_NE(firstId, NO_TRACK);

    request("Pause");
    EXPECT_EQ(trackId(), firstId) << "a pause keeps the track";

    request("Next");
    QVariantMap second = metadata();
    EXPECT_EQ(second.value("xesam:title").toString(), QStringLiteral("long.mp3"));
    EXPECT_EQ(second.value("mpris:length").toLongLong(), 70000 * SECOND);
    const QString secondId = trackId();
    EXPECT_NE(secondId, firstId);

    playEntry(1, 0);
    EXPECT_NE(trackId(), secondId) << "a restart of the same entry is a new track";

    request("Stop");
    EXPECT_EQ(metadata(),
              (QVariantMap{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(NO_TRACK))}}));
}

TEST_F(Mpris, PositionIsTheElapsedClockInMicroseconds)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);
    tick(61);
    EXPECT_EQ(playerProperty("Position").toLongLong(), 61 * SECOND);
    EXPECT_EQ(playerProperty("Position").metaType(), QMetaType::fromType<qlonglong>());

    struct Case {
        const char *label;
        qint64 expected;
    };
    const Case cases[] = {
        {"0:09", 9 * SECOND},
        {"0:10", 10 * SECOND},
        {"1166:40", 70000 * SECOND},
        // The longest clock the record holds still fits 64 bits of microseconds.
        {"2147483647:59", (2147483647LL * 60 + 59) * SECOND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        std::string label = c.label;
        std::size_t colon = label.find(':');
        player.elapsedMin = std::stoi(label.substr(0, colon));
        player.elapsedSec = std::stoi(label.substr(colon + 1));
        showElapsedClock();
        EXPECT_EQ(playerProperty("Position").toLongLong(), c.expected);
    }
}

TEST_F(Mpris, TrackStartIsAnnouncedOnceWithStatusTitleAndCanSeek)
{
    fillList({{"a.mp3", "215000"}});
    selectRow(IDC_PLAYLIST, 0);
    request("Play");
    ASSERT_TRUE(waitForChange());
    settle();

    ASSERT_EQ(listener.changes.size(), 1u);
    const QVariantMap &changed = listener.changes[0];
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), QStringLiteral("Playing"));
    EXPECT_EQ(asMap(changed.value("Metadata")).value("xesam:title").toString(),
              QStringLiteral("a.mp3"));
    EXPECT_EQ(changed.value("CanSeek"), QVariant(true));
    EXPECT_FALSE(changed.contains("Volume"));
    EXPECT_FALSE(changed.contains("Position"));
    EXPECT_TRUE(listener.seeks.empty());
}

TEST_F(Mpris, ClockTicksAreNotAnnouncedButATrackEndIs)
{
    fillList({{"a.mp3", "62000"}});
    playEntry(0, static_cast<int>(PlayMode::SingleOnce));
    settle();
    listener.clear();

    tick(61); // across the minute
    settle();
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_TRUE(listener.seeks.empty());

    tick();
    ASSERT_TRUE(waitForChange());
    const QVariantMap &changed = listener.changes[0];
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), QStringLiteral("Stopped"));
    EXPECT_EQ(
        asMap(changed.value("Metadata")).value("mpris:trackid").value<QDBusObjectPath>().path(),
        NO_TRACK);
    EXPECT_EQ(changed.value("CanSeek"), QVariant(false));
    EXPECT_TRUE(listener.seeks.empty());
}

TEST_F(Mpris, VolumeWritesMoveTheSliderAsTheUserWould)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);
    struct Case {
        double volume;
        int slider;
    };
    const Case cases[] = {
        {0.5, 500}, {-0.3, 0}, {1.7, 1000}, {0.2504, 250}, {0.0005, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.volume);
        setSliderValue(IDC_VOLUME, 300);
        settle();
        listener.clear();
        fakes.commands.clear();

        EXPECT_EQ(setVolume(c.volume).type(), QDBusMessage::ReplyMessage);

        EXPECT_EQ(sliderValue(IDC_VOLUME), c.slider);
        EXPECT_EQ(fakes.commands, Commands{command("setaudio", 0) + volumeTail(c.slider)});
        ASSERT_TRUE(waitForChange());
        EXPECT_DOUBLE_EQ(listener.changes.back().value("Volume").toDouble(), c.slider / 1000.0);
        EXPECT_DOUBLE_EQ(playerProperty("Volume").toDouble(), c.slider / 1000.0);
    }

    // Not a number: nothing moves and nothing is sent.
    fakes.commands.clear();
    setVolume(std::nan(""));
    EXPECT_EQ(sliderValue(IDC_VOLUME), 1);
    EXPECT_TRUE(fakes.commands.empty());

    // A move of the window's own slider is announced too.
    settle();
    listener.clear();
    slider(IDC_VOLUME)->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_TRUE(waitForChange());
    EXPECT_DOUBLE_EQ(listener.changes.back().value("Volume").toDouble(),
                     sliderValue(IDC_VOLUME) / 1000.0);
    EXPECT_EQ(fakes.commands,
              Commands{command("setaudio", 0) + volumeTail(sliderValue(IDC_VOLUME))});
}

TEST_F(Mpris, SetPositionAndSeekGoThroughTheSeekHandler)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "62000"}});
    playEntry(0, 0);
    const QString id = trackId();
    auto seekCommands = [this](int milliseconds) {
        return Commands{command("close", 0),
                        command("play", 0) + " from " + std::to_string(milliseconds),
                        command("setaudio", 0) + volumeTail(1000)};
    };
    auto setPosition = [&](const QString &track, qint64 position) {
        return [&, track, position] {
            request("SetPosition", {QVariant::fromValue(QDBusObjectPath(track)), position});
        };
    };
    auto seek = [&](qint64 offset) { return [&, offset] { request("Seek", {offset}); }; };
    struct Step {
        const char *request;
        std::function<void()> act;
        Commands commands;
        const char *elapsed;
        qint64 seeked; // -1: no Seeked signal
    };
    const Step steps[] = {
        {"SetPosition 75 s", setPosition(id, 75 * SECOND), seekCommands(75000), "1:15",
         75 * SECOND},
        {"SetPosition 30.9 s", setPosition(id, 30 * SECOND + 900000), seekCommands(30000), "0:30",
         30 * SECOND},
        {"SetPosition on another track", setPosition(id + "0", 10 * SECOND), {}, "0:30", -1},
        {"SetPosition before the start", setPosition(id, -1), {}, "0:30", -1},
        {"SetPosition past the end", setPosition(id, 215 * SECOND + 1), {}, "0:30", -1},
        {"SetPosition at the end", setPosition(id, 215 * SECOND), seekCommands(215000), "3:35",
         215 * SECOND},
        {"Seek back past the start", seek(-1000 * SECOND), seekCommands(0), "0:00", 0},
        {"Seek forward 10 s", seek(10 * SECOND), seekCommands(10000), "0:10", 10 * SECOND},
        {"Seek forward 1 s", seek(SECOND), seekCommands(11000), "0:11", 11 * SECOND},
        {"Seek by the lowest offset", seek(std::numeric_limits<qint64>::min()), seekCommands(0),
         "0:00", 0},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.request);
        fakes.commands.clear();
        listener.clear();
        step.act();
        EXPECT_EQ(fakes.commands, step.commands);
        EXPECT_EQ(label(IDC_ELAPSED), step.elapsed);
        if (step.seeked < 0) {
            settle();
            EXPECT_TRUE(listener.seeks.empty());
        } else {
            ASSERT_TRUE(waitForSeek());
            EXPECT_EQ(listener.seeks, std::vector<qlonglong>{step.seeked});
        }
    }

    // Past the end of the track is Next.
    fakes.commands.clear();
    request("Seek", {std::numeric_limits<qint64>::max()});
    EXPECT_EQ(player.currentIndex, 1);
    EXPECT_EQ(fakes.commands.at(0), command("close", 0));
    EXPECT_EQ(fakes.commands.at(1), command("play", 1));

    // With nothing shown there is nothing to seek in.
    request("Stop");
    fakes.commands.clear();
    request("Seek", {5 * SECOND});
    request("SetPosition", {QVariant::fromValue(QDBusObjectPath(NO_TRACK)), 5 * SECOND});
    EXPECT_TRUE(fakes.commands.empty());
}

TEST_F(Mpris, SeeksThroughTheWindowsSliderAreAnnounced)
{
    fillList({{"a.mp3", "215000"}});
    playEntry(0, 0);
    struct Case {
        const char *state;
        bool pause;
        QAbstractSlider::SliderAction action;
        qint64 seeked;
    };
    const Case cases[] = {
        // A page is a fifth of the 215 s range.
        {"playing, a page on", false, QAbstractSlider::SliderPageStepAdd, 43 * SECOND},
        {"paused, a page on", true, QAbstractSlider::SliderPageStepAdd, 86 * SECOND},
        {"paused, one second on", true, QAbstractSlider::SliderSingleStepAdd, 87 * SECOND},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.state);
        if (c.pause && isClockRunning())
            click(IDC_PAUSE);
        settle();
        listener.clear();
        slider(IDC_POSITION)->triggerAction(c.action);
        ASSERT_TRUE(waitForSeek());
        EXPECT_EQ(listener.seeks, std::vector<qlonglong>{c.seeked});
    }
}

TEST_F(Mpris, QuitClosesThroughTheClosePathAndSavesTheList)
{
    fillList({{"a.mp3", "215000"}, {"b.mp3", "62000"}});
    ASSERT_FALSE(std::filesystem::exists(fakes.playlistFile()));

    EXPECT_EQ(call(ROOT, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);

    EXPECT_TRUE(dialogEnded());
    std::string saved = readFile(fakes.playlistFile());
    EXPECT_NE(saved.find("a.mp3"), std::string::npos);
    EXPECT_NE(saved.find("b.mp3"), std::string::npos);
}

TEST_F(Mpris, RaiseBringsTheWindowForward)
{
    mainDialog()->showMinimized();
    EXPECT_EQ(call(ROOT, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(mainDialog()->isVisible());
    EXPECT_FALSE(mainDialog()->isMinimized());
}

// Were the answer sent after the handler, an open message box would hold it until the user
// closed the box, and the caller would time out.
TEST_F(Mpris, RequestsAreAnsweredWhileTheirMessageBoxIsOpen)
{
    setMessageHandler(nullptr);
    QDBusPendingCall pending = client.asyncCall(
        QDBusMessage::createMethodCall(SERVICE, OBJECT, PLAYER, QStringLiteral("Next")));
    bool answeredWhileOpen = false;
    QString shownText;
    QDeadlineTimer deadline(3000);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || (!pending.isFinished() && !deadline.hasExpired()))
            return;
        answeredWhileOpen = pending.isFinished();
        shownText = box->text();
        box->close();
    });
    poll.start(10);

    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.isFinished() && !shownText.isEmpty(); }));
    EXPECT_TRUE(answeredWhileOpen);
    EXPECT_EQ(shownText, QString::fromUtf8(MSG_NEXT_NO_TRACK));
    EXPECT_EQ(pending.reply().type(), QDBusMessage::ReplyMessage);
}

// While a box of the window is open its buttons are out of reach, and so are these requests.
TEST_F(Mpris, RefusedRequestsAnswerWithAnError)
{
    fillList({{"a.mp3", "215000"}});
    // As the host's message boxes and file dialog tell of themselves.
    announceWindowChange(WindowChange::DialogOpened, 0);

    struct Case {
        QString interface;
        const char *method;
        QVariantList arguments;
    };
    const Case cases[] = {
        {PLAYER, "Next", {}},
        {PLAYER, "PlayPause", {}},
        {PLAYER, "Seek", {5 * SECOND}},
        {ROOT, "Quit", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.method);
        QDBusMessage reply = call(c.interface, QString::fromLatin1(c.method), c.arguments);
        EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
        EXPECT_EQ(reply.errorName(), QStringLiteral("org.vorla.Vorla.Error.Busy"));
    }
    setVolume(0.2);
    EXPECT_EQ(sliderValue(IDC_VOLUME), 1000);
    EXPECT_TRUE(fakes.commands.empty());
    EXPECT_TRUE(fakes.messages.empty());
    EXPECT_FALSE(dialogEnded());

    announceWindowChange(WindowChange::DialogClosed, 0);
    request("Next");
    EXPECT_EQ(fakes.lastError(), MSG_NEXT_NO_TRACK);

    QDBusMessage reply = request("OpenUri", {QStringLiteral("file:///tmp/a.mp3")});
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.NotSupported"));
    EXPECT_EQ(listCount(IDC_PLAYLIST), 1);
}

TEST_F(Mpris, WithoutABusThePlayerRunsAlone)
{
    stopMpris();
    EXPECT_FALSE(client.interface()->isServiceRegistered(SERVICE).value());
    const QByteArray sessionBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vorla-bus");

    struct Case {
        const char *situation;
        std::function<bool()> start;
    };
    const QByteArray address = bus->address.toUtf8();
    const Case cases[] = {
        {"no session bus", [] { return startMpris(mainDialogProc); }},
        {"no bus at the address",
         [] { return startMpris(mainDialogProc, "unix:path=/nonexistent/vorla-bus"); }},
        {"not an address", [] { return startMpris(mainDialogProc, "not an address"); }},
        {"no address", [] { return startMpris(mainDialogProc, nullptr); }},
        {"the name is taken",
         [&] {
             client.registerService(SERVICE);
             bool started = startMpris(mainDialogProc, address.constData());
             client.unregisterService(SERVICE);
             return started;
         }},
    };
    fillList({{"a.mp3", "215000"}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.situation);
        EXPECT_FALSE(c.start());
        fakes.commands.clear();
        fakes.messages.clear();
        click(IDC_STOP);
        click(IDC_NEXT);
        selectRow(IDC_PLAYLIST, 0);
        click(IDC_PLAY);
        QCoreApplication::processEvents();
        EXPECT_EQ(fakes.lastError(), MSG_NEXT_NO_TRACK);
        EXPECT_EQ(label(IDC_TITLE), "a.mp3");
        EXPECT_FALSE(client.interface()->isServiceRegistered(SERVICE).value());
    }

    if (sessionBus.isNull())
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    else
        qputenv("DBUS_SESSION_BUS_ADDRESS", sessionBus);

    // Once the bus is back, a start publishes again.
    EXPECT_TRUE(startMpris(mainDialogProc, address.constData()));
    EXPECT_EQ(get(ROOT, "Identity").toString(), QString::fromUtf8("Vorla音乐播放器"));
}

} // namespace

#include "mpris_test.moc"
