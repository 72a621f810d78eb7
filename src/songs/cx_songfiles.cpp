#include "songs/cx_songfiles.h"

#include "framework/qv_tools.h"
#include "platform/file_ops.h"
#include "platform/rename_journal.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QFile>

std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool SongFileExists(const QString& path) {
    if (path.isEmpty())
        return false;
    const auto st = FileStatus(path, true);
    return st && !st->IsDirectory;
}

QStringList ListSongs(const QString& folder, const QStringList& extensions) {
    QStringList songs;
    if (folder.isEmpty())
        return songs;
    ForEachFile(AddBackslash(folder) + QStringLiteral("*.*"),
                [&](const QString&, const TFindRecord& find) {
                    const QString ext = FileExtension(find.Name).mid(1);
                    if (!ext.isEmpty() && extensions.contains(ext, Qt::CaseInsensitive))
                        songs << find.Name;
                });
    SortNameList(songs);
    return songs;
}

QStringList ListRenameEntries(const QString& folder, const QString& wildcard, bool byDate) {
    QStringList entries;
    if (folder.isEmpty() || wildcard.contains(QLatin1Char('/')))
        return entries;
    ForEachFile(AddBackslash(folder) + wildcard, [&](const QString&, const TFindRecord& find) {
        const quint32 key = byDate ? DosDateTime(find.LastWriteTime.toLocalTime()) : 0;
        entries << RenameListEntry(key, find.Name);
    });
    SortNameList(entries);
    return entries;
}

TTagName TagNameOfSong(TID3v1& v1, TID3v2& v2, const QString& path, int index) {
    TTagName result;
    if (!SongFileExists(path))
        return result;
    const std::string local = LocalPath(path);
    QString title;
    int track = -1;
    if (!v2.ReadTag(local)) {
        result.Result = TTagName::Unreadable;
        return result;
    }
    if (v2.HasTag()) {
        title = QString::fromStdString(v2.Title());
        if (v2.Track() > 0)
            track = v2.Track();
    } else if (v1.ReadTag(local)) {
        if (!v1.HasTag()) {
            result.Result = TTagName::Unreadable;
            return result;
        }
        title = QString::fromStdString(v1.Title());
        track = v1.Track();
    }
    if (title.isEmpty())
        return result;
    if (track < 1)
        track = index + 1;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    result.Result = TTagName::Rename;
    result.NewName = TagFileName(title, track) + FileExtension(path.mid(slash + 1));
    return result;
}

bool WriteNormalizedID3v1(TID3v1& tag, const QString& path, const TNormalizedFields& fields,
                          const QString& year, quint8 genreIndex, const QString& comment) {
    tag.SetTitle(fields.Title.toStdString());
    tag.SetArtist(fields.Artist.toStdString());
    tag.SetAlbum(fields.Album.toStdString());
    tag.SetYear(year.toStdString());
    tag.SetTrack(fields.Track);
    tag.SetGenreIndex(genreIndex);
    tag.SetComment(comment.toStdString());
    return SongFileExists(path) && tag.WriteTag(LocalPath(path));
}

bool WriteNormalizedID3v2(TID3v2& tag, const QString& path, const TNormalizedFields& fields,
                          const QString& year, const QString& genre, const QString& comment) {
    tag.SetTitle(fields.Title.toStdString());
    tag.SetArtist(fields.Artist.toStdString());
    tag.SetAlbum(fields.Album.toStdString());
    tag.SetYear(year.toStdString());
    tag.SetTrack(fields.Track);
    tag.SetGenre(genre.toStdString());
    tag.SetComment(comment.toStdString());
    return SongFileExists(path) && tag.WriteTag(LocalPath(path));
}

bool RenameSongFile(TRenameBatch& batch, const QString& folder, const QString& oldName,
                    const QString& newName) {
    if (oldName.isEmpty() || newName.isEmpty() || newName.contains(QLatin1Char('/')))
        return false;
    return batch.Rename(SongPath(folder, oldName), SongPath(folder, newName));
}
