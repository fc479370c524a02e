// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/qt/mpris/mpris.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <memory>

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

#include "host/qt/main_window.h"
#include "host/qt/window_events.h"
#include "resources/main_template.h"
#include "resources/resource.h"
#include "state/limits.h"
#include "state/player_state.h"

namespace {

constexpr char SERVICE_NAME[] = "org.mpris.MediaPlayer2.vorla";
constexpr char CONNECTION_NAME[] = "vorla-mpris";
constexpr char OBJECT_PATH[] = "/org/mpris/MediaPlayer2";
constexpr char PLAYER_INTERFACE[] = "org.mpris.MediaPlayer2.Player";
constexpr char PROPERTIES_INTERFACE[] = "org.freedesktop.DBus.Properties";
constexpr char DESKTOP_ENTRY[] = "org.vorla.Vorla";
constexpr char NO_TRACK_PATH[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
constexpr char TRACK_PATH[] = "/org/vorla/Vorla/track/%1";
constexpr char BUSY_ERROR[] = "org.vorla.Vorla.Error.Busy";
constexpr char BUSY_TEXT[] = "A dialog of the player window is open.";
constexpr qint64 MICROSECONDS = 1000000;
constexpr double VOLUME_STEPS = 1000.0;
// A running player frozen in its track-change wait still answers within this.
constexpr int RAISE_TIMEOUT_MS = 3000;

// What the window shows, in the terms the bus reports.
struct Shown {
    bool hasTrack;
    bool isPlaying;
    QString title;     // empty when no track is shown
    QString trackId;   // an object path
    qint64 lengthUs;   // the track's length as the total label shows it
    qint64 positionUs; // the clock as the elapsed label shows it
    int volume;        // the volume slider, 0..1000

    QString status() const
    {
        if (isPlaying)
            return QStringLiteral("Playing");
        return hasTrack ? QStringLiteral("Paused") : QStringLiteral("Stopped");
    }
};

QString titleText()
{
    char text[LABEL_BYTES] = {};
    controlText(IDC_TITLE, text, sizeof text);
    return QString::fromUtf8(text);
}

// The clock's minutes are an int, so their microseconds always fit 64 bits.
qint64 clockMicroseconds(int minutes, int seconds)
{
    return (static_cast<qint64>(minutes) * 60 + seconds) * MICROSECONDS;
}

qint64 elapsedMicroseconds()
{
    return clockMicroseconds(player.elapsedMin, player.elapsedSec);
}

qint64 addSaturating(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
    return sum;
}

QVariantMap metadataOf(const Shown &shown)
{
    QVariantMap metadata;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(shown.trackId)));
    if (!shown.hasTrack)
        return metadata;
    metadata.insert(QStringLiteral("xesam:title"), shown.title);
    // An unknown or zero length is left out rather than shown as a track without duration.
    if (shown.lengthUs > 0)
        metadata.insert(QStringLiteral("mpris:length"), shown.lengthUs);
    return metadata;
}

// Sends the answer to a request now, unless its caller asked for none.
void answer(const QDBusConnection &connection, const QDBusMessage &request,
            const QDBusMessage &reply)
{
    request.setDelayedReply(true);
    if (request.isReplyRequired())
        connection.send(reply);
}

bool sameMetadata(const Shown &a, const Shown &b)
{
    return a.trackId == b.trackId && a.title == b.title && a.lengthUs == b.lengthUs;
}

class MprisPlayer;

// Publishes what the window shows and turns the bus's requests into window messages.
class MprisService : public QObject {
public:
    MprisService(DialogProc proc, const QDBusConnection &connection);

    Shown shown() const;
    QDBusConnection connection() const { return m_connection; }
    // Answers a request before it runs: its handler may open a message box, whose loop would
    // hold the answer until the user closes the box. While a box of the window is open the
    // window's controls are out of reach, and so are requests: they get an error and false.
    bool admit(const QDBusMessage &message) const;
    void sendCommand(int id) const { m_proc(WM_COMMAND, makeWParam(id, BN_CLICKED), 0); }
    // A move of the position slider to the given point, as the user makes it.
    void seekTo(qint64 positionUs);
    void setVolume(double volume);
    // Hears each change the host announces on the window.
    void hear(WindowChange change, int id);

private:
    void noteElapsed();
    void scheduleUpdate();
    bool isBusy() const;
    void publishChanges() { publish(false); }
    void publish(bool seeked);

    DialogProc m_proc;
    QDBusConnection m_connection;
    MprisPlayer *m_player;
    Shown m_last{};
    qint64 m_elapsedUs = -1;
    quint64 m_trackNumber = 0;
    int m_openDialogs = 0;
    bool m_hasJumped = false;
    bool m_isUpdatePending = false;
};

// org.mpris.MediaPlayer2: who the player is; raising and closing its window.
class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ isAlways CONSTANT)
    Q_PROPERTY(bool CanRaise READ isAlways CONSTANT)
    Q_PROPERTY(bool HasTrackList READ isNever CONSTANT)
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes CONSTANT)

public:
    explicit MprisRoot(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service) {}

    bool isAlways() const { return true; }
    bool isNever() const { return false; }
    QString identity() const { return QString::fromUtf8(MAIN_CAPTION); }
    QString desktopEntry() const { return QString::fromLatin1(DESKTOP_ENTRY); }
    // Nothing is opened by URI: files come in through the window's Add only.
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {QStringLiteral("audio/mpeg")}; }

public slots:
    void Raise();
    void Quit(const QDBusMessage &message);

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player: the transport buttons, the sliders and what the labels show.
class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate CONSTANT)
    Q_PROPERTY(double MinimumRate READ rate CONSTANT)
    Q_PROPERTY(double MaximumRate READ rate CONSTANT)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ isAlways CONSTANT)
    Q_PROPERTY(bool CanGoPrevious READ isAlways CONSTANT)
    Q_PROPERTY(bool CanPlay READ isAlways CONSTANT)
    Q_PROPERTY(bool CanPause READ isAlways CONSTANT)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ isAlways CONSTANT)

public:
    explicit MprisPlayer(MprisService *service) : QDBusAbstractAdaptor(service), m_service(service)
    {
    }

    QString playbackStatus() const { return m_service->shown().status(); }
    double rate() const { return 1.0; }
    QVariantMap metadata() const { return metadataOf(m_service->shown()); }
    double volume() const { return m_service->shown().volume / VOLUME_STEPS; }
    void setVolume(double volume) { m_service->setVolume(volume); }
    qlonglong position() const { return std::max<qint64>(m_service->shown().positionUs, 0); }
    // The handlers themselves tell the user when there is nothing to play, pause or skip to.
    bool isAlways() const { return true; }
    bool canSeek() const { return m_service->shown().hasTrack; }

public slots:
    void Play(const QDBusMessage &message) { press(IDC_PLAY, message); }
    void Pause(const QDBusMessage &message) { press(IDC_PAUSE, message); }
    void PlayPause(const QDBusMessage &message)
    {
        press(isClockRunning() ? IDC_PAUSE : IDC_PLAY, message);
    }
    void Stop(const QDBusMessage &message) { press(IDC_STOP, message); }
    void Next(const QDBusMessage &message) { press(IDC_NEXT, message); }
    void Previous(const QDBusMessage &message) { press(IDC_PREV, message); }
    void Seek(qlonglong offset, const QDBusMessage &message);
    void SetPosition(const QDBusObjectPath &trackId, qlonglong position,
                     const QDBusMessage &message);
    void OpenUri(const QString &uri, const QDBusMessage &message);

signals:
    void Seeked(qlonglong position);

private:
    void press(int id, const QDBusMessage &message)
    {
        if (m_service->admit(message))
            m_service->sendCommand(id);
    }

    MprisService *m_service;
};

// Published from startMpris to stopMpris. A plain pointer: it must not outlive the application
// object in an exit-time destructor.
MprisService *theService = nullptr;

MprisService::MprisService(DialogProc proc, const QDBusConnection &connection)
    : m_proc(proc), m_connection(connection), m_player(new MprisPlayer(this))
{
    new MprisRoot(this);
    m_last = shown();
    m_elapsedUs = m_last.positionUs;
}

void MprisService::hear(WindowChange change, int id)
{
    switch (change) {
    case WindowChange::SliderRange:
        if (id == IDC_POSITION)
            ++m_trackNumber;
        break;
    case WindowChange::Text:
        if (id == IDC_ELAPSED)
            noteElapsed();
        break;
    case WindowChange::DialogOpened: ++m_openDialogs; break;
    case WindowChange::DialogClosed: m_openDialogs = std::max(0, m_openDialogs - 1); break;
    case WindowChange::SliderValue:
    case WindowChange::Clock: break;
    }
    scheduleUpdate();
}

Shown MprisService::shown() const
{
    Shown now{};
    now.title = titleText();
    now.hasTrack = !now.title.trimmed().isEmpty();
    now.isPlaying = isClockRunning();
    now.lengthUs = clockMicroseconds(player.totalMin, player.totalSec);
    now.positionUs = elapsedMicroseconds();
    now.volume = sliderValue(IDC_VOLUME);
    if (now.hasTrack) {
        now.trackId = QString::fromLatin1(TRACK_PATH).arg(m_trackNumber);
    } else {
        now.title.clear();
        now.trackId = QString::fromLatin1(NO_TRACK_PATH);
    }
    return now;
}

bool MprisService::isBusy() const
{
    return !mainDialog() || m_openDialogs > 0;
}

bool MprisService::admit(const QDBusMessage &message) const
{
    if (isBusy()) {
        answer(m_connection, message,
               message.createErrorReply(QString::fromLatin1(BUSY_ERROR),
                                        QString::fromLatin1(BUSY_TEXT)));
        return false;
    }
    answer(m_connection, message, message.createReply());
    return true;
}

void MprisService::seekTo(qint64 positionUs)
{
    qint64 seconds = std::max<qint64>(positionUs, 0) / MICROSECONDS;
    setSliderValue(IDC_POSITION, static_cast<int>(std::min<qint64>(seconds, INT_MAX)));
    m_proc(WM_HSCROLL, 0, IDC_POSITION);
    publish(true);
}

// Outside 0..1 is taken as its nearer end. A value that is not a number changes nothing, nor
// does a write while a box of the window is open.
void MprisService::setVolume(double volume)
{
    if (std::isnan(volume) || isBusy())
        return;
    volume = std::clamp(volume, 0.0, 1.0);
    setSliderValue(IDC_VOLUME, static_cast<int>(std::lround(volume * VOLUME_STEPS)));
    m_proc(WM_HSCROLL, 0, IDC_VOLUME);
}

// Each change of the elapsed label is judged on its own: the clock's tick moves it one second
// on while the clock runs, anything else is a jump.
void MprisService::noteElapsed()
{
    qint64 elapsedUs = elapsedMicroseconds();
    bool isTick = isClockRunning() && elapsedUs - MICROSECONDS == m_elapsedUs;
    m_hasJumped = m_hasJumped || (elapsedUs != m_elapsedUs && !isTick);
    m_elapsedUs = elapsedUs;
}

void MprisService::scheduleUpdate()
{
    if (m_isUpdatePending)
        return;
    m_isUpdatePending = true;
    QTimer::singleShot(0, this, &MprisService::publishChanges);
}

// Tells listeners what changed since the last time; the position only through Seeked, and not
// when a new track starts.
void MprisService::publish(bool seeked)
{
    m_isUpdatePending = false;
    Shown now = shown();
    QVariantMap changed;
    if (now.status() != m_last.status())
        changed.insert(QStringLiteral("PlaybackStatus"), now.status());
    if (!sameMetadata(now, m_last))
        changed.insert(QStringLiteral("Metadata"), metadataOf(now));
    if (now.volume != m_last.volume)
        changed.insert(QStringLiteral("Volume"), now.volume / VOLUME_STEPS);
    if (now.hasTrack != m_last.hasTrack)
        changed.insert(QStringLiteral("CanSeek"), now.hasTrack);
    seeked = seeked || (m_hasJumped && now.hasTrack && now.trackId == m_last.trackId);
    m_hasJumped = false;
    m_last = now;

    if (!changed.isEmpty()) {
        QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(OBJECT_PATH),
                                                         QString::fromLatin1(PROPERTIES_INTERFACE),
                                                         QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(PLAYER_INTERFACE) << changed << QStringList();
        m_connection.send(signal);
    }
    if (seeked)
        emit m_player->Seeked(std::max<qint64>(now.positionUs, 0));
}

void MprisRoot::Raise()
{
    raiseMainDialog();
}

// Through the close box's path, so the playlist is saved.
void MprisRoot::Quit(const QDBusMessage &message)
{
    if (m_service->admit(message))
        closeMainDialog();
}

// Moves by offset microseconds from the shown position; before the start means the start, past
// the end means Next.
void MprisPlayer::Seek(qlonglong offset, const QDBusMessage &message)
{
    if (!m_service->admit(message))
        return;
    Shown now = m_service->shown();
    if (!now.hasTrack)
        return;
    qint64 target = std::max<qint64>(addSaturating(std::max<qint64>(now.positionUs, 0), offset), 0);
    if (now.lengthUs >= 0 && target > now.lengthUs) {
        m_service->sendCommand(IDC_NEXT);
        return;
    }
    m_service->seekTo(target);
}

// Ignored unless trackId is the shown track and the position lies within it.
void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong position,
                              const QDBusMessage &message)
{
    if (!m_service->admit(message))
        return;
    Shown now = m_service->shown();
    if (!now.hasTrack || trackId.path() != now.trackId || position < 0)
        return;
    if (now.lengthUs >= 0 && position > now.lengthUs)
        return;
    m_service->seekTo(position);
}

void MprisPlayer::OpenUri(const QString &, const QDBusMessage &message)
{
    answer(m_service->connection(), message,
           message.createErrorReply(QDBusError::NotSupported,
                                    QStringLiteral("Files are added through the window.")));
}

bool registerPlayer(DialogProc proc, QDBusConnection connection)
{
    if (!connection.isConnected() || !mainDialog())
        return false;
    auto service = std::make_unique<MprisService>(proc, connection);
    // The object goes first: listeners ask for it as soon as the name appears.
    if (!connection.registerObject(QString::fromLatin1(OBJECT_PATH), service.get(),
                                   QDBusConnection::ExportAdaptors))
        return false;
    if (!connection.registerService(QString::fromLatin1(SERVICE_NAME))) {
        connection.unregisterObject(QString::fromLatin1(OBJECT_PATH));
        return false;
    }
    theService = service.release();
    setWindowListener([](WindowChange change, int id) {
        if (theService)
            theService->hear(change, id);
    });
    return true;
}

bool startOn(DialogProc proc, const QDBusConnection &connection)
{
    if (registerPlayer(proc, connection))
        return true;
    QDBusConnection::disconnectFromBus(QString::fromLatin1(CONNECTION_NAME));
    return false;
}

} // namespace

bool startMpris(DialogProc proc)
{
    stopMpris();
    return startOn(proc, QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                       QString::fromLatin1(CONNECTION_NAME)));
}

bool startMpris(DialogProc proc, const char *busAddress)
{
    stopMpris();
    if (!busAddress)
        return false;
    return startOn(proc, QDBusConnection::connectToBus(QString::fromUtf8(busAddress),
                                                       QString::fromLatin1(CONNECTION_NAME)));
}

void stopMpris()
{
    if (!theService)
        return;
    setWindowListener(nullptr);
    QDBusConnection connection = theService->connection();
    connection.unregisterService(QString::fromLatin1(SERVICE_NAME));
    connection.unregisterObject(QString::fromLatin1(OBJECT_PATH));
    delete theService;
    theService = nullptr;
    QDBusConnection::disconnectFromBus(QString::fromLatin1(CONNECTION_NAME));
}

bool raiseRunningPlayerOverMpris()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(SERVICE_NAME), QString::fromLatin1(OBJECT_PATH),
        QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    return bus.call(call, QDBus::Block, RAISE_TIMEOUT_MS).type() == QDBusMessage::ReplyMessage;
}

#include "mpris.moc"
