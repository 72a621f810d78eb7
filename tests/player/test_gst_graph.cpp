#include "audio_files.h"
#include "player/cx_lame_header.h"
#include "player/cx_player.h"
#include "player/gst_graph.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace tralu::test;

namespace {

constexpr std::int64_t SongSamples = ToneRate; // one second

// A player over the real graphs; the output sink is set before it is made.
struct TSession {
    explicit TSession(const QByteArray& sink) {
        qputenv("TRALU_AUDIO_SINK", sink);
        Output = std::make_unique<TGstOutput>();
        G1 = std::make_unique<TGstGraph>(*Output);
        G2 = std::make_unique<TGstGraph>(*Output);
        Core = std::make_unique<TPlayerCore>(*G1, *G2);
        Core->Hooks.SongStarted = [this] {
            Started << Core->CurrentFile;
            if (ForcePreload) // the next song is loaded at once, as in the last twentieth
                QTimer::singleShot(0, Core.get(), [this] { Core->DSTrackBar1Timer(1, 1); });
        };
        Core->Hooks.ReportError = [this](const QString& m) { Errors << m; };
        Core->Hooks.PlaylistEnded = [this] {
            Ended = true;
            Loop.quit();
        };
    }
    ~TSession() { qunsetenv("TRALU_AUDIO_SINK"); }
    bool PlayAll(const QStringList& songs, int timeoutMs) {
        for (const QString& s : songs)
            Core->Append(s);
        try {
            Core->PlayIndex(0);
        } catch (const EMediaError& e) {
            Errors << e.Message;
            return false;
        }
        QTimer::singleShot(timeoutMs, &Loop, &QEventLoop::quit);
        Loop.exec();
        Output->Drain(5000);
        return Ended;
    }
    std::unique_ptr<TGstOutput> Output;
    std::unique_ptr<TGstGraph> G1, G2;
    std::unique_ptr<TPlayerCore> Core;
    QStringList Started, Errors;
    bool ForcePreload = false;
    bool Ended = false;
    QEventLoop Loop;
};

class GstGraphTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    // Three one-second WAV songs cut from one tone.
    QStringList ToneWavs() {
        QStringList songs;
        for (int i = 0; i < 3; ++i) {
            songs << Path(QStringLiteral("%1 song.wav").arg(i));
            EXPECT_TRUE(WriteToneWav(songs.last(), i * SongSamples, SongSamples));
        }
        return songs;
    }
    QByteArray FileSink() const {
        return "audio/x-raw,format=F32LE ! wavenc ! filesink location=" +
               QFile::encodeName(dir.filePath(QStringLiteral("out.wav")));
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(GstGraphTest, WavSongsJoinSampleExactWithAndWithoutPreload) {
    for (bool preload : {true, false}) {
        SCOPED_TRACE(preload ? "preloaded" : "loaded at the end");
        const QStringList songs = ToneWavs();
        std::vector<float> out;
        {
            TSession s(FileSink());
            s.ForcePreload = preload;
            ASSERT_TRUE(s.PlayAll(songs, 20000));
            EXPECT_EQ(s.Started, songs);
            EXPECT_TRUE(s.Errors.isEmpty()) << s.Errors.join(' ').toStdString();
        }
        out = ReadFloatWav(Path(QStringLiteral("out.wav")));
        ASSERT_EQ(std::int64_t(out.size()), 3 * SongSamples);
        std::int64_t wrong = 0;
        for (std::int64_t n = 0; n < 3 * SongSamples; ++n)
            if (out[std::size_t(n)] != float(ToneSample(n)) / 32768.0f)
                ++wrong;
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(GstGraphTest, LameMp3SongsAreTrimmedToTheirOwnLength) {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QStringList wavs = ToneWavs();
    QStringList songs;
    for (const QString& w : wavs) {
        songs << QString(w).replace(QStringLiteral(".wav"), QStringLiteral(".mp3"));
        ASSERT_TRUE(
            RunTool(QStringLiteral("ffmpeg"), {"-loglevel", "error", "-y", "-i", w, "-c:a",
                                               "libmp3lame", "-b:a", "192k", songs.last()}));
    }
    {
        TSession s(FileSink());
        s.ForcePreload = true;
        ASSERT_TRUE(s.PlayAll(songs, 20000));
        EXPECT_EQ(s.Started, songs);
    }
    const std::vector<float> out = ReadFloatWav(Path(QStringLiteral("out.wav")));
    // Exactly the samples that were encoded: neither the encoder's delay
    // nor its padding is heard.
    ASSERT_EQ(std::int64_t(out.size()), 3 * SongSamples);
    // And in phase with the tone in every song: the error left by lossy
    // coding is least without a shift and the same for a shift either way.
    for (std::int64_t song = 0; song < 3; ++song) {
        SCOPED_TRACE(song);
        const auto rms = [&](std::int64_t lag) {
            double sum = 0;
            std::int64_t n0 = song * SongSamples + 100, n1 = (song + 1) * SongSamples - 100;
            for (std::int64_t n = n0; n < n1; ++n) {
                const double d = out[std::size_t(n + lag)] - ToneSample(n) / 32768.0;
                sum += d * d;
            }
            return std::sqrt(sum / double(n1 - n0));
        };
        EXPECT_LT(rms(0), 0.02);
        EXPECT_LT(rms(0), rms(1));
        EXPECT_LT(rms(0), rms(-1));
        EXPECT_NEAR(rms(1), rms(-1), 0.05 * rms(1));
    }
}

TEST_F(GstGraphTest, SongsPlayInOrderAndAnUndecodableOneIsReportedAndSkipped) {
    QStringList songs = ToneWavs();
    QFile bad(Path(QStringLiteral("bad.mp3")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("this is not audio\n");
    bad.close();
    songs.insert(1, bad.fileName());
    TSession s("fakesink sync=true");
    ASSERT_TRUE(s.PlayAll(songs, 20000));
    EXPECT_EQ(s.Started, (QStringList{songs[0], songs[2], songs[3]}));
    ASSERT_EQ(s.Errors.size(), 1);
    EXPECT_TRUE(s.Errors[0].contains(QStringLiteral(" ($"))) << s.Errors[0].toStdString();
    EXPECT_TRUE(s.Errors[0].endsWith(QStringLiteral(")."))) << s.Errors[0].toStdString();
    EXPECT_EQ(s.Core->CurrentIndex, 3);
}

TEST_F(GstGraphTest, PositionDurationPauseAndResume) {
    const QStringList songs = ToneWavs();
    TSession s("fakesink sync=true");
    s.Core->Append(songs[0]);
    s.Core->PlayIndex(0);
    EXPECT_EQ(s.G1->DurationMs(), 1000u);
    QTest::qWait(300);
    s.Core->Pause();
    const std::uint32_t paused = s.G1->PositionMs();
    EXPECT_GT(paused, 0u);
    QTest::qWait(300);
    EXPECT_EQ(s.G1->PositionMs(), paused);
    EXPECT_FALSE(s.Ended);
    s.Core->PlayCurrent(); // resumes
    QTimer::singleShot(5000, &s.Loop, &QEventLoop::quit);
    s.Loop.exec();
    EXPECT_TRUE(s.Ended);
    EXPECT_EQ(s.Started, QStringList{songs[0]});
}

TEST_F(GstGraphTest, AFileThatCannotBeDecodedThrowsTheServiceText) {
    TSession s("fakesink sync=true");
    s.Core->Append(Path(QStringLiteral("missing.mp3")));
    try {
        s.Core->PlayIndex(0);
        FAIL() << "no error";
    } catch (const EMediaError& e) {
        EXPECT_TRUE(e.Message.endsWith(QStringLiteral(")."))) << e.Message.toStdString();
    }
    EXPECT_EQ(s.Core->Status(), TPlayerCore::psStopped);
}

// ffprobe's first and last packets carry the samples to skip and discard.
static bool ProbeTrim(const QString& path, std::int64_t& skip, std::int64_t& discard) {
    QByteArray out;
    if (!RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_packets", path}, &out))
        return false;
    skip = discard = 0;
    bool first = true;
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("skip_samples=") && first) {
            skip = line.mid(13).toLongLong();
            first = false;
        }
        if (line.startsWith("discard_padding="))
            discard = line.mid(16).toLongLong();
    }
    return true;
}

TEST_F(GstGraphTest, LameHeaderAgreesWithFfprobe) {
    if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QString wav = Path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(WriteToneWav(wav, 0, 44000));
    struct {
        const char* name;
        QStringList args;
        bool header;
    } cases[] = {
        {"ffmpeg-cbr.mp3", {"-b:a", "128k"}, true},
        {"ffmpeg-vbr.mp3", {"-q:a", "4"}, true},
        {"ffmpeg-22k.mp3", {"-ar", "22050", "-b:a", "64k"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString mp3 = Path(QString::fromLatin1(c.name));
        ASSERT_TRUE(RunTool(QStringLiteral("ffmpeg"), QStringList{"-loglevel", "error", "-y", "-i",
                                                                  wav, "-c:a", "libmp3lame"} +
                                                          c.args + QStringList{mp3}));
        const auto info = ReadLameHeader(QFile::encodeName(mp3).toStdString());
        ASSERT_TRUE(info.has_value());
        std::int64_t skip, discard;
        ASSERT_TRUE(ProbeTrim(mp3, skip, discard));
        const TTrim trim = GaplessTrim(*info);
        EXPECT_EQ(std::int64_t(trim.Start), skip);
        EXPECT_EQ(std::int64_t(trim.End), discard);
        EXPECT_EQ(info->EncoderDelay + MpegDecoderDelay, skip);
    }
    // GStreamer's own encoder writes no LAME header (with xingmux a Xing
    // header without the extension): such files are played whole.
    for (const char* muxer : {"", "! xingmux "}) {
        const QString mp3 = Path(QStringLiteral("gst.mp3"));
        ASSERT_TRUE(RunTool(QStringLiteral("gst-launch-1.0"),
                            QProcess::splitCommand(
                                QStringLiteral("-q filesrc location=%1 ! wavparse ! audioconvert ! "
                                               "lamemp3enc %2! filesink location=%3")
                                    .arg(wav, QString::fromLatin1(muxer), mp3))));
        EXPECT_FALSE(ReadLameHeader(QFile::encodeName(mp3).toStdString()).has_value()) << muxer;
        std::int64_t skip, discard;
        ASSERT_TRUE(ProbeTrim(mp3, skip, discard));
        EXPECT_EQ(skip, 0);
    }
    EXPECT_FALSE(ReadLameHeader(QFile::encodeName(wav).toStdString()).has_value());
    EXPECT_FALSE(ReadLameHeader("/nonexistent/file.mp3").has_value());
}

TEST(LameHeader, TruncatedAndMalformedInputIsRefused) {
    // A frame header claiming a Xing header past the end of the data.
    const std::uint8_t frame[] = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0};
    EXPECT_FALSE(ParseLameHeader(frame, sizeof frame).has_value());
    // An ID3v2 tag whose size points far past the data.
    const std::uint8_t tag[] = {'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
    EXPECT_FALSE(ParseLameHeader(tag, sizeof tag).has_value());
    EXPECT_FALSE(ParseLameHeader(nullptr, 0).has_value());
}
