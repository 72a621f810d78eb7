#include "cli/cli_play.h"

#include "cli/cli_songs.h"
#include "platform/termination.h"
#include "player/cx_player.h"
#include "player/gst_graph.h"
#include "songs/cx_songfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace cli {

namespace {

constexpr const char* kHelp =
    "Usage: tralu-cli play [--ext LIST] PATH...\n"
    "Plays the songs and record folders given, in order, through the built-in\n"
    "player, and prints \"playing N/M PATH\" as each song starts.  A folder adds\n"
    "its music files (extensions of --ext, default mp3,mpc,ogg,wav,wma,ape) in\n"
    "name order without regard to case.  A song that cannot be decoded is\n"
    "reported and skipped.  TRALU_AUDIO_SINK names another output sink.\n";

QStringList PlayExtensions(const Options& options) {
    if (!options.Value("ext"))
        return {"mp3", "mpc", "ogg", "wav", "wma", "ape"};
    return ExtensionsOption(options);
}

} // namespace

int RunPlay(const Args& args, std::ostream& out, std::ostream& err) {
    if (WantsHelp(args)) {
        out << kHelp;
        return 0;
    }
    const Options options(args, 0, {"ext"}, {});
    if (options.Operands().empty())
        throw Failure{"nothing to play; try tralu-cli play --help"};
    const QStringList extensions = PlayExtensions(options);
    // Reports wait until something plays: when nothing can be played, the
    // run ends with one line only.
    std::vector<std::string> held;
    QStringList playlist;
    for (const std::string& operand : options.Operands()) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(operand));
        const QFileInfo info(path);
        if (info.isDir()) {
            const QString folder = QDir(info.absoluteFilePath()).absolutePath();
            for (const QString& song : ListSongs(folder, extensions))
                playlist << QDir(folder).filePath(song);
        } else if (info.isFile()) {
            playlist << info.absoluteFilePath();
        } else {
            held.push_back("no such file or folder: " + NameText(path));
        }
    }
    if (playlist.isEmpty())
        throw Failure{held.empty() ? std::string("no music files to play") : held.front()};

    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "tralu-cli";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);

    std::unique_ptr<TGstOutput> output;
    try {
        output = std::make_unique<TGstOutput>();
    } catch (const EMediaError& e) {
        throw Failure{"the audio output cannot be opened: " + e.Message.toStdString()};
    }
    TGstGraph graph1(*output), graph2(*output);
    TPlayerCore player(graph1, graph2);
    int played = 0;
    bool interrupted = false;
    const int total = int(playlist.size());
    player.Hooks.SongStarted = [&] {
        if (played++ == 0) {
            for (const std::string& line : held)
                err << "tralu-cli play: " << line << "\n";
            held.clear();
            err.flush();
        }
        out << "playing " << player.CurrentIndex + 1 << "/" << total << " "
            << NameText(player.CurrentFile) << std::endl;
    };
    player.Hooks.ReportError = [&](const QString& message) {
        if (played == 0) {
            held.push_back(message.toStdString());
            return;
        }
        err << "tralu-cli play: " << message.toStdString() << "\n";
        err.flush();
    };
    player.Hooks.PlaylistEnded = [&] { QCoreApplication::exit(0); };
    InstallTerminationHandler(&player, [&] {
        interrupted = true;
        QCoreApplication::exit(1);
    });
    for (const QString& song : playlist)
        player.Append(song);

    // The first song that loads starts the run; the ones before it are
    // reported and skipped, as later ones are by the player itself.
    bool started = false;
    for (int i = 0; i < total && !started; ++i) {
        try {
            player.PlayIndex(i);
            started = true;
        } catch (const EMediaError& e) {
            player.Hooks.ReportError(e.Message);
        }
    }
    if (started) {
        QCoreApplication::exec();
        if (!interrupted)
            output->Drain(10000); // the last samples are heard before the end
    }
    player.Hooks = {};
    graph1.Clear();
    graph2.Clear();
    if (interrupted)
        throw Failure{"interrupted"};
    if (played == 0)
        throw Failure{held.empty() ? std::string("nothing could be played")
                                   : "nothing could be played: " + held.back()};
    return 0;
}

} // namespace cli
