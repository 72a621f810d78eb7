#include "platform/file_ops.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const QString& path) {
    return fs::path(QFile::encodeName(path).toStdString());
}

bool SetError(int* error, int value) {
    if (error)
        *error = value;
    return false;
}

// A fresh name beside target for a file that is renamed over it afterwards.
std::string SiblingTempName(const fs::path& target) {
    std::string templ =
        (target.parent_path() / ("." + target.filename().string() + ".tralu-XXXXXX")).string();
    const int fd = mkstemp(templ.data());
    if (fd < 0)
        return {};
    close(fd);
    return templ;
}

bool SameOrInside(const fs::path& inner, const fs::path& outer) {
    std::error_code ec;
    const fs::path a = fs::weakly_canonical(inner, ec);
    if (ec)
        return false;
    const fs::path b = fs::weakly_canonical(outer, ec);
    if (ec)
        return false;
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai) {
        if (ai == a.end() || *ai != *bi)
            return false;
    }
    return true;
}

using TReplaceQuery = std::function<bool(const QString&)>;

bool CopyFile(const fs::path& from, const fs::path& to, bool overwrite,
              const TReplaceQuery& shouldReplace) {
    std::error_code ec;
    const bool exists = fs::symlink_status(to, ec).type() != fs::file_type::not_found && !ec;
    if (exists) {
        if (!overwrite || fs::is_directory(fs::symlink_status(to, ec)))
            return false;
        if (shouldReplace && !shouldReplace(QFile::decodeName(to.c_str())))
            return false;
    }
    const std::string temp = SiblingTempName(to);
    if (temp.empty())
        return false;
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec) {
        // Written to disk before it takes the place of the old file.
        const int fd = open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            fsync(fd);
            close(fd);
        }
        if (exists
                ? std::rename(temp.c_str(), to.c_str()) == 0
                : RenameNoReplace(QFile::decodeName(temp.c_str()), QFile::decodeName(to.c_str())))
            return true;
    }
    unlink(temp.c_str());
    return false;
}

bool CopyLink(const fs::path& from, const fs::path& to, bool overwrite,
              const TReplaceQuery& shouldReplace) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(from, ec);
    if (ec)
        return false;
    const bool exists = fs::symlink_status(to, ec).type() != fs::file_type::not_found && !ec;
    if (exists) {
        if (!overwrite || fs::is_directory(fs::symlink_status(to, ec)))
            return false;
        if (shouldReplace && !shouldReplace(QFile::decodeName(to.c_str())))
            return false;
    }
    std::string temp = SiblingTempName(to);
    if (temp.empty())
        return false;
    unlink(temp.c_str());
    if (symlink(target.c_str(), temp.c_str()) != 0)
        return false;
    if (std::rename(temp.c_str(), to.c_str()) == 0)
        return true;
    unlink(temp.c_str());
    return false;
}

bool CopyTree(const fs::path& from, const fs::path& to, bool overwrite,
              const TReplaceQuery& shouldReplace) {
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(to, ec))) {
        if (!fs::create_directories(to, ec) || ec)
            return false;
    }
    bool ok = true;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::file_status st = it->symlink_status(ec);
        if (ec)
            return false;
        const fs::path dest = to / it->path().filename();
        switch (st.type()) {
        case fs::file_type::directory:
            ok = CopyTree(it->path(), dest, overwrite, shouldReplace) && ok;
            break;
        case fs::file_type::symlink:
            ok = CopyLink(it->path(), dest, overwrite, shouldReplace) && ok;
            break;
        case fs::file_type::regular:
            ok = CopyFile(it->path(), dest, overwrite, shouldReplace) && ok;
            break;
        default: // devices, pipes and sockets are not copied
            break;
        }
    }
    return ok && !ec;
}

QDateTime FromTimestamp(const statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

} // namespace

bool IsDecodableName(const QByteArray& name) {
    return QFile::encodeName(QFile::decodeName(name)) == name;
}

QString EscapedName(const QByteArray& name) {
    QString text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}

bool RenameNoReplace(const QString& from, const QString& to, int* error) {
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    if (renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return SetError(error, errno);
    // The file system does not know the flag.
    return RenameNoReplaceByLink(from, to, error);
}

bool RenameNoReplaceByLink(const QString& from, const QString& to, int* error) {
    const QByteArray a = QFile::encodeName(from);
    const QByteArray b = QFile::encodeName(to);
    // A hard link never replaces an existing name either.
    if (link(a.constData(), b.constData()) == 0) {
        if (unlink(a.constData()) == 0)
            return true;
        const int saved = errno;
        unlink(b.constData());
        return SetError(error, saved);
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return SetError(error, errno);
    // Folders cannot be linked: the check and the rename are two steps.
    struct stat st;
    if (lstat(b.constData(), &st) == 0)
        return SetError(error, EEXIST);
    if (std::rename(a.constData(), b.constData()) == 0)
        return true;
    return SetError(error, errno);
}

bool RemoveRecursively(const QString& path) {
    if (path.isEmpty())
        return false;
    const fs::path p = ToPath(path);
    std::error_code ec;
    if (fs::symlink_status(p, ec).type() == fs::file_type::not_found || ec)
        return false;
    // remove_all looks at every entry without following links.
    fs::remove_all(p, ec);
    return !ec;
}

bool CopyPath(const QString& from, const QString& to, bool overwrite,
              const std::function<bool(const QString&)>& shouldReplace) {
    if (from.isEmpty() || to.isEmpty())
        return false;
    const fs::path src = ToPath(from);
    const fs::path dest = ToPath(to);
    std::error_code ec;
    const fs::file_status st = fs::status(src, ec);
    if (ec)
        return false;
    if (fs::is_directory(st)) {
        if (SameOrInside(dest, src))
            return false; // a folder copied into itself would never end
        return CopyTree(src, dest, overwrite, shouldReplace);
    }
    if (!fs::is_regular_file(st))
        return false;
    if (dest.has_parent_path() && !fs::exists(dest.parent_path(), ec)) {
        fs::create_directories(dest.parent_path(), ec);
        if (ec)
            return false;
    }
    return CopyFile(src, dest, overwrite, shouldReplace);
}

std::optional<TFileStatus> FileStatus(const QString& path, bool followLinks) {
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray name = QFile::encodeName(path);
    const unsigned mask =
        STATX_TYPE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_CTIME | STATX_BTIME;
    struct statx own;
    if (statx(AT_FDCWD, name.constData(), AT_SYMLINK_NOFOLLOW, mask, &own) != 0)
        return std::nullopt;
    TFileStatus result;
    result.IsSymLink = S_ISLNK(own.stx_mode);
    struct statx target = own;
    if (followLinks && result.IsSymLink && statx(AT_FDCWD, name.constData(), 0, mask, &target) != 0)
        return std::nullopt;
    result.IsDirectory = S_ISDIR(target.stx_mode);
    result.IsRegular = S_ISREG(target.stx_mode);
    result.Size = qint64(target.stx_size);
    result.CreationTime =
        FromTimestamp((target.stx_mask & STATX_BTIME) ? target.stx_btime : target.stx_ctime);
    result.LastAccessTime = FromTimestamp(target.stx_atime);
    result.LastWriteTime = FromTimestamp(target.stx_mtime);
    return result;
}
