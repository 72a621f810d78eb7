#pragma once
// The table behind the database lists (Search and Neighbour tabs): rows of
// cell texts kept in one vector, sorted and filtered through an index list,
// so that tens of thousands of rows fill, sort and filter quickly.  No
// widget header: the rules here are tested without a window.

#include <QAbstractTableModel>
#include <QCollator>
#include <QStringList>

#include <functional>
#include <vector>

// One row: its cell texts and, for a numeric column, the number it shows.
struct TReportRow {
    QStringList Cells;
    qint32 Number = 0;
};

// Which column a list is sorted by, and in which direction.
struct TSortState {
    int Column = 0;
    Qt::SortOrder Order = Qt::AscendingOrder;
    bool operator==(const TSortState&) const = default;
};

// A click on a column header: that column becomes the sort column; its
// direction turns to ascending when it was not the sort column before, to
// the other direction when it was.
TSortState ClickedSortState(TSortState current, int clickedColumn);

// Stored widths of the list columns: at least 30, at most 999 pixels.
int ClampColumnWidth(int stored);

class TReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // `headerText(column)` gives a header caption at the moment it is shown.
    TReportListModel(int columns, std::function<QString(int)> headerText,
                     QObject* parent = nullptr);

    // A column compared by the rows' Number instead of its text.  -1: none.
    void SetNumericColumn(int column) { NumericColumn = column; }

    // Replaces every row (kept in the given order as "database order"); all
    // rows are shown and sorted by the current sort state.
    void SetRows(std::vector<TReportRow> rows);
    void Clear() { SetRows({}); }
    // Shows only the rows for which `passes` holds; the others are hidden
    // until the next SetRows, Filter or ShowAll.
    void Filter(const std::function<bool(const TReportRow&)>& passes);
    void ShowAll();

    int TotalRows() const { return static_cast<int>(Rows.size()); }
    // Row `viewRow` as shown (after sorting and filtering).
    const TReportRow& Row(int viewRow) const;
    QString Cell(int viewRow, int column) const;
    // Index of a shown row in the order the rows were given.
    int SourceRow(int viewRow) const { return View[static_cast<size_t>(viewRow)]; }

    TSortState SortState() const { return Sort; }
    // The header captions changed (the interface language did).
    void RetranslateHeaders();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Sorts by cell text without regard to case (the locale's collation),
    // or by Number for the numeric column; equal rows keep their order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void SortRows();
    void RebuildView();
    // Runs `change`, which rebuilds View, as one layout change that keeps
    // the selection on the rows that stay shown.
    void Relayout(const std::function<void()>& change);

    int Columns;
    std::function<QString(int)> HeaderText;
    int NumericColumn = -1;
    TSortState Sort;
    QCollator Collator;
    std::vector<TReportRow> Rows;
    std::vector<int> Sorted; // every row, in sort order
    std::vector<char> Shown; // per row: passes the filter
    std::vector<int> View;   // the shown rows, in sort order
};
