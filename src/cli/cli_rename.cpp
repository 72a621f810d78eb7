#include "cli/cli_rename.h"

#include "cli/cli_news.h"
#include "cli/cli_songs.h"
#include "framework/qv_tools.h"
#include "platform/rename_journal.h"
#include "records/cx_shortcut_lists.h"
#include "songs/cx_songfiles.h"
#include "songs/cx_songruns.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <charconv>

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli rename from-tags RECORD_FOLDER [--ext LIST] [--dry-run]\n"
    "       tralu-cli rename cut RECORD_FOLDER [--pattern P] [--sep C] [--front N]\n"
    "                 [--end M] [--by-name] [--dry-run]\n"
    "       tralu-cli rename undo [--root ROOT] [--dry-run]\n\n"
    "from-tags  renames every song \"NN - Title.ext\" after its ID3v2 tag, else its\n"
    "           ID3v1 tag; NN is the tag's track, else the song's position in name\n"
    "           order, counting every listed song.  A song without a title keeps\n"
    "           its name; a song without any tag stops the run; songs that are not\n"
    "           MPEG audio (.mp3, .mp2, .mp1) are left alone.  --ext lists the\n"
    "           songs' extensions (default mp3).\n"
    "cut        renames the files matching P (* and ?, any case; default *.mp3),\n"
    "           oldest first (by name with --by-name): the name is cut after the\n"
    "           N-th separator C (default 1, \"-\") and before the M-th from the end\n"
    "           (default 0), dots and underscores become spaces, and the file's\n"
    "           position is put in front: \"01 - Some title.mp3\".  N and M: 0 to 9.\n\n"
    "Each rename prints OLD<TAB>NEW, in the order of the renames; a rename that\n"
    "fails (the new name is taken, not allowed or too long) prints\n"
    "OLD<TAB>NEW<TAB>failed and makes the exit status 1.  No file is ever\n"
    "replaced.  --dry-run prints the same lines and renames nothing.  Files whose\n"
    "names are not valid UTF-8 are left alone, with a warning on standard error.\n\n"
    "undo       gives back their old names to the files of the last batch of\n"
    "           renames (every rename of Tralu, in the window or here, is kept\n"
    "           in $XDG_STATE_HOME/tralu/renames.log, one batch per run), last\n"
    "           rename first.  Each step prints NEW<TAB>OLD; a step refused (a\n"
    "           file of the old name exists, or the renamed file is gone) prints\n"
    "           NEW<TAB>OLD<TAB>REASON and makes the exit status 1, the others are\n"
    "           still undone.  Running it again undoes the batch before.  With\n"
    "           --root, the new-music and bookmark shortcuts of that music root\n"
    "           that lead to a renamed folder lead to its old name again.\n";

int Counter(const Options& options, const char* name, int fallback) {
    const std::string* text = options.Value(name);
    if (!text)
        return fallback;
    int value = -1;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (text->empty() || ec != std::errc() || end != text->data() + text->size() || value < 0 ||
        value > 9)
        throw Failure{std::string("--") + name + " takes a number from 0 to 9, not " +
                      NameText(QString::fromStdString(*text))};
    return value;
}

// Says on standard error, before a run renames, that its renames could not
// be undone; they are still made.
void WarnIfNotJournaled(bool trial, std::ostream& err) {
    if (!trial && !RenameJournalWritable())
        err << "tralu-cli rename: warning: the rename journal " << NameText(RenameJournalPath())
            << " cannot be written; these renames cannot be undone\n";
}

// Prints the steps; returns how many failed.
int PrintSteps(const std::vector<TRenameStep>& steps, std::ostream& out) {
    int failed = 0;
    for (const TRenameStep& s : steps) {
        out << NameText(s.OldName) << '\t' << NameText(s.NewName);
        if (!s.Done) {
            out << "\tfailed";
            ++failed;
        }
        out << '\n';
    }
    return failed;
}

// Prints the steps; a Failure when some rename failed.
int Report(const std::vector<TRenameStep>& steps, bool trial, std::ostream& out) {
    const int failed = PrintSteps(steps, out);
    if (failed > 0)
        throw Failure{std::to_string(failed) + " of " + std::to_string(steps.size()) + " renames " +
                      (trial ? "would fail" : "failed")};
    return 0;
}

int FromTags(const Args& args, std::ostream& out, std::ostream& err) {
    const Options options(args, 1, {"ext"}, {"dry-run"});
    const QString folder = RecordFolderOperand(options, "from-tags");
    const QStringList extensions = ExtensionsOption(options);
    const bool trial = options.Has("dry-run");
    WarnUndecodableNames(
        folder,
        [&](const QString& name) {
            return extensions.contains(FileExtension(name).mid(1), Qt::CaseInsensitive);
        },
        "rename", err);
    WarnIfNotJournaled(trial, err);
    TID3v1 v1;
    TID3v2 v2;
    const TTagRenameRun run =
        RenameSongsFromTags(v1, v2, folder, ListSongs(folder, extensions), trial);
    if (!run.UnreadablePath.isEmpty()) {
        PrintSteps(run.Steps, out);
        throw Failure{"Can not read tag from the file: " + NameText(run.UnreadablePath)};
    }
    return Report(run.Steps, trial, out);
}

int Cut(const Args& args, std::ostream& out, std::ostream& err) {
    const Options options(args, 1, {"pattern", "sep", "front", "end"}, {"by-name", "dry-run"});
    const QString folder = RecordFolderOperand(options, "cut");
    const std::string* patternText = options.Value("pattern");
    const QString pattern =
        patternText ? QString::fromStdString(*patternText) : QStringLiteral("*.mp3");
    if (pattern.isEmpty() || pattern.contains(QLatin1Char('/')))
        throw Failure{"--pattern takes a file-name pattern such as *.mp3"};
    const std::string* sepText = options.Value("sep");
    const QString separator = sepText ? QString::fromStdString(*sepText) : QStringLiteral("-");
    if (separator.toUcs4().size() > 1)
        throw Failure{"--sep takes one character, not " + NameText(separator)};
    const int front = Counter(options, "front", 1);
    const int end = Counter(options, "end", 0);
    const bool trial = options.Has("dry-run");
    WarnUndecodableNames(
        folder, [&](const QString& name) { return MatchesWildcard(name, pattern); }, "rename", err);
    const QStringList entries = ListRenameEntries(folder, pattern, !options.Has("by-name"));
    WarnIfNotJournaled(trial, err);
    return Report(RenameCutFiles(folder, entries, front, separator, end, trial), trial, out);
}

int Undo(const Args& args, std::ostream& out, std::ostream&) {
    const Options options(args, 1, {"root"}, {"dry-run"});
    if (!options.Operands().empty())
        throw Failure{"undo takes no folder; try tralu-cli rename --help"};
    const bool trial = options.Has("dry-run");
    QStringList lists;
    if (const std::string* root = options.Value("root")) {
        const QString folder = QFile::decodeName(QByteArray::fromStdString(*root));
        if (!QFileInfo(folder).isDir())
            throw Failure{"not a folder: " + NameText(folder)};
        const TNewsSettings settings = ReadNewsSettings();
        for (const QString& name : {settings.Dir, settings.BookmarkDir})
            if (!name.isEmpty() && !name.contains(QLatin1Char('/')) &&
                QFileInfo(folder + QLatin1Char('/') + name).isDir())
                lists << folder + QLatin1Char('/') + name;
    }
    const TUndoRun run = UndoLastRenames(RenameJournalPath(), trial);
    if (!run.Found)
        throw Failure{"no renames to undo"};
    int refused = 0;
    for (const TUndoStep& step : run.Steps) {
        if (step.Outcome == TUndoStep::NeverMade)
            continue;
        out << NameText(step.Current) << '\t' << NameText(step.Previous);
        if (step.Outcome == TUndoStep::Restored) {
            if (!trial)
                RepointShortcuts(lists, step.Current, step.Previous);
        } else {
            out << '\t' << UndoOutcomeText(step).toStdString();
            ++refused;
        }
        out << '\n';
    }
    if (refused > 0)
        throw Failure{std::to_string(refused) + " of " + std::to_string(run.Steps.size()) +
                      " renames " + (trial ? "would not be undone" : "were not undone")};
    return 0;
}

} // namespace

int RunRename(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        throw Failure{"missing command (from-tags, cut or undo); try tralu-cli rename --help"};
    if (WantsHelp(args) || args[0] == "help") {
        out << kHelp;
        return 0;
    }
    if (args[0] == "from-tags")
        return FromTags(args, out, err);
    if (args[0] == "cut")
        return Cut(args, out, err);
    if (args[0] == "undo")
        return Undo(args, out, err);
    throw Failure{"unknown command: " + NameText(QString::fromStdString(args[0]))};
}

} // namespace cli
