#pragma once
// A thin reader of folder listings for the walks of this module: one
// readdir pass, the entry type from the listing itself (a stat only where the
// file system does not give it), symbolic links never followed.

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
