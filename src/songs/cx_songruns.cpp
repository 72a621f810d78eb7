#include "songs/cx_songruns.h"

#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QFile>

#include <dirent.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace {

bool GoOn(const TRunProgress& progress, int index, int count) {
    return !progress || progress(index, count);
}

bool IsSafeName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QChar(0)) &&
           QFile::encodeName(name).size() <= NAME_MAX;
}

// Each of the folder's names as the file system spells it.
template <typename F> void ForEachRawName(const QString& folder, F&& handle) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(QFile::encodeName(folder).constData()),
                                                  ::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            handle(name);
    }
}

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

// The year, genre and comment a song keeps when the options leave them
// unset: those of its tag of the same kind, else of its other tag.
struct TOwnExtras {
    QString V1Year, V1Comment, V2Year, V2Genre, V2Comment;
    quint8 V1Genre = kNoGenre;
};

TOwnExtras OwnExtras(TID3v1& v1, TID3v2& v2, const std::string& local) {
    const bool has1 = v1.ReadTag(local) && v1.HasTag();
    const bool has2 = v2.ReadTag(local) && v2.HasTag();
    TOwnExtras e;
    if (has1 || has2) {
        e.V1Year = Text(has1 ? v1.Year() : v2.Year());
        e.V1Comment = Text(has1 ? v1.Comment() : v2.Comment());
        if (has1) {
            e.V1Genre = v1.GenreIndex();
        } else {
            const int index = GenreIndexOfName(v2.Genre());
            e.V1Genre = index < 0 ? kNoGenre : quint8(index);
        }
        e.V2Year = Text(has2 ? v2.Year() : v1.Year());
        e.V2Comment = Text(has2 ? v2.Comment() : v1.Comment());
        if (has2)
            e.V2Genre = Text(v2.Genre());
        else if (v1.GenreIndex() < GenreNames.size())
            e.V2Genre = Text(std::string(GenreNames[v1.GenreIndex()]));
    }
    return e;
}

} // namespace

TFolderRenamer::TFolderRenamer(const QString& folder, bool trial) : Folder(folder), Trial(trial) {
    if (Trial)
        ForEachRawName(Folder, [this](const QByteArray& name) { Names.insert(name); });
}

TRenameStep TFolderRenamer::Rename(const QString& oldName, const QString& newName) {
    TRenameStep step{oldName, newName, false};
    if (!IsSafeName(oldName) || !IsSafeName(newName))
        return step;
    if (!Trial) {
        step.Done = RenameSongFile(Batch, Folder, oldName, newName);
        return step;
    }
    const QByteArray from = QFile::encodeName(oldName);
    const QByteArray to = QFile::encodeName(newName);
    if (!Names.contains(from) || Names.contains(to))
        return step;
    Names.erase(from);
    Names.insert(to);
    step.Done = true;
    return step;
}

std::vector<QByteArray> UndecodableNames(const QString& folder) {
    std::vector<QByteArray> names;
    ForEachRawName(folder, [&](const QByteArray& name) {
        if (QFile::encodeName(QFile::decodeName(name)) != name)
            names.push_back(name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

TTagRenameRun RenameSongsFromTags(TID3v1& v1, TID3v2& v2, const QString& folder,
                                  const QStringList& songs, bool trial,
                                  const TRunProgress& progress) {
    TTagRenameRun run;
    TFolderRenamer renamer(folder, trial);
    const int count = int(songs.size());
    for (int i = 0; i < count; ++i) {
        if (!GoOn(progress, i, count)) {
            run.Stopped = true;
            break;
        }
        // Other formats carry no ID3 tags: left alone, but they keep their
        // place, so that a song without a track is numbered by its
        // position among all the songs.
        if (!IsMpegAudioFile(songs[i]))
            continue;
        const QString path = SongPath(folder, songs[i]);
        const TTagName name = TagNameOfSong(v1, v2, path, i);
        if (name.Result == TTagName::Unreadable) {
            run.UnreadablePath = path;
            break;
        }
        if (name.Result == TTagName::Rename && name.NewName != songs[i])
            run.Steps.push_back(renamer.Rename(songs[i], name.NewName));
    }
    return run;
}

std::vector<TRenameStep> RenameCutFiles(const QString& folder, const QStringList& entries,
                                        int frontCount, const QString& separator, int endCount,
                                        bool trial, const TRunProgress& progress) {
    std::vector<TRenameStep> steps;
    TFolderRenamer renamer(folder, trial);
    const int count = int(entries.size());
    for (int i = 0; i < count && GoOn(progress, i, count); ++i) {
        const QString name = RenameEntryName(entries[i]);
        const QString newName = CutFileName(name, i + 1, frontCount, separator, endCount);
        if (newName != name)
            steps.push_back(renamer.Rename(name, newName));
    }
    return steps;
}

std::vector<TNormalizeStep> NormalizeSongTags(TID3v1& v1, TID3v2& v2, const QString& folder,
                                              const QStringList& songs,
                                              const TNormalizeOptions& options,
                                              const TRunProgress& progress) {
    using Action = TNormalizeOptions::Action;
    std::vector<TNormalizeStep> steps;
    // The songs' own values are read only when some are wanted.
    const bool allGiven = options.V1Year && options.V1Comment && options.V1Genre &&
                          options.V2Year && options.V2Genre && options.V2Comment;
    const int count = int(songs.size());
    for (int i = 0; i < count && GoOn(progress, i, count); ++i) {
        const QString path = SongPath(folder, songs[i]);
        if (!SongFileExists(path) || (options.MpegOnly && !IsMpegAudioFile(songs[i])))
            continue;
        const std::string local = LocalPath(path);
        const TOwnExtras own = allGiven ? TOwnExtras{} : OwnExtras(v1, v2, local);
        const TNormalizedFields fields = NormalizedFields(folder, songs[i], i);
        bool done = true;
        if (options.V1 == Action::Write)
            done = WriteNormalizedID3v1(v1, path, fields, options.V1Year.value_or(own.V1Year),
                                        options.V1Genre.value_or(own.V1Genre),
                                        options.V1Comment.value_or(own.V1Comment));
        else
            v1.RemoveTag(local);
        if (options.V2 == Action::Write)
            done = WriteNormalizedID3v2(v2, path, fields, options.V2Year.value_or(own.V2Year),
                                        options.V2Genre.value_or(own.V2Genre),
                                        options.V2Comment.value_or(own.V2Comment)) &&
                   done;
        else if (v2.ReadTag(local) && v2.HasTag())
            v2.RemoveTag(local);
        steps.push_back({songs[i], done});
    }
    return steps;
}
