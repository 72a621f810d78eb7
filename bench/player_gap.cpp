// player_gap: the silence a player inserts between songs, measured through
// a real sound server.  A private PulseAudio daemon (its own runtime folder
// under the build folder, no user configuration, one null sink) plays the
// songs that player_gap.prepare cut from one continuous signal, and parec
// records the null sink's monitor.  tralu-cli play and the baseline,
// gst-play-1.0 --gapless, play the same WAV songs and the same LAME MP3
// songs in the same run; every join is found in the recording (see
// gap_detect.h) and its inserted time printed.  pacat, PulseAudio's own
// client, plays the first song alone: what it loses at the start is the
// sound server's, not a player's.  The last recording of each case stays in
// bench-data/player_gap/*.raw (16-bit stereo at 44100 Hz) for a look.
//
// RESULT: per player and kind of song, the join farthest from a sample-exact
// one (max_gap_ms, negative when samples are lost), the songs not heard,
// the song whose recorded length is farthest from its own (max_cut_ms), and
// the silence where the first song's beginning should be (start_lost_ms);
// the worst of all rounds.
//
// bench/run player_gap [ROUNDS]

#include "gap_detect.h"
#include "player/cx_lame_header.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <sys/prctl.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int Rate = 44100;
constexpr const char* SinkName = "tralu_gap";

std::string Text(const QString& s) {
    return s.toStdString();
}

double Ms(std::int64_t samples) {
    return double(samples) * 1000.0 / Rate;
}

// A child process that is ended when it goes out of scope, and also when
// this program dies in any way (the kernel sends it SIGTERM then).
class TChild {
public:
    TChild(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
        Process.setProgram(program);
        Process.setArguments(args);
        Process.setProcessEnvironment(env);
        Process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;
    ~TChild() { Stop(); }

    void Start() {
        Process.start();
        if (!Process.waitForStarted(10000))
            throw std::runtime_error("cannot start " + Text(Process.program()) + ": " +
                                     Text(Process.errorString()));
    }

    // SIGTERM, then SIGKILL when it does not end within two seconds.
    void Stop() {
        if (Process.state() == QProcess::NotRunning)
            return;
        Process.terminate();
        if (!Process.waitForFinished(2000)) {
            Process.kill();
            Process.waitForFinished(2000);
        }
    }

    QProcess Process;
};

// Runs a program to its end; its exit code, -1 when it crashed or timed out.
int Run(const QString& program, const QStringList& args, const QProcessEnvironment& env,
        int timeoutMs, QByteArray* out = nullptr, QByteArray* err = nullptr) {
    TChild c(program, args, env);
    c.Start();
    const bool ended = c.Process.waitForFinished(timeoutMs);
    if (out)
        *out = c.Process.readAllStandardOutput();
    if (err)
        *err = c.Process.readAllStandardError();
    if (!ended || c.Process.exitStatus() != QProcess::NormalExit)
        return -1;
    return c.Process.exitCode();
}

QString Need(const QString& program) {
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty())
        throw std::runtime_error(Text(program) + " is not installed (tools/install-deps)");
    return path;
}

// The private sound server: started in the constructor, ended in the
// destructor (and by the kernel if this program dies first).
class TSoundServer {
public:
    explicit TSoundServer(const QString& folder) {
        QDir(folder).removeRecursively();
        for (const char* sub : {"home", "run", "config/pulse", "state"})
            QDir().mkpath(folder + "/" + sub);
        QFile::setPermissions(folder + "/run",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString socket = folder + "/native";
        if (QFile::encodeName(socket).size() > 100)
            throw std::runtime_error("the build folder's path is too long for a socket: " +
                                     Text(socket));
        QFile client(folder + "/config/pulse/client.conf");
        if (!client.open(QIODevice::WriteOnly) || client.write("autospawn = no\n") < 0)
            throw std::runtime_error("cannot write " + Text(client.fileName()));
        client.close();
        Env = QProcessEnvironment::systemEnvironment();
        Env.insert("HOME", folder + "/home");
        Env.insert("XDG_RUNTIME_DIR", folder + "/run");
        Env.insert("XDG_CONFIG_HOME", folder + "/config");
        Env.insert("PULSE_RUNTIME_PATH", folder + "/run/pulse");
        Env.insert("PULSE_STATE_PATH", folder + "/state");
        Env.insert("PULSE_CLIENTCONFIG", client.fileName());
        Env.insert("PULSE_SERVER", "unix:" + socket);
        Env.remove("DBUS_SESSION_BUS_ADDRESS");
        Daemon = std::make_unique<TChild>(
            Need("pulseaudio"),
            QStringList{"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1",
                        "--realtime=no", "--high-priority=no", "--log-target=stderr",
                        "--log-level=error", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
                        QString("module-null-sink sink_name=%1 rate=%2 format=s16le channels=2")
                            .arg(SinkName)
                            .arg(Rate)},
            Env);
        Daemon->Start();
        const QString pactl = Need("pactl");
        for (int i = 0; i < 100; ++i) {
            if (Daemon->Process.state() == QProcess::NotRunning)
                throw std::runtime_error("pulseaudio ended at start: " +
                                         Daemon->Process.readAllStandardError().toStdString());
            if (Run(pactl, {"info"}, Env, 5000) == 0 &&
                Run(pactl, {"set-default-sink", SinkName}, Env, 5000) == 0)
                return;
            QThread::msleep(100);
        }
        throw std::runtime_error("pulseaudio does not answer");
    }

    QProcessEnvironment Env;
    std::unique_ptr<TChild> Daemon;
};

struct TSongs {
    QStringList Wav, Mp3;
    std::vector<float> Reference; // the WAV songs' first channel, one after the other
    std::vector<std::int64_t> Lengths;
};

TSongs LoadSongs(const QString& folder) {
    TSongs s;
    const QStringList names = QDir(folder + "/wav").entryList({"*.wav"}, QDir::Files, QDir::Name);
    if (names.size() < 2)
        throw std::runtime_error("no songs in " + Text(folder) +
                                 "; bench/run player_gap makes them");
    for (const QString& n : names) {
        s.Wav << folder + "/wav/" + n;
        s.Mp3 << folder + "/mp3/" + QString(n).replace(".wav", ".mp3");
        // The encoder's delay and padding must be there to be trimmed.
        if (!ReadLameHeader(QFile::encodeName(s.Mp3.last()).toStdString()))
            throw std::runtime_error(Text(s.Mp3.last()) + " is missing or has no LAME header");
        int rate = 0;
        const std::vector<float> samples = gap::ReadWavChannel(Text(s.Wav.last()), &rate);
        if (rate != Rate)
            throw std::runtime_error(Text(s.Wav.last()) + " is not at 44100 Hz");
        s.Reference.insert(s.Reference.end(), samples.begin(), samples.end());
        s.Lengths.push_back(std::int64_t(samples.size()));
    }
    return s;
}

struct TFigures {
    double MaxGapMs = 0; // the join farthest from 0, with its sign
    int Lost = 0;
    double StartLostMs = 0; // silence where the first song's beginning should be
    double MaxCutMs = 0;    // the song whose recorded length is farthest from its own
    int Started = -1;       // songs the player reported as started, when it does
};

// Plays `songs` with one player while parec records the null sink's
// monitor into rawPath; the player's standard output.
QByteArray Record(const TSoundServer& server, const TSongs& songs, const QString& program,
                  const QStringList& args, const QString& rawPath) {
    QFile::remove(rawPath);
    TChild parec(Need("parec"),
                 {"--raw", "--format=s16le", QString("--rate=%1").arg(Rate), "--channels=2",
                  QString("--device=%1.monitor").arg(SinkName), "--latency-msec=20"},
                 server.Env);
    parec.Process.setStandardOutputFile(rawPath);
    // A stream of zeros keeps the null sink running, and the player starts
    // only once the recording receives samples: a new recording stream of
    // the monitor gets nothing for its first second or two, which would cut
    // the first song.  The zeros ask for 2 ms of latency, so that the sink
    // renders little ahead: a new stream rewinds the sink, and the monitor
    // cannot take back what parec has already read, so the beginning of
    // the first song is lost up to that much (about 0.5 ms then, 4 ms with
    // 20 ms of latency, whatever the player; the pacat case shows it).
    TChild zeros(Need("pacat"),
                 {"--playback", "--raw", "--format=s16le", QString("--rate=%1").arg(Rate),
                  "--channels=2", "--latency-msec=2", QString("--device=%1").arg(SinkName),
                  "/dev/zero"},
                 server.Env);
    zeros.Start();
    parec.Start();
    for (int i = 0; QFileInfo(rawPath).size() < Rate * 4 / 5; ++i) {
        if (i == 200 || parec.Process.state() == QProcess::NotRunning)
            throw std::runtime_error("parec records nothing");
        QThread::msleep(50);
    }
    QProcessEnvironment env = server.Env;
    env.insert("TRALU_AUDIO_SINK", "pulsesink");
    double seconds = 0;
    for (std::int64_t l : songs.Lengths)
        seconds += double(l) / Rate;
    QByteArray out, err;
    const int code = Run(program, args, env, int(seconds * 1000) + 30000, &out, &err);
    QThread::msleep(700);
    parec.Stop();
    if (code != 0)
        std::printf("  the player ended with %d: %s\n", code, err.trimmed().constData());
    else if (!err.trimmed().isEmpty())
        std::printf("  the player said: %s\n", err.trimmed().constData());
    return out;
}

// Records one player on `songs` and prints what each song and join sounded like.
TFigures Measure(const TSoundServer& server, const TSongs& songs, const QString& label,
                 const QString& program, const QStringList& args, const QString& rawPath,
                 bool countStarts) {
    std::printf("%s:\n", Text(label).c_str());
    std::fflush(stdout);
    const QByteArray out = Record(server, songs, program, args, rawPath);
    TFigures f;
    if (countStarts)
        f.Started = int(out.count("playing "));
    const std::vector<float> recording = gap::ReadRawChannel(Text(rawPath), 2);
    const gap::TReport r = gap::MeasureJoins(songs.Reference, songs.Lengths, recording);
    for (std::size_t k = 0; k < r.Songs.size(); ++k) {
        const gap::TSongSpan& s = r.Songs[k];
        if (!s.Start.Found)
            std::printf("  song %zu: lost\n", k + 1);
        else if (!s.End.Found)
            std::printf("  song %zu: its end is not heard\n", k + 1);
        else if (k == 0 && s.HeadQuiet > 0)
            std::printf("  song 1: its first %.2f ms are not heard (the start of a stream, "
                        "see the pacat case)\n",
                        Ms(s.HeadQuiet));
        else if (s.HeadScore < gap::TOptions().MinEdgeScore)
            std::printf("  song %zu: its beginning is not heard (%.2f ms of silence)\n", k + 1,
                        Ms(s.HeadQuiet));
        else if (s.TailScore < gap::TOptions().MinEdgeScore)
            std::printf("  song %zu: its end is not heard (%.2f ms of silence)\n", k + 1,
                        Ms(s.TailQuiet));
        else if (s.LengthError != 0)
            std::printf("  song %zu: %+.2f ms inside it\n", k + 1, Ms(s.LengthError));
        if (s.Start.Found && s.End.Found && std::fabs(Ms(s.LengthError)) > std::fabs(f.MaxCutMs))
            f.MaxCutMs = Ms(s.LengthError);
    }
    double edge = 1;
    for (const gap::TSongSpan& s : r.Songs)
        if (s.Start.Found && s.End.Found)
            edge = std::min({edge, s.HeadScore, s.TailScore});
    std::printf("  songs heard: %zu of %zu, their edges matching at least %.3f\n",
                r.Songs.size() - std::size_t(r.Lost), r.Songs.size(), edge);
    for (const gap::TJoin& j : r.Joins) {
        if (!j.Found) {
            std::printf("  join %d|%d: not found\n", j.Song + 1, j.Song + 2);
            continue;
        }
        const gap::TSongSpan& a = r.Songs[std::size_t(j.Song)];
        const gap::TSongSpan& b = r.Songs[std::size_t(j.Song) + 1];
        std::printf("  join %d|%d: %+.2f ms (%+lld samples), match %.3f|%.3f\n", j.Song + 1,
                    j.Song + 2, Ms(j.Inserted), static_cast<long long>(j.Inserted), a.End.Score,
                    b.Start.Score);
        if (std::fabs(Ms(j.Inserted)) > std::fabs(f.MaxGapMs))
            f.MaxGapMs = Ms(j.Inserted);
    }
    f.Lost = r.Lost;
    if (!r.Songs.empty() && r.Songs[0].Start.Found)
        f.StartLostMs = Ms(r.Songs[0].HeadQuiet);
    if (f.Started >= 0 && f.Started != int(songs.Lengths.size()))
        std::printf("  the player started %d of %zu songs\n", f.Started, songs.Lengths.size());
    std::fflush(stdout);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const char* dataEnv = std::getenv("TRALU_BENCH_DATA");
    const QString data =
        dataEnv ? QString::fromLocal8Bit(dataEnv) : QString(TRALU_BINARY_DIR "/bench-data");
    const QString cli = TRALU_BINARY_DIR "/src/cli/tralu-cli";
    try {
        const TSongs songs = LoadSongs(data + "/player_gap");
        const QString gstPlay = Need("gst-play-1.0");
        std::printf("player_gap: %zu songs of %.2f s in all, through PulseAudio's null sink\n",
                    songs.Lengths.size(), double(songs.Reference.size()) / Rate);
        const TSoundServer server(TRALU_BINARY_DIR "/bench-pulse");
        struct TCase {
            const char* key;
            QString program;
            QStringList args;
            bool counts;
            const TSongs* played;
        };
        // The sound server and the recording alone: the first song played
        // by PulseAudio's own client.
        TSongs first;
        first.Wav = songs.Wav.mid(0, 1);
        first.Lengths = {songs.Lengths[0]};
        first.Reference.assign(songs.Reference.begin(), songs.Reference.begin() + songs.Lengths[0]);
        const QStringList gstArgs{"--gapless", "--no-interactive", "-q", "--audiosink=pulsesink"};
        const TCase cases[] = {
            {"pacat", Need("pacat"), QStringList{"--file-format=wav"} + first.Wav, false, &first},
            {"tralu_wav", cli, QStringList{"play"} + songs.Wav, true, &songs},
            {"tralu_mp3", cli, QStringList{"play"} + songs.Mp3, true, &songs},
            {"gstplay_wav", gstPlay, gstArgs + songs.Wav, false, &songs},
            {"gstplay_mp3", gstPlay, gstArgs + songs.Mp3, false, &songs},
        };
        std::vector<TFigures> worst(std::size(cases));
        for (int round = 0; round < rounds; ++round) {
            for (std::size_t c = 0; c < std::size(cases); ++c) {
                const TCase& k = cases[c];
                QString label = QString::fromLatin1(k.key);
                if (rounds > 1)
                    label += QString(" (round %1)").arg(round + 1);
                const QString raw = QString("%1/player_gap/%2.raw").arg(data, k.key);
                const TFigures f =
                    Measure(server, *k.played, label, k.program, k.args, raw, k.counts);
                TFigures& w = worst[c];
                if (std::fabs(f.MaxGapMs) > std::fabs(w.MaxGapMs))
                    w.MaxGapMs = f.MaxGapMs;
                if (std::fabs(f.MaxCutMs) > std::fabs(w.MaxCutMs))
                    w.MaxCutMs = f.MaxCutMs;
                w.Lost = std::max(w.Lost, f.Lost);
                w.StartLostMs = std::max(w.StartLostMs, f.StartLostMs);
            }
        }
        // The joins' figures first, then the songs', then the first song's
        // beginning (pacat too, which plays one song and has no join).
        std::printf("RESULT");
        const auto joined = [&](std::size_t c) { return cases[c].played->Lengths.size() > 1; };
        for (std::size_t c = 0; c < std::size(cases); ++c)
            if (joined(c))
                std::printf(" %s_max_gap_ms=%.2f", cases[c].key, worst[c].MaxGapMs);
        for (std::size_t c = 0; c < std::size(cases); ++c)
            if (joined(c))
                std::printf(" %s_songs_lost=%d", cases[c].key, worst[c].Lost);
        for (std::size_t c = 0; c < std::size(cases); ++c)
            if (joined(c))
                std::printf(" %s_max_cut_ms=%.2f", cases[c].key, worst[c].MaxCutMs);
        for (std::size_t c = 0; c < std::size(cases); ++c)
            std::printf(" %s_start_lost_ms=%.2f", cases[c].key, worst[c].StartLostMs);
        std::printf("\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "player_gap: %s\n", e.what());
        return 1;
    }
    return 0;
}
