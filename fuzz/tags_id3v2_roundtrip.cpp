// Writing over a fuzzed existing tag, then reading the result: the fields
// read back are the fields written, the tag keeps its version (2.4 stays,
// others become 2.3), every frame of a field left alone comes back byte
// for byte, and the audio data after the tag is unchanged.

#include "tags/id3v2.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint8_t change = input.ConsumeIntegral<std::uint8_t>();
    const std::uint8_t track = input.ConsumeIntegral<std::uint8_t>();
    std::string texts[6];
    for (std::string& t : texts)
        t = input.ConsumeRandomLengthString(64);
    const std::string file = input.ConsumeRemainingBytesAsString();

    TID3v2 tag;
    if (!tag.ReadFromBuffer(file))
        return 0;
    // Change some fields, keep the others as read.
    if (change & 1)
        tag.SetTitle(texts[0]);
    if (change & 2)
        tag.SetArtist(texts[1]);
    if (change & 4)
        tag.SetAlbum(texts[2]);
    if (change & 8)
        tag.SetYear(texts[3]);
    if (change & 16)
        tag.SetGenre(texts[4]);
    if (change & 32)
        tag.SetComment(texts[5]);
    if (change & 64)
        tag.SetTrack(track);

    std::string newTag;
    Check(tag.RenderTag(tag.TagSize() > 0 ? std::string_view(file).substr(0, tag.TagSize())
                                          : std::string_view(),
                        newTag));
    const std::string audio =
        tag.HasTag() ? file.substr(static_cast<std::size_t>(tag.TagSize())) : file;
    const std::string written = newTag + audio;

    TID3v2 back;
    Check(back.ReadFromBuffer(written));
    const int version = tag.HasTag() && tag.Version() == 4 ? 4 : 3;
    Check(back.HasTag() && back.Version() == version);
    Check(back.TagSize() == static_cast<std::int32_t>(newTag.size()));
    Check(back.Title() == tag.Title());
    Check(back.Artist() == tag.Artist());
    Check(back.Album() == tag.Album());
    // A 2.4 recording time gives its first four characters as the year.
    std::u32string year = tags::DecodeUtf8(tag.Year());
    year.resize(std::min<std::size_t>(year.size(), 4));
    Check(back.Year() == tag.Year() || (version == 4 && back.Year() == tags::EncodeUtf8(year)));
    Check(back.Track() == tag.Track());
    Check(back.Genre() == ParseGenreText(tag.Genre()));
    Check(back.Comment() == tag.Comment());
    Check(written.compare(newTag.size(), std::string::npos, audio) == 0);

    // With nothing changed, every frame the old tag keeps comes back as it
    // was: the rewrite is the old tag's frames, nothing added.
    if (change == 0 && tag.HasTag() && tag.TagSize() > 0) {
        tags::id3v2::Header header;
        tags::id3v2::ParseHeader(file, header);
        const auto body = std::string_view(file).substr(
            10,
            static_cast<std::size_t>(std::min<std::int64_t>(tag.TagSize(), TID3v2::kMaxTagSize)) -
                10);
        std::string frames;
        for (const auto& frame : tags::id3v2::LoadTagFrames(header, body).frames)
            frames += frame.raw;
        Check(newTag.compare(10, std::string::npos, frames) == 0);
    }
    return 0;
}
