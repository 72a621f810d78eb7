#include "cli/cli_db.h"

#include "records/cx_database.h"
#include "records/cx_record_rows.h"
#include "records/cx_similarity.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <sstream>

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli db build ROOT\n"
    "       tralu-cli db list ROOT [--tag T [--tag U]]\n"
    "       tralu-cli db neighbours ROOT --tags \"T1; T2\"\n\n"
    "build       walks the music root ROOT and writes its record database\n"
    "            (.Tralu_DB.data); the folders walked are shown on standard\n"
    "            error when it is a terminal.\n"
    "list        writes the records of ROOT's database in database order, one\n"
    "            line each: artist, record, tags, year, rip date (yyyy/mm/dd)\n"
    "            and path, separated by tabs; with --tag, only the records\n"
    "            carrying that tag (any case), with two, those carrying both.\n"
    "neighbours  writes SCORE<TAB>PATH for every record whose tags score 0 or\n"
    "            more against the tag string given, best first, equal scores in\n"
    "            database order.\n\n"
    "Fields are UTF-8; a backslash is written \\\\, a tab \\t, a newline \\n.\n";

constexpr const char* kBuildHelp = "Usage: tralu-cli db build ROOT\n";
constexpr const char* kListHelp = "Usage: tralu-cli db list ROOT [--tag T [--tag U]]\n";
constexpr const char* kNeighboursHelp = "Usage: tralu-cli db neighbours ROOT --tags \"T1; T2\"\n";

bool WantsHelp(const Args& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

std::string Utf8(const QString& s) {
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// One field of an output line: no tab or line break may split it.
std::string Field(const QString& s) {
    std::string escaped = EscapeValue(Utf8(s));
    std::string out;
    out.reserve(escaped.size());
    for (char c : escaped) {
        if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// A message of the record library on one line.
std::string Message(const QString& s) {
    return EscapeValue(Utf8(s));
}

// The one operand ROOT of a command, as a path.
QString RootOperand(const Options& options, const char* command) {
    if (options.Operands().size() != 1)
        throw Failure{std::string(command) + " takes one music root folder"};
    const std::string& root = options.Operands().front();
    const QString path = QFile::decodeName(QByteArray(root.data(), qsizetype(root.size())));
    if (!QFileInfo(path).isDir())
        throw Failure{"not a folder: " + EscapeValue(root)};
    return path;
}

void Load(TRecordStructList& db, const QString& root) {
    try {
        db.LoadFromFolder(root);
    } catch (const EToolsError& e) {
        throw Failure{Message(e.Message)};
    }
}

int Build(const Args& args, std::ostream& out, std::ostream& err) {
    const Options options(args, 1, {}, {});
    const QString root = RootOperand(options, "build");
    TRecordStructList db;
    const bool showProgress = isatty(STDERR_FILENO) == 1;
    if (showProgress)
        db.OnProgress = [&err](TRecordStructList&, const QString& dir, bool&) {
            err << "\r\033[K" << Field(dir) << std::flush;
        };
    TBuildResult result;
    try {
        result = db.BuildFromFolder(root);
    } catch (const EToolsError& e) {
        if (showProgress)
            err << "\r\033[K";
        throw Failure{Message(e.Message)};
    }
    if (showProgress)
        err << "\r\033[K" << std::flush;
    for (const QString& skipped : db.SkippedFolders())
        err << "skipped (name is not valid UTF-8): " << Utf8(skipped) << '\n';
    switch (result) {
    case TBuildResult::Built:
        out << db.Count() << " records written to "
            << Field(TRecordStructList::DatabaseFilePath(root)) << '\n';
        return 0;
    case TBuildResult::NotWritten:
        try {
            db.SaveToFolder(root); // once more, for the reason
        } catch (const EToolsError& e) {
            throw Failure{Message(e.Message)};
        }
        out << db.Count() << " records written to "
            << Field(TRecordStructList::DatabaseFilePath(root)) << '\n';
        return 0;
    case TBuildResult::NoFolder:
        throw Failure{"not a folder: " + Utf8(root)};
    case TBuildResult::Stopped:
    case TBuildResult::Busy:
        break;
    }
    throw Failure{"the walk was stopped; the database file is unchanged"};
}

int List(const Args& args, std::ostream& out) {
    const Options options(args, 1, {"tag"}, {});
    const QString root = RootOperand(options, "list");
    QStringList tags;
    for (const std::string& t : options.AllValues("tag"))
        tags << QString::fromUtf8(t.data(), qsizetype(t.size()));
    if (tags.size() > 2)
        throw Failure{"at most two --tag filters"};
    const bool on1 = tags.size() >= 1, on2 = tags.size() >= 2;
    const QString tag1 = tags.value(0), tag2 = tags.value(1);

    TRecordStructList db;
    Load(db, root);
    // Nothing is written unless every line reads.
    std::ostringstream lines;
    try {
        for (int i = 0; i < db.Count(); ++i) {
            const TRecordStruct& r = *db.GetRecord(i);
            if (!PassesTagFilters(r.Tags, on1, tag1, on2, tag2))
                continue;
            const QStringList cells = SearchRowTexts(r);
            for (qsizetype c = 0; c < cells.size(); ++c)
                lines << (c ? "\t" : "") << Field(cells[c]);
            lines << '\n';
        }
    } catch (const EToolsError& e) {
        throw Failure{Message(e.Message)};
    }
    out << lines.str();
    return 0;
}

int Neighbours(const Args& args, std::ostream& out) {
    const Options options(args, 1, {"tags"}, {});
    const QString root = RootOperand(options, "neighbours");
    const std::string* tags = options.Value("tags");
    if (!tags)
        throw Failure{"neighbours needs --tags \"T1; T2\""};
    TRecordStructList db;
    Load(db, root);
    std::vector<std::pair<qint32, int>> best;
    try {
        best = NeighbourRecords(db, QString::fromUtf8(tags->data(), qsizetype(tags->size())));
    } catch (const EToolsError& e) {
        throw Failure{Message(e.Message)};
    }
    std::ostringstream lines;
    for (const auto& [score, index] : best)
        lines << score << '\t' << Field(db.GetRecord(index)->Path) << '\n';
    out << lines.str();
    return 0;
}

} // namespace

int RunDb(const Args& args, std::ostream& out, std::ostream& err) {
    if (args.empty())
        throw Failure{"missing command (build, list or neighbours); try tralu-cli db --help"};
    const std::string& command = args[0];
    if (WantsHelp(args) || command == "help") {
        if (command == "build")
            out << kBuildHelp;
        else if (command == "list")
            out << kListHelp;
        else if (command == "neighbours")
            out << kNeighboursHelp;
        else
            out << kHelp;
        return 0;
    }
    if (command == "build")
        return Build(args, out, err);
    if (command == "list")
        return List(args, out);
    if (command == "neighbours")
        return Neighbours(args, out);
    throw Failure{"unknown command: " + EscapeValue(command)};
}

} // namespace cli
