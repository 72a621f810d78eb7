#include "app/cx_textgrid.h"

TTextGridModel::TTextGridModel(int columns, CellText cell, HeaderText header, QObject* parent)
    : QAbstractTableModel(parent), m_columns(columns), m_cell(std::move(cell)),
      m_header(std::move(header)) {}

void TTextGridModel::SetRowCount(int rows) {
    rows = rows < 0 ? 0 : rows;
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    Repaint();
}

void TTextGridModel::Repaint() {
    if (m_rows > 0 && m_columns > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, m_columns - 1), {Qt::DisplayRole});
    if (m_columns > 0)
        emit headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
}

int TTextGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TTextGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant TTextGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || !m_cell)
        return QVariant();
    return m_cell(index.row(), index.column());
}

QVariant TTextGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !m_header)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_header(section);
}

Qt::ItemFlags TTextGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
