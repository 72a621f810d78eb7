#include "platform/lnk_file.h"

#include <QFile>

// Debian's liblnk header asks for libbfio's header only to declare the
// functions that read through a libbfio handle, which are not used here.
#include <liblnk/features.h>
#undef LIBLNK_HAVE_BFIO
#include <liblnk.h>

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

} // namespace

bool ReadLnkFile(const QString& path, TLnkFileData& data) {
    data = TLnkFileData();
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
    // fixed places of the header, which liblnk has just validated.
    QFile raw(path);
    if (raw.open(QIODevice::ReadOnly)) {
        const QByteArray header = raw.read(0x4C);
        if (header.size() == 0x4C) {
            const auto byte = [&](int i) { return quint32(quint8(header[i])); };
            data.ShowWindowValue =
                byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
            data.HotKeyValue = quint16(byte(0x40) | byte(0x41) << 8);
        }
    }
    size_t idSize = 0;
    if (liblnk_file_get_link_target_identifier_data_size(f, &idSize, &error) == 1 && idSize > 0) {
        QByteArray ids(qsizetype(idSize), '\0');
        if (liblnk_file_copy_link_target_identifier_data(f, reinterpret_cast<uint8_t*>(ids.data()),
                                                         idSize, &error) == 1)
            data.ItemIdList = ids;
    }
    return true;
}
