#pragma once
// The runs over the songs of a record that the tag editor, the rename tool
// and tralu-cli share: normalizing the tags of every song, renaming every
// song after its tags, renaming the rename tool's files.  Each run goes one
// file at a time in list order and asks `progress` before each file, so a
// window can let its messages run and stop the run.  No widgets.

#include "platform/rename_journal.h"
#include "songs/cx_songfiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <set>
#include <vector>

// Called with the position of the next file and the number of files;
// returning false stops the run before that file.
using TRunProgress = std::function<bool(int index, int count)>;

// One rename of a run.
struct TRenameStep {
    QString OldName;   // without folder
    QString NewName;   // without folder
    bool Done = false; // renamed (in a trial run: would be renamed)
};

// Renames files of one folder, never replacing a file; each renamer is one
// batch of the rename journal.  A trial renamer
// renames nothing: it keeps the names the folder would hold, so that a
// trial run meets the same collisions as the real one.
class TFolderRenamer {
public:
    TFolderRenamer(const QString& folder, bool trial);
    // Renames oldName to newName; the step says whether it was done.  A
    // name that is empty, ".", "..", holds a "/" or a zero character, or is
    // too long for the file system, is refused.
    TRenameStep Rename(const QString& oldName, const QString& newName);

private:
    QString Folder;
    bool Trial;
    TRenameBatch Batch;         // the run's renames in the journal
    std::set<QByteArray> Names; // trial run: the folder's names as they would be
};

// The names of a folder's entries, as the file system spells them, that
// no QString can hold (they are not valid UTF-8): the shared listings
// cannot see those files, so a run leaves them alone.
std::vector<QByteArray> UndecodableNames(const QString& folder);

// "Tags to filenames": every song renamed "NN - Title.ext" after its ID3v2
// tag, else its ID3v1 tag (TagNameOfSong).  Songs already so named, or
// without a title, are left alone and have no step.
struct TTagRenameRun {
    std::vector<TRenameStep> Steps;
    // Not empty when the run stopped at this song because its tags cannot
    // be read; the songs after it were left alone.
    QString UnreadablePath;
    bool Stopped = false; // progress stopped the run
};
TTagRenameRun RenameSongsFromTags(TID3v1& v1, TID3v2& v2, const QString& folder,
                                  const QStringList& songs, bool trial,
                                  const TRunProgress& progress = {});

// The rename tool: each entry of the rename list renamed with CutFileName
// (name, position + 1, ...).  Entries whose name would not change have no
// step.
std::vector<TRenameStep> RenameCutFiles(const QString& folder, const QStringList& entries,
                                        int frontCount, const QString& separator, int endCount,
                                        bool trial, const TRunProgress& progress = {});

// "Normalize all tags": what to do with each tag kind, and the year, genre
// and comment to write.  A value left unset keeps the song's own: the one
// of its tag of that kind, else of its tag of the other kind, else empty
// (no genre).
struct TNormalizeOptions {
    enum Action { Write, Remove };
    Action V1 = Write;
    Action V2 = Write;
    // Only MPEG audio files (IsMpegAudioFile) are touched; the other songs
    // are left alone and have no step.  Without it every song listed is
    // written, whatever its format.
    bool MpegOnly = false;
    std::optional<QString> V1Year, V1Comment;
    std::optional<quint8> V1Genre;
    std::optional<QString> V2Year, V2Genre, V2Comment;
};
struct TNormalizeStep {
    QString Name;      // the song's file name
    bool Done = false; // every write asked for succeeded (removals are not checked)
};
std::vector<TNormalizeStep> NormalizeSongTags(TID3v1& v1, TID3v2& v2, const QString& folder,
                                              const QStringList& songs,
                                              const TNormalizeOptions& options,
                                              const TRunProgress& progress = {});
