// Entry strings, cover choice and folder listings of the music browser.
#include "app/cx_browser_rules.h"

#include "framework/qv_shortcut.h"
#include "framework/qv_tools.h"
#include "platform/file_ops.h"

#include <QCollator>
#include <QFile>

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>

namespace {

// Position of the first "|" when it is not the entry's first character, else -1.
qsizetype FirstSeparator(const QString& entry) {
    const qsizetype at = entry.indexOf(kEntrySeparator);
    return at >= 1 ? at : -1;
}

const QCollator& EntryCollator() {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool IsHiddenName(const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

TFolderEntry::Kind KindOfMode(mode_t mode) {
    if (S_ISDIR(mode))
        return TFolderEntry::Directory;
    if (S_ISREG(mode))
        return TFolderEntry::File;
    if (S_ISLNK(mode))
        return TFolderEntry::Link;
    return TFolderEntry::Other;
}

} // namespace

QString EntryFirstField(const QString& entry) {
    const qsizetype at = FirstSeparator(entry);
    return at < 0 ? entry : entry.left(at);
}

QString EntrySecondField(const QString& entry) {
    const qsizetype at = FirstSeparator(entry);
    return at < 0 ? entry : EntryFirstField(entry.mid(at + 1));
}

QString EntryThirdField(const QString& entry) {
    const qsizetype first = FirstSeparator(entry);
    if (first < 0)
        return QString();
    const qsizetype second = entry.indexOf(kEntrySeparator, first + 1);
    return second < 0 ? QString() : entry.mid(second + 1);
}

QString CoverEntryFolder(const QString& entry) {
    const QString cover = EntryFirstField(entry);
    const qsizetype slash = cover.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : cover.left(slash);
}

QString LastPathPart(const QString& folder) {
    const QString path = RemoveBackslash(folder);
    if (path == QLatin1String("/"))
        return path;
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString MakeTreeEntry(const QString& name, const QString& path, const QString& shortcut) {
    QString entry = name + kEntrySeparator + path;
    if (!shortcut.isEmpty())
        entry += kEntrySeparator + shortcut;
    return entry;
}

QString MakeCoverEntry(const QString& cover, const QString& name) {
    return cover + kEntrySeparator + name;
}

// Compares whole entries as if the separator sorted before every other
// character, so that they come in the order of their names.
int CompareEntries(const QString& a, const QString& b) {
    const QCollator& collator = EntryCollator();
    qsizetype at = a.indexOf(kEntrySeparator);
    qsizetype bt = b.indexOf(kEntrySeparator);
    for (qsizetype ap = 0, bp = 0;;) {
        const int order = collator.compare(QStringView(a).mid(ap, at < 0 ? -1 : at - ap),
                                           QStringView(b).mid(bp, bt < 0 ? -1 : bt - bp));
        if (order != 0 || at < 0 || bt < 0)
            return order != 0 ? order : (at < 0 ? (bt < 0 ? 0 : -1) : 1);
        ap = at + 1;
        bp = bt + 1;
        at = a.indexOf(kEntrySeparator, ap);
        bt = b.indexOf(kEntrySeparator, bp);
    }
}

bool AddSortedEntry(QStringList& list, const QString& entry) {
    const auto less = [](const QString& a, const QString& b) { return CompareEntries(a, b) < 0; };
    const auto first = std::lower_bound(list.begin(), list.end(), entry, less);
    const auto last = std::upper_bound(first, list.end(), entry, less);
    for (auto it = first; it != last; ++it)
        if (it->compare(entry, Qt::CaseInsensitive) == 0)
            return false;
    // The collator may see different entries as equal (accents ignored, say):
    // those keep the order of their code points.
    auto at = first;
    while (at != last && *at < entry)
        ++at;
    list.insert(at, entry);
    return true;
}

bool SameFolder(const QString& a, const QString& b) {
    return RemoveBackslash(a).compare(RemoveBackslash(b), Qt::CaseInsensitive) == 0;
}

bool IsPictureExtension(const QString& extension) {
    static const QStringList kPictures = {QStringLiteral("JPG"), QStringLiteral("JPEG"),
                                          QStringLiteral("GIF"), QStringLiteral("BMP")};
    return kPictures.contains(extension, Qt::CaseInsensitive);
}

QString ChooseCoverName(const QStringList& fileNames, QStringList* pictures) {
    static const QStringList kCoverNames = {
        QStringLiteral("Folder.jpg"), QStringLiteral("Folder.jpeg"), QStringLiteral("Folder.bmp"),
        QStringLiteral("Folder.gif")};
    for (const QString& cover : kCoverNames)
        for (const QString& name : fileNames)
            if (name.compare(cover, Qt::CaseInsensitive) == 0)
                return name;
    if (pictures)
        pictures->clear();
    QString first;
    for (const QString& name : fileNames) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot < 0 || !IsPictureExtension(name.mid(dot + 1)))
            continue;
        if (first.isEmpty())
            first = name;
        if (!pictures)
            break;
        pictures->append(name);
    }
    return first;
}

std::vector<TFolderEntry> ListFolder(const QString& folder) {
    std::vector<TFolderEntry> entries;
    const QByteArray encoded = QFile::encodeName(AddBackslash(folder));
    std::unique_ptr<DIR, DirCloser> dir(opendir(encoded.constData()));
    if (!dir)
        return entries;
    while (const dirent* item = readdir(dir.get())) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        if (!IsDecodableName(name))
            continue; // its text would name another file
        TFolderEntry entry;
        entry.Name = QFile::decodeName(name);
        switch (item->d_type) {
        case DT_DIR:
            entry.Type = TFolderEntry::Directory;
            break;
        case DT_REG:
            entry.Type = TFolderEntry::File;
            break;
        case DT_LNK:
            entry.Type = TFolderEntry::Link;
            break;
        case DT_UNKNOWN: {
            struct stat st {};
            if (lstat((encoded + name).constData(), &st) == 0)
                entry.Type = KindOfMode(st.st_mode);
            break;
        }
        default:
            break;
        }
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), [](const TFolderEntry& a, const TFolderEntry& b) {
        return ListingOrderLess(a.Name, b.Name);
    });
    return entries;
}

QStringList PlainFileNames(const QString& folder, const std::vector<TFolderEntry>& entries) {
    QStringList names;
    for (const TFolderEntry& entry : entries) {
        if (IsHiddenName(entry.Name))
            continue;
        if (entry.Type == TFolderEntry::File) {
            names.append(entry.Name);
        } else if (entry.Type == TFolderEntry::Link) {
            const auto st = FileStatus(AddBackslash(folder) + entry.Name, true);
            if (st && st->IsRegular)
                names.append(entry.Name);
        }
    }
    return names;
}

QString CoverEntryOf(const QString& folder, const QString& name, QStringList* pictures) {
    const QString base = AddBackslash(folder);
    const QString cover = ChooseCoverName(PlainFileNames(folder, ListFolder(folder)), pictures);
    return MakeCoverEntry(base + (cover.isEmpty() ? QStringLiteral("Empty") : cover), name);
}

void ListSubfoldersAndShortcuts(const QString& folder, TVirtualShellLink& reader,
                                QStringList& subfolders, std::vector<TFolderShortcut>& shortcuts,
                                std::vector<TFolderShortcut>* missing) {
    subfolders.clear();
    shortcuts.clear();
    const QString base = AddBackslash(folder);
    QStringList candidates;
    for (const TFolderEntry& entry : ListFolder(folder)) {
        const bool lnkName = entry.Name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive);
        if (entry.Type == TFolderEntry::Directory) {
            if (!IsHiddenName(entry.Name))
                subfolders.append(entry.Name);
        } else if (entry.Type == TFolderEntry::Link) {
            if (lnkName || !IsHiddenName(entry.Name))
                candidates.append(entry.Name);
        } else if (entry.Type == TFolderEntry::File && lnkName) {
            candidates.append(entry.Name);
        }
    }
    for (const QString& name : candidates) {
        const QString file = base + name;
        if (!reader.ReadShortcut(file) || reader.TargetPath.isEmpty())
            continue;
        const auto st = FileStatus(reader.TargetPath, true);
        if (st && st->IsDirectory)
            shortcuts.push_back({file, RemoveBackslash(reader.TargetPath)});
        else if (!st && missing)
            missing->push_back({file, RemoveBackslash(reader.TargetPath)});
    }
}

QStringList RootEntriesOf(const QString& folder) {
    QStringList entries;
    ForEachFolder(AddBackslash(folder) + QStringLiteral("*"),
                  [&](const QString& path, const TFindRecord& find, const QString& shortcut) {
                      AddSortedEntry(entries,
                                     MakeTreeEntry(ShortcutDisplayName(find.Name), path, shortcut));
                  });
    return entries;
}

QStringList ChildEntriesOf(const QString& folder, bool ownNames, TVirtualShellLink& reader) {
    QStringList subfolders;
    std::vector<TFolderShortcut> shortcuts;
    std::vector<TFolderShortcut> missing;
    ListSubfoldersAndShortcuts(folder, reader, subfolders, shortcuts,
                               ownNames ? &missing : nullptr);
    shortcuts.insert(shortcuts.end(), missing.begin(), missing.end());
    QStringList entries;
    const QString base = AddBackslash(folder);
    for (const QString& name : subfolders)
        AddSortedEntry(entries, MakeTreeEntry(name, base + name, QString()));
    for (const TFolderShortcut& shortcut : shortcuts) {
        const QString name = ownNames ? ShortcutDisplayName(LastPathPart(shortcut.File))
                                      : LastPathPart(shortcut.Target);
        AddSortedEntry(entries, MakeTreeEntry(name, shortcut.Target, shortcut.File));
    }
    return entries;
}

QStringList SubfolderCoverEntries(const QString& folder, TVirtualShellLink& reader,
                                  QStringList* pictures) {
    QStringList subfolders;
    std::vector<TFolderShortcut> shortcuts;
    ListSubfoldersAndShortcuts(folder, reader, subfolders, shortcuts);
    QStringList entries;
    entries.reserve(subfolders.size() + qsizetype(shortcuts.size()));
    const QString base = AddBackslash(folder);
    for (const QString& name : subfolders)
        entries.append(CoverEntryOf(base + name, name, pictures));
    for (const TFolderShortcut& shortcut : shortcuts)
        entries.append(CoverEntryOf(shortcut.Target,
                                    ShortcutDisplayName(LastPathPart(shortcut.File)), pictures));
    return entries;
}
