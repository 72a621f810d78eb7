#pragma once
// The ID3v2 tag at the start of an MP3 file, as the tag editor uses it:
// title, artist, album, track, year, genre and comment.  Tags of versions
// 2.2, 2.3 and 2.4 are read.  Writing changes only what the fields change:
// every frame of a field that still reads as the old tag does is written
// back exactly as it was, and so is every frame the editor does not manage
// (covers, lyrics, ...).  A 2.4 tag stays 2.4, a 2.3 tag 2.3; a 2.2 tag
// becomes 2.3 with its frames under their 2.3 names; a new tag is 2.3.
// Texts are held as UTF-8.  No operation raises; each reports success.

#include <cstdint>
#include <string>
#include <string_view>

namespace tags::id3v2 {
struct Header;
}

// The track number of a TRCK text: the integer before the first "/", its
// low 8 bits; 0 when there is none ("7/12" -> 7, "300" -> 44).
std::uint8_t ParseTrackNumber(std::string_view text);
// The genre of a TCON text: leading references in parentheses ("(17)",
// "(RX)") are dropped ("(17)Rock" -> "Rock"); references alone give the
// name the first one stands for ("(17)(18)" -> "Rock"), and so does a bare
// number ("17" -> "Rock").
std::string ParseGenreText(std::string_view text);
// The TRCK text for `track` in place of `oldText`: its total and its
// leading zeros kept ("3/12" -> "4/12", "03" -> "04").
std::string RenderTrackText(std::uint8_t track, std::string_view oldText);
// The TDRC text for `year` in place of `oldText`: a four-digit year
// replaces the year of a fuller time and keeps the rest ("2001-05-06" ->
// "2002-05-06"); anything else stands alone.
std::string RenderRecordingTime(std::string_view year, std::string_view oldText);

class TID3v2 {
public:
    // Of a larger tag only this much is read, and a file with a larger tag
    // is not rewritten (its frames could not all be kept).
    static constexpr std::int64_t kMaxTagSize = std::int64_t(256) << 20;

    TID3v2() { Reset(); }

    // No tag, version 0, size 0, empty texts, track 0.
    void Reset();

    bool HasTag() const { return hasTag_; }
    std::uint8_t Version() const { return version_; } // the header's major version
    // The whole tag size with the header, as declared; 0 when the declared
    // size reaches past the end of the file.
    std::int32_t TagSize() const { return tagSize_; }
    const std::string& Title() const { return title_; }
    const std::string& Artist() const { return artist_; }
    const std::string& Album() const { return album_; }
    std::uint8_t Track() const { return track_; } // 0 = none
    const std::string& Year() const { return year_; }
    const std::string& Genre() const { return genre_; }
    const std::string& Comment() const { return comment_; }

    // The text setters cut the text at a zero character (a frame cannot
    // hold one) and cut trailing characters with a code of 32 or below;
    // invalid UTF-8 is replaced.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetGenre(std::string_view text);
    void SetComment(std::string_view text);
    void SetTrack(std::uint8_t track) { track_ = track; }

    // Resets, then reads the file's tag.  True when the first 10 bytes could
    // be read, tag or not (HasTag tells); false for a missing, unreadable or
    // shorter file.
    bool ReadTag(const std::string& fileName);
    // The same over the bytes of a whole file (or its start) held in memory.
    bool ReadFromBuffer(std::string_view fileBytes);
    // Replaces the file's tag (or puts one in front of a file without) by
    // the old tag with the fields as the object holds them (RenderTag).
    // Then HasTag, Version and TagSize describe the tag written.
    bool WriteTag(const std::string& fileName);
    // Rewrites the file without its tag; false when it has none.
    bool RemoveTag(const std::string& fileName);

    // The new tag made from `oldTag` (a whole old tag, header included, or
    // empty): its frames in their order, a field that differs from what the
    // old tag reads re-rendered in its own frame (its encoding kept when it
    // can hold the text, the other values of a list kept), frames of fields
    // the old tag lacked in front (ISO-8859-1 when the text fits, else
    // UTF-16).  No padding.  False when the result would be too large.
    bool RenderTag(std::string_view oldTag, std::string& out) const;

    // Rewrites the file as `newTag` (nothing when null) followed by its
    // audio data: everything after its old tag, or the whole file when it
    // has none.  Without a new tag the file must have a tag.  The file is
    // replaced in one step (a temporary copy beside it, renamed over it);
    // behind a symbolic link the target is rewritten.
    static bool ReplaceTagInFile(const std::string& fileName, const std::string* newTag);

private:
    void ReadFields(const tags::id3v2::Header& header, std::string_view body);

    bool hasTag_ = false;
    std::uint8_t version_ = 0;
    std::int32_t tagSize_ = 0;
    std::string title_;
    std::string artist_;
    std::string album_;
    std::uint8_t track_ = 0;
    std::string year_;
    std::string genre_;
    std::string comment_;
};
