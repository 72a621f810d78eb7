#pragma once
// File-system operations of the shell functions: renames that never
// replace, removal and copy of whole trees, file times.

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// True when a name as the file system gives it (its bytes) survives the trip
// to text and back.  Names that are not valid UTF-8 do not: a path made from
// their text names another file, usually none, so listings leave them out.
bool IsDecodableName(const QByteArray& name);
// The name with every byte that is not printable ASCII written \xNN, for
// messages about names that are not text.
QString EscapedName(const QByteArray& name);

// Renames from to to, failing (EEXIST) when to exists; never replaces.  Uses
// renameat2(RENAME_NOREPLACE), falling back to link + unlink on file systems
// that refuse it.  On failure *error, when given, receives the errno value.
bool RenameNoReplace(const QString& from, const QString& to, int* error = nullptr);
// The fallback of RenameNoReplace on its own: a hard link under the new name,
// then the old name removed (for folders, which cannot be linked: a check
// for the new name, then a plain rename).
bool RenameNoReplaceByLink(const QString& from, const QString& to, int* error = nullptr);

// Removes a file, a link or a folder with everything in it.  Links are
// removed themselves; what they point to is never touched.  False when the
// path does not exist or something could not be removed.
bool RemoveRecursively(const QString& path);

// Copies a file, or a folder with its content, to the path to (the copy's
// own name, not the folder that receives it), creating missing folders.  A
// file that exists at the target is replaced in one step when overwrite is
// true (the copy is written beside it, then renamed over it), else the copy
// fails.  Links inside a copied folder are copied as links; a link given as
// from is followed.  shouldReplace, when given, is asked before each
// existing file is replaced and can refuse it.
bool CopyPath(const QString& from, const QString& to, bool overwrite,
              const std::function<bool(const QString& target)>& shouldReplace = {});

struct TFileStatus {
    bool IsDirectory = false;
    bool IsRegular = false;
    bool IsSymLink = false; // the path itself is a symbolic link
    qint64 Size = 0;
    QDateTime CreationTime;   // UTC: birth time, else status-change time
    QDateTime LastAccessTime; // UTC
    QDateTime LastWriteTime;  // UTC
};

// The status of path, or nothing when it does not exist.  With followLinks
// the other fields describe a link's target (nothing for a broken link).
std::optional<TFileStatus> FileStatus(const QString& path, bool followLinks);
