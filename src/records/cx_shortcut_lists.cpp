#include "records/cx_shortcut_lists.h"

#include "framework/qv_shortcut.h"
#include "platform/file_ops.h"
#include "platform/shell_services.h"
#include "records/cx_dirlist.h"
#include "records/cx_inifile.h"
#include "records/cx_records.h"

#include <QDir>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace {

QString LastPart(const QString& path) {
    const QString p = RemoveBackslash(path);
    return p.mid(p.lastIndexOf(QLatin1Char('/')) + 1);
}

QString ParentOf(const QString& path) {
    const QString p = RemoveBackslash(path);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : p.left(slash);
}

TDateTime CreationDate(const QString& path) {
    const auto st = FileStatus(path, false);
    return st ? FileTimeToDate(st->CreationTime) : 0;
}

bool IsCoverPictureName(const QString& name) {
    const QString suffix = name.mid(name.lastIndexOf(QLatin1Char('.')) + 1).toLower();
    return name.contains(QLatin1Char('.')) &&
           (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") ||
            suffix == QLatin1String("gif") || suffix == QLatin1String("bmp"));
}

QString Refusal(const QString& why) {
    return QStringLiteral("The new music list is not rebuilt: %1").arg(why);
}

struct TWalker {
    const TNewMusicOptions& Options;
    TDateTime Lower = 0;
    TDateTime Upper = 0;
    TNewMusicWalk Result;

    // The number of sub-folders of dir (ending in "/").
    int Walk(const QByteArray& dir) {
        if (Result.Stopped)
            return 0;
        const QString dirText = QFile::decodeName(dir);
        if (Options.OnFolder && !Options.OnFolder(dirText)) {
            Result.Stopped = true;
            return 0;
        }
        const QString parentName = LastPart(dirText);
        std::vector<std::pair<QString, QByteArray>> subFolders;
        int count = 0;
        {
            TDirReader reader(dir);
            while (reader.Next()) {
                if (Options.Stopped && Options.Stopped()) {
                    Result.Stopped = true;
                    return count;
                }
                const char* name = reader.Name();
                if (IsHiddenName(name) || !reader.IsDirectory())
                    continue;
                ++count; // a name that is not text is still a sub-folder
                if (IsDecodableName(name))
                    subFolders.emplace_back(QFile::decodeName(name), QByteArray(name));
            }
        }
        std::sort(subFolders.begin(), subFolders.end(),
                  [](const auto& a, const auto& b) { return ListingOrderLess(a.first, b.first); });
        for (const auto& [name, bytes] : subFolders) {
            if (Options.Stopped && Options.Stopped()) {
                Result.Stopped = true;
                break;
            }
            const QByteArray child = dir + bytes;
            if (Walk(child + '/') != 0 || Result.Stopped)
                continue;
            const QString path = QFile::decodeName(child);
            const TDateTime added = RecordAddedDate(path, CreationDate(path), Options.UseDirDate);
            const double day = std::floor(added);
            if (Lower <= day && day <= Upper)
                Result.Links.push_back(
                    {parentName + QStringLiteral(" - ") + name + QStringLiteral(".lnk"), path});
        }
        return count;
    }
};

} // namespace

QString NewMusicDirProblem(const QString& root, const QString& newMusicDir,
                           const QString& bookmarkDir) {
    if (newMusicDir.isEmpty())
        return Refusal(QStringLiteral("the new music folder name is empty"));
    if (newMusicDir == QLatin1String(".") || newMusicDir == QLatin1String("..") ||
        newMusicDir.contains(QLatin1Char('/')) || newMusicDir.contains(QChar(0)))
        return Refusal(QStringLiteral("the new music folder \"%1\" must be the name of a "
                                      "folder directly inside the music root")
                           .arg(newMusicDir));
    if (newMusicDir.compare(bookmarkDir, Qt::CaseInsensitive) == 0)
        return Refusal(
            QStringLiteral("the new music folder \"%1\" is the bookmark folder").arg(newMusicDir));
    const QString folder = AddBackslash(root) + newMusicDir;
    const auto own = FileStatus(folder, false);
    if (!own)
        return QString();
    if (own->IsSymLink)
        return Refusal(QStringLiteral("the new music folder \"%1\" is a link").arg(folder));
    if (!own->IsDirectory)
        return Refusal(QStringLiteral("\"%1\" is not a folder").arg(folder));
    TDirReader reader(QFile::encodeName(AddBackslash(folder)));
    while (reader.Next()) {
        const char* name = reader.Name();
        if (IsHiddenName(name))
            continue;
        const QString text = QFile::decodeName(name);
        if (reader.IsDirectory())
            return Refusal(QStringLiteral("the new music folder \"%1\" holds folders of the "
                                          "collection (\"%2\")")
                               .arg(folder, text));
        // Besides its shortcuts the list may hold a cover of its own, nothing else.
        const auto st = FileStatus(AddBackslash(folder) + text, false);
        const bool shortcut =
            st && (st->IsSymLink || text.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive));
        if (!shortcut && !IsCoverPictureName(text))
            return Refusal(QStringLiteral("the new music folder \"%1\" holds files that are not "
                                          "shortcuts (\"%2\")")
                               .arg(folder, text));
    }
    return QString();
}

TDateTime RecordAddedDate(const QString& folder, TDateTime folderCreation, bool useDirDate) {
    const QString infoFile = FindInfoFile(folder);
    if (!infoFile.isEmpty()) {
        const QByteArray rip =
            IniReadValue(ReadInfoFile(infoFile), "infos", "Rip").value_or(QByteArray());
        TDateTime value = 0;
        return TryStrToDateTime(QString::fromUtf8(rip), value) ? value : folderCreation;
    }
    if (useDirDate)
        return folderCreation;
    const TDateTime latest = LatestFileDate(QFile::encodeName(RemoveBackslash(folder)));
    return latest != 0 ? latest : folderCreation;
}

TNewMusicWalk CollectNewMusic(const QString& root, const QString& newMusicFolder,
                              const TNewMusicOptions& options) {
    TWalker walker{options, 0, 0, {}};
    TDateTime today = options.Today;
    if (today == 0)
        today = std::floor(DateTimeFromQDateTime(QDateTime::currentDateTime()));
    walker.Upper = today + 7;
    walker.Lower = today - std::clamp(options.Days, 1, 999);
    walker.Walk(QFile::encodeName(AddBackslash(QDir(root).absolutePath())));
    const QString own = QDir::cleanPath(QDir(newMusicFolder).absolutePath());
    std::erase_if(walker.Result.Links, [&](const TNewMusicLink& link) {
        return link.Target.compare(own, Qt::CaseInsensitive) == 0;
    });
    return std::move(walker.Result);
}

QStringList ShortcutFilesIn(const QString& folder) {
    QStringList files;
    const QString base = AddBackslash(folder);
    TDirReader reader(QFile::encodeName(base));
    while (reader.Next()) {
        const QString name = QFile::decodeName(reader.Name());
        const auto st = FileStatus(base + name, false);
        if (!st)
            continue;
        if (st->IsSymLink ||
            (st->IsRegular && name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive)))
            files << base + name;
    }
    std::sort(files.begin(), files.end(), ListingOrderLess);
    return files;
}

TNewMusicResult RebuildNewMusicList(const QString& root, const QString& newMusicDir,
                                    const QString& bookmarkDir, const TNewMusicOptions& options,
                                    bool dryRun) {
    TNewMusicResult result;
    const auto rootStatus = FileStatus(root, true);
    if (root.isEmpty() || !rootStatus || !rootStatus->IsDirectory) {
        result.Error = QStringLiteral("The music root \"%1\" is not a folder").arg(root);
        return result;
    }
    result.Error = NewMusicDirProblem(root, newMusicDir, bookmarkDir);
    if (!result.Error.isEmpty())
        return result;
    const QString folder = AddBackslash(QDir(root).absolutePath()) + newMusicDir;
    TNewMusicWalk walk = CollectNewMusic(root, folder, options);
    if (walk.Stopped) {
        result.Stopped = true; // the old list stays as it was
        return result;
    }
    if (dryRun) {
        result.Made = std::move(walk.Links);
        return result;
    }
    for (const QString& file : ShortcutFilesIn(folder)) {
        if (!ShellServices().MoveToTrash(file)) {
            result.Error = QStringLiteral("Cannot move \"%1\" to the trash").arg(file);
            return result;
        }
    }
    if (!QDir().mkpath(folder)) {
        result.Error = QStringLiteral("Cannot create the folder \"%1\"").arg(folder);
        return result;
    }
    for (TNewMusicLink& link : walk.Links) {
        const QString file = AddBackslash(folder) + link.Name;
        if (!CreateShortcut(link.Target, file)) {
            result.Error = QStringLiteral("Cannot write the shortcut \"%1\"").arg(file);
            return result;
        }
        result.Made.push_back(std::move(link));
    }
    return result;
}

QString BookmarkName(const QString& nodePath, const QString& displayName, bool belowNewMusic) {
    if (belowNewMusic)
        return displayName;
    return LastPart(ParentOf(nodePath)) + QStringLiteral(" - ") + displayName;
}

QString ShortcutNameFor(const QString& target) {
    return LastPart(ParentOf(target)) + QStringLiteral(" - ") + LastPart(target);
}

std::vector<TShortcutChange> RepointShortcuts(const QStringList& folders, const QString& oldPath,
                                              const QString& newPath) {
    std::vector<TShortcutChange> changes;
    const QString from = QDir::cleanPath(oldPath);
    const QString to = QDir::cleanPath(newPath);
    if (from.isEmpty() || to.isEmpty() || from == to)
        return changes;
    TVirtualShellLink reader;
    for (const QString& folder : folders) {
        for (const QString& file : ShortcutFilesIn(folder)) {
            if (!reader.ReadShortcut(file) || reader.TargetPath.isEmpty())
                continue;
            const QString target = QDir::cleanPath(reader.TargetPath);
            QString moved;
            if (target == from)
                moved = to;
            else if (target.startsWith(from + QLatin1Char('/')))
                moved = to + target.mid(from.size());
            else
                continue;
            QString newFile = file;
            const QString name = file.mid(file.lastIndexOf(QLatin1Char('/')) + 1);
            if (ShortcutDisplayName(name) == ShortcutNameFor(target)) {
                const QString renamed = AddBackslash(ParentOf(file)) + ShortcutNameFor(moved) +
                                        name.right(name.size() - ShortcutDisplayName(name).size());
                if (renamed != file && !FileStatus(renamed, false))
                    newFile = renamed;
            }
            if (!CreateShortcut(moved, newFile))
                continue;
            if (newFile != file)
                QFile::remove(file);
            changes.push_back({file, newFile, moved});
        }
    }
    return changes;
}

QString ImageSearchTerm(const QString& recordFolder) {
    if (recordFolder.isEmpty())
        return QStringLiteral(" ");
    return LastPart(ParentOf(recordFolder)) + QLatin1Char(' ') +
           StripLeadingNumber(LastPart(recordFolder));
}

QString ImageSearchAddress(const QString& searchImage, const QString& term) {
    return searchImage + QString::fromLatin1(QUrl::toPercentEncoding(term));
}

QByteArray SearchShortcutText(const QString& address) {
    const QByteArray a = address.toUtf8();
    return "[DEFAULT]\r\nBASEURL=" + a + "\r\n[InternetShortcut]\r\nURL=" + a + "\r\n";
}
