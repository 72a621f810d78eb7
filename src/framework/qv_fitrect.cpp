#include "framework/qv_fitrect.h"

QRect FitRect(const QRect& rect, int pictureHeight, int pictureWidth, Qt::Alignment vertical,
              Qt::Alignment horizontal) {
    const int oldWidth = rect.width();
    const int oldHeight = rect.height();
    if (pictureHeight <= 0 || pictureWidth <= 0 || oldWidth <= 0 || oldHeight <= 0)
        return rect;
    qint64 w = oldWidth;
    qint64 h = oldHeight;
    // h / w > pictureHeight / pictureWidth, without dividing.
    if (h * pictureWidth > qint64(pictureHeight) * w)
        h = w * pictureHeight / pictureWidth;
    else
        w = h * pictureWidth / pictureHeight;
    int left = rect.left();
    int top = rect.top();
    if (horizontal & Qt::AlignRight)
        left = rect.left() + oldWidth - int(w);
    else if (horizontal & Qt::AlignHCenter)
        left += (oldWidth - int(w)) / 2;
    if (vertical & Qt::AlignBottom)
        top = rect.top() + oldHeight - int(h);
    else if (vertical & Qt::AlignVCenter)
        top += (oldHeight - int(h)) / 2;
    return QRect(left, top, int(w), int(h));
}

bool ShouldStretch(TStretchMode mode, const QSize& picture, const QSize& rect) {
    switch (mode) {
    case smNone:
        return false;
    case smReduce:
        return picture.height() > rect.height() || picture.width() > rect.width();
    case smInflate:
        return picture.height() < rect.height() && picture.width() < rect.width();
    case smBoth:
        return true;
    }
    return false;
}
