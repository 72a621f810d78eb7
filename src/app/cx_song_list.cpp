#include "app/cx_song_list.h"

#include "app/cx_record_panel.h"

#include <QApplication>
#include <QPainter>

TSongListModel::TSongListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TSongListModel::SetSongs(const QStringList& songs) {
    beginResetModel();
    m_songs = songs;
    endResetModel();
}

int TSongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : qMax<int>(1, int(m_songs.size()));
}

int TSongListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant TSongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_songs.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return SongDisplayName(m_songs.at(index.row()));
    if (role == Qt::UserRole)
        return m_songs.at(index.row());
    return {};
}

Qt::ItemFlags TSongListModel::flags(const QModelIndex& index) const {
    if (!index.isValid() || index.row() >= m_songs.size())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

TSongNameDelegate::TSongNameDelegate(std::function<bool()> paused, QObject* parent)
    : QStyledItemDelegate(parent), m_paused(std::move(paused)) {}

void TSongNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // Background, selection and focus as the view draws them.
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    if ((m_paused && m_paused()) || text.isEmpty())
        return;
    const QRect rect = option.rect.adjusted(2, 1, -2, -1);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(rect);
    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(
        rect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs | Qt::TextSingleLine, text);
    painter->restore();
}

QSize TSongNameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(18);
    return size;
}
