#include "framework/qv_shortcut.h"

#include "platform/file_ops.h"
#include "platform/lnk_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

bool ShowCommandFromNumber(quint32 number, TShowCommand& command) {
    static const TShowCommand kByNumber[] = {
        TShowCommand::Hide,     TShowCommand::ShowNormal,      TShowCommand::ShowMinimized,
        TShowCommand::Maximize, TShowCommand::ShowNoActivate,  TShowCommand::Show,
        TShowCommand::Minimize, TShowCommand::ShowMinNoActive, TShowCommand::ShowNA,
        TShowCommand::Restore,  TShowCommand::ShowDefault,
    };
    if (number > 10)
        return false;
    command = kByNumber[number];
    return true;
}

void SplitHotKey(quint16 value, quint16& key, THotKeyModifiers& modifiers) {
    key = value & 0xFF;
    const int high = value >> 8;
    modifiers = {};
    if (high & 4)
        modifiers |= THotKeyModifier::Alt;
    if (high & 2)
        modifiers |= THotKeyModifier::Control;
    if (high & 8)
        modifiers |= THotKeyModifier::ExtendedKey;
    if (high & 1)
        modifiers |= THotKeyModifier::Shift;
}

QString ResolveLnkRelativePath(const QString& lnkFile, const QString& relativePath) {
    QString relative = relativePath;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QDir folder = QFileInfo(lnkFile).absoluteDir();
    return QDir::cleanPath(folder.absoluteFilePath(relative));
}

void TVirtualShellLink::Clear() {
    FileName.clear();
    TargetPath.clear();
    Arguments.clear();
    Description.clear();
    WorkingDirectory.clear();
    IconLocation.clear();
    IconIndex = 0;
    ItemIdList.clear();
    HotKey = 0;
    HotKeyModifiers = {};
    ShowCommand = TShowCommand::ShowNormal;
}

bool TVirtualShellLink::ReadShortcut(const QString& fileName) {
    Clear();
    const auto own = FileStatus(fileName, false);
    if (!own)
        return false;

    if (own->IsSymLink) {
        const QByteArray encoded = QFile::encodeName(fileName);
        QByteArray target(4096, '\0');
        const ssize_t n = readlink(encoded.constData(), target.data(), size_t(target.size()));
        if (n <= 0 || n >= target.size())
            return false;
        target.truncate(n);
        QString path = QFile::decodeName(target);
        if (QDir::isRelativePath(path))
            path = QFileInfo(fileName).absoluteDir().absoluteFilePath(path);
        // A link whose target is gone still names it: the lists of shortcuts
        // show such an entry as missing, and renames re-point it.
        FileName = fileName;
        path = QDir::cleanPath(path);
        TargetPath = path;
        return true;
    }

    TLnkFileData lnk;
    if (!own->IsRegular || !ReadLnkFile(fileName, lnk))
        return false;
    FileName = fileName;
    // A link made on another machine rarely has a usable local path ("D:\..."),
    // but its relative path still leads to the target when both moved together.
    const QString relative =
        lnk.RelativePath.isEmpty() ? QString() : ResolveLnkRelativePath(fileName, lnk.RelativePath);
    QString local = lnk.LocalPath;
    if (local.isEmpty())
        local = lnk.NetworkPath;
    if (!relative.isEmpty() && (FileStatus(relative, true) || local.isEmpty()))
        TargetPath = relative;
    else
        TargetPath = local;
    Arguments = lnk.Arguments;
    Description = lnk.Description;
    WorkingDirectory = lnk.WorkingDirectory;
    IconLocation = lnk.IconLocation;
    IconIndex = lnk.IconIndex;
    ItemIdList = lnk.ItemIdList;
    SplitHotKey(lnk.HotKeyValue, HotKey, HotKeyModifiers);
    ShowCommandFromNumber(lnk.ShowWindowValue, ShowCommand);
    return true;
}

TVirtualShellLink& SharedShortcutReader() {
    static TVirtualShellLink reader;
    return reader;
}

bool CreateShortcut(const QString& target, const QString& linkFile, const QString& arguments) {
    Q_UNUSED(arguments);
    if (target.isEmpty() || linkFile.isEmpty())
        return false;
    const QByteArray targetName = QFile::encodeName(QFileInfo(target).absoluteFilePath());
    const QByteArray linkName = QFile::encodeName(linkFile);
    const QFileInfo info(linkFile);
    // A fresh link beside the final name, then renamed over it: readers see
    // the old shortcut or the new one, never none.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray temp =
            QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                              QStringLiteral(".tmp%1-%2").arg(getpid()).arg(attempt));
        if (symlink(targetName.constData(), temp.constData()) != 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        if (std::rename(temp.constData(), linkName.constData()) == 0)
            return true;
        unlink(temp.constData());
        return false;
    }
    return false;
}

QString ShortcutDisplayName(const QString& fileName) {
    if (fileName.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive))
        return fileName.left(fileName.size() - 4);
    return fileName;
}
