#include "app/cx_cover_cache.h"

#include "platform/picture_loader.h"

#include <QFile>

#include <sys/stat.h>

namespace {
// Failures remembered at most; beyond it the memory starts afresh.
constexpr qsizetype kMaxFailures = 4096;
} // namespace

TCoverCache::TCoverCache(qint64 maxBytes) : m_cache(maxBytes) {}

QString TCoverCache::Key(const QString& path, const QSize& size, TCoverFit fit, qint64 mtimeNs,
                         qint64 fileSize) {
    return FailureKey(path, mtimeNs, fileSize) + QStringLiteral("|%1x%2|%3")
                                                     .arg(size.width())
                                                     .arg(size.height())
                                                     .arg(fit == TCoverFit::Stretch ? 's' : 'r');
}

QString TCoverCache::FailureKey(const QString& path, qint64 mtimeNs, qint64 fileSize) {
    // "\n" cannot be mistaken for part of a path's printed form here, and
    // the numbers come after the path, so no two files share a key.
    return path + QStringLiteral("\n%1|%2").arg(mtimeNs).arg(fileSize);
}

TCoverCache::TCover TCoverCache::Get(const QString& path, const QSize& size, TCoverFit fit) {
    TCover cover;
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        S_ISDIR(st.st_mode))
        return cover;
    cover.Exists = true;
    const qint64 mtime = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    const QString failureKey = FailureKey(path, mtime, st.st_size);
    if (auto failed = m_failures.constFind(failureKey); failed != m_failures.constEnd()) {
        cover.Error = failed.value();
        return cover;
    }
    const QString key = Key(path, size, fit, mtime, st.st_size);
    if (const QImage* cached = m_cache.object(key)) {
        cover.Picture = *cached;
        return cover;
    }
    ++m_decodes;
    QString error;
    QImage picture = fit == TCoverFit::Stretch ? LoadPicture(path, size, &error)
                                               : ReadPicture(path, size, &error);
    if (picture.isNull()) {
        if (m_failures.size() >= kMaxFailures)
            m_failures.clear();
        m_failures.insert(failureKey, error);
        cover.Error = error;
        cover.NewError = true;
        return cover;
    }
    cover.Picture = picture;
    const qint64 bytes = qMax<qint64>(1, picture.sizeInBytes());
    if (bytes <= m_cache.maxCost())
        m_cache.insert(key, new QImage(std::move(picture)), bytes);
    return cover;
}

void TCoverCache::Clear() {
    m_cache.clear();
    m_failures.clear();
}
