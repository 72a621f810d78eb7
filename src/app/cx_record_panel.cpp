#include "app/cx_record_panel.h"

#include "records/cx_records.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QString ExtensionWithoutDot(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

TFolderFileKind ClassifyFolderFile(const QString& fileName, const QStringList& musicExtensions) {
    const QString ext = ExtensionWithoutDot(fileName);
    if (ext.isEmpty())
        return TFolderFileKind::Other;
    if (musicExtensions.contains(ext, Qt::CaseInsensitive))
        return TFolderFileKind::Song;
    static const QStringList pictures = {QStringLiteral("JPG"), QStringLiteral("JPEG"),
                                         QStringLiteral("GIF"), QStringLiteral("BMP")};
    if (pictures.contains(ext.toUpper()))
        return TFolderFileKind::Picture;
    return TFolderFileKind::Other;
}

void AddSortedName(QStringList& list, const QString& name) {
    // Case-insensitive order; equal keys ordered by their exact spelling so
    // that the order never depends on the listing order.
    const auto less = [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
    };
    const auto at = std::lower_bound(list.begin(), list.end(), name, less);
    if (at != list.end() && *at == name)
        return;
    list.insert(at, name);
}

QString SongDisplayName(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QString PanelCoverPath(const QString& folder, const QStringList& pictures) {
    const QDir dir(folder);
    QStringList names = dir.entryList(QDir::Files | QDir::Readable | QDir::Hidden, QDir::Unsorted);
    // Names that differ only in case: the first in listing order wins.
    std::sort(names.begin(), names.end(), ListingOrderLess);
    for (const char* wanted : {"Folder.bmp", "Folder.jpg", "Folder.jpeg", "Folder.gif"}) {
        for (const QString& name : names)
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0)
                return dir.filePath(name);
    }
    if (!pictures.isEmpty())
        return dir.filePath(pictures.constFirst());
    return QString();
}

QString AddTagToList(const QString& tags, const QString& tag) {
    if (TrimBlanks(tags).isEmpty())
        return tag;
    const QString chosen = TrimBlanks(tag);
    if (chosen.isEmpty() || ContainsTag(chosen, tags))
        return tags;
    return tags + QStringLiteral("; ") + tag;
}

namespace {
struct TTagWalk {
    const QString& Tags;
    const std::function<bool()>& KeepGoing;
    bool Stopped = false;

    int Walk(const QString& folder) {
        if (Stopped || (KeepGoing && !KeepGoing())) {
            Stopped = true;
            return 0;
        }
        int count = 0;
        // Real directories only: a link is never followed, so a link to an
        // ancestor cannot make the walk loop.
        QDirIterator it(folder,
                        QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Hidden);
        while (it.hasNext()) {
            const QString path = it.next();
            if (it.fileName().startsWith(QLatin1Char('.')))
                continue;
            ++count;
            const int below = Walk(path);
            // A walk stopped inside the sub-folder says nothing about
            // whether it is a leaf: write nothing more.
            if (Stopped)
                return count;
            if (below == 0) {
                TRecordInfo info(path);
                info.Load();
                info.Tags = Tags;
                info.Save();
            }
        }
        return count;
    }
};
} // namespace

int TagLeafFolders(const QString& folder, const QString& tags,
                   const std::function<bool()>& keepGoing) {
    TTagWalk walk{tags, keepGoing};
    return walk.Walk(folder);
}
