#pragma once
// Services with effects outside the process: opening a document or address
// with the desktop, starting a program, moving to the trash.  Code calls
// them through ShellServices(); a test installs a recording fake with
// TScopedShellServices.

#include <QString>
#include <QStringList>
#include <QUrl>

class IShellServices {
public:
    virtual ~IShellServices() = default;
    // Opens the address with the desktop's default handler; false on failure.
    virtual bool OpenUrl(const QUrl& url) = 0;
    // Starts program with exactly these arguments (no shell), not waited for.
    // Returns the process id, or -1 when it cannot start.
    virtual qint64 StartDetached(const QString& program, const QStringList& arguments) = 0;
    // Starts program and waits for it; its exit code, or -1 when it cannot
    // start or does not end normally.
    virtual int RunAndWait(const QString& program, const QStringList& arguments) = 0;
    // Moves a file or folder to the freedesktop trash.
    virtual bool MoveToTrash(const QString& path) = 0;
};

// The services in use: the real ones unless a test installed others.
IShellServices& ShellServices();
// Installs services (not owned); nullptr puts the real ones back.
void SetShellServices(IShellServices* services);

// Installs services for the life of the object.
class TScopedShellServices {
public:
    explicit TScopedShellServices(IShellServices& services) { SetShellServices(&services); }
    ~TScopedShellServices() { SetShellServices(nullptr); }
    TScopedShellServices(const TScopedShellServices&) = delete;
    TScopedShellServices& operator=(const TScopedShellServices&) = delete;
};
