#include "platform/shell_services.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Moves a symbolic link itself into the user's freedesktop trash.  Qt's own
// move follows the link to see whether the file exists, so it refuses a
// link whose target is gone.
bool MoveLinkToTrash(const QString& path) {
    const QFileInfo link(path);
    if (!link.isSymLink())
        return false;
    const QString trash =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Trash";
    if (!QDir().mkpath(trash + "/files") || !QDir().mkpath(trash + "/info"))
        return false;
    const QString name = link.fileName();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString unique = attempt == 0 ? name : QStringLiteral("%1.%2").arg(name).arg(attempt);
        QFile info(trash + "/info/" + unique + ".trashinfo");
        if (!info.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            continue;
        info.write("[Trash Info]\nPath=" + QUrl::toPercentEncoding(link.absoluteFilePath(), "/") +
                   "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() +
                   "\n");
        info.close();
        const QByteArray from = QFile::encodeName(link.absoluteFilePath());
        const QByteArray to = QFile::encodeName(trash + "/files/" + unique);
        if (std::rename(from.constData(), to.constData()) == 0)
            return true;
        // Another file system: the same link made in the trash, then removed here.
        if (errno == EXDEV) {
            const QByteArray target = QFile::encodeName(link.symLinkTarget());
            if (symlink(target.constData(), to.constData()) == 0) {
                if (unlink(from.constData()) == 0)
                    return true;
                unlink(to.constData());
            }
        }
        info.remove();
        return false;
    }
    return false;
}

class TRealShellServices final : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }

    qint64 StartDetached(const QString& program, const QStringList& arguments) override {
        qint64 pid = -1;
        if (!QProcess::startDetached(program, arguments, QString(), &pid))
            return -1;
        return pid;
    }

    int RunAndWait(const QString& program, const QStringList& arguments) override {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.setInputChannelMode(QProcess::ForwardedInputChannel);
        process.start(program, arguments);
        if (!process.waitForStarted(-1))
            return -1;
        process.waitForFinished(-1);
        if (process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

    bool MoveToTrash(const QString& path) override {
        return QFile::moveToTrash(path) || MoveLinkToTrash(path);
    }
};

TRealShellServices g_real;
IShellServices* g_current = &g_real;

} // namespace

IShellServices& ShellServices() {
    return *g_current;
}

void SetShellServices(IShellServices* services) {
    g_current = services ? services : &g_real;
}
