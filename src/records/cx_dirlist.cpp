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

QDateTime Utc(qint64 ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

} // namespace

TDateTime LatestFileDate(const QByteArray& folder) {
    // Times well inside the DOS range (1980..2107 in any time zone) convert
    // in order, so among files whose two times are both inside it only the
    // latest earlier-of-the-two needs converting; the others go through
    // EarlierFileDate one by one.
    static const qint64 safeFirst =
        QDateTime(QDate(1980, 1, 3), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    static const qint64 safeLast =
        QDateTime(QDate(2107, 12, 29), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    auto safe = [](qint64 ms) { return ms >= safeFirst && ms <= safeLast; };

    qint64 latestSafe = -1;
    TDateTime latest = 0;
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
        const qint64 write = Msecs(st.stx_mtime);
        if (safe(creation) && safe(write))
            latestSafe = std::max(latestSafe, std::min(creation, write));
        else
            latest = std::max(latest, EarlierFileDate(Utc(creation), Utc(write)));
    }
    if (latestSafe >= 0)
        latest = std::max(latest, FileTimeToDate(Utc(latestSafe)));
    return latest;
}
