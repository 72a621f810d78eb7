#pragma once
// The file side of the song-name rules, shared by the main window and
// tralu-cli: listing a record's songs and the rename tool's files, the new
// name a song gets from its tags, writing normalized tags.  No widgets.

#include "songs/cx_songnames.h"

#include <QString>
#include <QStringList>

#include <string>

class TID3v1;
class TID3v2;
class TRenameBatch;

// A path as the tag library takes it (the file system's bytes).
std::string LocalPath(const QString& path);
// True when path names an existing file (after links), not a folder.
bool SongFileExists(const QString& path);

// The music files of folder whose extension (without the dot) equals one of
// extensions without regard to case, sorted as the song list is.
QStringList ListSongs(const QString& folder, const QStringList& extensions);

// The entries of the rename list for the files of folder that match the
// wildcard ("*", "?", without regard to case): regular files, no hidden
// ones.  With byDate the key is the packed DOS date-time of the last
// modification (local time), so the list runs from the oldest file; else 0.
// Nothing is listed for an empty folder or a wildcard holding a "/".
QStringList ListRenameEntries(const QString& folder, const QString& wildcard, bool byDate);

// What "Tags to filenames" does with one song.
struct TTagName {
    enum Kind {
        Leave,      // no usable title: the song keeps its name
        Rename,     // NewName is the name to give it
        Unreadable, // the tags cannot be read: the run stops here
    };
    Kind Result = Leave;
    QString NewName; // without folder
};
// The new name of the song at path, position index of the list, from its
// ID3v2 tag, else from its ID3v1 tag (the tag objects are reused as they
// are read).  A missing file is left alone.
TTagName TagNameOfSong(TID3v1& v1, TID3v2& v2, const QString& path, int index);

// Sets the tag object's fields to the normalized ones with the year, genre
// and comment given, and writes it when the file exists.  True when written.
bool WriteNormalizedID3v1(TID3v1& tag, const QString& path, const TNormalizedFields& fields,
                          const QString& year, quint8 genreIndex, const QString& comment);
bool WriteNormalizedID3v2(TID3v2& tag, const QString& path, const TNormalizedFields& fields,
                          const QString& year, const QString& genre, const QString& comment);

// Renames a file of folder without ever replacing another file, noting it
// in the rename journal's batch first.  False when the new name exists, or
// the rename fails otherwise.
bool RenameSongFile(TRenameBatch& batch, const QString& folder, const QString& oldName,
                    const QString& newName);
