#pragma once
// The song list of the Music tab: a one-column model over the file names of
// the current folder's songs and the delegate that draws each name without
// its extension.  The tag editor's song list can share both.

#include <QAbstractTableModel>
#include <QStringList>
#include <QStyledItemDelegate>

#include <functional>

class TSongListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TSongListModel(QObject* parent = nullptr);

    // A copy of the songs (file names without folder); the grid keeps one
    // row when there are none.
    void SetSongs(const QStringList& songs);
    const QStringList& Songs() const { return m_songs; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display: the name without extension; Qt::UserRole: the file name.
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QStringList m_songs;
};

// Draws the song names into the cell shrunk by 2 pixels left and right and
// 1 pixel at the top and bottom, tabs expanded; the view draws background
// and selection.  Nothing is drawn while paused() says so.
class TSongNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit TSongNameDelegate(std::function<bool()> paused, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<bool()> m_paused;
};
