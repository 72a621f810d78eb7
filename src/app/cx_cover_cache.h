#pragma once
// Scaled cover pictures kept in memory, so that repainting and scrolling
// the views do not read and decode their covers again.  An entry is keyed by
// the file's path, the size asked for and the file's modification time and
// size: a cover replaced on disk is read again.  A file that cannot be
// decoded is remembered as such (same key without the size), so it is not
// decoded again at every repaint and its error is handed out once.  No
// widgets.

#include <QCache>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>

enum class TCoverFit {
    Stretch, // the picture stretched to exactly the size asked for
    Reduce,  // the picture at the cheapest decoding scale that covers the size
};

class TCoverCache {
public:
    static constexpr qint64 DefaultMaxBytes = qint64(64) << 20;
    explicit TCoverCache(qint64 maxBytes = DefaultMaxBytes);

    struct TCover {
        bool Exists = false;   // the file is there (a regular file)
        QImage Picture;        // null when missing or undecodable
        QString Error;         // why it could not be decoded
        bool NewError = false; // true the first time this error is handed out
    };
    TCover Get(const QString& path, const QSize& size, TCoverFit fit = TCoverFit::Stretch);

    // The key of a cached picture; the failure key is the same without size.
    static QString Key(const QString& path, const QSize& size, TCoverFit fit, qint64 mtimeNs,
                       qint64 fileSize);
    static QString FailureKey(const QString& path, qint64 mtimeNs, qint64 fileSize);

    void Clear();
    int DecodeCount() const { return m_decodes; } // files decoded so far
    qint64 CachedBytes() const { return m_cache.totalCost(); }
    qint64 MaxBytes() const { return m_cache.maxCost(); }

private:
    QCache<QString, QImage> m_cache; // cost: bytes of the picture
    QHash<QString, QString> m_failures;
    int m_decodes = 0;
};
