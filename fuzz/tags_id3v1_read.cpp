// ID3v1 blocks: reading never fails on any bytes, the fields hold valid
// UTF-8 that fits the block, and a block made from them reads the same.

#include "tags/id3v1.h"
#include "tags/tag_text.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckField(const std::string& text, std::size_t limit) {
    Check(tags::IsValidUtf8(text));
    const std::u32string chars = tags::DecodeUtf8(text);
    Check(chars.size() <= limit);
    for (char32_t c : chars)
        Check(c <= 0xFF);
}

bool SameFields(const TID3v1& a, const TID3v1& b) {
    return a.Title() == b.Title() && a.Artist() == b.Artist() && a.Album() == b.Album() &&
           a.Year() == b.Year() && a.Comment() == b.Comment() && a.Track() == b.Track() &&
           a.GenreIndex() == b.GenreIndex();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TID3v1 tag;
    const bool ok = tag.ReadFromBuffer(bytes);
    Check(ok == (size >= TID3v1::kBlockSize));
    if (!tag.HasTag())
        return 0;
    for (const std::string* f : {&tag.Title(), &tag.Artist(), &tag.Album(), &tag.Comment()})
        CheckField(*f, 30);
    CheckField(tag.Year(), 4);

    TID3v1 back;
    back.ParseBlock(tag.RenderBlock());
    Check(back.HasTag() && SameFields(tag, back));

    // Any text given to the setters is held as the block can keep it.
    TID3v1 set;
    set.SetTitle(bytes.substr(0, 64));
    set.SetComment(bytes.substr(size / 2));
    set.SetYear(bytes.substr(size / 3, 8));
    set.SetTrack(data[0]);
    CheckField(set.Title(), 30);
    CheckField(set.Comment(), 30);
    CheckField(set.Year(), 4);
    back.ParseBlock(set.RenderBlock());
    Check(back.Title() == set.Title() && back.Year() == set.Year());
    return 0;
}
