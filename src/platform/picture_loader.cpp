#include "platform/picture_loader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Files larger than this are not taken for covers.
constexpr qint64 kMaxPictureFileBytes = qint64(256) << 20;
// Memory libjpeg may use for one picture (progressive pictures keep all
// their coefficients); beyond it the decoder stops with an error instead of
// exhausting the machine on a hostile header.
constexpr long kMaxJpegMemory = 512L << 20;
// Pixels of a decoded picture at most (400 MB as 32-bit pixels).
constexpr qint64 kMaxPixels = qint64(100) << 20;

QString PictureError(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot read the picture %1: %2").arg(path, reason);
}

// --- libjpeg with an error manager that never exits ----------------------------

struct TJpegErrorManager {
    jpeg_error_mgr Base; // first member: libjpeg sees only this part
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    int EndOfDataWarnings;
};

void JpegErrorExit(j_common_ptr info) {
    auto* error = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

void JpegEmitMessage(j_common_ptr info, int level) {
    auto* error = reinterpret_cast<TJpegErrorManager*>(info->err);
    if (level < 0) {
        ++info->err->num_warnings;
        // The memory source reports the end of the data this way and then
        // feeds an end-of-image marker: the rest of the picture is missing.
        if (info->err->msg_code == JWRN_JPEG_EOF)
            ++error->EndOfDataWarnings;
    }
}

void JpegOutputMessage(j_common_ptr) {}

// Everything one decode needs, outside the frame that calls setjmp, so that
// a jump back from libjpeg leaves no C++ object half-built in that frame.
struct TJpegDecode {
    jpeg_decompress_struct Info;
    TJpegErrorManager Error;
    QImage Image;
    QByteArray CmykRow;

    TJpegDecode() {
        std::memset(&Info, 0, sizeof Info);
        std::memset(&Error, 0, sizeof Error);
    }
    ~TJpegDecode() { jpeg_destroy_decompress(&Info); }
    TJpegDecode(const TJpegDecode&) = delete;
    TJpegDecode& operator=(const TJpegDecode&) = delete;
};

void CmykToRgb(const uchar* in, QRgb* out, int width, bool adobeInverted) {
    for (int x = 0; x < width; ++x, in += 4) {
        if (adobeInverted) {
            const int k = in[3];
            out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
        } else {
            const int k = 255 - in[3];
            out[x] =
                qRgb(k * (255 - in[0]) / 255, k * (255 - in[1]) / 255, k * (255 - in[2]) / 255);
        }
    }
}

// Runs libjpeg over the data.  Locals here are plain values only: libjpeg
// leaves through longjmp on an error, which lands in this frame.
bool RunJpegDecode(TJpegDecode& d, const unsigned char* data, unsigned long size,
                   const QSize& atLeast) {
    d.Info.err = jpeg_std_error(&d.Error.Base);
    d.Error.Base.error_exit = JpegErrorExit;
    d.Error.Base.emit_message = JpegEmitMessage;
    d.Error.Base.output_message = JpegOutputMessage;
    if (setjmp(d.Error.Jump))
        return false;
    jpeg_create_decompress(&d.Info);
    d.Info.mem->max_memory_to_use = kMaxJpegMemory;
    jpeg_mem_src(&d.Info, data, size);
    jpeg_read_header(&d.Info, TRUE);

    d.Info.scale_num = static_cast<unsigned>(
        JpegScaleNumerator(QSize(int(std::min<JDIMENSION>(d.Info.image_width, 1u << 30)),
                                 int(std::min<JDIMENSION>(d.Info.image_height, 1u << 30))),
                           atLeast));
    d.Info.scale_denom = 8;
    if (d.Info.scale_num < 8) {
        // A thumbnail: the fast integer transform and plain upsampling are
        // indistinguishable at these sizes and cost less.
        d.Info.dct_method = JDCT_IFAST;
        d.Info.do_fancy_upsampling = FALSE;
    }
    bool cmyk = false;
    QImage::Format format = QImage::Format_RGB32;
    switch (d.Info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.Info.out_color_space = JCS_GRAYSCALE;
        format = QImage::Format_Grayscale8;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        d.Info.out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        // 0xAARRGGBB words as QImage keeps them; libjpeg writes 0xFF padding.
        d.Info.out_color_space =
            QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
        break;
    }
    jpeg_start_decompress(&d.Info);

    const int width = int(d.Info.output_width);
    const int height = int(d.Info.output_height);
    if (qint64(width) * height > kMaxPixels) {
        std::snprintf(d.Error.Message, sizeof d.Error.Message, "picture too large (%d x %d)", width,
                      height);
        return false;
    }
    d.Image = QImage(width, height, format);
    if (d.Image.isNull()) {
        std::snprintf(d.Error.Message, sizeof d.Error.Message, "picture too large (%d x %d)", width,
                      height);
        return false;
    }
    if (cmyk)
        d.CmykRow.resize(qsizetype(width) * 4);
    while (d.Info.output_scanline < d.Info.output_height) {
        const int line = int(d.Info.output_scanline);
        JSAMPROW row = cmyk ? reinterpret_cast<JSAMPROW>(d.CmykRow.data()) : d.Image.scanLine(line);
        if (jpeg_read_scanlines(&d.Info, &row, 1) != 1 || d.Error.EndOfDataWarnings > 0)
            break;
        if (cmyk)
            CmykToRgb(reinterpret_cast<const uchar*>(d.CmykRow.constData()),
                      reinterpret_cast<QRgb*>(d.Image.scanLine(line)), width,
                      d.Info.saw_Adobe_marker);
    }
    if (d.Error.EndOfDataWarnings > 0 || d.Info.output_scanline < d.Info.output_height) {
        std::snprintf(d.Error.Message, sizeof d.Error.Message, "%s",
                      "the JPEG data ends before the end of the picture");
        return false;
    }
    return true;
}

QImage DecodeJpeg(const QByteArray& data, const QSize& atLeast, QString* error) {
    TJpegDecode decode;
    if (!RunJpegDecode(decode, reinterpret_cast<const unsigned char*>(data.constData()),
                       static_cast<unsigned long>(data.size()), atLeast)) {
        if (error)
            *error = QString::fromLocal8Bit(decode.Error.Message);
        return {};
    }
    return std::move(decode.Image);
}

bool IsJpeg(const QByteArray& data) {
    return data.size() >= 3 && uchar(data[0]) == 0xFF && uchar(data[1]) == 0xD8 &&
           uchar(data[2]) == 0xFF;
}

// A file descriptor closed on every way out.
class TFileDescriptor {
public:
    explicit TFileDescriptor(int fd) : m_fd(fd) {}
    ~TFileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    TFileDescriptor(const TFileDescriptor&) = delete;
    TFileDescriptor& operator=(const TFileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// The whole file, read with one read (more only if the system returns less).
bool ReadWholeFile(const QString& path, QByteArray& out, QString& reason) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a named pipe in place of a picture cannot hang us.
    TFileDescriptor fd(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.Get() < 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = QStringLiteral("not a regular file");
        return false;
    }
    if (st.st_size > kMaxPictureFileBytes) {
        reason = QStringLiteral("the file is too large for a picture");
        return false;
    }
    out.resize(qsizetype(st.st_size));
    qsizetype done = 0;
    while (done < out.size()) {
        const ssize_t got = ::read(fd.Get(), out.data() + done, size_t(out.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (got == 0)
            break; // the file shrank meanwhile
        done += got;
    }
    out.truncate(done);
    return true;
}

} // namespace

int JpegScaleNumerator(const QSize& imageSize, const QSize& target) {
    if (!target.isValid() || target.isEmpty() || imageSize.isEmpty())
        return 8;
    for (int n = 1; n < 8; ++n) {
        // libjpeg's output size at n/8: the size times n/8, rounded up.
        const qint64 w = (qint64(imageSize.width()) * n + 7) / 8;
        const qint64 h = (qint64(imageSize.height()) * n + 7) / 8;
        if (w >= target.width() && h >= target.height())
            return n;
    }
    return 8;
}

QImage DecodePicture(const QByteArray& data, const QSize& atLeast, QString* error) {
    QString reason;
    QImage image;
    if (data.isEmpty()) {
        reason = QStringLiteral("the file is empty");
    } else if (IsJpeg(data)) {
        image = DecodeJpeg(data, atLeast, &reason);
    } else {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        image = reader.read();
        if (image.isNull())
            reason = reader.errorString();
    }
    if (image.isNull() && error)
        *error = reason;
    return image;
}

QImage ReadPicture(const QString& path, const QSize& atLeast, QString* error) {
    QByteArray data;
    QString reason;
    QImage image;
    if (ReadWholeFile(path, data, reason))
        image = DecodePicture(data, atLeast, &reason);
    if (image.isNull() && error)
        *error = PictureError(path, reason);
    return image;
}

QImage LoadPicture(const QString& path, const QSize& target, QString* error) {
    QImage image = ReadPicture(path, target, error);
    if (image.isNull() || !target.isValid() || target.isEmpty() || image.size() == target)
        return image;
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
