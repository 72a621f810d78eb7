#include "app/cx_mpris.h"

#include "framework/qv_application.h"
#include "player/cx_player.h"
#include "songs/cx_songfiles.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

const QString TMprisService::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.tralu");
const QString TMprisService::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");

namespace {

const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

class TMprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit TMprisRoot(TMprisService* service) : QDBusAbstractAdaptor(service), m(service) {}
    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Tralu"); }
    QString DesktopEntry() const { return QStringLiteral("tralu"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const {
        return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/x-wav"),
                QStringLiteral("audio/ogg"), QStringLiteral("inode/directory")};
    }

public slots:
    void Raise() { m->Raise(); }
    void Quit() { m->Quit(); }

private:
    TMprisService* m;
};

class TMprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit TMprisPlayer(TMprisService* service) : QDBusAbstractAdaptor(service), m(service) {
        connect(service, &TMprisService::Seeked, this, &TMprisPlayer::Seeked);
    }
    QString PlaybackStatus() const { return m->PlaybackStatus(); }
    double Rate() const { return 1.0; }
    QVariantMap Metadata() const { return m->Metadata(); }
    // The player never sets the volume: it is the sound server's.
    double Volume() const { return 1.0; }
    qlonglong Position() const { return m->Position(); }
    bool CanGoNext() const { return m->CanGoNext(); }
    bool CanGoPrevious() const { return m->CanGoPrevious(); }
    bool CanPlay() const { return m->CanPlay(); }
    bool CanPause() const { return m->CanPause(); }
    bool CanSeek() const { return m->CanSeek(); }
    bool CanControl() const { return true; }

public slots:
    void Next() { m->Next(); }
    void Previous() { m->Previous(); }
    void Pause() { m->Pause(); }
    void PlayPause() { m->PlayPause(); }
    void Stop() { m->Stop(); }
    void Play() { m->Play(); }
    void Seek(qlonglong Offset) { m->Seek(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) {
        m->SetPosition(TrackId.path(), Position);
    }
    void OpenUri(const QString& Uri) { m->OpenUri(Uri); }

signals:
    void Seeked(qlonglong Position);

private:
    TMprisService* m;
};

QString NameOf(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}
QString FolderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash > 0 ? path.left(slash) : QString();
}

} // namespace

QVariantMap SongMetadata(const QString& path, const QString& trackId, qlonglong lengthUs) {
    QString title, artist, album;
    TID3v2 v2;
    TID3v1 v1;
    const std::string local = LocalPath(path);
    if (v2.ReadTag(local) && v2.HasTag()) {
        title = QString::fromStdString(v2.Title());
        artist = QString::fromStdString(v2.Artist());
        album = QString::fromStdString(v2.Album());
    }
    if ((title.isEmpty() || artist.isEmpty() || album.isEmpty()) && v1.ReadTag(local) &&
        v1.HasTag()) {
        if (title.isEmpty())
            title = QString::fromStdString(v1.Title()).trimmed();
        if (artist.isEmpty())
            artist = QString::fromStdString(v1.Artist()).trimmed();
        if (album.isEmpty())
            album = QString::fromStdString(v1.Album()).trimmed();
    }
    const QString name = NameOf(path);
    const QString record = FolderOf(path);
    if (title.isEmpty()) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        title = dot > 0 ? name.left(dot) : name;
    }
    if (album.isEmpty())
        album = NameOf(record);
    if (artist.isEmpty())
        artist = NameOf(FolderOf(record));
    QVariantMap metadata;
    if (!trackId.isEmpty())
        metadata.insert(QStringLiteral("mpris:trackid"),
                        QVariant::fromValue(QDBusObjectPath(trackId)));
    if (lengthUs > 0)
        metadata.insert(QStringLiteral("mpris:length"), lengthUs);
    metadata.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(path).toString());
    metadata.insert(QStringLiteral("xesam:title"), title);
    if (!artist.isEmpty())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList{artist});
    if (!album.isEmpty())
        metadata.insert(QStringLiteral("xesam:album"), album);
    return metadata;
}

TMprisService::TMprisService(TActions actions, QObject* parent)
    : QObject(parent), FActions(std::move(actions)) {
    new TMprisRoot(this);
    new TMprisPlayer(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors))
        return;
    // A second running Tralu takes a name of its own, as MPRIS allows.
    for (const QString& name :
         {ServiceName,
          ServiceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid())}) {
        if (bus.registerService(name)) {
            FName = name;
            break;
        }
    }
    if (FName.isEmpty())
        bus.unregisterObject(ObjectPath);
}

TMprisService::~TMprisService() {
    if (FName.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(FName);
    bus.unregisterObject(ObjectPath);
}

void TMprisService::Run(const std::function<void()>& action) {
    if (action)
        RunGuarded(action);
}

QString TMprisService::TrackId() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player || player->CurrentFile.isEmpty())
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/org/tralu/track/%1").arg(std::max(0, player->CurrentIndex));
}

QString TMprisService::PlaybackStatus() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player)
        return QStringLiteral("Stopped");
    switch (player->Status()) {
    case TPlayerCore::psPlaying:
        return QStringLiteral("Playing");
    case TPlayerCore::psPaused:
        return QStringLiteral("Paused");
    case TPlayerCore::psStopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap TMprisService::Metadata() const {
    TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player || player->CurrentFile.isEmpty())
        return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackId()))}};
    if (FTagsPath != player->CurrentFile) {
        FTags = SongMetadata(player->CurrentFile, QString(), 0);
        FTagsPath = player->CurrentFile;
    }
    QVariantMap metadata = FTags;
    metadata.insert(QStringLiteral("mpris:trackid"),
                    QVariant::fromValue(QDBusObjectPath(TrackId())));
    const qlonglong length = qlonglong(player->CurrentGraph().DurationMs()) * 1000;
    if (length > 0)
        metadata.insert(QStringLiteral("mpris:length"), length);
    return metadata;
}

qlonglong TMprisService::Position() const {
    TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player || player->Status() == TPlayerCore::psStopped)
        return 0;
    return qlonglong(player->CurrentGraph().PositionMs()) * 1000;
}

bool TMprisService::CanGoNext() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    return player && player->CurrentIndex + 1 < player->Playlist.size();
}

bool TMprisService::CanGoPrevious() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    return player && player->CurrentIndex > 0 && !player->Playlist.isEmpty();
}

bool TMprisService::CanPlay() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    return player && !player->Playlist.isEmpty();
}

bool TMprisService::CanPause() const {
    return CanPlay();
}

bool TMprisService::CanSeek() const {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    return player && player->Status() != TPlayerCore::psStopped;
}

void TMprisService::SendChanged(const QString& interface, const QVariantMap& values) {
    QVariantMap changed;
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QString key = interface + QLatin1Char('.') + it.key();
        if (FSent.value(key) == it.value() && FSent.contains(key))
            continue;
        FSent.insert(key, it.value());
        changed.insert(it.key(), it.value());
    }
    if (changed.isEmpty() || FName.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void TMprisService::StatusChanged() {
    SendChanged(kPlayerInterface, {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
                                   {QStringLiteral("CanSeek"), CanSeek()}});
}

void TMprisService::SongChanged() {
    FTagsPath.clear(); // a song started again may have new tags
    SendChanged(kPlayerInterface, {{QStringLiteral("PlaybackStatus"), PlaybackStatus()},
                                   {QStringLiteral("Metadata"), Metadata()},
                                   {QStringLiteral("CanGoNext"), CanGoNext()},
                                   {QStringLiteral("CanGoPrevious"), CanGoPrevious()},
                                   {QStringLiteral("CanSeek"), CanSeek()}});
}

void TMprisService::PlaylistChanged() {
    SendChanged(kPlayerInterface, {{QStringLiteral("CanGoNext"), CanGoNext()},
                                   {QStringLiteral("CanGoPrevious"), CanGoPrevious()},
                                   {QStringLiteral("CanPlay"), CanPlay()},
                                   {QStringLiteral("CanPause"), CanPause()}});
}

void TMprisService::Raise() {
    Run(FActions.Raise);
}

void TMprisService::Quit() {
    // After the reply: closing the window ends this object.
    QMetaObject::invokeMethod(
        this, [this] { Run(FActions.Quit); }, Qt::QueuedConnection);
}

void TMprisService::Next() {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (player && CanGoNext() && FActions.Go) {
        const int next = std::max(0, player->CurrentIndex + 1);
        Run([&] { FActions.Go(next); });
    }
}

void TMprisService::Previous() {
    const TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (player && CanGoPrevious() && FActions.Go) {
        const int previous = player->CurrentIndex - 1;
        Run([&] { FActions.Go(previous); });
    }
}

void TMprisService::Pause() {
    Run(FActions.Pause);
}

void TMprisService::PlayPause() {
    if (PlaybackStatus() == QLatin1String("Playing"))
        Run(FActions.Pause);
    else
        Run(FActions.Play);
}

void TMprisService::Stop() {
    Run(FActions.Stop);
}

void TMprisService::Play() {
    Run(FActions.Play);
}

void TMprisService::Seek(qlonglong offsetUs) {
    TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player || !CanSeek())
        return;
    IMediaGraph& graph = player->CurrentGraph();
    const qlonglong target = qlonglong(graph.PositionMs()) * 1000 + offsetUs;
    if (target >= qlonglong(graph.DurationMs()) * 1000) {
        Next(); // past the end: as the end of the song would
        return;
    }
    const qlonglong clamped = std::max<qlonglong>(0, target);
    Run([&] { graph.Seek(std::uint32_t(clamped / 1000)); });
    emit Seeked(clamped);
}

void TMprisService::SetPosition(const QString& trackId, qlonglong positionUs) {
    TPlayerCore* player = FActions.Player ? FActions.Player() : nullptr;
    if (!player || !CanSeek() || trackId != TrackId() || positionUs < 0)
        return;
    IMediaGraph& graph = player->CurrentGraph();
    if (positionUs > qlonglong(graph.DurationMs()) * 1000)
        return;
    Run([&] { graph.Seek(std::uint32_t(positionUs / 1000)); });
    emit Seeked(positionUs);
}

void TMprisService::OpenUri(const QString& uri) {
    const QUrl url(uri);
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs,
                           QStringLiteral("not a file or folder to play: %1").arg(uri));
        return;
    }
    Run([&] { FActions.Open(path); });
}

#include "cx_mpris.moc"
