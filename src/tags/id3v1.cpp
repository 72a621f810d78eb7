#include "tags/id3v1.h"

#include "tags/tag_io.h"
#include "tags/tag_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

const std::array<std::string_view, 148> GenreNames = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk-Rock",
    "National Folk",
    "Swing",
    "Fast Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progessive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhythmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "A capella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "BritPop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Christian Gangsta Rap",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Christian",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Trash Metal",
    "Anime",
    "JPop",
    "Synthpop",
};

int GenreIndexOfName(std::string_view name) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < GenreNames.size(); ++i) {
        const std::string_view g = GenreNames[i];
        if (g.size() == name.size() &&
            std::equal(g.begin(), g.end(), name.begin(),
                       [&](char a, char b) { return lower(a) == lower(b); }))
            return static_cast<int>(i);
    }
    return -1;
}

namespace {

constexpr std::size_t kTitleOffset = 3;
constexpr std::size_t kArtistOffset = 33;
constexpr std::size_t kAlbumOffset = 63;
constexpr std::size_t kYearOffset = 93;
constexpr std::size_t kCommentOffset = 97;
constexpr std::size_t kTextSize = 30;
constexpr std::size_t kYearSize = 4;

// What a field can hold: ISO-8859-1 characters only, no trailing blanks or
// control characters, at most `limit` characters.
std::string FieldText(std::string_view utf8, std::size_t limit) {
    std::u32string chars = tags::DecodeUtf8(utf8);
    const auto trimRight = [&] {
        while (!chars.empty() && chars.back() <= 32)
            chars.pop_back();
    };
    trimRight();
    for (char32_t& c : chars)
        if (c > 0xFF)
            c = U'?';
    if (chars.size() > limit)
        chars.resize(limit);
    trimRight();
    return tags::EncodeUtf8(chars);
}

std::string SlotText(const TID3v1::Block& block, std::size_t offset, std::size_t size) {
    const std::string_view raw(reinterpret_cast<const char*>(block.data()) + offset, size);
    return tags::Latin1ToUtf8(tags::TrimRightControl(raw));
}

void PutSlot(TID3v1::Block& block, std::size_t offset, std::size_t size, std::string_view utf8) {
    const std::string bytes = tags::Utf8ToLatin1(utf8);
    std::memcpy(block.data() + offset, bytes.data(), std::min(size, bytes.size()));
}

bool StartsWithTag(const TID3v1::Block& block) {
    return block[0] == 'T' && block[1] == 'A' && block[2] == 'G';
}

// Reads the last 128 bytes of an open file.
bool ReadLastBlock(int fd, std::int64_t fileSize, TID3v1::Block& block) {
    if (fileSize < static_cast<std::int64_t>(TID3v1::kBlockSize))
        return false;
    std::string bytes;
    if (!tags::ReadAt(fd, fileSize - TID3v1::kBlockSize, TID3v1::kBlockSize, bytes))
        return false;
    std::memcpy(block.data(), bytes.data(), TID3v1::kBlockSize);
    return true;
}

} // namespace

void TID3v1::Reset() {
    hasTag_ = false;
    version_ = 1;
    title_.clear();
    artist_.clear();
    album_.clear();
    year_.clear();
    comment_.clear();
    track_ = 0;
    genreIndex_ = kNoGenre;
}

void TID3v1::SetTitle(std::string_view text) {
    title_ = FieldText(text, kTextSize);
}
void TID3v1::SetArtist(std::string_view text) {
    artist_ = FieldText(text, kTextSize);
}
void TID3v1::SetAlbum(std::string_view text) {
    album_ = FieldText(text, kTextSize);
}
void TID3v1::SetYear(std::string_view text) {
    year_ = FieldText(text, kYearSize);
}
void TID3v1::SetComment(std::string_view text) {
    comment_ = FieldText(text, kTextSize);
}

void TID3v1::ParseBlock(const Block& block) {
    Reset();
    if (!StartsWithTag(block))
        return;
    hasTag_ = true;
    const bool v11 = (block[125] == 0 && block[126] != 0) || (block[125] == 32 && block[126] != 32);
    version_ = v11 ? 2 : 1;
    title_ = SlotText(block, kTitleOffset, kTextSize);
    artist_ = SlotText(block, kArtistOffset, kTextSize);
    album_ = SlotText(block, kAlbumOffset, kTextSize);
    year_ = SlotText(block, kYearOffset, kYearSize);
    comment_ = SlotText(block, kCommentOffset, v11 ? kTextSize - 2 : kTextSize);
    track_ = v11 ? block[126] : 0;
    genreIndex_ = block[127];
}

TID3v1::Block TID3v1::RenderBlock() const {
    Block block{};
    block[0] = 'T';
    block[1] = 'A';
    block[2] = 'G';
    PutSlot(block, kTitleOffset, kTextSize, title_);
    PutSlot(block, kArtistOffset, kTextSize, artist_);
    PutSlot(block, kAlbumOffset, kTextSize, album_);
    PutSlot(block, kYearOffset, kYearSize, year_);
    PutSlot(block, kCommentOffset, kTextSize, comment_);
    if (track_ > 0) {
        block[125] = 0;
        block[126] = track_;
    }
    block[127] = genreIndex_;
    return block;
}

bool TID3v1::ReadTag(const std::string& fileName) {
    Reset();
    tags::UniqueFd fd;
    struct stat st {};
    Block block{};
    if (!tags::OpenRegular(fileName, O_RDONLY, fd, st) ||
        !ReadLastBlock(fd.Get(), st.st_size, block))
        return false;
    ParseBlock(block);
    return true;
}

bool TID3v1::ReadFromBuffer(std::string_view fileBytes) {
    Reset();
    if (fileBytes.size() < kBlockSize)
        return false;
    Block block{};
    std::memcpy(block.data(), fileBytes.data() + fileBytes.size() - kBlockSize, kBlockSize);
    ParseBlock(block);
    return true;
}

bool TID3v1::WriteTag(const std::string& fileName) {
    const Block block = RenderBlock();
    tags::UniqueFd fd;
    struct stat st {};
    Block old{};
    // A file too short for a tag is left alone, its permissions included.
    if (!tags::OpenRegular(fileName, O_RDONLY, fd, st) || !ReadLastBlock(fd.Get(), st.st_size, old))
        return false;
    fd.Reset();
    tags::MakeOwnerWritable(fileName);
    if (!tags::OpenRegular(fileName, O_RDWR, fd, st) || !ReadLastBlock(fd.Get(), st.st_size, old))
        return false;
    // Overwrite the old tag where it stands, else append: the file never
    // passes through a state without a tag.
    const std::int64_t at = StartsWithTag(old) ? st.st_size - kBlockSize : st.st_size;
    const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
    if (!tags::WriteAt(fd.Get(), at, bytes)) {
        // A partly appended block must not stay behind the audio data.
        if (at == st.st_size)
            (void)!::ftruncate(fd.Get(), st.st_size);
        return false;
    }
    return ::fsync(fd.Get()) == 0 && fd.Close();
}

bool TID3v1::RemoveTag(const std::string& fileName) {
    tags::UniqueFd fd;
    struct stat st {};
    Block block{};
    if (!tags::OpenRegular(fileName, O_RDONLY, fd, st) ||
        !ReadLastBlock(fd.Get(), st.st_size, block))
        return false;
    if (!StartsWithTag(block))
        return true;
    fd.Reset();
    tags::MakeOwnerWritable(fileName);
    if (!tags::OpenRegular(fileName, O_RDWR, fd, st) || !ReadLastBlock(fd.Get(), st.st_size, block))
        return false;
    if (!StartsWithTag(block))
        return true;
    return ::ftruncate(fd.Get(), st.st_size - kBlockSize) == 0 && ::fsync(fd.Get()) == 0 &&
           fd.Close();
}
