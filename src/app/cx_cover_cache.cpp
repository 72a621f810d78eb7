#include "app/cx_cover_cache.h"

#include "platform/picture_loader.h"

#include <QFile>
#include <QSet>
#include <QtConcurrent/QtConcurrentMap>

#include <vector>

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

namespace {

struct TFileKey {
    bool Exists = false;
    qint64 MtimeNs = 0;
    qint64 Size = 0;
};

TFileKey StatFile(const QString& path) {
    TFileKey key;
    struct stat st {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0 ||
        S_ISDIR(st.st_mode))
        return key;
    key.Exists = true;
    key.MtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    key.Size = st.st_size;
    return key;
}

struct TDecoded {
    QImage Picture;
    QString Error;
};

// Thread-safe: reads and decodes one file, nothing shared.
TDecoded Decode(const QString& path, const QSize& size, TCoverFit fit) {
    TDecoded d;
    d.Picture = fit == TCoverFit::Stretch ? LoadPicture(path, size, &d.Error)
                                          : ReadPicture(path, size, &d.Error);
    return d;
}

} // namespace

void TCoverCache::Keep(const QString& key, const QString& failureKey, QImage picture,
                       const QString& error) {
    if (picture.isNull()) {
        if (m_failures.size() >= kMaxFailures)
            m_failures.clear();
        m_failures.insert(failureKey, {error, false});
        return;
    }
    const qint64 bytes = qMax<qint64>(1, picture.sizeInBytes());
    if (bytes <= m_cache.maxCost())
        m_cache.insert(key, new QImage(std::move(picture)), bytes);
}

TCoverCache::TCover TCoverCache::Get(const QString& path, const QSize& size, TCoverFit fit) {
    TCover cover;
    const TFileKey file = StatFile(path);
    if (!file.Exists)
        return cover;
    cover.Exists = true;
    const QString failureKey = FailureKey(path, file.MtimeNs, file.Size);
    const QString key = Key(path, size, fit, file.MtimeNs, file.Size);
    if (!m_failures.contains(failureKey)) {
        if (const QImage* cached = m_cache.object(key)) {
            cover.Picture = *cached;
            return cover;
        }
        ++m_decodes;
        TDecoded d = Decode(path, size, fit);
        cover.Picture = d.Picture;
        Keep(key, failureKey, std::move(d.Picture), d.Error);
        if (!cover.Picture.isNull())
            return cover;
    }
    // A failure is handed out as new once, whoever decoded it.
    TFailure& failure = m_failures[failureKey];
    cover.Error = failure.Error;
    cover.NewError = !failure.HandedOut;
    failure.HandedOut = true;
    return cover;
}

void TCoverCache::Prefetch(const QStringList& paths, const QSize& size, TCoverFit fit) {
    struct TJob {
        QString Path, Key, FailureKey;
        TDecoded Result;
    };
    std::vector<TJob> jobs;
    QSet<QString> seen;
    for (const QString& path : paths) {
        const TFileKey file = StatFile(path);
        if (!file.Exists)
            continue;
        TJob job{path,
                 Key(path, size, fit, file.MtimeNs, file.Size),
                 FailureKey(path, file.MtimeNs, file.Size),
                 {}};
        if (m_failures.contains(job.FailureKey) || m_cache.contains(job.Key) ||
            seen.contains(job.Key))
            continue;
        seen.insert(job.Key);
        jobs.push_back(std::move(job));
    }
    if (jobs.size() < 2)
        return; // nothing to share out: Get decodes it
    QtConcurrent::blockingMap(jobs,
                              [size, fit](TJob& job) { job.Result = Decode(job.Path, size, fit); });
    for (TJob& job : jobs) {
        ++m_decodes;
        Keep(job.Key, job.FailureKey, std::move(job.Result.Picture), job.Result.Error);
    }
}

void TCoverCache::Clear() {
    m_cache.clear();
    m_failures.clear();
}
