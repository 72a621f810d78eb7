#pragma once
// Small shell and file-system helpers shared by the whole application:
// opening documents, starting the external player, walking folders (with
// shortcuts to folders), file dates, trash/copy/delete, path helpers.
// Nothing here shows a widget (Confirm lives in qv_confirm.h).

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <utility>

// Days since 30 December 1899; the fraction is the time of day; 0 is "none".
using TDateTime = double;

// A shell or file-system failure; carries only its message.
class EToolsError : public std::runtime_error {
public:
    explicit EToolsError(const QString& message)
        : std::runtime_error(message.toStdString()), Message(message) {}
    QString Message;
};

// What a folder listing reports for one entry.
struct TFindRecord {
    QString Name; // without folder
    bool IsDirectory = false;
    bool IsSymLink = false;
    qint64 Size = 0;
    QDateTime CreationTime;   // UTC; birth time, else status-change time
    QDateTime LastAccessTime; // UTC
    QDateTime LastWriteTime;  // UTC
};

using TFileHandler = std::function<void(const QString& path, const TFindRecord& find)>;
// shortcutPath is empty for a real sub-folder, else the shortcut file that led there.
using TFolderHandler =
    std::function<void(const QString& path, const TFindRecord& find, const QString& shortcutPath)>;

// --- date-time values ---------------------------------------------------
TDateTime DateTimeFromQDateTime(const QDateTime& local);
QDateTime QDateTimeFromDateTime(TDateTime value); // local time; invalid for 0
// Local time of a file time, in the two-second steps of the DOS format; 0
// outside 1980..2107.
TDateTime FileTimeToDate(const QDateTime& fileTimeUtc);
// The packed DOS date-time (date in the high 16 bits) of a local time; 0
// outside 1980..2107.
quint32 DosDateTime(const QDateTime& local);
// The date-time of a packed DOS date-time; 0 when it holds no valid date.
TDateTime DosDateTimeToDate(quint32 dos);
// The earlier of a file's creation and last-write times, each through
// FileTimeToDate; a time that gives 0 does not count (0 when neither does).
TDateTime EarlierFileDate(const QDateTime& creationUtc, const QDateTime& lastWriteUtc);

// The user's short date format, with four-digit years.  Tests may set it.
QString ShortDateFormat();
void SetShortDateFormat(const QString& format); // empty: back to the locale's
// The user's long time format (without a time-zone part).  Tests may set it.
QString LongTimeFormat();
void SetLongTimeFormat(const QString& format); // empty: back to the locale's
// The locale whose formats, month names and day-half markers dates use: the
// system's, or the named one (tests).  Empty: back to the system's.
void SetDateLocale(const QString& name);
// A date format with every year field written with four digits.
QString ForceFourDigitYear(const QString& format);
QString DateToStr(TDateTime value); // date part only; "" for 0
// Short date, a blank and the long time; the time is left out at exactly
// midnight; "" for 0.
QString DateTimeToStr(TDateTime value);
// Parses a date in the short date format (a two-digit year is accepted as
// well); false when it does not parse.
bool TryStrToDate(const QString& text, TDateTime& value);
// A date as above, optionally followed by a time (hours, minutes, optional
// seconds, optional AM/PM marker, optional time-zone name or offset, which is
// ignored), as DateTimeToStr writes it.
bool TryStrToDateTime(const QString& text, TDateTime& value);

// --- application and shell ------------------------------------------------
QString ApplicationFolder(); // with a trailing "/"
// Looks for a data file next to the executable, then in ../share/tralu/.
// Returns the first existing path, else the path next to the executable.
QString ApplicationDataPath(const QString& relative);
QString ShellErrorText(int code);
void ShellOpen(const QString& path); // EToolsError
int RunCommand(const QString& command, const QString& arguments, bool wait, int showMode = 1);
bool ShellDelete(const QString& path, bool showProgress = false, bool confirm = false);
bool ShellRecycle(const QString& path, bool showProgress = false, bool confirm = false);
bool ShellCopy(const QString& from, const QString& to, bool showProgress = false,
               bool confirm = false);
QString TempFolder(); // with a trailing "/"
// Who answers the questions of ShellDelete, ShellRecycle and ShellCopy when
// they are asked to confirm (true: go on).  Without one they go on.  The
// application installs the message box of qv_confirm.h.
void SetShellConfirmation(std::function<bool(const QString& message)> confirm);

// --- folder walks -----------------------------------------------------------
// True when name matches the wildcard ("*", "?"), without regard to case;
// a trailing ".*" also matches names without extension, as "*.*" matches all.
bool MatchesWildcard(const QString& name, const QString& wildcard);
// The order in which this program lists the entries of a folder ("listing
// order"): by name without regard to case, ties by the exact name.  The
// file system's own order (hash order on most Linux file systems) would
// shuffle the toolbar, the Records grid and the choice of a cover.
bool ListingOrderLess(const QString& a, const QString& b);
// pattern: folder + "/" + wildcard ("*", "*.mp3"); the wildcard matches
// without regard to case.  Hidden entries (names starting with ".") are
// skipped.  Entries come in listing order.
void ForEachFile(const QString& pattern, const TFileHandler& handler);
// Real sub-folders first, then shortcuts (symbolic links, ".lnk" files) that
// lead to existing folders, reported with their target and shortcut path.
void ForEachFolder(const QString& pattern, const TFolderHandler& handler);
TDateTime FolderDate(const QString& path);
std::pair<TDateTime, TDateTime> FilesDateRange(const QString& folder);

// --- paths and characters -------------------------------------------------------
QString AddBackslash(const QString& path);    // adds one trailing "/"
QString RemoveBackslash(const QString& path); // removes one trailing "/"; "/" stays "/"
inline int Min(int a, int b) {
    return a < b ? a : b;
}
inline int Max(int a, int b) {
    return a > b ? a : b;
}
char UpCaseAscii(char c);
QChar UpCaseAscii(QChar c);
