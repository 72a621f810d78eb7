#include "app/cx_parameters.h"

namespace {
QString FolderNameRefusal(const QString& name, const QString& what) {
    if (name.trimmed().isEmpty())
        return QStringLiteral("The %1 folder needs a name.").arg(what);
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("The %1 folder is one folder of the music root: its name \"%2\" "
                              "may not contain \"/\".")
            .arg(what, name);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("\"%1\" cannot be the name of the %2 folder.").arg(name, what);
    return {};
}
} // namespace

QString ParametersRefusal(const TParameterValues& values) {
    if (values.NewDays < 1 || values.NewDays > 999)
        return QStringLiteral("The new music list covers 1 to 999 days, not %1.")
            .arg(values.NewDays);
    if (QString reason = FolderNameRefusal(values.NewMusicDir, QStringLiteral("new music"));
        !reason.isEmpty())
        return reason;
    if (QString reason = FolderNameRefusal(values.BookmarkDir, QStringLiteral("bookmark"));
        !reason.isEmpty())
        return reason;
    bool anyExtension = false;
    for (const QString& extension : values.MusicExt)
        anyExtension |= !extension.trimmed().isEmpty();
    if (!anyExtension)
        return QStringLiteral("Enter at least one music extension (one per line, such as mp3).");
    return {};
}
