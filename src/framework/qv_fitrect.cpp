#include "framework/qv_fitrect.h"
#include <algorithm>

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

QRect PanelPictureRect(const QRect& rect, const QSize& picture, TStretchMode mode,
                       Qt::Alignment horizontal, Qt::Alignment vertical) {
    if (picture.isEmpty())
        return {};
    if (ShouldStretch(mode, picture, rect.size()))
        return FitRect(rect, picture.height(), picture.width(), vertical, horizontal);
    QRect result = rect;
    if (horizontal & Qt::AlignRight)
        result.setLeft(std::max(rect.left(), rect.left() + rect.width() - picture.width()));
    else if (horizontal & Qt::AlignHCenter)
        result.setLeft(rect.left() + std::max(0, (rect.width() - picture.width()) / 2));
    if (vertical & Qt::AlignBottom)
        result.setTop(std::max(rect.top(), rect.top() + rect.height() - picture.height()));
    else if (vertical & Qt::AlignVCenter)
        result.setTop(rect.top() + std::max(0, (rect.height() - picture.height()) / 2));
    result.setWidth(std::min(picture.width(), rect.right() - result.left() + 1));
    result.setHeight(std::min(picture.height(), rect.bottom() - result.top() + 1));
    return result;
}
