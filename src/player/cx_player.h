#pragma once
// The built-in player without its widgets: the playlist, the two graphs that
// take turns (the next song is loaded into the idle one during the last
// twentieth of the current song), the end-of-song and Delete-key rules.  The
// Player tab, tralu-cli and the desktop media controls drive it and listen to
// its hooks; every call runs on the window thread.

#include "player/media_graph.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>

class TPlayerCore : public QObject {
    Q_OBJECT
public:
    enum TButton { btPlay, btPause, btStop };
    enum TStatus { psStopped, psPlaying, psPaused };

    // The graphs are not owned; they outlive the core.
    TPlayerCore(IMediaGraph& graph1, IMediaGraph& graph2, QObject* parent = nullptr);

    QStringList Playlist;
    int CurrentIndex = 0;
    QString CurrentFile;
    int CurrentGraphNumber = 1;
    bool NextPreloaded = false;

    IMediaGraph& CurrentGraph();
    IMediaGraph& OtherGraph();
    TStatus Status() const { return FStatus; }

    void PlayCurrent();
    void PlayIndex(int i);
    void Rewind();
    void SwapGraphs();
    void Pause();
    void Stop();
    // Seeks the current graph to the thumb's place on a bar of range 0..max.
    void SeekToThumb(int thumb, int max);

    // Playlist edits; each one refreshes the view and checks the preload.
    void Append(const QString& path);
    void ClearPlaylist();
    // One record for the player: its songs (file names, in play order) are
    // appended, after the playlist was cleared when replace is set; it plays
    // from entry 0 when replace is set or the playlist was empty.
    void QueueRecordFolder(const QString& folder, const QStringList& songs, bool replace);
    // The Delete key on the rows top..bottom of the view.
    void DeleteRows(int top, int bottom);

    // The tick of the visible track bar, and the one the core's own timer
    // makes every 400 ms while a graph plays (skipped while the thumb is held).
    void DSTrackBar1Timer(std::uint32_t positionMs, std::uint32_t durationMs);
    void Tick();
    void SetThumbHeld(bool held) { FThumbHeld = held; }
    // The end of a song in either graph.
    void FilterGraph1GraphComplete();

    // What the views do for the player; every hook may stay empty.
    struct THooks {
        std::function<void()> ShowNowPlaying;
        std::function<void()> RefreshPlaylistView;
        std::function<void()> RepaintPlaylistView;
        std::function<void(int row)> SelectRow;
        std::function<void(int graphNumber)> ShowTrackBar;
        std::function<void(int graphNumber)> HideTrackBar;
        std::function<void(int graphNumber, std::uint32_t positionMs, std::uint32_t durationMs)>
            TrackBarTick;
        std::function<void()> ResetTrackBars;
        std::function<void(TButton)> PressButton;
        std::function<void()> ProcessMessages;
        // An error of a graph that no caller can take (end of song, preload,
        // an error while playing).
        std::function<void(const QString& message)> ReportError;
        // A song started to play (CurrentIndex, CurrentFile are set).
        std::function<void()> SongStarted;
        // The last entry finished.
        std::function<void()> PlaylistEnded;
        std::function<void()> StatusChanged;
    } Hooks;

private:
    IMediaGraph& Graph(int number) { return number == 2 ? FGraph2 : FGraph1; }
    void SetStatus(TStatus status);
    void Report(const QString& message);
    void PlaylistEdited();
    void DropPreload();
    void GraphError(int number, const QString& message);
    void StartCurrent();

    IMediaGraph& FGraph1;
    IMediaGraph& FGraph2;
    QTimer FTimer;
    TStatus FStatus = psStopped;
    bool FThumbHeld = false;
    // What each graph holds (empty: nothing) and the preload's state.
    QString FLoaded[2];
    QString FPreloadedPath;
    bool FPreloadFailed = false;
};
