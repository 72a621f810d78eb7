#include "platform/atomic_file.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

bool Fail(QString* error, const QString& path, const QString& why) {
    if (error)
        *error = QStringLiteral("Cannot write %1: %2").arg(path, why);
    return false;
}

// Makes the rename itself durable: the new directory entry reaches the disk.
void SyncFolder(const QString& filePath) {
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool AtomicWriteFile(const QString& path, const QByteArray& data, QString* error) {
    // QSaveFile writes beside the final file (following a symbolic link to
    // its target), gives the temporary file the permissions of the file it
    // replaces, and renames it over that file on commit.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, path, file.errorString());
    if (file.write(data) != data.size() || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Fail(error, path, why);
    }
    if (::fsync(file.handle()) != 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        file.cancelWriting();
        return Fail(error, path, why);
    }
    if (!file.commit())
        return Fail(error, path, file.errorString());
    const QFileInfo info(path);
    SyncFolder(info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath());
    return true;
}
