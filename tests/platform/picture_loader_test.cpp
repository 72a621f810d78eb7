// Cover pictures: the DCT scale chosen for a display size, decoding at that
// scale, content sniffing, and clean errors for broken files.
#include "platform/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray Encode(const QImage& image, const char* format, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format, quality));
    return bytes;
}

// A picture whose left half is red and right half blue.
QImage TwoColours(int width, int height, QImage::Format format = QImage::Format_RGB32) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < height; ++y)
        for (int x = width / 2; x < width; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    return image.convertToFormat(format);
}

class PictureFiles : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
};

TEST(JpegScale, SmallestScaleThatCoversTheTarget) {
    struct Case {
        QSize image, target;
        int numerator;
    };
    const Case cases[] = {
        {{1200, 1200}, {48, 48}, 1},   // toolbar: 150 x 150 is enough
        {{1200, 1200}, {80, 80}, 1},   // grid
        {{1200, 1200}, {186, 186}, 2}, // panel: 150 is too small, 300 covers
        {{1200, 1200}, {1200, 1200}, 8},
        {{1200, 1200}, {1500, 1500}, 8}, // larger than the picture: full size
        {{500, 500}, {80, 80}, 2},       // 63 is too small, 125 covers
        {{640, 80}, {80, 80}, 8},        // the short side decides
        {{81, 81}, {80, 80}, 8},
        {{9, 9}, {2, 2}, 1}, // 9 * 1/8 rounds up to 2
        {{9, 9}, {3, 3}, 2},
        {{1200, 1200}, {}, 8}, // no target: full size
        {{1200, 1200}, {0, 0}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.image.width() << "x" << c.image.height() << " -> "
                                        << c.target.width() << "x" << c.target.height());
        EXPECT_EQ(JpegScaleNumerator(c.image, c.target), c.numerator);
    }
}

TEST_F(PictureFiles, JpegIsDecodedAtTheReducedScaleAndKeepsItsColours) {
    const QString path = Write("Folder.jpg", Encode(TwoColours(1200, 1200), "JPEG"));
    struct Case {
        QSize atLeast, expected;
    };
    for (const Case& c :
         {Case{{80, 80}, {150, 150}}, Case{{186, 186}, {300, 300}}, Case{{}, {1200, 1200}}}) {
        QString error;
        const QImage image = ReadPicture(path, c.atLeast, &error);
        ASSERT_FALSE(image.isNull()) << error.toStdString();
        EXPECT_EQ(image.size(), c.expected);
        const QRgb left = image.pixel(image.width() / 4, image.height() / 2);
        const QRgb right = image.pixel(image.width() * 3 / 4, image.height() / 2);
        EXPECT_GT(qRed(left), 200);
        EXPECT_LT(qBlue(left), 60);
        EXPECT_GT(qBlue(right), 200);
        EXPECT_LT(qRed(right), 60);
    }
    const QImage stretched = LoadPicture(path, QSize(80, 60));
    EXPECT_EQ(stretched.size(), QSize(80, 60));
}

TEST_F(PictureFiles, GrayscaleJpegDecodes) {
    const QString path =
        Write("grey.jpg", Encode(TwoColours(400, 200, QImage::Format_Grayscale8), "JPEG"));
    const QImage image = ReadPicture(path, QSize(100, 50));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(100, 50));
}

TEST_F(PictureFiles, FormatIsTakenFromTheContentNotTheName) {
    struct Case {
        const char* name;
        const char* format;
    };
    // Qt writes no GIF: the smallest GIF there is, one white pixel.
    static const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                              "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00"
                              "\x01\x00\x00\x02\x02D\x01\x00;";
    for (const Case& c : {Case{"really_png.jpg", "PNG"}, Case{"really_jpeg.bmp", "JPEG"},
                          Case{"Folder.gif", "GIF"}, Case{"Folder.bmp", "BMP"}}) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = QByteArray(c.format) == "GIF"
                                     ? QByteArray(gif, sizeof gif - 1)
                                     : Encode(TwoColours(64, 32), c.format);
        const QString path = Write(c.name, bytes);
        QString error;
        const QImage image = LoadPicture(path, QSize(16, 8), &error);
        ASSERT_FALSE(image.isNull()) << error.toStdString();
        EXPECT_EQ(image.size(), QSize(16, 8));
    }
}

TEST_F(PictureFiles, BrokenFilesGiveAnErrorNamingTheFile) {
    const QByteArray jpeg = Encode(TwoColours(600, 600), "JPEG");
    QByteArray garbled = jpeg;
    for (qsizetype i = 200; i < garbled.size(); i += 7)
        garbled[i] = char(0xFF);
    QByteArray badHeader = jpeg.left(40);
    badHeader.append(QByteArray(64, '\x00'));
    mkfifo(QFile::encodeName(dir.filePath("pipe.jpg")).constData(), 0600);
    QDir(dir.path()).mkdir("folder.jpg");

    struct Case {
        const char* what;
        QString path;
    };
    const Case cases[] = {
        {"missing", dir.filePath("missing.jpg")},
        {"empty", Write("empty.jpg", QByteArray())},
        {"not a picture", Write("text.jpg", "just some text, no picture\n")},
        {"truncated JPEG", Write("half.jpg", jpeg.left(jpeg.size() / 2))},
        {"JPEG cut after its header", Write("head.jpg", jpeg.left(700))},
        {"corrupt JPEG header", Write("header.jpg", badHeader)},
        {"named pipe", dir.filePath("pipe.jpg")},
        {"directory", dir.filePath("folder.jpg")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString error;
        EXPECT_TRUE(LoadPicture(c.path, QSize(80, 80), &error).isNull());
        EXPECT_TRUE(error.contains(c.path)) << error.toStdString();
    }
    // Corrupt entropy data decodes without crashing, as a picture or as an
    // error, never anything else.
    QString error;
    const QImage image = LoadPicture(Write("garbled.jpg", garbled), QSize(80, 80), &error);
    EXPECT_TRUE(image.isNull() ? !error.isEmpty() : image.size() == QSize(80, 80));
}

TEST(DecodePicture, HugeDeclaredSizeIsRefusedWithoutExhaustingMemory) {
    // A valid JPEG whose frame header claims 60000 x 60000 pixels.
    QByteArray jpeg = Encode(TwoColours(16, 16), "JPEG");
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    jpeg[sof + 5] = char(0xEA);
    jpeg[sof + 6] = char(0x60);
    jpeg[sof + 7] = char(0xEA);
    jpeg[sof + 8] = char(0x60);
    QString error;
    const QImage image = DecodePicture(jpeg, QSize(), &error);
    EXPECT_TRUE(image.isNull());
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
