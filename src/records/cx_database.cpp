#include "records/cx_database.h"

#include "platform/atomic_file.h"
#include "platform/file_ops.h"
#include "records/cx_dirlist.h"
#include "records/cx_records.h"
#include "records/cx_similarity.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}
bool IsLineEnd(QChar c) {
    return c == '\r' || c == '\n';
}

QString Quoted(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

// Thrown through the walk when OnProgress asks it to stop.
struct TWalkStopped {};

// Keeps the "walk running" flag set for the lifetime of one walk.
class TBuildingGuard {
public:
    explicit TBuildingGuard(bool& flag) : Flag(flag) { Flag = true; }
    ~TBuildingGuard() { Flag = false; }
    TBuildingGuard(const TBuildingGuard&) = delete;
    TBuildingGuard& operator=(const TBuildingGuard&) = delete;

private:
    bool& Flag;
};

} // namespace

// --- the line format ----------------------------------------------------------

QString FormatDatabaseLine(const QString& artist, const QString& recordName, const QString& tags,
                           qint32 year, TDateTime rip, const QString& path) {
    const QString sep = QStringLiteral(", ");
    return Quoted(artist) + sep + Quoted(recordName) + sep + Quoted(tags) + sep +
           Quoted(QString::number(year)) + sep + Quoted(DateToStr(rip)) + sep + Quoted(path);
}

QStringList SplitCommaText(const QString& line) {
    QStringList fields;
    fields.reserve(6); // a database line
    const qsizetype n = line.size();
    qsizetype p = 0;
    while (p < n && IsBlank(line[p]))
        ++p;
    while (p < n) {
        QString field;
        if (line[p] == '"') {
            ++p;
            // Whole runs up to the next quote at a time.
            while (p < n) {
                const qsizetype quote = line.indexOf(QLatin1Char('"'), p);
                const qsizetype end = quote < 0 ? n : quote;
                field += QStringView(line).mid(p, end - p);
                p = end;
                if (p == n)
                    break;
                if (p + 1 < n && line[p + 1] == '"') {
                    field += QLatin1Char('"');
                    p += 2;
                    continue;
                }
                ++p; // closing quote
                break;
            }
        } else {
            const qsizetype start = p;
            while (p < n && !IsBlank(line[p]) && line[p] != ',')
                ++p;
            field = line.mid(start, p - start);
        }
        fields << field;
        while (p < n && IsBlank(line[p]))
            ++p;
        if (p < n && line[p] == ',') {
            if (p + 1 == n)
                fields << QString(); // a trailing comma gives one empty field
            do
                ++p;
            while (p < n && IsBlank(line[p]));
        }
    }
    return fields;
}

QStringList SplitDatabaseText(const QString& text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype lineStart = 0;
    qsizetype p = 0;
    // Where a line break ends a line: anywhere except inside a quoted field.
    enum { Between, Unquoted, Quoted } state = Between;
    auto endLine = [&](qsizetype end) {
        lines << text.mid(lineStart, end - lineStart);
        if (text[end] == '\r' && end + 1 < n && text[end + 1] == '\n')
            ++end;
        p = lineStart = end + 1;
        state = Between;
    };
    while (p < n) {
        const QChar c = text[p];
        switch (state) {
        case Between:
            if (IsLineEnd(c)) {
                endLine(p);
                continue;
            }
            if (c == '"')
                state = Quoted;
            else if (!IsBlank(c) && c != ',')
                state = Unquoted;
            break;
        case Unquoted:
            if (IsLineEnd(c)) {
                endLine(p);
                continue;
            }
            if (IsBlank(c) || c == ',')
                state = Between;
            break;
        case Quoted:
            if (c == '"') {
                if (p + 1 < n && text[p + 1] == '"')
                    ++p;
                else
                    state = Between;
            }
            break;
        }
        ++p;
    }
    if (state == Quoted) {
        // A quote that never closes: the rest is damaged, so it is split at
        // every line break rather than taken as one line.
        const QString rest = text.mid(lineStart);
        qsizetype s = 0;
        for (qsizetype i = 0; i < rest.size(); ++i) {
            if (!IsLineEnd(rest[i]))
                continue;
            lines << rest.mid(s, i - s);
            if (rest[i] == '\r' && i + 1 < rest.size() && rest[i + 1] == '\n')
                ++i;
            s = i + 1;
        }
        if (s < rest.size())
            lines << rest.mid(s);
    } else if (lineStart < n) {
        lines << text.mid(lineStart);
    }
    return lines;
}

QString YmdText(TDateTime value) {
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return QString();
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(std::trunc(value)));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return QString();
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

TRecordStruct ParseDatabaseLine(const QString& line, int lineIndex) {
    const QStringList f = SplitCommaText(line);
    if (f.size() < 6)
        throw EDatabaseError(
            QStringLiteral("Line %1 of the record database has %2 fields instead of 6: %3")
                .arg(lineIndex + 1)
                .arg(f.size())
                .arg(line.left(300)));
    TRecordStruct r;
    r.Artist = f[0];
    r.RecordName = f[1];
    r.Tags = f[2];
    bool ok = false;
    r.Year = f[3].toInt(&ok);
    if (!ok)
        r.Year = 0;
    if (!TryStrToDate(f[4], r.RipDate))
        r.RipDate = 1.0;
    r.RipText = YmdText(r.RipDate);
    r.Path = f[5];
    return r;
}

// --- the database ----------------------------------------------------------------

void TRecordStructList::Clear() {
    Lines.clear();
}

QString TRecordStructList::Line(int index) const {
    if (index < 0 || index >= Count())
        return QString();
    return Lines[static_cast<size_t>(index)].Text;
}

TRecordStruct* TRecordStructList::GetRecord(int index) {
    if (index < 0 || index >= Count())
        return nullptr;
    TLine& line = Lines[static_cast<size_t>(index)];
    if (!line.Parsed)
        line.Parsed = std::make_unique<TRecordStruct>(ParseDatabaseLine(line.Text, index));
    return line.Parsed.get();
}

QString TRecordStructList::DatabaseFilePath(const QString& root) {
    const QString folder = AddBackslash(root);
    TDirReader reader(QFile::encodeName(folder));
    while (reader.Next())
        if (qstricmp(reader.Name(), DatabaseFileName) == 0 && reader.IsFileOrLinkToFile())
            return folder + QFile::decodeName(reader.Name());
    return folder + QLatin1String(DatabaseFileName);
}

int TRecordStructList::Visit(const QByteArray& dir, QString* infoFile, std::vector<TLine>& out) {
    const QString dirText = QFile::decodeName(dir);
    if (OnProgress) {
        bool stop = false;
        OnProgress(*this, dirText, stop);
        if (stop)
            throw TWalkStopped();
    }

    std::vector<QByteArray> subFolders;
    int skipped = 0;
    {
        TDirReader reader(dir);
        while (reader.Next()) {
            const char* name = reader.Name();
            if (IsHiddenName(name)) {
                if (infoFile && infoFile->isEmpty() && IsInfoFileName(name) &&
                    reader.IsFileOrLinkToFile())
                    *infoFile = dirText + QFile::decodeName(name);
                continue;
            }
            if (!reader.IsDirectory())
                continue;
            // A name that is not text cannot be stored or shown again.
            if (IsDecodableName(name))
                subFolders.emplace_back(name);
            else { // still a sub-folder: its parent is no record
                Skipped << dirText + EscapedName(name);
                ++skipped;
            }
        }
    } // closed before going deeper, so the depth never runs out of handles
    if (subFolders.size() > 1) {
        // In listing order, as the tree and the grid show the folders.
        std::vector<std::pair<QString, QByteArray>> named;
        named.reserve(subFolders.size());
        for (QByteArray& name : subFolders)
            named.emplace_back(QFile::decodeName(name), std::move(name));
        std::sort(named.begin(), named.end(),
                  [](const auto& a, const auto& b) { return ListingOrderLess(a.first, b.first); });
        for (size_t i = 0; i < named.size(); ++i)
            subFolders[i] = std::move(named[i].second);
    }

    for (const QByteArray& name : subFolders) {
        const QByteArray child = dir + name;
        QString childInfo;
        if (Visit(child + '/', &childInfo, out) != 0)
            continue;
        TRecordInfo info(QFile::decodeName(child));
        info.LoadFrom(childInfo);
        out.push_back({FormatDatabaseLine(info.Artist, info.RecordName, info.Tags, info.Release,
                                          info.Rip, info.Folder),
                       nullptr});
    }
    return static_cast<int>(subFolders.size()) + skipped;
}

TBuildResult TRecordStructList::BuildFromFolder(const QString& root) {
    if (Building)
        return TBuildResult::Busy;
    const QFileInfo rootInfo(root);
    if (root.isEmpty() || !rootInfo.isDir())
        return TBuildResult::NoFolder;
    TBuildingGuard guard(Building);

    const QString dir = AddBackslash(QDir(root).absolutePath());
    std::vector<TLine> built;
    Skipped.clear();
    try {
        Visit(QFile::encodeName(dir), nullptr, built);
    } catch (const TWalkStopped&) {
        return TBuildResult::Stopped;
    } catch (...) {
        Lines = std::move(built);
        throw;
    }
    Lines = std::move(built);
    try {
        SaveToFolder(dir);
    } catch (const EToolsError&) {
        return TBuildResult::NotWritten;
    }
    return TBuildResult::Built;
}

void TRecordStructList::LoadFromFolder(const QString& root) {
    const QString path = DatabaseFilePath(root);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EToolsError(QStringLiteral("Cannot read the record database \"%1\": %2")
                              .arg(path, file.errorString()));
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EToolsError(QStringLiteral("Cannot read the record database \"%1\": %2")
                              .arg(path, file.errorString()));
    const QStringList texts = SplitDatabaseText(QString::fromUtf8(data));
    std::vector<TLine> lines;
    lines.reserve(static_cast<size_t>(texts.size()));
    for (const QString& text : texts)
        lines.push_back({text, nullptr});
    Lines = std::move(lines);
}

void TRecordStructList::SaveToFolder(const QString& root) const {
    QByteArray data;
    for (const TLine& line : Lines) {
        data += line.Text.toUtf8();
        data += "\r\n";
    }
    const QString path = DatabaseFilePath(root);
    QString error;
    if (!AtomicWriteFile(path, data, &error))
        throw EToolsError(
            QStringLiteral("Cannot write the record database \"%1\": %2").arg(path, error));
}

void TRecordStructList::ComputeScores(const QString& tags) {
    const QStringList split = SplitTags(tags);
    for (int i = 0; i < Count(); ++i) {
        TRecordStruct* r = GetRecord(i);
        r->Score = tags.isEmpty() ? -1 : TagSimilarity(split, r->Tags);
    }
}
