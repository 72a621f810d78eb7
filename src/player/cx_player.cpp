#include "player/cx_player.h"

#include "player/cx_player_rules.h"

#include <algorithm>

TPlayerCore::TPlayerCore(IMediaGraph& graph1, IMediaGraph& graph2, QObject* parent)
    : QObject(parent), FGraph1(graph1), FGraph2(graph2) {
    for (int n : {1, 2}) {
        Graph(n).OnComplete = [this] { FilterGraph1GraphComplete(); };
        Graph(n).OnError = [this, n](const QString& message) { GraphError(n, message); };
    }
    FTimer.setInterval(400);
    connect(&FTimer, &QTimer::timeout, this, &TPlayerCore::Tick);
}

IMediaGraph& TPlayerCore::CurrentGraph() {
    return Graph(CurrentGraphNumber == 2 ? 2 : 1);
}
IMediaGraph& TPlayerCore::OtherGraph() {
    return Graph(CurrentGraphNumber == 2 ? 1 : 2);
}

void TPlayerCore::SetStatus(TStatus status) {
    if (status == FStatus)
        return;
    FStatus = status;
    if (status == psPlaying)
        FTimer.start();
    else
        FTimer.stop();
    if (Hooks.StatusChanged)
        Hooks.StatusChanged();
}

void TPlayerCore::Report(const QString& message) {
    if (Hooks.ReportError)
        Hooks.ReportError(message);
}

void TPlayerCore::StartCurrent() {
    CurrentGraph().Play();
    SetStatus(psPlaying);
}

void TPlayerCore::PlayCurrent() {
    if (CurrentIndex < 0 && !Playlist.isEmpty())
        CurrentIndex = 0; // every entry up to the first one was deleted
    if (Playlist.isEmpty() || CurrentIndex >= Playlist.size())
        return;
    const int cur = CurrentGraphNumber == 2 ? 1 : 0;
    if (FStatus == psPaused && FLoaded[cur] == Playlist[CurrentIndex]) {
        // Play after Pause resumes the paused song.
        CurrentGraph().Play();
        SetStatus(psPlaying);
        return;
    }
    if (!CurrentGraph().Active())
        CurrentGraph().Activate();
    CurrentFile = Playlist[CurrentIndex];
    if (Hooks.ShowNowPlaying)
        Hooks.ShowNowPlaying();
    FLoaded[cur].clear();
    SetStatus(psStopped);
    CurrentGraph().RenderFile(CurrentFile);
    FLoaded[cur] = CurrentFile;
    StartCurrent();
    NextPreloaded = false;
    if (Hooks.SongStarted)
        Hooks.SongStarted();
}

void TPlayerCore::PlayIndex(int i) {
    CurrentGraph().Stop();
    CurrentGraph().Clear();
    FLoaded[CurrentGraphNumber == 2 ? 1 : 0].clear();
    SetStatus(psStopped);
    CurrentIndex = i;
    Rewind();
    if (Hooks.PressButton)
        Hooks.PressButton(btPlay);
    if (Hooks.RepaintPlaylistView)
        Hooks.RepaintPlaylistView();
    PlayCurrent();
}

void TPlayerCore::Rewind() {
    CurrentGraph().SeekToStart();
    if (Hooks.ResetTrackBars)
        Hooks.ResetTrackBars();
}

void TPlayerCore::SwapGraphs() {
    CurrentGraphNumber = CurrentGraphNumber == 2 ? 1 : 2;
    const int other = CurrentGraphNumber == 2 ? 1 : 2;
    if (Hooks.ShowTrackBar)
        Hooks.ShowTrackBar(CurrentGraphNumber);
    if (Hooks.ProcessMessages)
        Hooks.ProcessMessages();
    if (Hooks.HideTrackBar)
        Hooks.HideTrackBar(other);
}

void TPlayerCore::Pause() {
    CurrentGraph().Pause();
    if (FStatus == psPlaying)
        SetStatus(psPaused);
}

void TPlayerCore::Stop() {
    CurrentGraph().Stop();
    SetStatus(psStopped);
    Rewind();
}

void TPlayerCore::SeekToThumb(int thumb, int max) {
    if (max <= 0 || thumb < 0)
        return;
    const std::uint64_t duration = CurrentGraph().DurationMs();
    CurrentGraph().Seek(std::uint32_t(duration * std::uint64_t(thumb) / std::uint64_t(max)));
}

void TPlayerCore::Append(const QString& path) {
    Playlist.append(path);
    PlaylistEdited();
}

void TPlayerCore::ClearPlaylist() {
    Playlist.clear();
    PlaylistEdited();
}

void TPlayerCore::QueueRecordFolder(const QString& folder, const QStringList& songs, bool replace) {
    const bool wasEmpty = Playlist.isEmpty();
    if (replace)
        Playlist.clear();
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    for (const QString& song : songs)
        Playlist.append(base + song);
    PlaylistEdited();
    if (replace || wasEmpty)
        PlayIndex(0);
}

void TPlayerCore::DeleteRows(int top, int bottom) {
    // Only rows that are entries count: the one empty row of an empty
    // playlist deletes nothing and moves nothing.
    top = std::max(top, 0);
    bottom = std::min(bottom, int(Playlist.size()) - 1);
    if (top > bottom)
        return;
    CurrentIndex = IndexAfterDelete(CurrentIndex, top, bottom);
    for (int i = bottom; i >= top; --i)
        Playlist.removeAt(i);
    PlaylistEdited();
}

void TPlayerCore::DropPreload() {
    OtherGraph().Stop();
    OtherGraph().Clear();
    FLoaded[CurrentGraphNumber == 2 ? 0 : 1].clear();
    NextPreloaded = false;
    FPreloadFailed = false;
    FPreloadedPath.clear();
}

void TPlayerCore::PlaylistEdited() {
    // A preload that no longer holds the entry after the current one is
    // dropped; the next tick in the last twentieth loads the right one.
    if (NextPreloaded) {
        const int next = CurrentIndex + 1;
        if (next < 0 || next >= Playlist.size() || Playlist[next] != FPreloadedPath)
            DropPreload();
    }
    if (Hooks.RefreshPlaylistView)
        Hooks.RefreshPlaylistView();
}

void TPlayerCore::Tick() {
    if (FThumbHeld || !CurrentGraph().Playing())
        return;
    const std::uint32_t position = CurrentGraph().PositionMs();
    const std::uint32_t duration = CurrentGraph().DurationMs();
    if (Hooks.TrackBarTick)
        Hooks.TrackBarTick(CurrentGraphNumber, position, duration);
    DSTrackBar1Timer(position, duration);
}

void TPlayerCore::DSTrackBar1Timer(std::uint32_t positionMs, std::uint32_t durationMs) {
    if (NextPreloaded || !PreloadDue(positionMs, durationMs))
        return;
    if (CurrentIndex + 1 >= Playlist.size() || CurrentIndex + 1 < 0)
        return;
    NextPreloaded = true;
    FPreloadFailed = false;
    FPreloadedPath = Playlist[CurrentIndex + 1];
    const int other = CurrentGraphNumber == 2 ? 0 : 1;
    OtherGraph().Stop();
    OtherGraph().Clear();
    FLoaded[other].clear();
    if (!OtherGraph().Active())
        OtherGraph().Activate();
    try {
        OtherGraph().RenderFile(FPreloadedPath);
        FLoaded[other] = FPreloadedPath;
    } catch (const EMediaError& e) {
        // Reported now; the end of the song skips this entry.
        FPreloadFailed = true;
        Report(e.Message);
    }
    if (Hooks.ProcessMessages)
        Hooks.ProcessMessages();
}

void TPlayerCore::GraphError(int number, const QString& message) {
    Report(message);
    const bool current = number == (CurrentGraphNumber == 2 ? 2 : 1);
    if (current && FStatus == psPlaying) {
        // The song cannot go on: the next one plays as after its end.
        FilterGraph1GraphComplete();
    } else if (!current && NextPreloaded) {
        FPreloadFailed = true;
    }
}

void TPlayerCore::FilterGraph1GraphComplete() {
    while (CurrentIndex < Playlist.size() - 1) {
        const bool preloaded = NextPreloaded && !FPreloadFailed && CurrentIndex + 1 >= 0 &&
                               Playlist[CurrentIndex + 1] == FPreloadedPath;
        const bool reported = NextPreloaded && FPreloadFailed;
        CurrentIndex = CurrentIndex + 1;
        if (Hooks.SelectRow)
            Hooks.SelectRow(CurrentIndex);
        SwapGraphs();
        const int cur = CurrentGraphNumber == 2 ? 1 : 0;
        CurrentFile = Playlist[CurrentIndex];
        if (Hooks.ShowNowPlaying)
            Hooks.ShowNowPlaying();
        NextPreloaded = false;
        FPreloadFailed = false;
        FPreloadedPath.clear();
        bool loaded = preloaded;
        if (!preloaded && !reported) {
            CurrentGraph().Clear();
            FLoaded[cur].clear();
            if (!CurrentGraph().Active())
                CurrentGraph().Activate();
            try {
                CurrentGraph().RenderFile(CurrentFile);
                FLoaded[cur] = CurrentFile;
                loaded = true;
            } catch (const EMediaError& e) {
                Report(e.Message);
            }
        }
        // The finished graph is stopped and cleared once the next one runs.
        if (loaded)
            StartCurrent();
        OtherGraph().Stop();
        OtherGraph().Clear();
        FLoaded[cur == 0 ? 1 : 0].clear();
        if (loaded) {
            if (Hooks.SongStarted)
                Hooks.SongStarted();
            return;
        }
        // An entry that cannot be played is skipped: the one after it follows.
    }
    CurrentGraph().Stop();
    CurrentGraph().Clear();
    FLoaded[CurrentGraphNumber == 2 ? 1 : 0].clear();
    SetStatus(psStopped);
    if (Hooks.PlaylistEnded)
        Hooks.PlaylistEnded();
}
