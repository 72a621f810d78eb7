#include "app/cx_report_model.h"

#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>

TSortState ClickedSortState(TSortState current, int clickedColumn) {
    if (clickedColumn == current.Column)
        return {clickedColumn,
                current.Order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder};
    return {clickedColumn, Qt::AscendingOrder};
}

int ClampColumnWidth(int stored) {
    return std::clamp(stored, 30, 999);
}

TReportListModel::TReportListModel(int columns, std::function<QString(int)> headerText,
                                   QObject* parent)
    : QAbstractTableModel(parent), Columns(columns), HeaderText(std::move(headerText)),
      Collator(QLocale()) {
    Collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void TReportListModel::SetRows(std::vector<TReportRow> rows) {
    beginResetModel();
    Rows = std::move(rows);
    Shown.assign(Rows.size(), 1);
    SortRows();
    RebuildView();
    endResetModel();
}

void TReportListModel::Filter(const std::function<bool(const TReportRow&)>& passes) {
    Relayout([&] {
        for (size_t i = 0; i < Rows.size(); ++i)
            Shown[i] = passes(Rows[i]) ? 1 : 0;
        RebuildView();
    });
}

void TReportListModel::ShowAll() {
    Filter([](const TReportRow&) { return true; });
}

const TReportRow& TReportListModel::Row(int viewRow) const {
    return Rows[static_cast<size_t>(View[static_cast<size_t>(viewRow)])];
}

QString TReportListModel::Cell(int viewRow, int column) const {
    if (viewRow < 0 || viewRow >= static_cast<int>(View.size()))
        return QString();
    return Row(viewRow).Cells.value(column);
}

void TReportListModel::RetranslateHeaders() {
    if (Columns > 0)
        emit headerDataChanged(Qt::Horizontal, 0, Columns - 1);
}

int TReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(View.size());
}

int TReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Columns;
}

QVariant TReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(View.size()))
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return Row(index.row()).Cells.value(index.column());
    if (role == Qt::TextAlignmentRole && index.column() == NumericColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant TReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && HeaderText && section >= 0 &&
        section < Columns)
        return HeaderText(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void TReportListModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= Columns)
        return;
    Relayout([&] {
        Sort = {column, order};
        SortRows();
        RebuildView();
    });
}

void TReportListModel::SortRows() {
    Sorted.resize(Rows.size());
    std::iota(Sorted.begin(), Sorted.end(), 0);
    const bool descending = Sort.Order == Qt::DescendingOrder;
    // Ties keep the given order in both directions.
    if (Sort.Column == NumericColumn) {
        std::stable_sort(Sorted.begin(), Sorted.end(), [&](int a, int b) {
            const qint32 x = Rows[static_cast<size_t>(a)].Number;
            const qint32 y = Rows[static_cast<size_t>(b)].Number;
            return descending ? x > y : x < y;
        });
        return;
    }
    // One collation key per row, so that the sort compares bytes.  The C
    // locale's collation compares code points and ignores the case setting,
    // so case is folded first there.
    const bool foldCase = Collator.locale().language() == QLocale::C;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(Rows.size());
    for (const TReportRow& row : Rows) {
        const QString cell = row.Cells.value(Sort.Column);
        keys.push_back(Collator.sortKey(foldCase ? cell.toCaseFolded() : cell));
    }
    std::stable_sort(Sorted.begin(), Sorted.end(), [&](int a, int b) {
        const int c = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
        return descending ? c > 0 : c < 0;
    });
}

void TReportListModel::RebuildView() {
    View.clear();
    View.reserve(Sorted.size());
    for (int i : Sorted)
        if (Shown[static_cast<size_t>(i)])
            View.push_back(i);
}

void TReportListModel::Relayout(const std::function<void()>& change) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> sources;
    sources.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        sources.push_back(index.row() < static_cast<int>(View.size()) ? SourceRow(index.row())
                                                                      : -1);
    change();
    if (!before.isEmpty()) {
        std::vector<int> newRow(Rows.size(), -1);
        for (size_t r = 0; r < View.size(); ++r)
            newRow[static_cast<size_t>(View[r])] = static_cast<int>(r);
        QModelIndexList after;
        after.reserve(before.size());
        for (qsizetype i = 0; i < before.size(); ++i) {
            const int source = sources[static_cast<size_t>(i)];
            const int row = source >= 0 ? newRow[static_cast<size_t>(source)] : -1;
            after << (row >= 0 ? index(row, before[i].column()) : QModelIndex());
        }
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
