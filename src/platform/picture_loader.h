#pragma once
// Loading cover pictures (JPEG, BMP, GIF) at the size they are shown.

#include <QImage>
#include <QSize>
#include <QString>

// Loads the picture at path scaled (stretched) to target; a null image and
// a message in *error when it cannot be read as a picture.
QImage LoadPicture(const QString& path, const QSize& target, QString* error = nullptr);
