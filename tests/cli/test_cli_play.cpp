#include "audio_files.h"
#include "cli_run.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace tralu::test;

namespace {

class CliPlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("TRALU_AUDIO_SINK", "fakesink sync=true");
    }
    void TearDown() override { qunsetenv("TRALU_AUDIO_SINK"); }
    QString Song(const QString& name, std::int64_t samples = 8820) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        EXPECT_TRUE(WriteToneWav(path, 0, samples));
        return path;
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(CliPlayTest, PlaysFoldersInNameOrderAndSkipsWhatCannotBeDecoded) {
    const QString rec = dir.filePath(QStringLiteral("Artist - Record"));
    Song(QStringLiteral("Artist - Record/c.wav"));
    Song(QStringLiteral("Artist - Record/B.wav"));
    Song(QStringLiteral("Artist - Record/a.wav"));
    Song(QStringLiteral("Artist - Record/.hidden.wav"));
    QFile bad(rec + QStringLiteral("/b2.mp3"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not audio");
    bad.close();
    const QString single = Song(QStringLiteral("single.wav"));
    const ProgramResult r = RunProgram({QStringLiteral("play"), rec, single});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out),
              QStringLiteral("playing 1/5 %1/a.wav\nplaying 2/5 %1/B.wav\nplaying 4/5 %1/c.wav\n"
                             "playing 5/5 %2\n")
                  .arg(rec, single));
    EXPECT_EQ(r.err.count('\n'), 1);
    EXPECT_TRUE(r.err.startsWith("tralu-cli play: ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.trimmed().endsWith(").")) << r.err.toStdString();
}

TEST_F(CliPlayTest, NothingPlayableFailsWithOneLine) {
    QFile bad(dir.filePath(QStringLiteral("bad.mp3")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not audio");
    bad.close();
    for (const QStringList& args :
         {QStringList{"play", bad.fileName()}, QStringList{"play", dir.filePath("missing.mp3")},
          QStringList{"play", bad.fileName(), dir.filePath("missing.mp3")},
          QStringList{"play", dir.path()}, QStringList{"play"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const ProgramResult r = RunProgram(args);
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(CliPlayTest, SigtermAndSigintStopAtOnce) {
    const QString song = Song(QStringLiteral("long.wav"), 30 * ToneRate);
    for (int sig : {SIGTERM, SIGINT}) {
        QProcess p;
        p.start(QStringLiteral(TRALU_BINARY_DIR "/src/cli/tralu-cli"), {"play", song, song});
        ASSERT_TRUE(p.waitForReadyRead(10000));
        EXPECT_TRUE(p.readAllStandardOutput().startsWith("playing 1/2 "));
        ::kill(pid_t(p.processId()), sig);
        // Well before the song's 30 seconds.
        ASSERT_TRUE(p.waitForFinished(10000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1);
    }
}
