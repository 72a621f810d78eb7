#include "tags/id3v2.h"

#include "tags/id3v1.h"
#include "tags/id3v2_frame.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_io.h"
#include "tags/tag_text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <charconv>
#include <vector>

using namespace tags::id3v2;

namespace {

// The frames the fields stand for, in the order they are written.
constexpr std::string_view kTitleId = "TIT2";
constexpr std::string_view kArtistId = "TPE1";
constexpr std::string_view kAlbumId = "TALB";
constexpr std::string_view kTrackId = "TRCK";
constexpr std::string_view kYearId = "TYER";
constexpr std::string_view kGenreId = "TCON";
constexpr std::string_view kCommentId = "COMM";
// The 2.4 recording time, read for the year when there is no TYER.
constexpr std::string_view kRecordingTimeId = "TDRC";

bool IsFieldFrame(std::string_view id) {
    return id == kTitleId || id == kArtistId || id == kAlbumId || id == kTrackId || id == kYearId ||
           id == kGenreId || id == kRecordingTimeId;
}

// Comments that programs keep for themselves (iTunes' volume and gapless
// data) are not the user's comment.
bool IsProgramComment(const CommentFrame& comment) {
    return comment.description.rfind("iTun", 0) == 0;
}

std::string FieldText(std::string_view text) {
    const std::size_t zero = text.find('\0');
    if (zero != std::string_view::npos)
        text = text.substr(0, zero);
    return tags::SanitizeUtf8(tags::TrimRightControl(text));
}

std::string FirstChars(std::string_view utf8, std::size_t count) {
    std::u32string chars = tags::DecodeUtf8(utf8);
    if (chars.size() > count)
        chars.resize(count);
    return tags::EncodeUtf8(chars);
}

// Opens the file and reads its header; `head` gets up to its first 10 bytes.
bool OpenWithHeader(const std::string& fileName, tags::UniqueFd& fd, struct stat& st,
                    Header& header) {
    std::string head;
    return tags::OpenRegular(fileName, O_RDONLY, fd, st) &&
           tags::ReadAt(fd.Get(), 0, kHeaderSize, head) && ParseHeader(head, header);
}

} // namespace

std::uint8_t ParseTrackNumber(std::string_view text) {
    text = tags::TrimControl(text);
    text = text.substr(0, text.find('/'));
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return 0;
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::string ParseGenreText(std::string_view text) {
    text = tags::TrimControl(text);
    std::string_view lastReference;
    // ID3v2.3 puts references to the ID3v1 genres in front of the name:
    // "(17)", "(17)Rock", "(4)(17)Dance Rock".  Parentheses later in the
    // name ("Rock (live)") belong to the name.
    while (!text.empty() && text.front() == '(' && text.substr(0, 2) != "((") {
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos)
            break;
        lastReference = text.substr(1, close - 1);
        text.remove_prefix(close + 1);
    }
    if (!text.empty() || lastReference.empty())
        return tags::SanitizeUtf8(text);
    if (lastReference == "RX")
        return "Remix";
    if (lastReference == "CR")
        return "Cover";
    unsigned index = 0;
    const auto [end, ec] =
        std::from_chars(lastReference.data(), lastReference.data() + lastReference.size(), index);
    if (ec == std::errc() && end == lastReference.data() + lastReference.size() &&
        index < GenreNames.size())
        return std::string(GenreNames[index]);
    return {};
}

void TID3v2::Reset() {
    hasTag_ = false;
    version_ = 0;
    tagSize_ = 0;
    title_.clear();
    artist_.clear();
    album_.clear();
    track_ = 0;
    year_.clear();
    genre_.clear();
    comment_.clear();
}

void TID3v2::SetTitle(std::string_view text) {
    title_ = FieldText(text);
}
void TID3v2::SetArtist(std::string_view text) {
    artist_ = FieldText(text);
}
void TID3v2::SetAlbum(std::string_view text) {
    album_ = FieldText(text);
}
void TID3v2::SetYear(std::string_view text) {
    year_ = FieldText(text);
}
void TID3v2::SetGenre(std::string_view text) {
    genre_ = FieldText(text);
}
void TID3v2::SetComment(std::string_view text) {
    comment_ = FieldText(text);
}

void TID3v2::ReadFields(std::uint8_t version, std::uint8_t flags, std::string_view body) {
    std::string title, artist, album, track, year, genre, recordingTime;
    bool hasYear = false;
    bool hasPlainComment = false;
    std::string plainComment;
    std::string lastComment;
    for (const Frame& frame : ParseFrames(version, flags, body)) {
        const std::string id = version == 2 ? CanonicalFrameId(frame.id) : frame.id;
        if (!IsFieldFrame(id) && id != kCommentId)
            continue;
        const std::optional<std::string> content = FrameContent(version, flags, frame);
        if (!content)
            continue;
        if (id == kCommentId) {
            CommentFrame comment;
            if (!ParseCommentFrame(*content, comment) || IsProgramComment(comment))
                continue;
            lastComment = comment.text;
            if (comment.description.empty()) {
                hasPlainComment = true;
                plainComment = comment.text;
            }
            continue;
        }
        std::string text = ParseTextFrame(*content);
        if (id == kTitleId)
            title = std::move(text);
        else if (id == kArtistId)
            artist = std::move(text);
        else if (id == kAlbumId)
            album = std::move(text);
        else if (id == kTrackId)
            track = std::move(text);
        else if (id == kYearId) {
            year = std::move(text);
            hasYear = true;
        } else if (id == kGenreId)
            genre = std::move(text);
        else if (id == kRecordingTimeId)
            recordingTime = std::move(text);
    }
    SetTitle(title);
    SetArtist(artist);
    SetAlbum(album);
    track_ = ParseTrackNumber(track);
    SetYear(hasYear ? year : FirstChars(recordingTime, 4));
    SetGenre(ParseGenreText(genre));
    SetComment(hasPlainComment ? plainComment : lastComment);
}

bool TID3v2::ReadFromBuffer(std::string_view fileBytes) {
    Reset();
    Header header;
    if (!ParseHeader(fileBytes, header))
        return false;
    if (!header.present)
        return true;
    hasTag_ = true;
    version_ = header.version;
    const std::int64_t total = TotalTagSize(header, static_cast<std::int64_t>(fileBytes.size()));
    tagSize_ = static_cast<std::int32_t>(total);
    if (version_ >= 2 && version_ <= 4 && total > 0) {
        const auto bodySize = static_cast<std::size_t>(std::min(total, kMaxTagSize)) - kHeaderSize;
        ReadFields(version_, header.flags, fileBytes.substr(kHeaderSize, bodySize));
    }
    return true;
}

bool TID3v2::ReadTag(const std::string& fileName) {
    Reset();
    tags::UniqueFd fd;
    struct stat st {};
    Header header;
    if (!OpenWithHeader(fileName, fd, st, header))
        return false;
    if (!header.present)
        return true;
    hasTag_ = true;
    version_ = header.version;
    const std::int64_t total = TotalTagSize(header, st.st_size);
    tagSize_ = static_cast<std::int32_t>(total);
    if (version_ >= 2 && version_ <= 4 && total > 0) {
        std::string body;
        const auto bodySize = static_cast<std::size_t>(std::min(total, kMaxTagSize)) - kHeaderSize;
        // A read error keeps the fields empty; the header was read.
        if (tags::ReadUpTo(fd.Get(), kHeaderSize, bodySize, body))
            ReadFields(version_, header.flags, body);
    }
    return true;
}

bool TID3v2::RenderTag(std::string_view oldTag, std::string& out) const {
    std::string frames;
    const auto addText = [&](std::string_view id, const std::string& text) {
        if (!text.empty())
            frames += RenderFrameV23(id, RenderTextFrame(text));
    };
    addText(kTitleId, title_);
    addText(kArtistId, artist_);
    addText(kAlbumId, album_);
    addText(kTrackId, track_ > 0 ? std::to_string(track_) : std::string());
    addText(kYearId, year_);
    addText(kGenreId, genre_);

    // The frames of the old tag that no field replaces.
    std::string kept;
    bool keptCommentShows = false;
    Header header;
    if (ParseHeader(oldTag, header) && header.present && header.version >= 2 &&
        header.version <= 4) {
        const std::int64_t total = TotalTagSize(header, static_cast<std::int64_t>(oldTag.size()));
        const std::string_view body =
            total > 0 ? oldTag.substr(kHeaderSize, static_cast<std::size_t>(total) - kHeaderSize)
                      : std::string_view();
        for (const Frame& frame : ParseFrames(header.version, header.flags, body)) {
            if (IsFieldFrame(frame.id))
                continue;
            bool readableComment = false;
            if (frame.id == kCommentId) {
                const std::optional<std::string> content =
                    FrameContent(header.version, header.flags, frame);
                CommentFrame comment;
                if (content && ParseCommentFrame(*content, comment)) {
                    // The user's comment is the one written below.
                    if (comment.description.empty())
                        continue;
                    readableComment = !IsProgramComment(comment);
                }
            }
            if (const std::optional<std::string> converted =
                    ConvertFrameToV23(header.version, header.flags, frame)) {
                kept += *converted;
                keptCommentShows = keptCommentShows || readableComment;
            }
        }
    }
    // A kept comment with a description would be read as the comment when
    // there is no plain one; an empty plain comment says there is none.
    if (!comment_.empty() || keptCommentShows) {
        CommentFrame comment;
        comment.text = comment_;
        frames += RenderFrameV23(kCommentId, RenderCommentFrame(comment));
    }
    frames += kept;

    std::string size;
    if (!EncodeSyncSafe(
            static_cast<std::uint32_t>(std::min<std::size_t>(frames.size(), 0xFFFFFFFF)), size) ||
        frames.size() > 0x0FFFFFFF)
        return false;
    out = std::string("ID3\x03\x00\x00", 6) + size + frames;
    return true;
}

bool TID3v2::WriteTag(const std::string& fileName) {
    tags::UniqueFd fd;
    struct stat st {};
    Header header;
    if (!OpenWithHeader(fileName, fd, st, header))
        return false;
    std::string oldTag;
    if (header.present) {
        const std::int64_t total = TotalTagSize(header, st.st_size);
        // A tag too large to hold in memory is not rewritten: its frames
        // would be lost.
        if (total > kMaxTagSize)
            return false;
        if (total > 0 && !tags::ReadAt(fd.Get(), 0, static_cast<std::size_t>(total), oldTag))
            return false;
    }
    fd.Reset();
    std::string newTag;
    if (!RenderTag(oldTag, newTag))
        return false;
    return ReplaceTagInFile(fileName, &newTag);
}

bool TID3v2::RemoveTag(const std::string& fileName) {
    return ReplaceTagInFile(fileName, nullptr);
}

bool TID3v2::ReplaceTagInFile(const std::string& fileName, const std::string* newTag) {
    std::string target;
    if (!tags::ResolveFile(fileName, target) || !tags::MakeOwnerWritable(target))
        return false;
    tags::UniqueFd fd;
    struct stat st {};
    Header header;
    if (!OpenWithHeader(target, fd, st, header))
        return false;
    if (!newTag && !header.present)
        return false;
    // Another Tralu rewriting the same file at this moment: leave it alone.
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    std::int64_t keepFrom = header.present ? TotalTagSize(header, st.st_size) : 0;
    if (!newTag && keepFrom == 0)
        return false; // where the tag ends is unknown: removing it would cut audio
    if (keepFrom > 0 && header.version == 4 && (header.flags & kFlagFooter)) {
        std::string footer;
        if (tags::ReadAt(fd.Get(), keepFrom, 3, footer) && footer == "3DI")
            keepFrom += kHeaderSize;
    }
    return tags::ReplaceFileContent(target, fd.Get(), st, newTag ? *newTag : std::string_view(),
                                    keepFrom);
}
