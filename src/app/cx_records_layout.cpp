#include "app/cx_records_layout.h"

#include <algorithm>

int RecordCellIndex(int column, int row, int columnCount) {
    return column + row * columnCount;
}

TRecordsGridSize RecordsGridSize(int clientWidth, int entryCount, int cellWidth) {
    TRecordsGridSize size;
    size.ColumnCount = std::max(1, cellWidth > 0 ? clientWidth / cellWidth : 1);
    size.RowCount = entryCount <= 0 ? 1 : (entryCount + size.ColumnCount - 1) / size.ColumnCount;
    return size;
}

QRect RecordPictureRect(const QRect& cell, int rowHeight) {
    // Edges as the cell's (exclusive right and bottom): the margin comes off
    // each side and the text's room off the bottom.
    const int margin = (rowHeight - RecordPictureSize) / 2;
    const int left = cell.left() + margin;
    const int top = cell.top();
    const int right = cell.left() + cell.width() - margin;
    const int bottom = cell.top() + cell.height() - (rowHeight - RecordPictureSize);
    return QRect(left, top, right - left, bottom - top);
}

QRect RecordTextRect(const QRect& cell) {
    const int left = cell.left() + 2;
    const int top = cell.top() + RecordPictureSize + 1;
    const int right = cell.left() + cell.width() - 2;
    const int bottom = cell.top() + cell.height() - 1;
    return QRect(left, top, right - left, bottom - top);
}

QRect CenteredRect(const QRect& area, const QSize& size) {
    return QRect(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

namespace {
// Position of the first "|" when it is a field separator, else -1.
qsizetype SeparatorAt(const QString& entry) {
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    return bar >= 1 ? bar : -1;
}
} // namespace

QString RecordEntryCover(const QString& entry) {
    const qsizetype bar = SeparatorAt(entry);
    return bar < 0 ? entry : entry.left(bar);
}

QString RecordEntryFolder(const QString& entry) {
    const QString cover = RecordEntryCover(entry);
    const qsizetype slash = cover.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : cover.left(slash);
}

QString RecordEntryName(const QString& entry) {
    const qsizetype bar = SeparatorAt(entry);
    if (bar >= 0)
        return entry.mid(bar + 1);
    const QString folder = RecordEntryFolder(entry);
    return folder.mid(folder.lastIndexOf(QLatin1Char('/')) + 1);
}
