// The caption-list reader over any bytes: no crash, every key found again
// with the value of its first line, and the lines written from what was read
// read back the same.
#include "framework/qv_captionlist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TCaptionList list;
    list.Load(bytes);
    // A comment line first, so that a key beginning with a byte-order mark
    // stays at the start of a line that is not the file's first.
    QStringList lines{QStringLiteral("#")};
    for (const QString& key : list.Keys()) {
        if (!list.Contains(key) || !list.Contains(key.toCaseFolded()))
            std::abort();
        lines << CaptionLine(key, list.Value(key));
    }
    TCaptionList again;
    again.Load(CaptionListBytes(lines));
    if (again.Keys().size() > list.Keys().size() + 1)
        std::abort();
    for (const QString& key : list.Keys())
        if (again.Value(key) != list.Value(key))
            std::abort();
    return 0;
}
