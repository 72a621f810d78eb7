#include "songs/cx_songnames.h"

#include "framework/qv_tools.h"
#include "records/cx_records.h"

#include <algorithm>

namespace {
// The number with at least two digits, as "%2.2d" writes it.
QString TwoDigits(int number) {
    return number < 0 ? QStringLiteral("-%1").arg(-qint64(number), 2, 10, QLatin1Char('0'))
                      : QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString LastPathComponent(const QString& path) {
    const QString p = RemoveBackslash(path);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? p : p.mid(slash + 1);
}

QString ParentPath(const QString& path) {
    const QString p = RemoveBackslash(path);
    const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : p.left(slash);
}
} // namespace

QString FileExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    return dot < 0 || dot < slash ? QString() : fileName.mid(dot);
}

QString FileBaseName(const QString& fileName) {
    return fileName.left(fileName.size() - FileExtension(fileName).size());
}

bool IsMpegAudioFile(const QString& fileName) {
    const QString ext = FileExtension(fileName);
    return ext.compare(QLatin1String(".mp3"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String(".mp2"), Qt::CaseInsensitive) == 0 ||
           ext.compare(QLatin1String(".mp1"), Qt::CaseInsensitive) == 0;
}

QString SongPath(const QString& folder, const QString& fileName) {
    if (fileName.isEmpty())
        return QString();
    return folder.isEmpty() ? fileName : AddBackslash(folder) + fileName;
}

QString TitleFromFileName(const QString& fileName) {
    return StripLeadingNumber(FileBaseName(fileName));
}

quint8 TrackFromText(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value <= 0)
        return 0;
    return static_cast<quint8>(value & 0xFF);
}

bool TrackTextTooLarge(const QString& text) {
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    return ok && value > 255;
}

int GenreItemOfIndex(int genreIndex) {
    return genreIndex >= 0 && genreIndex < kGenreItemCount - 1 ? genreIndex + 1 : 0;
}

quint8 GenreIndexOfItem(int item) {
    return item >= 1 && item < kGenreItemCount ? static_cast<quint8>(item - 1) : quint8(255);
}

TNormalizedFields NormalizedFields(const QString& recordFolder, const QString& fileName,
                                   int index) {
    TNormalizedFields f;
    f.Title = TitleFromFileName(fileName);
    f.Artist = LastPathComponent(ParentPath(recordFolder));
    f.Album = StripLeadingNumber(LastPathComponent(recordFolder));
    f.Track = static_cast<quint8>((index + 1) & 0xFF);
    return f;
}

QString SanitizeTitle(const QString& title) {
    static const QString kForbidden = QStringLiteral("\"*/:<>?\\|");
    QString out = title;
    for (QChar& c : out) {
        if (c == QLatin1Char('_'))
            c = QLatin1Char(' ');
        else if (kForbidden.contains(c))
            c = QLatin1Char('-');
    }
    if (!out.isEmpty() && out.front() != QLatin1Char(' '))
        out.prepend(QLatin1Char(' '));
    return out;
}

QString TagFileName(const QString& title, int track) {
    return TwoDigits(track) + QLatin1Char(' ') + QLatin1Char('-') + SanitizeTitle(title);
}

QString TidyNamePart(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c == QLatin1Char('.') || c == QLatin1Char('_'))
            c = QLatin1Char(' ');
    if (!out.isEmpty() && out.front() != QLatin1Char(' '))
        out.prepend(QLatin1Char(' '));
    if (out.size() > 1) {
        const QChar second = out[1];
        if (second >= QLatin1Char('a') && second <= QLatin1Char('z'))
            out[1] = QChar(second.unicode() - 'a' + 'A');
    }
    return out;
}

QString CutFileName(const QString& fileName, int number, int frontCount, const QString& separator,
                    int endCount) {
    const QString extension = FileExtension(fileName);
    QString base = fileName.left(fileName.size() - extension.size());
    if (!separator.isEmpty()) {
        for (int i = 0; i < frontCount; ++i) {
            const qsizetype at = base.indexOf(separator);
            if (at < 0)
                break;
            base = base.mid(at + separator.size());
        }
        for (int i = 0; i < endCount; ++i) {
            const qsizetype at = base.lastIndexOf(separator);
            if (at < 0)
                break;
            base = base.left(at);
        }
    }
    return TwoDigits(number) + QLatin1Char(' ') + QLatin1Char('-') + TidyNamePart(base) + extension;
}

QString RenameListEntry(quint32 key, const QString& fileName) {
    return QStringLiteral("%1 ").arg(key, 10, 10, QLatin1Char('0')) + fileName;
}

QString RenameEntryName(const QString& entry) {
    return entry.mid(11);
}

void SortNameList(QStringList& list) {
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    list.erase(std::unique(list.begin(), list.end()), list.end());
}
