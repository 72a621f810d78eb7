#pragma once
// The ID3v1 tag: the 128-byte block starting with "TAG" at the end of an
// MP3 file.  Texts are held as UTF-8 and stored as ISO-8859-1 ("?" for the
// characters it lacks).  No operation raises; each reports success.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The genre table of ID3v1: index 0 to 147.  Indexes 148 to 255 name no
// genre; 255 is written for "no genre".
extern const std::array<std::string_view, 148> GenreNames;
inline constexpr std::uint8_t kNoGenre = 255;

// The index of a genre name (without regard to ASCII case), or -1.
int GenreIndexOfName(std::string_view name);

class TID3v1 {
public:
    static constexpr std::size_t kBlockSize = 128;
    using Block = std::array<std::uint8_t, kBlockSize>;

    TID3v1() { Reset(); }

    // No tag, version 1.0, empty texts, track 0, no genre.
    void Reset();

    bool HasTag() const { return hasTag_; }
    std::uint8_t Version() const { return version_; } // 1 = v1.0, 2 = v1.1
    const std::string& Title() const { return title_; }
    const std::string& Artist() const { return artist_; }
    const std::string& Album() const { return album_; }
    const std::string& Year() const { return year_; }
    const std::string& Comment() const { return comment_; }
    std::uint8_t Track() const { return track_; } // 0 = none
    std::uint8_t GenreIndex() const { return genreIndex_; }

    // The text setters cut trailing characters with a code of 32 or below,
    // replace characters outside ISO-8859-1 by "?", and keep the first 30
    // characters (4 for the year): what is held is exactly what a later
    // ReadTag gives back.
    void SetTitle(std::string_view text);
    void SetArtist(std::string_view text);
    void SetAlbum(std::string_view text);
    void SetYear(std::string_view text);
    void SetComment(std::string_view text);
    void SetTrack(std::uint8_t track) { track_ = track; }
    void SetGenreIndex(std::uint8_t index) { genreIndex_ = index; }

    // Resets, then reads the tag of the file.  True when the last 128 bytes
    // could be read, tag or not (HasTag tells); false for a missing,
    // unreadable or shorter file.
    bool ReadTag(const std::string& fileName);
    // The same over the bytes of a whole file held in memory.
    bool ReadFromBuffer(std::string_view fileBytes);
    // Writes the fields as the file's tag: an existing tag is overwritten in
    // place, else the block is appended.  A failure leaves the old tag.
    bool WriteTag(const std::string& fileName);
    // Cuts the tag off the end of the file.  True when the file has no tag
    // afterwards (also when it had none).
    bool RemoveTag(const std::string& fileName);

    // The fields as a tag block; and a block's fields (HasTag false when the
    // block does not start with "TAG").
    Block RenderBlock() const;
    void ParseBlock(const Block& block);

private:
    bool hasTag_ = false;
    std::uint8_t version_ = 1;
    std::string title_;
    std::string artist_;
    std::string album_;
    std::string year_;
    std::string comment_;
    std::uint8_t track_ = 0;
    std::uint8_t genreIndex_ = kNoGenre;
};
