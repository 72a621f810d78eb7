#include "cli/cli_tags.h"

#include "cli/cli_normalize.h"

#include "tags/id3v1.h"
#include "tags/id3v2.h"
#include "tags/tag_io.h"

#include <cctype>
#include <fcntl.h>

#include <charconv>

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli tags show FILE...\n"
    "       tralu-cli tags set FILE --v1|--v2 [--title T] [--artist A] [--album B]\n"
    "                 [--year Y] [--track N] [--genre G] [--comment C]\n"
    "       tralu-cli tags remove FILE --v1|--v2\n"
    "       tralu-cli tags normalize RECORD_FOLDER [OPTIONS]\n\n"
    "show    writes file=PATH, then one KEY=VALUE line per field of each tag\n"
    "        (v1.present=0 or v2.present=0 alone for a missing tag); values are\n"
    "        UTF-8, a backslash is written \\\\ and a newline \\n.\n"
    "set     reads the tag of that kind and changes only the fields given; with\n"
    "        --v1, --genre takes a genre name (any case) or its index.\n"
    "remove  removes the tag of that kind (nothing to do when there is none).\n"
    "        set and remove refuse files that are not MPEG audio (.mp3, .mp2,\n"
    "        .mp1, any case): ID3 tags would damage them.\n"
    "normalize  writes both tags of every song of the record from the names of\n"
    "        the songs and folders; see tralu-cli tags normalize --help.\n";

void Line(std::ostream& out, std::string_view key, std::string_view value) {
    out << key << '=' << EscapeValue(value) << '\n';
}

// The file must exist and be readable: tag readers report a short file
// the same way as a missing one.
void RequireReadable(const std::string& path) {
    tags::UniqueFd fd;
    struct stat st {};
    if (!tags::OpenRegular(path, O_RDONLY, fd, st))
        throw Failure{"cannot read " + EscapeValue(path)};
}

// ID3 tags go into MPEG audio files only: in another format they would
// damage the file.
void RequireMpegAudio(const std::string& path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                          ? std::string()
                          : path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (ext != "mp3" && ext != "mp2" && ext != "mp1")
        throw Failure{"not an MPEG audio file (.mp3, .mp2, .mp1); ID3 tags would damage it: " +
                      EscapeValue(path)};
}

void Show(const std::string& path, std::ostream& out) {
    RequireReadable(path);
    Line(out, "file", path);
    TID3v1 v1;
    if (v1.ReadTag(path) && v1.HasTag()) {
        Line(out, "v1.present", "1");
        Line(out, "v1.version", v1.Version() == 1 ? "1.0" : "1.1");
        Line(out, "v1.title", v1.Title());
        Line(out, "v1.artist", v1.Artist());
        Line(out, "v1.album", v1.Album());
        Line(out, "v1.year", v1.Year());
        Line(out, "v1.comment", v1.Comment());
        Line(out, "v1.track", std::to_string(v1.Track()));
        Line(out, "v1.genre", std::to_string(v1.GenreIndex()));
    } else {
        Line(out, "v1.present", "0");
    }
    TID3v2 v2;
    if (v2.ReadTag(path) && v2.HasTag()) {
        Line(out, "v2.present", "1");
        Line(out, "v2.version", "2." + std::to_string(v2.Version()));
        Line(out, "v2.size", std::to_string(v2.TagSize()));
        Line(out, "v2.title", v2.Title());
        Line(out, "v2.artist", v2.Artist());
        Line(out, "v2.album", v2.Album());
        Line(out, "v2.year", v2.Year());
        Line(out, "v2.track", std::to_string(v2.Track()));
        Line(out, "v2.genre", v2.Genre());
        Line(out, "v2.comment", v2.Comment());
    } else {
        Line(out, "v2.present", "0");
    }
}

bool ParseByte(std::string_view text, std::uint8_t& value) {
    unsigned n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n > 255)
        return false;
    value = static_cast<std::uint8_t>(n);
    return true;
}

std::uint8_t TrackOption(const std::string& text) {
    std::uint8_t track = 0;
    if (!ParseByte(text, track))
        throw Failure{"--track takes a number from 0 to 255, not " + EscapeValue(text)};
    return track;
}

std::uint8_t GenreIndexOption(const std::string& text) {
    std::uint8_t index = kNoGenre;
    if (text.empty() || ParseByte(text, index))
        return index;
    const int found = GenreIndexOfName(text);
    if (found < 0)
        throw Failure{"unknown genre: " + EscapeValue(text)};
    return static_cast<std::uint8_t>(found);
}

// Exactly one of --v1 and --v2, and one file.
bool WhichTag(const Options& options, const char* command) {
    const bool v1 = options.Has("v1");
    if (v1 == options.Has("v2"))
        throw Failure{std::string(command) + " needs exactly one of --v1 and --v2"};
    if (options.Operands().size() != 1)
        throw Failure{std::string(command) + " takes one file"};
    return v1;
}

const std::vector<std::string> kFieldOptions = {"title", "artist", "album",  "year",
                                                "track", "genre",  "comment"};

// The options that both tag kinds take alike.
template <class Tag> void SetSharedFields(Tag& tag, const Options& options) {
    if (const auto* v = options.Value("title"))
        tag.SetTitle(*v);
    if (const auto* v = options.Value("artist"))
        tag.SetArtist(*v);
    if (const auto* v = options.Value("album"))
        tag.SetAlbum(*v);
    if (const auto* v = options.Value("year"))
        tag.SetYear(*v);
    if (const auto* v = options.Value("comment"))
        tag.SetComment(*v);
    if (const auto* v = options.Value("track"))
        tag.SetTrack(TrackOption(*v));
}

int Set(const Args& args) {
    const Options options(args, 1, kFieldOptions, {"v1", "v2"});
    const bool v1 = WhichTag(options, "set");
    const std::string& path = options.Operands()[0];
    RequireReadable(path);
    RequireMpegAudio(path);
    const std::string* genre = options.Value("genre");
    if (v1) {
        TID3v1 tag;
        if (!tag.ReadTag(path))
            throw Failure{"cannot read the ID3v1 tag of " + EscapeValue(path)};
        SetSharedFields(tag, options);
        if (genre)
            tag.SetGenreIndex(GenreIndexOption(*genre));
        if (!tag.WriteTag(path))
            throw Failure{"cannot write the ID3v1 tag of " + EscapeValue(path)};
        return 0;
    }
    TID3v2 tag;
    if (!tag.ReadTag(path))
        throw Failure{"cannot read the ID3v2 tag of " + EscapeValue(path)};
    SetSharedFields(tag, options);
    if (genre)
        tag.SetGenre(*genre);
    if (!tag.WriteTag(path))
        throw Failure{"cannot write the ID3v2 tag of " + EscapeValue(path)};
    return 0;
}

int Remove(const Args& args) {
    const Options options(args, 1, {}, {"v1", "v2"});
    const bool v1 = WhichTag(options, "remove");
    const std::string& path = options.Operands()[0];
    RequireReadable(path);
    RequireMpegAudio(path);
    if (v1) {
        TID3v1 tag;
        if (!tag.RemoveTag(path))
            throw Failure{"cannot remove the ID3v1 tag of " + EscapeValue(path)};
        return 0;
    }
    TID3v2 tag;
    if (tag.ReadTag(path) && !tag.HasTag())
        return 0;
    if (!tag.RemoveTag(path))
        throw Failure{"cannot remove the ID3v2 tag of " + EscapeValue(path)};
    return 0;
}

bool WantsHelp(const Args& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

} // namespace

int RunTags(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        throw Failure{
            "missing command (show, set, remove or normalize); try tralu-cli tags --help"};
    if (args[0] == "normalize")
        return RunTagsNormalize(args, out, err);
    if (WantsHelp(args) || args[0] == "help") {
        out << kHelp;
        return 0;
    }
    const std::string& command = args[0];
    if (command == "show") {
        const Options options(args, 1, {}, {});
        if (options.Operands().empty())
            throw Failure{"show takes one or more files"};
        for (const std::string& path : options.Operands())
            Show(path, out);
        return 0;
    }
    if (command == "set")
        return Set(args);
    if (command == "remove")
        return Remove(args);
    throw Failure{"unknown command: " + EscapeValue(command)};
}

} // namespace cli
