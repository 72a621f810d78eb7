// The settings hive parser on arbitrary bytes: it must never crash, and
// whatever it accepts must render to text that parses back to the same tree
// (and renders to the same text again), with no name twice in one key.

#include "platform/reg_hive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Every name of a key is found again by the lookups the accessor uses: no
// two values (or sub-keys) of one key differ only in case.
bool NamesAreUnique(const TqvRegKey& key) {
    for (const TqvRegValue& v : key.Values)
        if (key.FindValue(v.Name) != &v)
            return false;
    for (const TqvRegKey& sub : key.SubKeys)
        if (key.FindSubKey(sub.Name) != &sub || !NamesAreUnique(sub))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const TqvHiveParseResult first = ParseHive(bytes);
    if (!first.Ok)
        return 0;
    if (!NamesAreUnique(first.Root)) {
        std::fprintf(stderr, "a key holds two names that differ only in case\n");
        std::abort();
    }
    const QByteArray text = RenderHive(first.Root);
    const TqvHiveParseResult second = ParseHive(text);
    if (!second.Ok) {
        std::fprintf(stderr, "rendered hive does not parse: %s\n%s\n",
                     second.Error.toUtf8().constData(), text.constData());
        std::abort();
    }
    if (!(second.Root == first.Root)) {
        std::fprintf(stderr, "tree changed by render and parse:\n%s\n", text.constData());
        std::abort();
    }
    if (RenderHive(second.Root) != text) {
        std::fprintf(stderr, "rendering is not stable:\n%s\n", text.constData());
        std::abort();
    }
    return 0;
}
