#pragma once
// Placing a picture in a rectangle: the stretch decision of the picture
// controls and the aspect-keeping fit they stretch into.  No widgets.

#include <QRect>
#include <QSize>
#include <Qt>

// When a picture control scales its picture.
enum TStretchMode { smNone, smReduce, smInflate, smBoth };

// The largest rectangle of the picture's aspect ratio inside rect, placed by
// the alignments (Qt::AlignLeft/AlignRight/AlignHCenter and
// Qt::AlignTop/AlignBottom/AlignVCenter).  Sizes are truncated; rect itself
// for an empty picture or rectangle.
QRect FitRect(const QRect& rect, int pictureHeight, int pictureWidth,
              Qt::Alignment vertical = Qt::AlignVCenter,
              Qt::Alignment horizontal = Qt::AlignHCenter);

// Whether a picture of the given size is drawn scaled into a rectangle of
// the given size: smNone never, smReduce when the picture is taller or wider,
// smInflate when it is both shorter and narrower, smBoth always.
bool ShouldStretch(TStretchMode mode, const QSize& picture, const QSize& rect);

// Where a picture panel draws its picture inside its contents rectangle:
// fitted (FitRect with the two alignments) when the stretch mode says so,
// else at its own size placed by the alignments (never moved left of or
// above the rectangle) and cut to the rectangle.
QRect PanelPictureRect(const QRect& rect, const QSize& picture, TStretchMode mode,
                       Qt::Alignment horizontal, Qt::Alignment vertical);
