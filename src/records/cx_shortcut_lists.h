#pragma once
// The folders of shortcuts under the music root (the new-music list and the
// bookmarks) and the cover search: every rule that needs no window, shared
// by the main window and tralu-cli.

#include "framework/qv_tools.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

// --- new-music list -----------------------------------------------------------

// Why the new-music folder name cannot be used under root, or empty when it
// can.  Refused: an empty name, ".", "..", a name holding "/" (a path), the
// bookmark folder's name, a folder that is a link (it may lead anywhere) and
// an existing folder that holds real sub-folders or files other than
// shortcuts and cover pictures (part of the collection).
QString NewMusicDirProblem(const QString& root, const QString& newMusicDir,
                           const QString& bookmarkDir);

// The age date of one record folder: its information file's "Rip" value
// when the file exists (folderCreation when that value is missing or does
// not parse), else folderCreation with useDirDate, else the latest of its
// plain files' dates (the earlier of creation and last write for each
// file), else folderCreation.  EToolsError when the information file cannot
// be read.
TDateTime RecordAddedDate(const QString& folder, TDateTime folderCreation, bool useDirDate);

// One shortcut of the list: its file name without folder ("Parent -
// Record.lnk") and the record folder it leads to.
struct TNewMusicLink {
    QString Name;
    QString Target;
};

struct TNewMusicOptions {
    int Days = 30; // age limit, 1..999
    bool UseDirDate = false;
    TDateTime Today = 0; // whole days; 0: the current local date
    // Called at every folder of the walk with the folder (ending in "/");
    // false stops the walk.
    std::function<bool(const QString& folder)> OnFolder;
    // Asked before every entry of a listing; true stops the walk.
    std::function<bool()> Stopped;
};

struct TNewMusicWalk {
    std::vector<TNewMusicLink> Links; // in walk order; a later name replaces an earlier one
    bool Stopped = false;
};

// Walks root (links never followed, listing order) and gives the
// shortcuts of the record folders dated from Today - Days to Today + 7, the
// new-music folder itself left out.  Names that repeat keep the last target.
TNewMusicWalk CollectNewMusic(const QString& root, const QString& newMusicFolder,
                              const TNewMusicOptions& options);

// The shortcut files of a folder (symbolic links and ".lnk" files), full
// paths in listing order; nothing else.
QStringList ShortcutFilesIn(const QString& folder);

struct TNewMusicResult {
    QString Error; // empty on success
    bool Stopped = false;
    std::vector<TNewMusicLink> Made; // in the order made
};

// The whole rebuild: refuses a bad folder name, walks, and only when the
// walk ran to its end moves the old shortcut files of the new-music folder
// to the trash (never a folder or another file), creates the folder when
// missing and makes one symbolic link per record.  With dryRun it changes
// nothing and reports the links it would make.
TNewMusicResult RebuildNewMusicList(const QString& root, const QString& newMusicDir,
                                    const QString& bookmarkDir, const TNewMusicOptions& options,
                                    bool dryRun = false);

// --- bookmarks -------------------------------------------------------------------

// The name of a new bookmark: a node below the new-music folder keeps its
// own name (already "Parent - Record"); any other is named after the folder
// holding its path, " - " and its display name.
QString BookmarkName(const QString& nodePath, const QString& displayName, bool belowNewMusic);

// --- shortcuts following renames --------------------------------------------------

// One shortcut re-pointed after a rename: its file before and after (the
// same unless its name followed).
struct TShortcutChange {
    QString OldFile;
    QString NewFile;
    QString NewTarget;
};

// After the folder oldPath was renamed to newPath: every shortcut of the
// given folders that leads to oldPath or below it is made to lead to the
// same place under newPath.  A shortcut named after its old target
// ("Parent - Record") takes the name of its new target, unless that name is
// taken.
std::vector<TShortcutChange> RepointShortcuts(const QStringList& folders, const QString& oldPath,
                                              const QString& newPath);

// "Parent - Record" for a folder path, as the new-music list names it.
QString ShortcutNameFor(const QString& target);

// --- cover search ------------------------------------------------------------------

// The name of the folder holding the record, a blank, and the record's name
// without its leading year: "Artist A First Record" for
// ".../Artist A/1999 - First Record"; a single blank for no folder.
QString ImageSearchTerm(const QString& recordFolder);
// The search address: the setting followed by the term, percent-encoded
// (a blank as "%20"), so that "&", "#" and "%" stay part of the term.
QString ImageSearchAddress(const QString& searchImage, const QString& term);
// The internet shortcut file's text: four lines, each ended by CR LF.
QByteArray SearchShortcutText(const QString& address);
