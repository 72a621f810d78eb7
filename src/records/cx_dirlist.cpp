#include "records/cx_dirlist.h"

#include <QDateTime>

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

qint64 Msecs(const struct statx_timestamp& t) {
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

TDateTime MsecsToDate(qint64 ms) {
    return FileTimeToDate(QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC));
}

} // namespace

TDateTime LatestFileDate(const QByteArray& folder) {
    struct TTimes {
        qint64 Creation, Write;
    };
    std::vector<TTimes> files;
    TDirReader reader(folder);
    while (reader.Next()) {
        if (IsHiddenName(reader.Name()) || reader.IsDirectory())
            continue;
        struct statx st;
        if (statx(reader.DirFd(), reader.Name(), AT_STATX_SYNC_AS_STAT,
                  STATX_TYPE | STATX_MTIME | STATX_CTIME | STATX_BTIME, &st) != 0 ||
            !S_ISREG(st.stx_mode))
            continue;
        const qint64 creation =
            (st.stx_mask & STATX_BTIME) ? Msecs(st.stx_btime) : Msecs(st.stx_ctime);
        files.push_back({creation, Msecs(st.stx_mtime)});
    }
    // The conversion keeps the order of times, so the files are tried from
    // the latest down and only until one converts: a time outside the DOS
    // range converts to 0 and makes that file count for nothing.
    std::sort(files.begin(), files.end(), [](const TTimes& a, const TTimes& b) {
        return std::min(a.Creation, a.Write) > std::min(b.Creation, b.Write);
    });
    for (const TTimes& f : files) {
        const TDateTime c = MsecsToDate(f.Creation), w = MsecsToDate(f.Write);
        if (c != 0 && w != 0)
            return std::min(c, w);
    }
    return 0;
}
