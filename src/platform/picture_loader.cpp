#include "platform/picture_loader.h"

#include <QImageReader>

QImage LoadPicture(const QString& path, const QSize& target, QString* error) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage image = reader.read();
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("Cannot read the picture %1: %2").arg(path, reader.errorString());
        return {};
    }
    return target.isValid() ? image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            : image;
}
