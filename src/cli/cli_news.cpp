#include "cli/cli_news.h"

#include "platform/reg_hive.h"
#include "records/cx_shortcut_lists.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli news ROOT [--days N] [--dir NAME] [--use-dir-date] [--dry-run]\n\n"
    "Rebuilds the new-music folder of the music root ROOT as the window's \"Create\n"
    "new music list\" does: one shortcut \"Parent - Record.lnk\" for every record\n"
    "folder added from N days ago to 7 days ahead; the old shortcuts of the folder\n"
    "go to the trash.  Writes LINK<TAB>TARGET for each shortcut made, in the order\n"
    "made; with --dry-run writes the same lines and changes nothing.\n\n"
    "--days N        age limit in days, 1 to 999 (default: the setting \"NewDays\", 30)\n"
    "--dir NAME      the folder's name inside ROOT (default: \"NewMusicDir\", News)\n"
    "--use-dir-date  date records by their folder, not their files (default:\n"
    "                \"UseDirDate\")\n\n"
    "Settings are read from the settings file ($TRALU_SETTINGS, else\n"
    "~/.config/Quarnet/user.reg).  Fields are UTF-8; a backslash is written \\\\,\n"
    "a tab \\t, a newline \\n.\n";

std::string Utf8(const QString& s) {
    const QByteArray bytes = s.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QString FromArg(const std::string& s) {
    return QFile::decodeName(QByteArray(s.data(), qsizetype(s.size())));
}

std::string Field(const QString& s) {
    std::string out;
    for (char c : EscapeValue(Utf8(s))) {
        if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

} // namespace

TNewsSettings ReadNewsSettings() {
    TNewsSettings s;
    TqvRegistry registry;
    if (!registry.OpenKey(QStringLiteral("\\Software\\Quarnet\\Tralu\\Initial"), false))
        return s;
    const auto text = [&](const char* name, QString& value) {
        const auto v = registry.ReadValue(QLatin1String(name));
        if (v && v->Type == TqvRegDataType::String)
            value = v->Text;
    };
    const auto number = [&](const char* name) -> std::optional<qint32> {
        const auto v = registry.ReadValue(QLatin1String(name));
        if (v && v->Type == TqvRegDataType::Integer)
            return v->Number;
        return std::nullopt;
    };
    if (const auto days = number("NewDays"))
        s.Days = std::clamp(*days, 1, 999);
    text("NewMusicDir", s.Dir);
    text("BookmarkDir", s.BookmarkDir);
    s.UseDirDate = number("UseDirDate").value_or(0) != 0;
    return s;
}

int RunNews(const Args& args, std::ostream& out, std::ostream&) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            out << kHelp;
            return 0;
        }
    const Options options(args, 0, {"days", "dir"}, {"use-dir-date", "dry-run"});
    if (options.Operands().size() != 1)
        throw Failure{"takes one music root folder; try tralu-cli news --help"};
    const QString root = FromArg(options.Operands().front());
    if (!QFileInfo(root).isDir())
        throw Failure{"not a folder: " + EscapeValue(options.Operands().front())};

    TNewsSettings settings = ReadNewsSettings();
    if (const std::string* days = options.Value("days")) {
        int value = 0;
        const auto [end, ec] = std::from_chars(days->data(), days->data() + days->size(), value);
        if (ec != std::errc() || end != days->data() + days->size() || value < 1 || value > 999)
            throw Failure{"--days takes a number of days from 1 to 999"};
        settings.Days = value;
    }
    if (const std::string* dir = options.Value("dir"))
        settings.Dir = FromArg(*dir);
    if (options.Has("use-dir-date"))
        settings.UseDirDate = true;

    TNewMusicOptions walk;
    walk.Days = settings.Days;
    walk.UseDirDate = settings.UseDirDate;
    TNewMusicResult result;
    try {
        result = RebuildNewMusicList(root, settings.Dir, settings.BookmarkDir, walk,
                                     options.Has("dry-run"));
    } catch (const EToolsError& e) {
        throw Failure{EscapeValue(Utf8(e.Message))};
    }
    const QString folder = AddBackslash(QFileInfo(root).absoluteFilePath()) + settings.Dir + "/";
    for (const TNewMusicLink& link : result.Made)
        out << Field(folder + link.Name) << '\t' << Field(link.Target) << '\n';
    if (!result.Error.isEmpty())
        throw Failure{EscapeValue(Utf8(result.Error))};
    return 0;
}

} // namespace cli
