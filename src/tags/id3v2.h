#pragma once
// The ID3v2 tag at the start of an MP3 file, as the tag editor uses it:
// title, artist, album, track, year, genre and comment.  Tags of versions
// 2.2, 2.3 and 2.4 are read; writing produces a 2.3 tag that keeps every
// frame of the old tag the editor does not manage (covers, lyrics, ...).
// Texts are held as UTF-8.  No operation raises; each reports success.

#include <cstdint>
#include <string>
#include <string_view>

// The track number of a TRCK text: the integer before the first "/", its
// low 8 bits; 0 when there is none ("7/12" -> 7, "300" -> 44).
std::uint8_t ParseTrackNumber(std::string_view text);
// The genre of a TCON text: leading references in parentheses ("(17)",
// "(RX)") are dropped ("(17)Rock" -> "Rock"); a reference alone gives the
// name it stands for ("(17)" -> "Rock").
std::string ParseGenreText(std::string_view text);

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
    // Replaces the file's tag (or puts one in front of a file without) by a
    // 2.3 tag made from the fields and the old tag's other frames.
    bool WriteTag(const std::string& fileName);
    // Rewrites the file without its tag; false when it has none.
    bool RemoveTag(const std::string& fileName);

    // The new tag: header, the seven frames (text in ISO-8859-1 when it
    // fits, else UTF-16), then the frames of `oldTag` (a whole old tag,
    // header included, or empty) that the fields do not replace.  False when
    // the result would be too large for a tag.
    bool RenderTag(std::string_view oldTag, std::string& out) const;

    // Rewrites the file as `newTag` (nothing when null) followed by its
    // audio data: everything after its old tag, or the whole file when it
    // has none.  Without a new tag the file must have a tag.  The file is
    // replaced in one step (a temporary copy beside it, renamed over it);
    // behind a symbolic link the target is rewritten.
    static bool ReplaceTagInFile(const std::string& fileName, const std::string* newTag);

private:
    void ReadFields(std::uint8_t version, std::uint8_t flags, std::string_view body);

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
