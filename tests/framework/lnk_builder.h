#pragma once
// Builds Windows shell link (".lnk") files byte by byte, as the Windows
// shell writes them: header, location information with a local base path,
// then the string data (UTF-16) and the terminal block.

#include <QByteArray>
#include <QString>

#include <cstdint>

struct TLnkContent {
    QByteArray LocalBasePath; // ANSI, e.g. "D:\\Music\\T"; empty: no location information
    QString RelativePath;     // e.g. "..\\T"; empty: none
    QString Arguments;
    QString Description;
    uint32_t ShowCommand = 1;
    uint16_t HotKey = 0;
    int32_t IconIndex = 0;
};

namespace lnk_detail {
inline void Put16(QByteArray& b, uint16_t v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
inline void Put32(QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}
inline void PutString(QByteArray& b, const QString& s) {
    Put16(b, uint16_t(s.size()));
    for (const QChar c : s)
        Put16(b, c.unicode());
}
} // namespace lnk_detail

inline QByteArray BuildLnk(const TLnkContent& c) {
    using namespace lnk_detail;
    uint32_t flags = 0x80; // IsUnicode
    if (!c.LocalBasePath.isEmpty())
        flags |= 0x02; // HasLinkInfo
    if (!c.Description.isEmpty())
        flags |= 0x04; // HasName
    if (!c.RelativePath.isEmpty())
        flags |= 0x08; // HasRelativePath
    if (!c.Arguments.isEmpty())
        flags |= 0x20; // HasArguments

    QByteArray b;
    Put32(b, 0x4C);
    const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                     0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    b.append(reinterpret_cast<const char*>(clsid), 16);
    Put32(b, flags);
    Put32(b, 0x10); // FILE_ATTRIBUTE_DIRECTORY
    for (int i = 0; i < 6; ++i)
        Put32(b, 0); // creation, access and write times
    Put32(b, 0);     // file size
    Put32(b, uint32_t(c.IconIndex));
    Put32(b, c.ShowCommand);
    Put16(b, c.HotKey);
    Put16(b, 0);
    Put32(b, 0);
    Put32(b, 0);

    if (!c.LocalBasePath.isEmpty()) {
        QByteArray volume;
        Put32(volume, 0x11); // size of the volume id with its label
        Put32(volume, 3);    // fixed drive
        Put32(volume, 0x12345678);
        Put32(volume, 0x10); // label offset
        volume.append('\0');
        const uint32_t headerSize = 0x1C;
        const uint32_t localOffset = headerSize + uint32_t(volume.size());
        const uint32_t suffixOffset = localOffset + uint32_t(c.LocalBasePath.size()) + 1;
        const uint32_t total = suffixOffset + 1;
        Put32(b, total);
        Put32(b, headerSize);
        Put32(b, 1); // VolumeIDAndLocalBasePath
        Put32(b, headerSize);
        Put32(b, localOffset);
        Put32(b, 0);
        Put32(b, suffixOffset);
        b.append(volume);
        b.append(c.LocalBasePath);
        b.append('\0');
        b.append('\0'); // empty common path suffix
    }
    if (!c.Description.isEmpty())
        PutString(b, c.Description);
    if (!c.RelativePath.isEmpty())
        PutString(b, c.RelativePath);
    if (!c.Arguments.isEmpty())
        PutString(b, c.Arguments);
    Put32(b, 0); // terminal block
    return b;
}
