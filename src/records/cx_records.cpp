#include "records/cx_records.h"

#include "platform/atomic_file.h"
#include "records/cx_dirlist.h"
#include "records/cx_inifile.h"

#include <QDate>
#include <QFile>

#include <limits>

namespace {

const QByteArray SectionInfos = "infos";

bool IsBlank(QChar c) {
    return c.unicode() <= 32;
}

// The last part of a path without trailing "/".
QString LastPart(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p.mid(p.lastIndexOf('/') + 1);
}

QString ParentPath(const QString& path) {
    QString p = path;
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    const qsizetype slash = p.lastIndexOf('/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : p.left(slash);
}

bool IsSeparator(QChar c) {
    switch (c.unicode()) {
    case ' ':
    case '(':
    case ')':
    case '-':
    case '[':
    case ']':
    case '_':
        return true;
    default:
        return false;
    }
}

bool IsDigit(QChar c) {
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// A run of decimal digits as a 32-bit value; 0 when empty or too large.
qint32 RunValue(const QString& run) {
    qint64 v = 0;
    for (QChar c : run) {
        v = v * 10 + (c.unicode() - '0');
        if (v > std::numeric_limits<qint32>::max())
            return 0;
    }
    return static_cast<qint32>(v);
}

int CurrentYearAtStart() {
    static const int year = QDate::currentDate().year();
    return year;
}

} // namespace

// --- tag strings -----------------------------------------------------------

QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QString SplitFirstTag(QString& list) {
    const qsizetype p = list.indexOf(';');
    QString tag;
    if (p <= 0) {
        tag = TrimBlanks(list);
        list.clear();
    } else {
        tag = TrimBlanks(list.left(p));
        list = TrimBlanks(list.mid(p + 1));
    }
    return tag;
}

QStringList SplitTags(const QString& list) {
    QStringList tags;
    QString rest = list;
    while (!rest.isEmpty())
        tags << SplitFirstTag(rest);
    return tags;
}

bool ContainsTag(const QString& tag, const QString& list) {
    QString rest = list;
    while (!rest.isEmpty())
        if (SplitFirstTag(rest).compare(tag, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// --- record folder names -------------------------------------------------------

QString StripLeadingNumber(const QString& s) {
    enum { Start, Digits, Separators } state = Start;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        switch (state) {
        case Start:
            if (!IsDigit(c))
                return s;
            state = Digits;
            break;
        case Digits:
            if (IsDigit(c))
                break;
            if (!IsSeparator(c))
                return s;
            state = Separators;
            break;
        case Separators:
            if (!IsSeparator(c))
                return s.mid(i);
            break;
        }
    }
    return s;
}

TFolderNameInfo ParseFolderName(const QString& name, int currentYear) {
    TFolderNameInfo info;
    QString run;
    auto examine = [&] {
        const qint32 value = RunValue(run);
        if (value > 1900 && value <= currentYear && value > info.Year)
            info.Year = value;
        run.clear();
    };
    for (QChar c : name) {
        if (IsDigit(c))
            run += c;
        else
            examine();
    }
    examine(); // a run that ends the name counts like the others
    info.RecordName = StripLeadingNumber(name);
    return info;
}

TFolderNameInfo ParseFolderName(const QString& name) {
    return ParseFolderName(name, CurrentYearAtStart());
}

// --- TRecordInfo ---------------------------------------------------------------

TRecordInfo::TRecordInfo(const QString& folder)
    : Folder(folder), Artist(LastPart(ParentPath(folder))) {}

QString FindInfoFile(const QString& folder) {
    const QString base = AddBackslash(folder);
    TDirReader reader(QFile::encodeName(base));
    while (reader.Next())
        if (IsInfoFileName(reader.Name()) && reader.IsFileOrLinkToFile())
            return base + QFile::decodeName(reader.Name());
    return QString();
}

QByteArray ReadInfoFile(const QString& path) {
    QFile file(path);
    QByteArray content;
    if (file.open(QIODevice::ReadOnly))
        content = file.readAll();
    if (!file.isOpen() || file.error() != QFileDevice::NoError)
        throw EToolsError(QStringLiteral("Cannot read the information file \"%1\": %2")
                              .arg(path, file.errorString()));
    return content;
}

QString TRecordInfo::InfoFilePath() const {
    const QString found = FindInfoFile(Folder);
    return found.isEmpty() ? AddBackslash(Folder) + QLatin1String(InfoFileName) : found;
}

void TRecordInfo::Load() {
    const QString path = InfoFilePath();
    LoadFrom(QFile::exists(path) ? path : QString());
}

void TRecordInfo::LoadFrom(const QString& infoFile) {
    Rip = 1.0;
    Tags.clear();
    StoredTagsRaw.clear();
    StoredTags.clear();
    const TFolderNameInfo parsed = ParseFolderName(LastPart(Folder));
    Release = parsed.Year;
    RecordName = parsed.RecordName;

    if (!infoFile.isEmpty()) {
        const QByteArray content = ReadInfoFile(infoFile);

        bool ok = false;
        const QByteArray releaseText = IniReadValue(content, SectionInfos, "Release").value_or("");
        qint32 release = releaseText.toInt(&ok);
        if (!ok)
            release = Release;
        if (release != 0)
            Release = release;

        TDateTime rip;
        const auto ripText = IniReadValue(content, SectionInfos, "Rip").value_or("");
        Rip = TryStrToDateTime(QString::fromUtf8(ripText), rip) ? rip : 1.0;

        StoredTagsRaw = IniReadValue(content, SectionInfos, "Tags").value_or("");
        StoredTags = QString::fromUtf8(StoredTagsRaw);
        Tags = StoredTags;
    }

    if (Rip == 1.0) {
        const TDateTime latest = LatestFileDate(QFile::encodeName(Folder));
        Rip = latest != 0 ? latest : FolderDate(Folder);
    }
}

void TRecordInfo::Save() {
    const QString path = InfoFilePath();
    QByteArray content;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            throw EToolsError(QStringLiteral("Cannot read the information file \"%1\": %2")
                                  .arg(path, file.errorString()));
        content = file.readAll();
        file.close();
    }
    const QByteArray tags = Tags == StoredTags ? StoredTagsRaw : Tags.toUtf8();
    content = IniWriteValues(content, SectionInfos,
                             {{"Release", QByteArray::number(Release)},
                              {"Tags", tags},
                              {"Rip", DateTimeToStr(Rip).toUtf8()}});
    QString error;
    if (!AtomicWriteFile(path, content, &error))
        throw EToolsError(
            QStringLiteral("Cannot write the information file \"%1\": %2").arg(path, error));
    StoredTagsRaw = tags;
    StoredTags = Tags;
}
