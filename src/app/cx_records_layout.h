#pragma once
// The arithmetic of the Records grid: cells of 128 x 128 pixels, each with
// an 80 x 80 picture square at the top and the record's name below, and the
// fields of its entries ("cover|name").  No widgets.

#include <QRect>
#include <QSize>
#include <QString>

inline constexpr int RecordCellSize = 128;   // column width and row height
inline constexpr int RecordPictureSize = 80; // side of the picture square

// The entry index of a cell; not less than the number of entries: empty cell.
int RecordCellIndex(int column, int row, int columnCount);

struct TRecordsGridSize {
    int ColumnCount = 1;
    int RowCount = 1;
};
// max(1, clientWidth div cellWidth) columns and as many rows as the entries
// need (one row when there are none).
TRecordsGridSize RecordsGridSize(int clientWidth, int entryCount, int cellWidth = RecordCellSize);

// The picture square P of a cell rectangle: 80 x 80, centred at the top of a
// 128 x 128 cell.
QRect RecordPictureRect(const QRect& cell, int rowHeight = RecordCellSize);
// The text area T below it: 2 pixels in from the sides, from 1 pixel below
// the picture to 1 pixel above the cell's bottom.
QRect RecordTextRect(const QRect& cell);
// A picture of the given size at its own size, centred in area (may stick
// out of an area smaller than itself).
QRect CenteredRect(const QRect& area, const QSize& size);

// Fields of a cover entry "cover|name".
// The cover path: the text before the first "|" when that "|" is not the
// first character, else the whole entry.
QString RecordEntryCover(const QString& entry);
// The record's folder: the cover path up to its last "/" (without it).
QString RecordEntryFolder(const QString& entry);
// The name shown: the text after the first "|" (when it is not the first
// character), else the last part of the record's folder.
QString RecordEntryName(const QString& entry);
