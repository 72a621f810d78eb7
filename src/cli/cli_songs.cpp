#include "cli/cli_songs.h"

#include "platform/file_ops.h"
#include "songs/cx_songnames.h"
#include "songs/cx_songruns.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace cli {

bool WantsHelp(const Args& args) {
    for (const std::string& a : args)
        if (a == "--help" || a == "-h")
            return true;
    return false;
}

QString RecordFolderOperand(const Options& options, const char* command) {
    if (options.Operands().size() != 1)
        throw Failure{std::string(command) + " takes one record folder"};
    const QByteArray bytes = QByteArray::fromStdString(options.Operands()[0]);
    const QString path = QFile::decodeName(bytes);
    if (bytes.isEmpty())
        throw Failure{"the record folder is empty"};
    if (QFile::encodeName(path) != bytes)
        throw Failure{"the record folder's path is not valid UTF-8: " + RawNameText(bytes)};
    const auto status = FileStatus(path, true);
    if (!status || !status->IsDirectory)
        throw Failure{"no such folder: " + NameText(path)};
    return QDir(path).absolutePath();
}

QStringList ExtensionsOption(const Options& options) {
    const std::string* value = options.Value("ext");
    if (!value)
        return {QStringLiteral("mp3")};
    QStringList extensions;
    for (QString e : QString::fromStdString(*value).split(QLatin1Char(','))) {
        e = e.trimmed();
        if (e.startsWith(QLatin1Char('.')))
            e.remove(0, 1);
        if (!e.isEmpty())
            extensions << e;
    }
    if (extensions.isEmpty())
        throw Failure{"--ext takes a list of extensions such as mp3,ogg"};
    return extensions;
}

std::string NameText(const QString& name) {
    return RawNameText(name.toUtf8());
}

std::string RawNameText(const QByteArray& name) {
    // As values are written, and tabs too (they separate the fields); the
    // bytes of a name that is not UTF-8 as \xNN.
    const bool decodable = IsDecodableName(name);
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (!decodable && byte >= 0x80) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        } else {
            out += EscapeValue(std::string_view(&c, 1));
        }
    }
    return out;
}

void WarnUndecodableNames(const QString& folder, const std::function<bool(const QString&)>& taken,
                          const char* group, std::ostream& err) {
    for (const QByteArray& name : UndecodableNames(folder)) {
        if (name.startsWith('.') || !taken(QFile::decodeName(name)))
            continue;
        err << "tralu-cli " << group
            << ": left alone, the name is not valid UTF-8: " << RawNameText(name) << "\n";
    }
}

} // namespace cli
