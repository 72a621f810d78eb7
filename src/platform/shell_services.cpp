#include "platform/shell_services.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>

namespace {

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

    bool MoveToTrash(const QString& path) override { return QFile::moveToTrash(path); }
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
