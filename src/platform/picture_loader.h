#pragma once
// Loading cover pictures (JPEG, BMP, GIF) at the size they are shown.
//
// The file is read into memory with one read and its format is taken from
// its content, not from its name.  JPEG pictures are decoded by libjpeg at
// the smallest DCT scale (1/8 to 8/8) that still covers the size they are
// shown at, which makes a thumbnail of a large cover many times cheaper than
// a full decode.  Other formats go through QImage.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The numerator n (1..8) of the smallest scale n/8 at which libjpeg decodes
// a picture of imageSize to at least target in both directions.  8 (full
// size) when target is empty or invalid, or when even 8/8 does not cover it.
int JpegScaleNumerator(const QSize& imageSize, const QSize& target);

// Decodes a picture held in memory.  JPEG data is reduced at decoding time
// to the smallest DCT scale that covers atLeast (no reduction when atLeast
// is invalid); other pictures come at their own size.  A null image and a
// message in *error when the data is not a readable picture, including a
// JPEG stream that ends before its last scan line.
QImage DecodePicture(const QByteArray& data, const QSize& atLeast, QString* error = nullptr);

// Reads the file at path with one read and decodes it with DecodePicture.
// The message names the file.
QImage ReadPicture(const QString& path, const QSize& atLeast, QString* error = nullptr);

// Loads the picture at path scaled (stretched) to target; a null image and
// a message in *error when it cannot be read as a picture.  An invalid
// target gives the picture at its own size.
QImage LoadPicture(const QString& path, const QSize& target, QString* error = nullptr);
