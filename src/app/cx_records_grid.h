#pragma once
// The Records grid: an owner-drawn grid of 128 x 128 cells, one per entry
// "cover|name", the cover stretched into the 80 x 80 square at the top and
// the name wrapped below it.  Only the visible cells are drawn; covers come
// from a provider (the window's cover cache), so scrolling decodes nothing
// twice.

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>
#include <QStringList>

#include <functional>

class TRecordsGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TRecordsGrid(QWidget* parent = nullptr);

    // The entries the cells show, read when drawing (owned by the caller).
    void SetEntries(const QStringList* entries);
    // The grid's shape; repaints.
    void SetGridSize(int columnCount, int rowCount);
    int ColumnCount() const { return m_columnCount; }
    int RowCount() const { return m_rowCount; }
    // Width of the area the cells are laid out in.
    int ClientWidth() const;

    // The focused cell, drawn as selected.
    void SetCurrentCell(int column, int row);
    int CurrentColumn() const { return m_column; }
    int CurrentRow() const { return m_row; }
    // The cell at a point of the viewport; false outside every cell.
    bool CellAt(const QPoint& point, int& column, int& row) const;
    // The rectangle of a cell in viewport coordinates.
    QRect CellRect(int column, int row) const;

    // The picture of an existing cover file at the picture square's size
    // (null: draw the empty-record picture).
    using TCoverProvider = std::function<QImage(const QString& path, const QSize& size)>;
    void SetCoverProvider(TCoverProvider provider) { m_cover = std::move(provider); }
    // Drawn unscaled, centred in the picture square, for records without cover.
    void SetEmptyPicture(const QPixmap& picture);
    // While it returns true the cells are not drawn.
    void SetPaused(std::function<bool()> paused) { m_paused = std::move(paused); }

signals:
    void CellDoubleClicked();
    void PopupRequested(const QPoint& globalPos);
    // The client area changed size (the columns may have to change).
    void Resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void UpdateScrollBars();
    void EnsureVisible(int column, int row);
    void DrawCell(QPainter& painter, int column, int row, const QRect& cell);

    const QStringList* m_entries = nullptr;
    int m_columnCount = 1;
    int m_rowCount = 1;
    int m_column = 0;
    int m_row = 0;
    TCoverProvider m_cover;
    QPixmap m_empty;
    std::function<bool()> m_paused;
};
