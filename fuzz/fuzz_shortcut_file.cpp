// Shortcut files from anywhere: reading one never crashes, and a file that
// does not read leaves no field of an earlier shortcut behind.
#include "framework/qv_shortcut.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/tralu-fuzz-%1.lnk").arg(getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TVirtualShellLink link;
    link.TargetPath = QStringLiteral("stale");
    link.Arguments = QStringLiteral("stale");
    if (!link.ReadShortcut(path) &&
        (!link.TargetPath.isEmpty() || !link.Arguments.isEmpty() || !link.FileName.isEmpty()))
        std::abort();
    return 0;
}
