#include "cli/cli_normalize.h"

#include "cli/cli_songs.h"
#include "songs/cx_songfiles.h"
#include "songs/cx_songruns.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli tags normalize RECORD_FOLDER [--year Y] [--genre G]\n"
    "                 [--comment C] [--ext LIST]\n\n"
    "Writes both tags (ID3v1 and ID3v2) of every song of the record folder, in\n"
    "name order: the title is the file name without its extension and leading\n"
    "number, the artist the name of the folder holding the record folder, the\n"
    "album the record folder's name without its leading number, the track the\n"
    "song's position (1, 2, ...).  Each song keeps its own year, genre and\n"
    "comment (from the tag of the same kind, else from its other tag) unless\n"
    "--year, --genre or --comment give one for every song; for the ID3v1 tag\n"
    "the genre must be a name of the genre table (any case), else it gets none.\n"
    "Other frames of the ID3v2 tag (covers, lyrics) are kept.  --ext lists the\n"
    "songs' extensions (default mp3); songs that are not MPEG audio (.mp3, .mp2,\n"
    ".mp1) are skipped with a warning, as ID3 tags would damage them.\n\n"
    "Prints the name of each song written, NAME<TAB>failed for a song whose tags\n"
    "could not be written (the exit status is then 1).  Files whose names are\n"
    "not valid UTF-8 are left alone, with a warning on standard error.\n";

std::optional<QString> TextOption(const Options& options, const char* name) {
    if (const std::string* v = options.Value(name))
        return QString::fromStdString(*v);
    return std::nullopt;
}

} // namespace

int RunTagsNormalize(const Args& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    const Options options(args, 1, {"year", "genre", "comment", "ext"}, {});
    const QString folder = RecordFolderOperand(options, "normalize");
    const QStringList extensions = ExtensionsOption(options);

    TNormalizeOptions normalize;
    normalize.MpegOnly = true;
    normalize.V1Year = normalize.V2Year = TextOption(options, "year");
    normalize.V1Comment = normalize.V2Comment = TextOption(options, "comment");
    if (const std::string* genre = options.Value("genre")) {
        normalize.V2Genre = QString::fromStdString(*genre);
        const int index = GenreIndexOfName(*genre);
        normalize.V1Genre = index < 0 ? kNoGenre : quint8(index);
    }

    WarnUndecodableNames(
        folder,
        [&](const QString& name) {
            return extensions.contains(FileExtension(name).mid(1), Qt::CaseInsensitive);
        },
        "tags", err);
    const QStringList songs = ListSongs(folder, extensions);
    for (const QString& song : songs)
        if (!IsMpegAudioFile(song))
            err << "skipped (not MPEG audio; ID3 tags would damage it): " << NameText(song) << '\n';
    TID3v1 v1;
    TID3v2 v2;
    const auto steps = NormalizeSongTags(v1, v2, folder, songs, normalize);
    int failed = 0;
    for (const TNormalizeStep& s : steps) {
        out << NameText(s.Name);
        if (!s.Done) {
            out << "\tfailed";
            ++failed;
        }
        out << '\n';
    }
    if (failed > 0)
        throw Failure{"could not write the tags of " + std::to_string(failed) + " of " +
                      std::to_string(steps.size()) + " songs"};
    return 0;
}

} // namespace cli
