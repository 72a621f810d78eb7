#pragma once
// The record database: one line per record folder of the collection, kept in
// ".Tralu_DB.data" in the music root, parsed into TRecordStruct on demand.

#include "framework/qv_tools.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// Name of the database file in the music root (found without regard to case).
inline constexpr char DatabaseFileName[] = ".Tralu_DB.data";

// A database line that cannot be parsed; the message names the line.
class EDatabaseError : public EToolsError {
public:
    using EToolsError::EToolsError;
};

// One record, parsed from one line.
struct TRecordStruct {
    QString Path;          // record folder, without trailing "/"
    QString Artist;        // name of the record folder's parent folder
    QString RecordName;    // record name derived from the folder name
    qint32 Year = 0;       // 0 when none or not a number
    TDateTime RipDate = 0; // 1.0 when the stored text does not parse
    QString RipText;       // RipDate as "yyyy/mm/dd"; empty when it cannot be written
    QString Tags;          // tag string
    qint32 Score = 0;      // set by ComputeScores
};

// --- the line format ----------------------------------------------------------

// Six double-quoted fields separated by ", " (quotes inside doubled):
// artist, record name, tags, year, rip date (short date format), path.
QString FormatDatabaseLine(const QString& artist, const QString& recordName, const QString& tags,
                           qint32 year, TDateTime rip, const QString& path);
// Splits a line by the comma-text rules: blanks (code 32 or less) before a
// field and around commas are skipped; a field that begins with a double
// quote runs to the next quote that is not doubled; another field runs to the
// next comma or blank.
QStringList SplitCommaText(const QString& line);
// Splits a database file's text into lines: CR, LF and CR LF end a line,
// except inside a quoted field (a folder name may hold a line break).
QStringList SplitDatabaseText(const QString& text);
// Parses one line; EDatabaseError for a line with fewer than six fields.
// lineIndex (from 0) is used in the message.
TRecordStruct ParseDatabaseLine(const QString& line, int lineIndex);
// "yyyy/mm/dd" of a date-time; empty when the date is out of range.
QString YmdText(TDateTime value);

// --- the database ----------------------------------------------------------------

class TRecordStructList;

// Called once per folder of a walk, before the folder is listed, with the
// folder's absolute path ending in "/".  Setting `stop` ends the walk at once.
using TDatabaseProgress =
    std::function<void(TRecordStructList& sender, const QString& dir, bool& stop)>;

enum class TBuildResult {
    Built,      // walked and written
    NotWritten, // walked; writing the file failed (the lines are kept)
    Stopped,    // stopped by OnProgress: lines and file left as they were
    NoFolder,   // the root is not an existing folder: nothing changed
    Busy,       // called again while a walk runs (from OnProgress): nothing done
};

class TRecordStructList {
public:
    TRecordStructList() = default;
    TRecordStructList(const TRecordStructList&) = delete;
    TRecordStructList& operator=(const TRecordStructList&) = delete;

    TDatabaseProgress OnProgress;

    void Clear();
    int Count() const { return static_cast<int>(Lines.size()); }
    QString Line(int index) const; // empty when out of range
    // The parsed record of line `index`, nullptr when out of range.  A line is
    // parsed on its first request; later requests return the same entry until
    // the lines are replaced.  EDatabaseError for a malformed line.
    TRecordStruct* GetRecord(int index);

    // Walks `root` depth first (listing order; hidden and dot folders skipped;
    // symbolic links never followed) and makes one line per record folder, a
    // folder without sub-folders; then writes the database file.  An error
    // while reading a record's information ends the walk and reaches the
    // caller; the lines found until then stay and the file is not written.
    TBuildResult BuildFromFolder(const QString& root);
    // Replaces the lines by those of root's database file.  EToolsError when
    // the file is missing or unreadable; the database is then unchanged.
    void LoadFromFolder(const QString& root);
    // Writes the lines to root's database file, replacing it atomically.
    // EToolsError on failure.
    void SaveToFolder(const QString& root) const;
    // Score of every record against the reference tag string (TagSimilarity).
    // EDatabaseError at the first malformed line.
    void ComputeScores(const QString& tags);

    bool IsBuilding() const { return Building; }
    // The folders the last BuildFromFolder left out because their names are
    // not valid UTF-8 (as EscapedName gives them, with their parent's path).
    const QStringList& SkippedFolders() const { return Skipped; }
    // root's database file: the existing one found without regard to case,
    // else root + "/.Tralu_DB.data".
    static QString DatabaseFilePath(const QString& root);

private:
    struct TLine {
        QString Text;
        std::unique_ptr<TRecordStruct> Parsed;
    };
    int Visit(const QByteArray& dir, QString* infoFile, std::vector<TLine>& out);

    std::vector<TLine> Lines;
    QStringList Skipped;
    bool Building = false;
};
