// ID3v2 tags: reading never fails on bytes of 10 or more, the fields hold
// valid UTF-8, and rendering a new tag over any old one succeeds.

#include "tags/id3v2.h"
#include "tags/tag_text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TID3v2 tag;
    Check(tag.ReadFromBuffer(bytes) == (size >= 10));
    Check(tag.TagSize() >= 0 && static_cast<std::size_t>(tag.TagSize()) <= size);
    for (const std::string* f :
         {&tag.Title(), &tag.Artist(), &tag.Album(), &tag.Year(), &tag.Genre(), &tag.Comment()})
        Check(tags::IsValidUtf8(*f));
    std::string rendered;
    Check(tag.RenderTag(bytes, rendered));
    Check(rendered.size() >= 10 && rendered.compare(0, 3, "ID3") == 0);
    // The helpers of the editor take any text.
    ParseTrackNumber(bytes.substr(0, 16));
    Check(tags::IsValidUtf8(ParseGenreText(bytes.substr(0, 64))));
    return 0;
}
