#pragma once
// The cell texts of the database lists: the search list and the neighbour
// list show a record with these texts, and the command-line tool writes the
// same ones.

#include <QString>
#include <QStringList>

struct TRecordStruct;

// Columns of the search list.
enum TSearchColumn { scName, scRecord, scTags, scYear, scRip, scPath, SearchColumnCount };
// Columns of the neighbour list: the score first, then the search columns.
enum TNeighbourColumn {
    ncDistance,
    ncName,
    ncRecord,
    ncTags,
    ncYear,
    ncRip,
    ncPath,
    NeighbourColumnCount
};

// Artist, record name, tags, year in decimal ("0" when none), rip date as
// "yyyy/mm/dd", path.
QStringList SearchRowTexts(const TRecordStruct& record);
// A score written in decimal, padded on the left with blanks to at least two
// characters (" 3", "12", "-1", "123").
QString ScoreText(qint32 score);
// ScoreText(record.Score) followed by the search row texts.
QStringList NeighbourRowTexts(const TRecordStruct& record);
