#pragma once
// A grid model whose texts are computed when a cell is painted: the row
// count is set by code, each cell's text comes from a function.  Used by the
// rename preview and the tag editor's song list.

#include <QAbstractTableModel>
#include <QString>

#include <functional>

class TTextGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using CellText = std::function<QString(int row, int column)>;
    using HeaderText = std::function<QString(int column)>;

    // header may be empty (no header texts).
    TTextGridModel(int columns, CellText cell, HeaderText header, QObject* parent = nullptr);

    // A new row count; the cells are repainted in any case.
    void SetRowCount(int rows);
    // Every cell (and the header) is fetched again at the next paint.
    void Repaint();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int m_rows = 0;
    int m_columns;
    CellText m_cell;
    HeaderText m_header;
};
