// Writing over a fuzzed existing tag, then reading the result: the fields
// read back are the fields written, and the audio data after the tag is
// unchanged.

#include "tags/id3v2.h"
#include "tags/id3v2_layout.h"

#include <fuzzer/FuzzedDataProvider.h>

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
    Check(back.HasTag() && back.Version() == 3);
    Check(back.TagSize() == static_cast<std::int32_t>(newTag.size()));
    Check(back.Title() == tag.Title());
    Check(back.Artist() == tag.Artist());
    Check(back.Album() == tag.Album());
    Check(back.Year() == tag.Year());
    Check(back.Track() == tag.Track());
    Check(back.Genre() == ParseGenreText(tag.Genre()));
    Check(back.Comment() == tag.Comment());
    Check(written.compare(newTag.size(), std::string::npos, audio) == 0);
    return 0;
}
