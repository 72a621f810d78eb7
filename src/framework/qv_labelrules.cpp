#include "framework/qv_labelrules.h"

#include <QSize>

#include <cmath>
#include <cstdlib>

namespace {
double Radians(int tenths) {
    return tenths / 10.0 * M_PI / 180.0;
}
} // namespace

TShadowPlacement ShadowPlacement(Qt::Alignment horizontal, int shadowX, int shadowY) {
    if (horizontal & Qt::AlignRight)
        return {{0, shadowY}, {-shadowX, 0}};
    if (horizontal & Qt::AlignHCenter)
        return {{shadowX / 2, shadowY}, {-(shadowX / 2), 0}};
    return {{shadowX, shadowY}, {0, 0}};
}

bool AcceptRotation(int degrees, int& tenths) {
    if (degrees < -180 || degrees > 180)
        return false;
    tenths = degrees * 10;
    return true;
}

bool AcceptWeight(int weight, int& hundreds) {
    if (weight < 0 || weight > 10)
        return false;
    hundreds = weight * 100;
    return true;
}

QSize RotatedTextSize(int rotationTenths, int measuredWidth, int measuredHeight) {
    const double c = std::cos(Radians(rotationTenths));
    return {std::abs(int(std::trunc(c * measuredWidth))),
            std::abs(int(std::trunc(c * measuredHeight)))};
}

QPoint RotatedTextOrigin(const QRect& rect, int rotationTenths, int textHeight) {
    const int h = textHeight;
    const int d = std::abs(int(std::trunc(std::sin(Radians(rotationTenths)) * h)) / 2);
    const int left = rect.left(), top = rect.top();
    const int right = rect.left() + rect.width(), bottom = rect.top() + rect.height();
    if (rotationTenths >= 0 && rotationTenths <= 900)
        return {left - d, bottom - h + d};
    if (rotationTenths > 900)
        return {right - d, bottom - d};
    if (rotationTenths >= -900)
        return {left, top};
    return {right, top};
}
