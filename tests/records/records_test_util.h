#pragma once
// Readable failure messages for Qt strings.
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '{';
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
    *os << '}';
}

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/time.h>

namespace records_test {

// Creates every folder of `path` below `root`.
inline QString MakeFolder(const QString& root, const QString& path) {
    const QString full = root + "/" + path;
    QDir().mkpath(full);
    return full;
}

inline QString WriteBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        return QString();
    return path;
}

inline QByteArray ReadBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets a file's last-write (and access) time.
inline bool SetWriteTime(const QString& path, const QDateTime& when) {
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = when.toSecsSinceEpoch();
    tv[0].tv_usec = tv[1].tv_usec = 0;
    return utimes(QFile::encodeName(path).constData(), tv) == 0;
}

} // namespace records_test
