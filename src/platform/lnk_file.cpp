#include "platform/lnk_file.h"

#include <QFile>

// Debian's liblnk header asks for libbfio's header only to declare the
// functions that read through a libbfio handle, which are not used here.
#include <liblnk/features.h>
#undef LIBLNK_HAVE_BFIO
#include <liblnk.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct TLnkError {
    liblnk_error_t* Error = nullptr;
    ~TLnkError() { liblnk_error_free(&Error); }
    // Each call takes a fresh pointer; an earlier error is dropped first.
    liblnk_error_t** operator&() {
        liblnk_error_free(&Error);
        return &Error;
    }
};

struct TLnkFile {
    liblnk_file_t* File = nullptr;
    bool Open = false;
    ~TLnkFile() {
        TLnkError error;
        if (Open)
            liblnk_file_close(File, &error);
        if (File)
            liblnk_file_free(&File, &error);
    }
};

using TSizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);
using TStringGetter = int (*)(liblnk_file_t*, uint8_t*, size_t, liblnk_error_t**);

// A string of the link, or "" when the link does not hold it.
QString ReadString(liblnk_file_t* file, TSizeGetter sizeOf, TStringGetter get) {
    TLnkError error;
    size_t size = 0;
    if (sizeOf(file, &size, &error) != 1 || size == 0)
        return {};
    std::vector<uint8_t> buffer(size + 1, 0);
    if (get(file, buffer.data(), size, &error) != 1)
        return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(buffer.data()));
}

constexpr qint64 kMaxLnkSize = 1 << 20; // real shell links are a few kilobytes

quint32 Get32(const QByteArray& b, qsizetype at) {
    quint32 v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | quint8(b[at + i]);
    return v;
}

quint16 Get16(const QByteArray& b, qsizetype at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace

bool LnkLayoutIsSound(const QByteArray& b) {
    static const unsigned char kClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                             0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    const qsizetype size = b.size();
    if (size < 0x4C || size > kMaxLnkSize || Get32(b, 0) != 0x4C ||
        memcmp(b.constData() + 4, kClsid, 16) != 0)
        return false;
    const quint32 flags = Get32(b, 0x14);
    qsizetype at = 0x4C;
    if (flags & 0x01) { // item-ID list
        if (at + 2 > size)
            return false;
        at += 2 + Get16(b, at);
        if (at > size)
            return false;
    }
    if (flags & 0x02) { // location information
        if (at + 4 > size)
            return false;
        const quint32 infoSize = Get32(b, at);
        if (infoSize < 4 || infoSize > quint32(size - at))
            return false;
        at += infoSize;
    }
    const qsizetype charSize = (flags & 0x80) ? 2 : 1;
    for (const quint32 stringFlag : {0x04u, 0x08u, 0x10u, 0x20u, 0x40u}) {
        if (!(flags & stringFlag))
            continue;
        if (at + 2 > size)
            return false;
        at += 2 + Get16(b, at) * charSize;
        if (at > size)
            return false;
    }
    while (at + 4 <= size) { // extra blocks, up to the terminal block
        const quint32 blockSize = Get32(b, at);
        if (blockSize < 4)
            return true;
        if (blockSize > quint32(size - at))
            return false;
        at += blockSize;
    }
    return true;
}

bool ReadLnkFile(const QString& path, TLnkFileData& data) {
    data = TLnkFileData();
    QFile raw(path);
    if (!raw.open(QIODevice::ReadOnly) || raw.size() > kMaxLnkSize)
        return false;
    const QByteArray bytes = raw.read(kMaxLnkSize + 1);
    raw.close();
    if (!LnkLayoutIsSound(bytes))
        return false;
    TLnkFile lnk;
    TLnkError error;
    if (liblnk_file_initialize(&lnk.File, &error) != 1)
        return false;
    const QByteArray name = QFile::encodeName(path);
    if (liblnk_file_open(lnk.File, name.constData(), LIBLNK_OPEN_READ, &error) != 1)
        return false;
    lnk.Open = true;
    liblnk_file_t* f = lnk.File;

    data.LocalPath =
        ReadString(f, liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path);
    data.NetworkPath =
        ReadString(f, liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path);
    data.RelativePath =
        ReadString(f, liblnk_file_get_utf8_relative_path_size, liblnk_file_get_utf8_relative_path);
    data.Arguments = ReadString(f, liblnk_file_get_utf8_command_line_arguments_size,
                                liblnk_file_get_utf8_command_line_arguments);
    data.Description =
        ReadString(f, liblnk_file_get_utf8_description_size, liblnk_file_get_utf8_description);
    data.WorkingDirectory = ReadString(f, liblnk_file_get_utf8_working_directory_size,
                                       liblnk_file_get_utf8_working_directory);
    data.IconLocation =
        ReadString(f, liblnk_file_get_utf8_icon_location_size, liblnk_file_get_utf8_icon_location);
    uint32_t iconIndex = 0;
    if (liblnk_file_get_icon_index(f, &iconIndex, &error) == 1)
        data.IconIndex = qint32(iconIndex);
    // This liblnk leaves the show command and the hot key at 0; both sit at
    // fixed places of the header checked above.
    data.ShowWindowValue = Get32(bytes, 0x3C);
    data.HotKeyValue = Get16(bytes, 0x40);
    size_t idSize = 0;
    if (liblnk_file_get_link_target_identifier_data_size(f, &idSize, &error) == 1 && idSize > 0) {
        QByteArray ids(qsizetype(idSize), '\0');
        if (liblnk_file_copy_link_target_identifier_data(f, reinterpret_cast<uint8_t*>(ids.data()),
                                                         idSize, &error) == 1)
            data.ItemIdList = ids;
    }
    return true;
}
