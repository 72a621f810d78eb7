#pragma once
// Rules of the music browser that need no widget: the "|"-separated entry
// strings behind the tree, the toolbar and the Records grid, their sorted
// lists, the choice of a folder's cover, and the folder listings that build
// those entries.

#include <QString>
#include <QStringList>

#include <vector>

class TVirtualShellLink;

// --- entry strings ------------------------------------------------------------
// Tree entries are name|path[|shortcut file]; cover entries are cover|name.
// The separator cannot occur in the names the entries are made of.
inline constexpr QChar kEntrySeparator = QLatin1Char('|');

// The text before the first "|" when that "|" is not the first character;
// otherwise the whole entry.
QString EntryFirstField(const QString& entry);
// The first field of the text after the first "|" (when that "|" is not the
// first character); otherwise the whole entry.
QString EntrySecondField(const QString& entry);
// The text after the second "|"; empty without one (or when the first "|"
// is the entry's first character).
QString EntryThirdField(const QString& entry);
// The folder of a cover entry: its cover path up to the last "/" ("/" for a
// cover directly in the file system's root).
QString CoverEntryFolder(const QString& entry);
// The last part of a folder path ("/" for the root itself).
QString LastPathPart(const QString& folder);

QString MakeTreeEntry(const QString& name, const QString& path, const QString& shortcut);
QString MakeCoverEntry(const QString& cover, const QString& name);

// Inserts entry into a list kept in case-insensitive order of the user's
// locale.  An entry equal to one already there, ignoring case, is dropped
// (false).
bool AddSortedEntry(QStringList& list, const QString& entry);

// True when two folder paths name the same folder, ignoring case and one
// trailing "/".
bool SameFolder(const QString& a, const QString& b);

// --- covers -------------------------------------------------------------------
// True for the picture extensions a cover may have (jpg, jpeg, gif, bmp, any
// case).
bool IsPictureExtension(const QString& extension);

// The cover among a folder's plain files, given in listing order: the first
// of Folder.jpg, Folder.jpeg, Folder.bmp, Folder.gif (names compared without
// regard to case; the first match in listing order wins), else the first
// picture file.  Empty when there is none.  pictures, when given, receives
// the picture files' names in listing order whenever the fallback is used.
QString ChooseCoverName(const QStringList& fileNames, QStringList* pictures = nullptr);

// What one folder listing reports for an entry.
struct TFolderEntry {
    enum Kind { Directory, File, Link, Other };
    QString Name;
    Kind Type = Other;
};
// The entries of a folder in listing order (ListingOrderLess), without
// "." and "..".  Links are reported as links, whatever they point to.  Empty
// for a folder that cannot be read.
std::vector<TFolderEntry> ListFolder(const QString& folder);

// The visible (not hidden) plain files of a folder, links to files included,
// in listing order.
QStringList PlainFileNames(const QString& folder, const std::vector<TFolderEntry>& entries);

// cover|name for a folder: its cover file, else the non-existing file
// "Empty" in the folder.  pictures: as for ChooseCoverName.
QString CoverEntryOf(const QString& folder, const QString& name, QStringList* pictures = nullptr);

// --- folder listings ------------------------------------------------------------
// A shortcut found in a folder listing and the folder it leads to.
struct TFolderShortcut {
    QString File;   // full path of the shortcut file
    QString Target; // an existing folder
};
// The visible real sub-folders (names, listing order) and the shortcuts to
// existing folders (".lnk" files and symbolic links) of a folder, read with
// reader.  missing, when given, receives the shortcuts whose target does
// not exist.
void ListSubfoldersAndShortcuts(const QString& folder, TVirtualShellLink& reader,
                                QStringList& subfolders, std::vector<TFolderShortcut>& shortcuts,
                                std::vector<TFolderShortcut>* missing = nullptr);

// The entries of the tree's top level: one name|path|shortcut per sub-folder
// and per shortcut to a folder, in sorted order.  A name's ".lnk" ending is
// dropped.
QStringList RootEntriesOf(const QString& folder);

// The child entries of a tree node's folder, sorted: name|path for each
// visible sub-folder, name|target|shortcut for each shortcut to a folder.
// A shortcut's name is its own (without ".lnk") when ownNames is set (the
// new-music and bookmark folders), else the last part of its target.  With
// ownNames a shortcut whose target is gone is listed too (name|target|file).
QStringList ChildEntriesOf(const QString& folder, bool ownNames, TVirtualShellLink& reader);

// cover|name for each visible sub-folder, then for each shortcut to a folder
// (named after the shortcut without ".lnk"), in listing order.
QStringList SubfolderCoverEntries(const QString& folder, TVirtualShellLink& reader,
                                  QStringList* pictures = nullptr);
