#include "framework/qv_tools.h"

#include "framework/qv_shortcut.h"
#include "platform/file_ops.h"
#include "platform/shell_services.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

const QDate kDayZero(1899, 12, 30);
constexpr qint64 kMsecsPerDay = 86400000;

QString g_shortDateFormat;
QString g_longTimeFormat;
std::optional<QLocale> g_dateLocale; // empty: the system's
int g_dateLocaleGeneration = 0;

QLocale DateLocale() {
    return g_dateLocale ? *g_dateLocale : QLocale::system();
}
std::function<bool(const QString&)> g_confirm;

bool Confirmed(bool ask, const QString& message) {
    return !ask || !g_confirm || g_confirm(message);
}

// The folder part of a pattern, with its trailing "/", in full form.
QString PatternFolder(const QString& pattern) {
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    QString folder = slash < 0 ? QString() : pattern.left(slash + 1);
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = AddBackslash(QDir::current().absoluteFilePath(folder));
    return folder;
}

QString PatternWildcard(const QString& pattern) {
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('/'));
    return pattern.mid(slash + 1);
}

// The names of a folder in listing order.
std::vector<QString> ListNames(const QString& folder) {
    std::vector<QString> names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.push_back(it.fileName());
    }
    std::sort(names.begin(), names.end(), ListingOrderLess);
    return names;
}

bool IsHidden(const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

TFindRecord MakeFindRecord(const QString& name, const TFileStatus& st) {
    TFindRecord find;
    find.Name = name;
    find.IsDirectory = st.IsDirectory;
    find.IsSymLink = st.IsSymLink;
    find.Size = st.Size;
    find.CreationTime = st.CreationTime;
    find.LastAccessTime = st.LastAccessTime;
    find.LastWriteTime = st.LastWriteTime;
    return find;
}

QRegularExpression WildcardExpression(const QString& wildcard) {
    QString core = wildcard;
    bool optionalExtension = false;
    if (core.endsWith(QLatin1String(".*"))) {
        core.chop(2);
        optionalExtension = true;
    }
    QString rx;
    for (const QChar c : core) {
        if (c == QLatin1Char('*'))
            rx += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    if (optionalExtension)
        rx += QLatin1String("(\\..*)?");
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

// Positions of the day, month and year fields in a date format, skipping
// quoted text; -1 for a missing field.
struct TFieldOrder {
    int Day = -1, Month = -1, Year = -1;
    bool MonthName = false;
};

TFieldOrder FieldOrder(const QString& format) {
    TFieldOrder order;
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        if (c == QLatin1Char('d') && order.Day < 0 &&
            !format.mid(i).startsWith(QLatin1String("ddd")))
            order.Day = i;
        else if (c == QLatin1Char('M') && order.Month < 0) {
            order.Month = i;
            order.MonthName = format.mid(i).startsWith(QLatin1String("MMM"));
        } else if (c == QLatin1Char('y') && order.Year < 0)
            order.Year = i;
    }
    return order;
}

int WindowedYear(int twoDigits) {
    // Within fifty years of today, either way.
    const int threshold = QDate::currentDate().year() - 50;
    int year = (threshold / 100) * 100 + twoDigits;
    if (year < threshold)
        year += 100;
    return year;
}

struct TNumber {
    int Value = 0;
    int Digits = 0;
};

// What date parsing needs of the system locale, read once: asking the
// locale costs more than parsing a date, and the database reads one date per
// record.
struct TLocaleTexts {
    QString ShortDateFormat;
    QString Am, Pm;
    QHash<QString, int> Months; // case-folded month names (long, short, standalone) -> 1..12
};

const TLocaleTexts& LocaleTexts() {
    static TLocaleTexts texts;
    static int builtFor = -1;
    if (builtFor != g_dateLocaleGeneration) {
        TLocaleTexts t;
        const QLocale locale = DateLocale();
        t.ShortDateFormat = ForceFourDigitYear(locale.dateFormat(QLocale::ShortFormat));
        t.Am = locale.amText();
        t.Pm = locale.pmText();
        for (int month = 1; month <= 12; ++month)
            for (const QLocale::FormatType type : {QLocale::LongFormat, QLocale::ShortFormat}) {
                t.Months.insert(locale.monthName(month, type).toCaseFolded(), month);
                t.Months.insert(locale.standaloneMonthName(month, type).toCaseFolded(), month);
            }
        t.Months.remove(QString());
        texts = std::move(t);
        builtFor = g_dateLocaleGeneration;
    }
    return texts;
}

// Splits text into its numbers; false when it holds letters other than an
// AM/PM marker (then removed and reported in pm / hasMarker).
bool SplitNumbers(QString text, std::vector<TNumber>& numbers, bool& hasMarker, bool& pm) {
    hasMarker = false;
    pm = false;
    const TLocaleTexts& locale = LocaleTexts();
    const QString markers[][2] = {{locale.Am, QStringLiteral("am")},
                                  {locale.Pm, QStringLiteral("pm")}};
    for (int i = 0; i < 2; ++i) {
        for (const QString& marker : markers[i]) {
            if (marker.isEmpty())
                continue;
            const qsizetype at = text.indexOf(marker, 0, Qt::CaseInsensitive);
            if (at >= 0 && !hasMarker) {
                text.remove(at, marker.size());
                hasMarker = true;
                pm = i == 1;
            }
        }
    }
    numbers.clear();
    TNumber current;
    for (const QChar c : text) {
        const int digit = c.digitValue();
        if (digit >= 0) {
            if (current.Digits >= 9)
                return false;
            current.Value = current.Value * 10 + digit;
            ++current.Digits;
            continue;
        }
        if (c.isLetter())
            return false;
        if (current.Digits > 0)
            numbers.push_back(current);
        current = TNumber();
    }
    if (current.Digits > 0)
        numbers.push_back(current);
    return true;
}

bool DateFromNumbers(const std::vector<TNumber>& numbers, const TFieldOrder& order, QDate& date) {
    if (numbers.size() < 2 || numbers.size() > 3 || order.Day < 0 || order.Month < 0)
        return false;
    struct TField {
        int Pos;
        char Kind;
    };
    std::vector<TField> fields = {{order.Day, 'd'}, {order.Month, 'm'}};
    if (numbers.size() == 3)
        fields.push_back({order.Year < 0 ? 1 << 20 : order.Year, 'y'});
    std::sort(fields.begin(), fields.end(),
              [](const TField& a, const TField& b) { return a.Pos < b.Pos; });
    // Without a year, the current one (asking the clock costs: only then).
    int day = 0, month = 0, year = numbers.size() == 3 ? 0 : QDate::currentDate().year();
    for (size_t i = 0; i < fields.size(); ++i) {
        const TNumber& n = numbers[i];
        switch (fields[i].Kind) {
        case 'd':
            day = n.Value;
            break;
        case 'm':
            month = n.Value;
            break;
        default:
            if (n.Digits <= 2)
                year = WindowedYear(n.Value);
            else if (n.Digits <= 4)
                year = n.Value;
            else
                return false;
        }
    }
    date = QDate(year, month, day);
    return date.isValid();
}

bool IsDayHalfMarker(const QString& foldedWord) {
    const TLocaleTexts& locale = LocaleTexts();
    return foldedWord == QLatin1String("am") || foldedWord == QLatin1String("pm") ||
           (!locale.Am.isEmpty() && foldedWord == locale.Am.toCaseFolded()) ||
           (!locale.Pm.isEmpty() && foldedWord == locale.Pm.toCaseFolded());
}

// Writes the locale's month names of text as their numbers ("21 Mar 2004"
// -> "21 3 2004"); false when text holds a word that is no month name.  A
// dot after a name is taken with it where the locale spells it so.
bool ReplaceMonthNames(QString& text) {
    const QHash<QString, int>& months = LocaleTexts().Months;
    QString out;
    out.reserve(text.size() + 4);
    for (qsizetype i = 0; i < text.size();) {
        if (!text[i].isLetter()) {
            out += text[i++];
            continue;
        }
        qsizetype end = i;
        while (end < text.size() && text[end].isLetter())
            ++end;
        const QString word = text.mid(i, end - i).toCaseFolded();
        if (IsDayHalfMarker(word)) { // left for SplitNumbers
            out += text.mid(i, end - i);
            i = end;
            continue;
        }
        auto month = months.constEnd();
        if (end < text.size() && text[end] == QLatin1Char('.'))
            month = months.constFind(word + QLatin1Char('.'));
        if (month != months.constEnd())
            ++end;
        else
            month = months.constFind(word);
        if (month == months.constEnd())
            return false;
        out += QLatin1Char(' ') + QString::number(month.value()) + QLatin1Char(' ');
        i = end;
    }
    text = out;
    return true;
}

// Date and optional time from text whose month names, if any, are already
// numbers; hasTime tells whether a time part was read.
bool ParseNumericDateTime(const QString& text, const TFieldOrder& order, bool allowTime,
                          TDateTime& value, bool& hasTime) {
    std::vector<TNumber> numbers;
    bool hasMarker = false, pm = false;
    if (!SplitNumbers(text, numbers, hasMarker, pm))
        return false;
    const size_t dateCount = numbers.size() > 3 ? 3 : numbers.size();
    if (numbers.size() > 3 && !allowTime)
        return false;
    if (hasMarker && numbers.size() <= 3)
        return false;
    QDate date;
    if (!DateFromNumbers({numbers.begin(), numbers.begin() + qsizetype(dateCount)}, order, date))
        return false;
    int h = 0, m = 0, s = 0;
    const size_t timeCount = numbers.size() - dateCount;
    if (timeCount > 0) {
        if (timeCount < 2 || timeCount > 3)
            return false;
        h = numbers[dateCount].Value;
        m = numbers[dateCount + 1].Value;
        s = timeCount == 3 ? numbers[dateCount + 2].Value : 0;
        if (hasMarker) {
            if (h < 1 || h > 12)
                return false;
            h = (h % 12) + (pm ? 12 : 0);
        }
        if (h > 23 || m > 59 || s > 59)
            return false;
    }
    hasTime = timeCount > 0;
    value = double(kDayZero.daysTo(date)) + (h * 3600 + m * 60 + s) / 86400.0;
    return true;
}

bool ParseTrimmedDateTime(const QString& text, bool allowTime, TDateTime& value, bool& hasTime) {
    const QString format = ShortDateFormat();
    const TFieldOrder order = FieldOrder(format);
    if (!order.MonthName)
        return ParseNumericDateTime(text, order, allowTime, value, hasTime);
    // Month names are read as their numbers; the same rules follow, so a
    // time part reads as with numeric formats.
    QString numeric = text;
    if (ReplaceMonthNames(numeric))
        return ParseNumericDateTime(numeric, order, allowTime, value, hasTime);
    // Other words (a day name, say): the locale's own parser, in the formats
    // that DateTimeToStr writes.
    const QLocale locale = DateLocale();
    QDate date = locale.toDate(text, format);
    hasTime = false;
    if (!date.isValid() && allowTime) {
        const QDateTime dt = locale.toDateTime(text, format + QLatin1Char(' ') + LongTimeFormat());
        if (dt.isValid()) {
            hasTime = true;
            value = double(kDayZero.daysTo(dt.date())) +
                    dt.time().msecsSinceStartOfDay() / 1000 / 86400.0;
            return true;
        }
    }
    if (!date.isValid())
        return false;
    value = kDayZero.daysTo(date);
    return true;
}

// Removes a time-zone name or offset that ends text after a blank ("UTC",
// "CEST", "GMT+01:00", "+0100"), as a long time format with a zone field
// writes it; false when there is none.
bool StripTimeZone(QString& text) {
    static const QRegularExpression zone(QStringLiteral(
        "\\s+(?:[A-Za-z]{1,6}(?:[+-]\\d{1,2}(?::?\\d{2})?)?|[+-]\\d{2}(?::?\\d{2})?)$"));
    const QRegularExpressionMatch match = zone.match(text);
    if (!match.hasMatch())
        return false;
    text.truncate(match.capturedStart());
    return !text.isEmpty();
}

bool ParseDateTime(const QString& text, TDateTime& value, bool allowTime) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool hasTime = false;
    TDateTime parsed = 0;
    if (ParseTrimmedDateTime(trimmed, allowTime, parsed, hasTime)) {
        value = parsed;
        return true;
    }
    // A time followed by its zone: the zone is dropped, the time read as
    // local, as it was written.
    QString withoutZone = trimmed;
    if (!allowTime || !StripTimeZone(withoutZone) ||
        !ParseTrimmedDateTime(withoutZone, true, parsed, hasTime) || !hasTime)
        return false;
    value = parsed;
    return true;
}

QString TrimControls(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

bool LooksLikeAddress(const QString& text) {
    if (text.startsWith(QLatin1Char('/')))
        return false;
    const QUrl url(text);
    return url.isValid() && url.scheme().size() > 1 &&
           (text.contains(QLatin1String("://")) ||
            url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0);
}

// The address of an internet shortcut file ("[InternetShortcut]", "URL=").
QString InternetShortcutAddress(const QString& path) {
    if (!path.endsWith(QLatin1String(".url"), Qt::CaseInsensitive))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(64 * 1024)).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inSection = line.compare(QLatin1String("[InternetShortcut]"), Qt::CaseInsensitive) == 0;
        else if (inSection && line.startsWith(QLatin1String("URL="), Qt::CaseInsensitive))
            return line.mid(4).trimmed();
    }
    return {};
}

// The root never goes away by a slip in a caller's path.
bool IsRoot(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path)) == QLatin1String("/");
}

} // namespace

// --- date-time values ---------------------------------------------------

TDateTime DateTimeFromQDateTime(const QDateTime& local) {
    if (!local.isValid())
        return 0;
    const QDateTime l = local.toLocalTime();
    const qint64 days = kDayZero.daysTo(l.date());
    const double fraction = double(l.time().msecsSinceStartOfDay()) / double(kMsecsPerDay);
    return days < 0 ? double(days) - fraction : double(days) + fraction;
}

QDateTime QDateTimeFromDateTime(TDateTime value) {
    if (value == 0 || !std::isfinite(value) || std::fabs(value) > 3.0e6)
        return {};
    qint64 days = qint64(std::trunc(value));
    qint64 msecs = std::llround(std::fabs(value - double(days)) * double(kMsecsPerDay));
    if (msecs >= kMsecsPerDay) {
        msecs -= kMsecsPerDay;
        days += value < 0 ? -1 : 1;
    }
    return QDateTime(kDayZero.addDays(days), QTime::fromMSecsSinceStartOfDay(int(msecs)),
                     Qt::LocalTime);
}

quint32 DosDateTime(const QDateTime& local) {
    if (!local.isValid())
        return 0;
    const QDateTime l = local.toLocalTime();
    const QDate d = l.date();
    const QTime t = l.time();
    if (d.year() < 1980 || d.year() > 2107)
        return 0;
    const quint32 date = quint32(d.year() - 1980) << 9 | quint32(d.month()) << 5 | quint32(d.day());
    const quint32 time =
        quint32(t.hour()) << 11 | quint32(t.minute()) << 5 | quint32(t.second() / 2);
    return date << 16 | time;
}

TDateTime DosDateTimeToDate(quint32 dos) {
    const int year = 1980 + int(dos >> 25);
    const int month = int(dos >> 21) & 15;
    const int day = int(dos >> 16) & 31;
    const int hour = int(dos >> 11) & 31;
    const int minute = int(dos >> 5) & 63;
    const int second = int(dos & 31) * 2;
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return 0;
    return double(kDayZero.daysTo(date)) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

TDateTime FileTimeToDate(const QDateTime& fileTimeUtc) {
    return DosDateTimeToDate(DosDateTime(fileTimeUtc));
}

TDateTime EarlierFileDate(const QDateTime& creationUtc, const QDateTime& lastWriteUtc) {
    const TDateTime created = FileTimeToDate(creationUtc);
    const TDateTime written = FileTimeToDate(lastWriteUtc);
    if (created == 0)
        return written;
    if (written == 0)
        return created;
    return created < written ? created : written;
}

QString ForceFourDigitYear(const QString& format) {
    QString result;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('y')) {
            while (i + 1 < format.size() && format[i + 1] == QLatin1Char('y'))
                ++i;
            result += QLatin1String("yyyy");
            continue;
        }
        result += c;
    }
    return result;
}

QString ShortDateFormat() {
    if (!g_shortDateFormat.isEmpty())
        return g_shortDateFormat;
    return LocaleTexts().ShortDateFormat;
}

void SetShortDateFormat(const QString& format) {
    g_shortDateFormat = format;
}

QString LongTimeFormat() {
    if (!g_longTimeFormat.isEmpty())
        return g_longTimeFormat;
    // Without the time-zone field ("t"), which a stored date cannot carry.
    QString result;
    const QString format = DateLocale().timeFormat(QLocale::LongFormat);
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.trimmed();
}

void SetLongTimeFormat(const QString& format) {
    g_longTimeFormat = format;
}

void SetDateLocale(const QString& name) {
    if (name.isEmpty())
        g_dateLocale.reset();
    else
        g_dateLocale = QLocale(name);
    ++g_dateLocaleGeneration;
}

QString DateToStr(TDateTime value) {
    const QDateTime dt = QDateTimeFromDateTime(value);
    if (!dt.isValid())
        return {};
    return DateLocale().toString(dt.date(), ShortDateFormat());
}

QString DateTimeToStr(TDateTime value) {
    const QDateTime dt = QDateTimeFromDateTime(value);
    if (!dt.isValid())
        return {};
    const QLocale locale = DateLocale();
    const QString date = locale.toString(dt.date(), ShortDateFormat());
    if (dt.time().msecsSinceStartOfDay() == 0)
        return date;
    return date + QLatin1Char(' ') + locale.toString(dt.time(), LongTimeFormat());
}

bool TryStrToDate(const QString& text, TDateTime& value) {
    return ParseDateTime(text, value, false);
}

bool TryStrToDateTime(const QString& text, TDateTime& value) {
    return ParseDateTime(text, value, true);
}

// --- application and shell ------------------------------------------------

QString ApplicationFolder() {
    QString folder;
    if (QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    else
        folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return AddBackslash(folder);
}

QString ApplicationDataPath(const QString& relative) {
    const QString beside = ApplicationFolder() + relative;
    if (QFileInfo::exists(beside))
        return beside;
    const QString shared =
        QDir::cleanPath(ApplicationFolder() + QStringLiteral("../share/tralu/") + relative);
    if (QFileInfo::exists(shared))
        return shared;
    return beside;
}

QString ShellErrorText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out of memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied access to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid (non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The filename association is incomplete or invalid.");
    case 28:
        return QStringLiteral(
            "The DDE transaction could not be completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not be completed because other DDE "
                              "transactions were being processed.");
    case 31:
        return QStringLiteral(
            "There is no application associated with the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return {};
    }
}

void ShellOpen(const QString& path) {
    if (LooksLikeAddress(path)) {
        if (!ShellServices().OpenUrl(QUrl(path)))
            throw EToolsError(ShellErrorText(31));
        return;
    }
    if (path.isEmpty() || !FileStatus(path, true))
        throw EToolsError(ShellErrorText(2));
    // An internet shortcut opens its address, as the desktop of Windows does.
    QUrl url;
    const QString address = InternetShortcutAddress(path);
    if (!address.isEmpty())
        url = QUrl(address);
    if (!url.isValid() || url.isEmpty())
        url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (!ShellServices().OpenUrl(url))
        throw EToolsError(ShellErrorText(31));
}

int RunCommand(const QString& command, const QString& arguments, bool wait, int showMode) {
    Q_UNUSED(showMode);
    QStringList parts = QProcess::splitCommand(command);
    if (parts.isEmpty() || parts.first().isEmpty())
        return -1;
    const QString program = parts.takeFirst();
    // The argument text is one argument, never parsed: a quoted path loses
    // its enclosing quotes and nothing else.
    QString argument = TrimControls(arguments);
    if (!argument.isEmpty()) {
        if (argument.size() >= 2 && argument.startsWith(QLatin1Char('"')) &&
            argument.endsWith(QLatin1Char('"')))
            argument = argument.mid(1, argument.size() - 2);
        parts.append(argument);
    }
    if (wait)
        return ShellServices().RunAndWait(program, parts);
    const qint64 pid = ShellServices().StartDetached(program, parts);
    return pid < 0 ? -1 : int(pid);
}

bool ShellDelete(const QString& path, bool showProgress, bool confirm) {
    Q_UNUSED(showProgress);
    const QString p = RemoveBackslash(path);
    if (p.isEmpty() || IsRoot(p) || !FileStatus(p, false))
        return false;
    if (!Confirmed(confirm,
                   QStringLiteral("Are you sure you want to permanently delete \"%1\"?").arg(p)))
        return false;
    return RemoveRecursively(p);
}

bool ShellRecycle(const QString& path, bool showProgress, bool confirm) {
    Q_UNUSED(showProgress);
    const QString p = RemoveBackslash(path);
    if (p.isEmpty() || IsRoot(p) || !FileStatus(p, false))
        return false;
    if (!Confirmed(confirm,
                   QStringLiteral("Are you sure you want to move \"%1\" to the trash?").arg(p)))
        return false;
    return ShellServices().MoveToTrash(p);
}

bool ShellCopy(const QString& from, const QString& to, bool showProgress, bool confirm) {
    Q_UNUSED(showProgress);
    const QString source = RemoveBackslash(from);
    if (source.isEmpty() || to.isEmpty() || !FileStatus(source, true))
        return false;
    // A folder that exists (or a name written with a trailing "/") receives
    // the copy under the source's own name.
    QString target = RemoveBackslash(to);
    const auto targetStatus = FileStatus(target, true);
    if ((targetStatus && targetStatus->IsDirectory) || to.endsWith(QLatin1Char('/')))
        target = AddBackslash(target) + QFileInfo(source).fileName();
    std::function<bool(const QString&)> ask;
    if (confirm && g_confirm) {
        ask = [](const QString& existing) {
            return g_confirm(
                QStringLiteral("\"%1\" already exists. Do you want to replace it?").arg(existing));
        };
    }
    return CopyPath(source, target, true, ask);
}

QString TempFolder() {
    return AddBackslash(QDir::tempPath());
}

void SetShellConfirmation(std::function<bool(const QString& message)> confirm) {
    g_confirm = std::move(confirm);
}

// --- folder walks -----------------------------------------------------------

bool ListingOrderLess(const QString& a, const QString& b) {
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool MatchesWildcard(const QString& name, const QString& wildcard) {
    return WildcardExpression(wildcard).match(name).hasMatch();
}

void ForEachFile(const QString& pattern, const TFileHandler& handler) {
    const QString folder = PatternFolder(pattern);
    const QRegularExpression rx = WildcardExpression(PatternWildcard(pattern));
    for (const QString& name : ListNames(folder)) {
        if (IsHidden(name) || !rx.match(name).hasMatch())
            continue;
        const QString path = folder + name;
        const auto st = FileStatus(path, true);
        if (!st || !st->IsRegular)
            continue;
        handler(path, MakeFindRecord(name, *st));
    }
}

void ForEachFolder(const QString& pattern, const TFolderHandler& handler) {
    const QString folder = PatternFolder(pattern);
    const std::vector<QString> names = ListNames(folder);
    std::vector<QString> shortcuts;
    for (const QString& name : names) {
        const QString path = folder + name;
        const auto st = FileStatus(path, false);
        if (!st)
            continue;
        const bool lnkName = name.endsWith(QLatin1String(".lnk"), Qt::CaseInsensitive);
        if (st->IsSymLink) {
            if (lnkName || !IsHidden(name))
                shortcuts.push_back(name);
        } else if (st->IsDirectory) {
            if (!IsHidden(name))
                handler(path, MakeFindRecord(name, *st), QString());
        } else if (st->IsRegular && lnkName) {
            shortcuts.push_back(name);
        }
    }
    for (const QString& name : shortcuts) {
        const QString path = folder + name;
        TVirtualShellLink& reader = SharedShortcutReader();
        if (!reader.ReadShortcut(path))
            continue;
        const QString target = reader.TargetPath;
        const auto targetStatus = FileStatus(target, true);
        if (target.isEmpty() || !targetStatus || !targetStatus->IsDirectory)
            continue;
        const auto own = FileStatus(path, false);
        if (!own)
            continue;
        handler(target, MakeFindRecord(name, *own), path);
    }
}

TDateTime FolderDate(const QString& path) {
    const auto st = FileStatus(RemoveBackslash(path), true);
    if (!st)
        return 0;
    return FileTimeToDate(st->CreationTime);
}

std::pair<TDateTime, TDateTime> FilesDateRange(const QString& folder) {
    TDateTime earliest = 0, latest = 0;
    ForEachFile(AddBackslash(folder) + QStringLiteral("*"),
                [&](const QString&, const TFindRecord& find) {
                    const TDateTime t = EarlierFileDate(find.CreationTime, find.LastWriteTime);
                    if (t == 0)
                        return;
                    if (earliest == 0 || earliest > t)
                        earliest = t;
                    if (latest < t)
                        latest = t;
                });
    return {earliest, latest};
}

// --- paths and characters -------------------------------------------------------

QString AddBackslash(const QString& path) {
    if (path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

QString RemoveBackslash(const QString& path) {
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        return path.left(path.size() - 1);
    return path;
}

char UpCaseAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

QChar UpCaseAscii(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - u'a' + u'A')) : c;
}
