#pragma once
// A record folder's information (".Folder.ini", section "infos") and the
// tag-string rules shared by the tag editor, the search filters and the
// neighbour score.

#include "framework/qv_tools.h"

#include <QByteArray>
#include <QString>

// Name of the information file inside a record folder (found without regard
// to case).
inline constexpr char InfoFileName[] = ".Folder.ini";

// The existing information file of a folder (first match without regard to
// case, in listing order); empty when it has none.
QString FindInfoFile(const QString& folder);
// The whole content of an information file; EToolsError naming the file when
// it cannot be opened or read.
QByteArray ReadInfoFile(const QString& path);

// The release year, record name, rip date and tags of one record folder.
// Nothing is read by the constructor; Load reads the information file again
// every time and derives what the file does not hold.
class TRecordInfo {
public:
    explicit TRecordInfo(const QString& folder);

    QString Folder;     // full path, without trailing "/"
    QString Artist;     // name of the folder's parent folder
    QString RecordName; // the folder's name after StripLeadingNumber
    qint32 Release = 0; // release year, 0 when none
    TDateTime Rip = 0;  // rip date
    QString Tags;       // tag string

    // Reads the information file (if any) and derives the other values: the
    // year and record name from the folder name, the rip date from the files'
    // dates, else from the folder's own date.  EToolsError when an existing
    // information file cannot be read.
    void Load();
    // Writes Release, Tags and Rip into section "infos", keeping every other
    // line of the file as it is, and replaces the file atomically.
    // EToolsError when the file cannot be written.
    void Save();

    // The existing information file of the folder (first match without
    // regard to case, in listing order), else Folder + "/.Folder.ini".
    QString InfoFilePath() const;

private:
    friend class TRecordStructList;
    // Load with the information file already looked up (empty: none).
    void LoadFrom(const QString& infoFile);

    // The stored tag bytes as read, so that a Save that leaves Tags alone
    // writes them back unchanged even when they are not valid UTF-8.
    QByteArray StoredTagsRaw;
    QString StoredTags;
};

// --- tag strings -----------------------------------------------------------

// Removes the leading and trailing characters of code 32 or less.
QString TrimBlanks(const QString& s);

// Takes the first tag off a tag string: the text before the first ";" (the
// whole text when there is none or when it begins with ";"), trimmed; the
// rest, trimmed, stays in `list`.
QString SplitFirstTag(QString& list);

// All tags of a tag string in order, as SplitFirstTag yields them.
QStringList SplitTags(const QString& list);

// True when one of the tags of `list` equals `tag` without regard to case;
// false for an empty tag string.
bool ContainsTag(const QString& tag, const QString& list);

// --- record folder names -------------------------------------------------------

// "1999 - First Record" -> "First Record": a leading run of digits followed by
// separators (blank ( ) - [ ] _) is removed when something follows them;
// otherwise the text is returned unchanged.
QString StripLeadingNumber(const QString& s);

struct TFolderNameInfo {
    qint32 Year = 0;    // largest run of digits in 1901..current year, else 0
    QString RecordName; // StripLeadingNumber(name)
};
TFolderNameInfo ParseFolderName(const QString& name);
// The same with an explicit current year (for tests).
TFolderNameInfo ParseFolderName(const QString& name, int currentYear);
