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
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A failed check names its line, so that a finding says which promise broke.
void Check(bool condition, int line) {
    if (!condition) {
        std::fprintf(stderr, "round-trip check failed at line %d\n", line);
        std::abort();
    }
}

// Whether a reader takes the year of `tag` from its recording time.
bool YearFromRecordingTime(std::string_view tag) {
    tags::id3v2::Header header;
    if (!tags::id3v2::ParseHeader(tag, header))
        return false;
    bool year = false, recordingTime = false;
    for (const auto& frame : tags::id3v2::LoadTagFrames(header, tag.substr(10)).frames) {
        year = year || frame.id == "TYER";
        recordingTime = recordingTime || frame.id == "TDRC";
    }
    return recordingTime && (header.version == 4 || !year);
}

} // namespace

#define CHECK(condition) Check((condition), __LINE__)

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
    CHECK(tag.RenderTag(tag.TagSize() > 0 ? std::string_view(file).substr(0, tag.TagSize())
                                          : std::string_view(),
                        newTag));
    const std::string audio =
        tag.HasTag() ? file.substr(static_cast<std::size_t>(tag.TagSize())) : file;
    const std::string written = newTag + audio;

    TID3v2 back;
    CHECK(back.ReadFromBuffer(written));
    // A header whose size is unreadable gives no old tag to rewrite: the
    // new tag is a 2.3 one in front of those bytes.
    const int version = tag.HasTag() && tag.TagSize() > 0 && tag.Version() == 4 ? 4 : 3;
    CHECK(back.HasTag() && back.Version() == version);
    CHECK(back.TagSize() == static_cast<std::int32_t>(newTag.size()));
    CHECK(back.Title() == tag.Title());
    CHECK(back.Artist() == tag.Artist());
    CHECK(back.Album() == tag.Album());
    // A year read from a recording time (TDRC: always in 2.4, and in a 2.3
    // tag that has no TYER) is its first four characters, read as any
    // field is (control characters at its end dropped).
    std::u32string year = tags::DecodeUtf8(tag.Year());
    year.resize(std::min<std::size_t>(year.size(), 4));
    CHECK(back.Year() == tag.Year() ||
          (YearFromRecordingTime(newTag) &&
           back.Year() == tags::TrimRightControl(tags::EncodeUtf8(year))));
    CHECK(back.Track() == tag.Track());
    CHECK(back.Genre() == ParseGenreText(tag.Genre()));
    CHECK(back.Comment() == tag.Comment());
    CHECK(written.compare(newTag.size(), std::string::npos, audio) == 0);

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
        CHECK(newTag.compare(10, std::string::npos, frames) == 0);
    }
    return 0;
}
