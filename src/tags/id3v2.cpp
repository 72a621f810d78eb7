#include "tags/id3v2.h"

#include "tags/id3v1.h"
#include "tags/id3v2_frame.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_io.h"
#include "tags/tag_text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

using namespace tags::id3v2;

namespace {

// The frames the fields stand for, in the order new ones are written.
constexpr std::string_view kTitleId = "TIT2";
constexpr std::string_view kArtistId = "TPE1";
constexpr std::string_view kAlbumId = "TALB";
constexpr std::string_view kTrackId = "TRCK";
constexpr std::string_view kYearId = "TYER";
constexpr std::string_view kGenreId = "TCON";
constexpr std::string_view kCommentId = "COMM";
// The 2.4 recording time, which holds the year there.
constexpr std::string_view kRecordingTimeId = "TDRC";

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

// What the fields of a tag read as, and the frames they were read from
// (an index into the frames, -1 for none).
struct FieldFrames {
    std::string title, artist, album, year, genre, comment;
    std::uint8_t track = 0;
    int titleFrame = -1, artistFrame = -1, albumFrame = -1, trackFrame = -1, genreFrame = -1;
    int commentFrame = -1;
    int yearFrame = -1, recordingTimeFrame = -1; // the last TYER, the last TDRC
    std::string trackText;                       // the TRCK text as stored
    int userComments = 0;                        // comments that may show as the comment
};

FieldFrames ReadFieldFrames(const TagFrames& tag) {
    FieldFrames f;
    std::string title, artist, album, genre, yearText, recordingTime, plainComment, lastComment;
    int plainFrame = -1, lastFrame = -1;
    for (std::size_t i = 0; i < tag.frames.size(); ++i) {
        const Frame& frame = tag.frames[i];
        const std::string& id = frame.id;
        const bool wanted = id == kTitleId || id == kArtistId || id == kAlbumId || id == kTrackId ||
                            id == kYearId || id == kGenreId || id == kRecordingTimeId ||
                            id == kCommentId;
        if (!wanted)
            continue;
        const std::optional<std::string> content = FrameContent(tag.version, tag.flags, frame);
        if (!content)
            continue;
        const int index = static_cast<int>(i);
        if (id == kCommentId) {
            CommentFrame comment;
            if (!ParseCommentFrame(*content, comment) || IsProgramComment(comment))
                continue;
            ++f.userComments;
            lastComment = comment.text;
            lastFrame = index;
            if (comment.description.empty()) {
                plainComment = comment.text;
                plainFrame = index;
            }
            continue;
        }
        std::string text = ParseTextFrame(*content);
        const auto take = [&](std::string& to, int& frameOf) {
            to = std::move(text);
            frameOf = index;
        };
        if (id == kTitleId)
            take(title, f.titleFrame);
        else if (id == kArtistId)
            take(artist, f.artistFrame);
        else if (id == kAlbumId)
            take(album, f.albumFrame);
        else if (id == kTrackId)
            take(f.trackText, f.trackFrame);
        else if (id == kYearId)
            take(yearText, f.yearFrame);
        else if (id == kGenreId)
            take(genre, f.genreFrame);
        else if (id == kRecordingTimeId)
            take(recordingTime, f.recordingTimeFrame);
    }
    f.title = FieldText(title);
    f.artist = FieldText(artist);
    f.album = FieldText(album);
    f.track = ParseTrackNumber(f.trackText);
    // The year frame of the tag's version first: TDRC in 2.4, TYER before.
    const bool fromRecordingTime =
        f.recordingTimeFrame >= 0 && (tag.version == 4 || f.yearFrame < 0);
    f.year = FieldText(fromRecordingTime ? FirstChars(recordingTime, 4) : yearText);
    f.genre = FieldText(ParseGenreText(genre));
    f.commentFrame = plainFrame >= 0 ? plainFrame : lastFrame;
    f.comment = FieldText(plainFrame >= 0 ? plainComment : lastComment);
    return f;
}

// The frames of a tag being rewritten: each old frame as it is until a
// changed field replaces or removes it; frames of fields the old tag did
// not have go in front.
class FrameEditor {
public:
    explicit FrameEditor(const TagFrames& tag) : tag_(tag) {
        for (const Frame& frame : tag.frames)
            frames_.emplace_back(frame.raw);
    }

    // A frame of the tag's version; in a 2.4 tag unsynchronised as a whole,
    // unsynchronised as well.
    std::string Render(std::string_view id, std::string_view data) const {
        if (tag_.version == 4 && (tag_.flags & kFlagUnsynchronisation))
            return RenderFrame(4, id, Unsynchronise(data), 0, kFrameUnsynchronisation);
        return RenderFrame(tag_.version, id, data);
    }
    // The data of frame `index` for reading.
    std::string Content(int index) const {
        return FrameContent(tag_.version, tag_.flags, tag_.frames[static_cast<std::size_t>(index)])
            .value_or(std::string());
    }
    void Replace(int index, std::string_view id, std::string_view data) {
        frames_[static_cast<std::size_t>(index)] = Render(id, data);
    }
    void Remove(int index) { frames_[static_cast<std::size_t>(index)].reset(); }
    // Removes every frame `id` but `except`.
    void RemoveAll(std::string_view id, int except = -1) {
        for (std::size_t i = 0; i < frames_.size(); ++i)
            if (tag_.frames[i].id == id && static_cast<int>(i) != except)
                frames_[i].reset();
    }
    void Add(std::string_view id, std::string_view data) { added_ += Render(id, data); }

    // A text field set to `text`: its frame `index` (-1 when there is none)
    // gets the text as its first value, other values kept; an empty text
    // removes the frame.  Other frames of the same identifier go, so that
    // no reader finds an old value.
    void SetText(std::string_view id, int index, const std::string& text) {
        RemoveAll(id, index);
        if (text.empty()) {
            if (index >= 0)
                Remove(index);
        } else if (index >= 0) {
            Replace(index, id, ReplaceFirstTextValue(tag_.version, Content(index), text));
        } else {
            Add(id, ReplaceFirstTextValue(tag_.version, {}, text));
        }
    }

    std::uint8_t Version() const { return tag_.version; }

    std::string Body() const {
        std::string out = added_;
        for (const std::optional<std::string>& frame : frames_)
            if (frame)
                out += *frame;
        return out;
    }

private:
    const TagFrames& tag_;
    std::vector<std::optional<std::string>> frames_;
    std::string added_;
};

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

namespace {

// The name of a genre reference: an ID3v1 genre index, "RX" or "CR";
// nothing when it is none of them.
std::optional<std::string> GenreOfReference(std::string_view reference) {
    if (reference == "RX")
        return "Remix";
    if (reference == "CR")
        return "Cover";
    unsigned index = 0;
    const auto [end, ec] =
        std::from_chars(reference.data(), reference.data() + reference.size(), index);
    if (reference.empty() || ec != std::errc() || end != reference.data() + reference.size())
        return std::nullopt;
    if (index < GenreNames.size())
        return std::string(GenreNames[index]);
    return std::string();
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string ParseGenreText(std::string_view text) {
    text = tags::TrimControl(text);
    // ID3v2.4 names an ID3v1 genre by its bare number ("17").
    if (AllDigits(text) || text == "RX" || text == "CR") {
        const std::optional<std::string> name = GenreOfReference(text);
        return name && !name->empty() ? *name : std::string(text);
    }
    // ID3v2.3 puts references to the ID3v1 genres in front of the name:
    // "(17)", "(17)Rock", "(4)(17)Dance Rock".  Parentheses later in the
    // name ("Rock (live)") belong to the name.
    std::optional<std::string_view> firstReference;
    while (!text.empty() && text.front() == '(' && text.substr(0, 2) != "((") {
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos)
            break;
        if (!firstReference)
            firstReference = text.substr(1, close - 1);
        text.remove_prefix(close + 1);
    }
    if (!text.empty() || !firstReference)
        return tags::SanitizeUtf8(text);
    // References alone: the first one is the genre.
    return GenreOfReference(*firstReference).value_or(std::string());
}

std::string RenderTrackText(std::uint8_t track, std::string_view oldText) {
    oldText = tags::TrimControl(oldText);
    const std::size_t slash = oldText.find('/');
    const std::string_view number = oldText.substr(0, slash);
    std::string out = std::to_string(track);
    if (AllDigits(number) && number.front() == '0' && number.size() > out.size())
        out.insert(0, number.size() - out.size(), '0');
    if (slash != std::string_view::npos)
        out += oldText.substr(slash);
    return out;
}

std::string RenderRecordingTime(std::string_view year, std::string_view oldText) {
    oldText = tags::TrimControl(oldText);
    if (year.size() == 4 && AllDigits(year) && oldText.size() > 4 &&
        AllDigits(oldText.substr(0, 4)) && (oldText[4] == '-' || oldText[4] == 'T'))
        return std::string(year) + std::string(oldText.substr(4));
    return std::string(year);
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

void TID3v2::ReadFields(const Header& header, std::string_view body) {
    const FieldFrames f = ReadFieldFrames(LoadTagFrames(header, body));
    title_ = f.title;
    artist_ = f.artist;
    album_ = f.album;
    track_ = f.track;
    year_ = f.year;
    genre_ = f.genre;
    comment_ = f.comment;
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
    if (total > 0) {
        const auto bodySize = static_cast<std::size_t>(std::min(total, kMaxTagSize)) - kHeaderSize;
        ReadFields(header, fileBytes.substr(kHeaderSize, bodySize));
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
            ReadFields(header, body);
    }
    return true;
}

bool TID3v2::RenderTag(std::string_view oldTag, std::string& out) const {
    Header header;
    std::string_view body;
    if (ParseHeader(oldTag, header) && header.present) {
        const std::int64_t total = TotalTagSize(header, static_cast<std::int64_t>(oldTag.size()));
        if (total > 0)
            body = oldTag.substr(kHeaderSize, static_cast<std::size_t>(total) - kHeaderSize);
    } else {
        header = Header{};
    }
    const TagFrames old = LoadTagFrames(header, body);
    const FieldFrames was = ReadFieldFrames(old);
    FrameEditor edit(old);

    // Each field the object holds as the old tag reads keeps its frames as
    // they are; a changed field rewrites its own frame only.
    if (title_ != was.title)
        edit.SetText(kTitleId, was.titleFrame, title_);
    if (artist_ != was.artist)
        edit.SetText(kArtistId, was.artistFrame, artist_);
    if (album_ != was.album)
        edit.SetText(kAlbumId, was.albumFrame, album_);
    if (track_ != was.track)
        edit.SetText(kTrackId, was.trackFrame,
                     track_ > 0 ? RenderTrackText(track_, was.trackText) : std::string());
    if (year_ != was.year) {
        // Both year frames, so that every reader finds the new year.
        if (was.yearFrame >= 0 || (old.version == 3 && was.recordingTimeFrame < 0))
            edit.SetText(kYearId, was.yearFrame, year_);
        if (was.recordingTimeFrame >= 0 || (old.version == 4 && was.yearFrame < 0)) {
            const std::string time =
                was.recordingTimeFrame >= 0
                    ? RenderRecordingTime(year_,
                                          ParseTextFrame(edit.Content(was.recordingTimeFrame)))
                    : year_;
            edit.SetText(kRecordingTimeId, was.recordingTimeFrame, time);
        }
    }
    if (genre_ != was.genre)
        edit.SetText(kGenreId, was.genreFrame, genre_);
    if (comment_ != was.comment) {
        CommentFrame comment;
        const int index = was.commentFrame;
        std::uint8_t encoding = kLatin1;
        if (index >= 0) {
            const std::string content = edit.Content(index);
            ParseCommentFrame(content, comment);
            encoding = EncodingOf(content);
        }
        comment.text = comment_;
        const std::string data = RenderCommentFrame(
            comment, KeepEncoding(old.version, encoding, {comment.description, comment.text}));
        if (index < 0)
            edit.Add(kCommentId, data);
        else if (!comment_.empty() || was.userComments > 1)
            // Emptied while another comment would show in its place: the
            // frame stays, saying there is no comment.
            edit.Replace(index, kCommentId, data);
        else
            edit.Remove(index);
    }

    const std::string frames = edit.Body();
    std::string size;
    if (frames.size() > 0x0FFFFFFF ||
        !EncodeSyncSafe(static_cast<std::uint32_t>(frames.size()), size))
        return false;
    const std::uint8_t flags = old.version == 4 ? old.flags : 0;
    out = "ID3" + std::string(1, static_cast<char>(old.version)) + std::string(1, '\0') +
          std::string(1, static_cast<char>(flags)) + size + frames;
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
    if (!RenderTag(oldTag, newTag) || !ReplaceTagInFile(fileName, &newTag))
        return false;
    // The object now describes the tag as written.
    hasTag_ = true;
    version_ = static_cast<std::uint8_t>(newTag[3]);
    tagSize_ = static_cast<std::int32_t>(newTag.size());
    return true;
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
