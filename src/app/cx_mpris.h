#pragma once
// The desktop media controls: the built-in player on the session bus as
// org.mpris.MediaPlayer2.tralu, with the MPRIS 2 root and player interfaces,
// so that media keys and the desktop's sound menu drive it.  Window-free: it
// reads the player core's state and asks the window, through the actions it
// is given, for everything that changes it.  Without a session bus it stays
// unregistered and the player works as before.

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class TPlayerCore;

class TMprisService : public QObject, protected QDBusContext {
    Q_OBJECT
public:
    struct TActions {
        // The player, or none while it has not been used yet.
        std::function<TPlayerCore*()> Player;
        std::function<void()> Raise;
        std::function<void()> Quit;
        std::function<void()> Play;
        std::function<void()> Pause;
        std::function<void()> Stop;
        // Plays entry i of the playlist.
        std::function<void(int index)> Go;
        // The playlist becomes the song or the record folder, and it plays.
        std::function<void(const QString& path)> Open;
    };

    static const QString ServiceName; // org.mpris.MediaPlayer2.tralu
    static const QString ObjectPath;  // /org/mpris/MediaPlayer2

    explicit TMprisService(TActions actions, QObject* parent = nullptr);
    ~TMprisService() override;

    // The bus name held, empty when there is no session bus.
    QString RegisteredName() const { return FName; }

    // What the player reports; each one sends PropertiesChanged.
    void StatusChanged();
    void SongChanged();
    void PlaylistChanged();

    // The interfaces' values and calls (the adaptors forward to them).
    QString PlaybackStatus() const;
    QVariantMap Metadata() const;
    qlonglong Position() const;
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanPause() const;
    bool CanSeek() const;
    void Raise();
    void Quit();
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offsetUs);
    void SetPosition(const QString& trackId, qlonglong positionUs);
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong positionUs);

private:
    // Runs a window action inside the application's error handler.
    void Run(const std::function<void()>& action);
    void SendChanged(const QString& interface, const QVariantMap& changed);
    QString TrackId() const;

    TActions FActions;
    QString FName;
    // Last values sent, so that only changes are signalled.
    QVariantMap FSent;
    // The tags of the song last asked for: read once per song.
    mutable QString FTagsPath;
    mutable QVariantMap FTags;
};

// The Metadata of one song: its tags (ID3v2, else ID3v1) for the title,
// artist and album, falling back to the file name without its extension and
// the names of the record and artist folders.  An empty track id or a length
// of 0 leaves that entry out.
QVariantMap SongMetadata(const QString& path, const QString& trackId, qlonglong lengthUs);
