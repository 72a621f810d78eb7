#pragma once
// Rules of the record panel that need no widget: sorting a folder's files
// into songs and pictures, the names the song list shows, the cover the
// panel picks, adding a tag to a tag string, and giving one tag string to
// every leaf folder below a folder.

#include <QString>
#include <QStringList>

#include <functional>

enum class TFolderFileKind { Other, Song, Picture };

// The extension of a file name (without the dot; empty when there is none).
QString ExtensionWithoutDot(const QString& fileName);
// A file whose extension is one of musicExtensions (without regard to case)
// is a song; else one whose extension, upper-cased, is JPG, JPEG, GIF or BMP
// is a picture.
TFolderFileKind ClassifyFolderFile(const QString& fileName, const QStringList& musicExtensions);

// Inserts name into a list kept in case-insensitive order; a name already
// there with exactly the same spelling is not added again.  Names that
// differ only in case are different files here and both stay.
void AddSortedName(QStringList& list, const QString& name);

// A song as the song list shows it: its file name without the extension.
QString SongDisplayName(const QString& fileName);

// The cover of the record panel: the first existing Folder.bmp, Folder.jpg,
// Folder.jpeg, Folder.gif of the folder (names found without regard to
// case), else the folder's first picture; empty when there is none.
QString PanelCoverPath(const QString& folder, const QStringList& pictures);

// "Add Tag": the tag string after adding the chosen tag.  An empty tag
// string becomes the tag; a tag already in the string (any case) changes
// nothing; otherwise "; " and the tag are appended.  An empty (blank) tag
// adds nothing to a non-empty string.
QString AddTagToList(const QString& tags, const QString& tag);

// Walks the sub-folders of folder (names starting with "." skipped,
// symbolic links never followed) and gives every folder without sub-folders
// the tag string tags through its information file, keeping its release
// and rip values as loading derives them.  keepGoing runs once per folder
// before it is listed (the window lets its pending events run there) and
// stops the walk when it returns false.  Returns the number of sub-folders
// of folder that were seen.
int TagLeafFolders(const QString& folder, const QString& tags,
                   const std::function<bool()>& keepGoing);
