#pragma once
// A thin reader of folder listings for the walks of this module: one
// readdir pass, the entry type from the listing itself (a stat only where the
// file system does not give it), symbolic links never followed.

#include "framework/qv_tools.h"

#include <QByteArray>

#include <dirent.h>

class TDirReader {
public:
    explicit TDirReader(const QByteArray& path); // path as the file system spells it
    ~TDirReader();
    TDirReader(const TDirReader&) = delete;
    TDirReader& operator=(const TDirReader&) = delete;

    bool IsOpen() const { return Dir != nullptr; }
    // Next entry other than "." and ".."; false at the end.
    bool Next();
    const char* Name() const { return Entry->d_name; }
    // A real directory (a symbolic link to one is not).
    bool IsDirectory() const;
    // A plain file, or a symbolic link to one.
    bool IsFileOrLinkToFile() const;
    int DirFd() const { return dirfd(Dir); }

private:
    DIR* Dir = nullptr;
    struct dirent* Entry = nullptr;
};

// True for names that the walks skip: they begin with "." (hidden).
inline bool IsHiddenName(const char* name) {
    return name[0] == '.';
}

// True when `name` is the information file's name without regard to case.
bool IsInfoFileName(const char* name);

// The latest file date of a folder, as FilesDateRange(folder).second gives
// it: over the folder's plain files whose names do not begin with ".", the
// earlier of creation and last-write time in local DOS steps
// (EarlierFileDate); 0 when there is no such file.  One readdir and one statx
// per file, relative to the open folder.
TDateTime LatestFileDate(const QByteArray& folder);
