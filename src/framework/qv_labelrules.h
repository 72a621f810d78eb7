#pragma once
// The drawing rules of the framework's label, without widgets: where the
// shadow and the text go for each alignment, how a rotated caption is
// measured and where its one line starts, and which rotation and weight
// values the label accepts.

#include <QPoint>
#include <QRect>
#include <Qt>

// The offsets of the shadow and of the text from the text rectangle, for
// the horizontal alignment (left: shadow (x, y), text (0, 0); right: shadow
// (0, y), text (-x, 0); centred: shadow (x / 2, y), text (-(x / 2), 0), the
// halves truncated towards zero).
struct TShadowPlacement {
    QPoint shadow;
    QPoint text;
};
TShadowPlacement ShadowPlacement(Qt::Alignment horizontal, int shadowX, int shadowY);

// A rotation in degrees is accepted from -180 to 180 and kept in tenths;
// false leaves the stored value alone.
bool AcceptRotation(int degrees, int& tenths);
// A weight is accepted from 0 to 10 and kept times 100 (0: the font's own).
bool AcceptWeight(int weight, int& hundreds);

// The size a caption measured at (width, height) takes when rotated:
// |trunc(cos(rotation) * size)| for both sides.
QSize RotatedTextSize(int rotationTenths, int measuredWidth, int measuredHeight);

// Where the one line of a rotated caption starts in its rectangle, for a
// font whose text height is textHeight; d = |trunc(sin(rotation) * h) / 2|:
// 0..90 degrees (Left - d, Bottom - h + d); above 90 up to 180 (Right - d,
// Bottom - d); -90 up to below 0 (Left, Top); -180 up to below -90 (Right, Top).
QPoint RotatedTextOrigin(const QRect& rect, int rotationTenths, int textHeight);
