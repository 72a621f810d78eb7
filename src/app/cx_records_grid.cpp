#include "app/cx_records_grid.h"

#include "app/cx_records_layout.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

TRecordsGrid::TRecordsGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Thumb tracking: dragging the scroll bar repaints as it goes.
    verticalScrollBar()->setTracking(true);
    horizontalScrollBar()->setTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Base);
}

void TRecordsGrid::SetEntries(const QStringList* entries) {
    m_entries = entries;
    viewport()->update();
}

void TRecordsGrid::SetGridSize(int columnCount, int rowCount) {
    m_columnCount = qMax(1, columnCount);
    m_rowCount = qMax(1, rowCount);
    if (m_column >= m_columnCount)
        m_column = m_columnCount - 1;
    if (m_row >= m_rowCount)
        m_row = m_rowCount - 1;
    UpdateScrollBars();
    viewport()->update();
}

int TRecordsGrid::ClientWidth() const {
    return viewport()->width();
}

void TRecordsGrid::SetCurrentCell(int column, int row) {
    column = qBound(0, column, m_columnCount - 1);
    row = qBound(0, row, m_rowCount - 1);
    if (column == m_column && row == m_row)
        return;
    viewport()->update(CellRect(m_column, m_row));
    m_column = column;
    m_row = row;
    viewport()->update(CellRect(m_column, m_row));
}

QRect TRecordsGrid::CellRect(int column, int row) const {
    return QRect(column * RecordCellSize - horizontalScrollBar()->value(),
                 row * RecordCellSize - verticalScrollBar()->value(), RecordCellSize,
                 RecordCellSize);
}

bool TRecordsGrid::CellAt(const QPoint& point, int& column, int& row) const {
    const int x = point.x() + horizontalScrollBar()->value();
    const int y = point.y() + verticalScrollBar()->value();
    if (x < 0 || y < 0)
        return false;
    column = x / RecordCellSize;
    row = y / RecordCellSize;
    return column < m_columnCount && row < m_rowCount;
}

void TRecordsGrid::SetEmptyPicture(const QPixmap& picture) {
    m_empty = picture;
    viewport()->update();
}

void TRecordsGrid::UpdateScrollBars() {
    const QSize area = viewport()->size();
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, qMax(0, m_rowCount * RecordCellSize - area.height()));
    v->setPageStep(area.height());
    v->setSingleStep(RecordCellSize / 4);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, qMax(0, m_columnCount * RecordCellSize - area.width()));
    h->setPageStep(area.width());
    h->setSingleStep(RecordCellSize / 4);
}

void TRecordsGrid::EnsureVisible(int column, int row) {
    const QRect cell = CellRect(column, row);
    const QRect area = viewport()->rect();
    QScrollBar* v = verticalScrollBar();
    if (cell.top() < 0)
        v->setValue(v->value() + cell.top());
    else if (cell.bottom() > area.bottom())
        v->setValue(v->value() + cell.bottom() - area.bottom());
    QScrollBar* h = horizontalScrollBar();
    if (cell.left() < 0)
        h->setValue(h->value() + cell.left());
    else if (cell.right() > area.right())
        h->setValue(h->value() + cell.right() - area.right());
}

void TRecordsGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    emit Resized();
}

void TRecordsGrid::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        m_names.clear();
    QAbstractScrollArea::changeEvent(event);
}

void TRecordsGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QColor background = palette().color(QPalette::Base);
    painter.fillRect(event->rect(), background);
    if (m_paused && m_paused())
        return;
    // Only the cells that meet the area to repaint.
    const QRect dirty = event->rect();
    const int x0 = horizontalScrollBar()->value();
    const int y0 = verticalScrollBar()->value();
    const int firstColumn = qMax(0, (dirty.left() + x0) / RecordCellSize);
    const int lastColumn = qMin(m_columnCount - 1, (dirty.right() + x0) / RecordCellSize);
    const int firstRow = qMax(0, (dirty.top() + y0) / RecordCellSize);
    const int lastRow = qMin(m_rowCount - 1, (dirty.bottom() + y0) / RecordCellSize);
    if (m_prefetch && m_entries) {
        QStringList covers;
        for (int row = firstRow; row <= lastRow; ++row)
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const int index = RecordCellIndex(column, row, m_columnCount);
                if (index < m_entries->size())
                    covers << RecordEntryCover(m_entries->at(index));
            }
        m_prefetch(covers, QSize(RecordPictureSize, RecordPictureSize));
    }
    for (int row = firstRow; row <= lastRow; ++row)
        for (int column = firstColumn; column <= lastColumn; ++column)
            DrawCell(painter, column, row, CellRect(column, row));
}

void TRecordsGrid::DrawCell(QPainter& painter, int column, int row, const QRect& cell) {
    const int index = RecordCellIndex(column, row, m_columnCount);
    const QPalette& pal = palette();
    // The background is filled by paintEvent for the whole area at once.
    if (!m_entries || index >= m_entries->size())
        return;
    const QString& entry = m_entries->at(index);
    const bool selected = column == m_column && row == m_row;
    if (selected) {
        // The focused cell: a rounded highlight behind picture and name.
        QColor highlight = pal.color(QPalette::Highlight);
        highlight.setAlpha(hasFocus() ? 90 : 50);
        QPainterPath path;
        path.addRoundedRect(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, highlight);
        painter.restore();
    }

    const QRect text = RecordTextRect(cell);
    painter.save();
    painter.setClipRect(text);
    painter.setPen(pal.color(QPalette::Text));
    painter.setFont(font());
    const QString name = RecordEntryName(entry);
    auto laidOut = m_names.find(name);
    if (laidOut == m_names.end()) {
        if (m_names.size() >= 20000)
            m_names.clear();
        QStaticText staticText(name);
        staticText.setTextFormat(Qt::PlainText);
        staticText.setTextWidth(text.width());
        QTextOption option(Qt::AlignHCenter);
        option.setWrapMode(QTextOption::WordWrap);
        staticText.setTextOption(option);
        staticText.prepare(painter.transform(), font());
        laidOut = m_names.insert(name, staticText);
    }
    painter.drawStaticText(text.topLeft(), *laidOut);
    painter.restore();

    const QRect picture = RecordPictureRect(cell);
    const QImage cover = m_cover ? m_cover(RecordEntryCover(entry), picture.size()) : QImage();
    if (!cover.isNull()) {
        if (cover.size() == picture.size())
            painter.drawImage(picture.topLeft(), cover);
        else
            painter.drawImage(picture, cover);
        // A thin frame sets the sleeve off the background (four filled
        // lines: a translucent pen would take the painter's slow path).
        const QColor frame(0, 0, 0, 60);
        const int x = picture.x(), y = picture.y(), w = picture.width(), h = picture.height();
        painter.fillRect(x, y, w, 1, frame);
        painter.fillRect(x, y + h - 1, w, 1, frame);
        painter.fillRect(x, y + 1, 1, h - 2, frame);
        painter.fillRect(x + w - 1, y + 1, 1, h - 2, frame);
    } else {
        if (!selected)
            painter.fillRect(picture, pal.color(QPalette::Base));
        if (!m_empty.isNull())
            painter.drawPixmap(CenteredRect(picture, m_empty.size()), m_empty);
    }
}

void TRecordsGrid::mousePressEvent(QMouseEvent* event) {
    int column = 0, row = 0;
    if (CellAt(event->position().toPoint(), column, row))
        SetCurrentCell(column, row);
    QAbstractScrollArea::mousePressEvent(event);
}

void TRecordsGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    int column = 0, row = 0;
    if (event->button() == Qt::LeftButton && CellAt(event->position().toPoint(), column, row)) {
        SetCurrentCell(column, row);
        emit CellDoubleClicked();
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void TRecordsGrid::keyPressEvent(QKeyEvent* event) {
    int column = m_column, row = m_row;
    const int pageRows = qMax(1, viewport()->height() / RecordCellSize);
    switch (event->key()) {
    case Qt::Key_Left:
        --column;
        break;
    case Qt::Key_Right:
        ++column;
        break;
    case Qt::Key_Up:
        --row;
        break;
    case Qt::Key_Down:
        ++row;
        break;
    case Qt::Key_PageUp:
        row -= pageRows;
        break;
    case Qt::Key_PageDown:
        row += pageRows;
        break;
    case Qt::Key_Home:
        column = 0;
        row = 0;
        break;
    case Qt::Key_End:
        column = m_columnCount - 1;
        row = m_rowCount - 1;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    SetCurrentCell(column, row);
    EnsureVisible(m_column, m_row);
}

void TRecordsGrid::contextMenuEvent(QContextMenuEvent* event) {
    int column = 0, row = 0;
    if (event->reason() == QContextMenuEvent::Mouse && CellAt(event->pos(), column, row))
        SetCurrentCell(column, row);
    emit PopupRequested(event->globalPos());
}
