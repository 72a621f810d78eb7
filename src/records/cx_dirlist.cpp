#include "records/cx_dirlist.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

TDirReader::TDirReader(const QByteArray& path) : Dir(opendir(path.constData())) {}

TDirReader::~TDirReader() {
    if (Dir)
        closedir(Dir);
}

bool TDirReader::Next() {
    if (!Dir)
        return false;
    while ((Entry = readdir(Dir)) != nullptr) {
        const char* n = Entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        return true;
    }
    return false;
}

bool TDirReader::IsDirectory() const {
    if (Entry->d_type != DT_UNKNOWN)
        return Entry->d_type == DT_DIR;
    struct stat st;
    return fstatat(dirfd(Dir), Entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

bool TDirReader::IsFileOrLinkToFile() const {
    if (Entry->d_type == DT_REG)
        return true;
    if (Entry->d_type != DT_UNKNOWN && Entry->d_type != DT_LNK)
        return false;
    struct stat st;
    return fstatat(dirfd(Dir), Entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

bool IsInfoFileName(const char* name) {
    return strcasecmp(name, ".Folder.ini") == 0;
}
