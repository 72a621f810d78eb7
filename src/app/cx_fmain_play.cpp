// Main window: the play and enqueue commands of the Music and Records tabs.
// Each one feeds the built-in player or starts the external player's
// command, as "UseInternalPlayer" says at the moment it runs.
#include "app/cx_fmain.h"

#include "app/cx_records_grid.h"
#include "framework/qv_tools.h"
#include "player/cx_player.h"
#include "songs/cx_songfiles.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QTabWidget>
#include <QTableView>

#include <algorithm>

void TFrmCrateboxMain::RunPlayerCommand(const QString& command, const QString& path) {
    // One argument, whatever the path holds; a program that cannot be
    // started leaves the command without effect.
    RunCommand(command, QLatin1Char('"') + path + QLatin1Char('"'), false, 1);
}

void TFrmCrateboxMain::QueueRecordFolder(const QString& folder, bool replace) {
    Player().QueueRecordFolder(folder, ListSongs(folder, MusicExtensions), replace);
}

std::pair<int, int> TFrmCrateboxMain::SelectedSongRows() const {
    const QModelIndexList rows = DrawGridMusic->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        const int current = DrawGridMusic->currentIndex().row();
        return {current, current};
    }
    int top = rows.first().row(), bottom = top;
    for (const QModelIndex& index : rows) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
    }
    return {top, bottom};
}

QStringList TFrmCrateboxMain::SelectedSongs() const {
    auto [top, bottom] = SelectedSongRows();
    bottom = std::min(bottom, int(Songs.size()) - 1);
    if (top < 0 || top > bottom)
        return {};
    return Songs.mid(top, bottom - top + 1);
}

void TFrmCrateboxMain::PlayRecordFolder(const QString& folder, bool replace) {
    if (folder.isEmpty())
        return;
    if (UseInternalPlayer)
        QueueRecordFolder(folder, replace);
    else
        RunPlayerCommand(replace ? PlaySong : EnqueueSong, RemoveBackslash(folder));
}

void TFrmCrateboxMain::EnqueueSongFile(const QString& path) {
    if (UseInternalPlayer)
        Player().Append(path); // appended only: nothing starts
    else
        RunPlayerCommand(EnqueueSong, path);
}

void TFrmCrateboxMain::btPlayDirClick() {
    PlayRecordFolder(CurrentFolder(), true);
}

void TFrmCrateboxMain::btEnqueueClick() {
    PlayRecordFolder(CurrentFolder(), false);
}

void TFrmCrateboxMain::DrawGridMusicDblClick() {
    const int row = SelectedSongRows().first;
    if (row < 0 || row >= Songs.size())
        return;
    EnqueueSongFile(SongPath(CurrentFolder(), Songs.at(row)));
}

void TFrmCrateboxMain::cmPlayClick() {
    if (PageControl->currentWidget() == tsRecords) {
        PlayRecordFolder(RecordsGridCurrentFolder(), true);
        return;
    }
    // The songs are taken now: handling pending events may change the list.
    const QStringList songs = SelectedSongs();
    if (songs.isEmpty())
        return;
    const QString folder = CurrentFolder();
    if (UseInternalPlayer) {
        TPlayerCore& player = Player();
        player.ClearPlaylist();
        player.Append(SongPath(folder, songs.first()));
        player.PlayIndex(0);
    } else {
        RunPlayerCommand(PlaySong, SongPath(folder, songs.first()));
    }
    QCoreApplication::processEvents();
    for (qsizetype i = 1; i < songs.size(); ++i) {
        EnqueueSongFile(SongPath(folder, songs.at(i)));
        QCoreApplication::processEvents();
    }
}

void TFrmCrateboxMain::cmEnqueueClick() {
    if (PageControl->currentWidget() == tsRecords) {
        PlayRecordFolder(RecordsGridCurrentFolder(), false);
        return;
    }
    const QString folder = CurrentFolder();
    for (const QString& song : SelectedSongs())
        EnqueueSongFile(SongPath(folder, song));
}
