// Cover pictures from anywhere: a corrupt, truncated or huge picture never
// crashes the loader and never gives a picture and an error together; a
// picture that loads is no larger than the loader's pixel limit allows and,
// for JPEG, covers the size it was asked for unless the picture is smaller.
#include "platform/picture_loader.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    // The first two bytes choose the size the picture is shown at (0 = its own).
    const QSize target = data[0] == 0 ? QSize() : QSize(data[0], data[1] == 0 ? 1 : data[1]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    QString error;
    const QImage image = DecodePicture(bytes, target, &error);
    if (image.isNull() == error.isEmpty())
        std::abort(); // a failure without its message, or a message with a picture
    if (!image.isNull() && qint64(image.width()) * image.height() > (qint64(1) << 28))
        std::abort();
    return 0;
}
