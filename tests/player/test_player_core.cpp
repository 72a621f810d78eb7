#include "fake_graph.h"
#include "player/cx_player.h"
#include "player/cx_player_rules.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os) {
    for (const QString& s : l)
        *os << '"' << s.toStdString() << "\" ";
}

TEST(PlayerRules, PreloadInTheLastTwentieth) {
    struct {
        std::uint32_t position, duration;
        bool due;
    } cases[] = {
        {56800, 60000, false}, // 3.2 s left
        {57000, 60000, false}, // exactly 3 s left is not less than 3 s
        {57200, 60000, true},  // the first 400 ms tick after 57 s
        {60000, 60000, true},
        {60001, 60000, false}, // past the duration: the unsigned difference
                               // is huge
        {90000, 60000, false},
        {0, 0, false},
        {7700, 8000, true},
        {7500, 8000, false}, // a short song's last twentieth may fall between ticks
    };
    for (const auto& c : cases)
        EXPECT_EQ(PreloadDue(c.position, c.duration), c.due) << c.position << "/" << c.duration;
}

TEST(PlayerRules, IndexAfterDelete) {
    EXPECT_EQ(IndexAfterDelete(6, 2, 4), 3); // before the current entry
    EXPECT_EQ(IndexAfterDelete(3, 2, 4), 1); // the current entry inside
    EXPECT_EQ(IndexAfterDelete(4, 2, 4), 1); // ending on it
    EXPECT_EQ(IndexAfterDelete(1, 2, 4), 1); // after it
    EXPECT_EQ(IndexAfterDelete(0, 0, 0), -1);
}

TEST(PlayerRules, RowTexts) {
    EXPECT_EQ(PlaylistRowText(QStringLiteral("/Music/A/Artist/Record/01 Song.mp3")),
              QStringLiteral("Artist/Record/01 Song.mp3"));
    EXPECT_EQ(PlaylistRowText(QStringLiteral("/x.mp3")), QStringLiteral("//x.mp3"));
    EXPECT_EQ(PlaylistRowText(QStringLiteral("/a/x.mp3")), QStringLiteral("/a/x.mp3"));
}

TEST(PlayerRules, NowPlayingShortensOneStepAtATime) {
    TNowPlayingParts p = SplitNowPlaying(QStringLiteral("/Music/A/Artist/Record/01.mp3"));
    QStringList steps{p.Text()};
    while (ShortenNowPlayingStep(p))
        steps << p.Text();
    EXPECT_EQ(steps, (QStringList{"/Music/A/Artist/Record/01.mp3", "/.../A/Artist/Record/01.mp3",
                                  "/.../Artist/Record/01.mp3", "/.../Record/01.mp3", "/.../01.mp3",
                                  ".../01.mp3", "01.mp3"}));
    // A drive letter goes with the last folder, as on the system the rule
    // comes from; a folder whose name starts with a dot is cut like any other.
    p = SplitNowPlaying(QStringLiteral("D:/.a/b/x.mp3"));
    steps = QStringList{p.Text()};
    while (ShortenNowPlayingStep(p))
        steps << p.Text();
    EXPECT_EQ(steps, (QStringList{"D:/.a/b/x.mp3", "D:/.../b/x.mp3", "D:/.../x.mp3", ".../x.mp3",
                                  "x.mp3"}));
    // Only as far as needed: width = number of characters.
    const auto chars = [](const QString& s) { return int(s.size()); };
    EXPECT_EQ(ShortenNowPlaying(QStringLiteral("/Music/A/Artist/Record/01.mp3"), 30, chars),
              QStringLiteral("/Music/A/Artist/Record/01.mp3"));
    EXPECT_EQ(ShortenNowPlaying(QStringLiteral("/Music/A/Artist/Record/01.mp3"), 20, chars),
              QStringLiteral("/.../Record/01.mp3"));
    EXPECT_EQ(ShortenNowPlaying(QStringLiteral("/Music/A/Artist/Record/01.mp3"), 2, chars),
              QStringLiteral("01.mp3"));
}

TEST(PlayerRules, ErrorText) {
    EXPECT_EQ(MediaErrorText(QStringLiteral("Could not decode stream."), 0x1f),
              QStringLiteral("Could not decode stream. ($1f)."));
}

class PlayerCoreTest : public ::testing::Test {
protected:
    PlayerCoreTest() {
        core.Hooks.SelectRow = [this](int row) { selected = row; };
        core.Hooks.ReportError = [this](const QString& m) { errors << m; };
        core.Hooks.SongStarted = [this] { started << core.CurrentFile; };
        core.Hooks.PlaylistEnded = [this] { ++ended; };
    }
    void Fill(int n) {
        for (int i = 0; i < n; ++i)
            core.Append(QStringLiteral("/m/A/Artist/Record/%1.mp3").arg(i));
    }
    static QString Song(int i) { return QStringLiteral("/m/A/Artist/Record/%1.mp3").arg(i); }
    TFakeGraph& Current() { return core.CurrentGraphNumber == 2 ? g2 : g1; }

    QStringList log;
    TFakeGraph g1{1, log};
    TFakeGraph g2{2, log};
    TPlayerCore core{g1, g2};
    QStringList errors, started;
    int selected = -1;
    int ended = 0;
};

TEST_F(PlayerCoreTest, PreloadAtTheFirstTickAfter57sThenSwapAtTheEnd) {
    Fill(3);
    core.PlayIndex(0);
    EXPECT_EQ(log, (QStringList{"1:Stop", "1:Clear", "1:SeekToStart", "1:Activate",
                                "1:RenderFile " + Song(0), "1:Play"}));
    log.clear();
    for (std::uint32_t t = 0; t <= 57000; t += 400)
        core.DSTrackBar1Timer(t, 60000);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(core.NextPreloaded);
    core.DSTrackBar1Timer(57200, 60000);
    EXPECT_TRUE(core.NextPreloaded);
    EXPECT_EQ(log, (QStringList{"2:Stop", "2:Clear", "2:Activate", "2:RenderFile " + Song(1)}));
    log.clear();
    core.DSTrackBar1Timer(57600, 60000); // preloaded once only
    EXPECT_TRUE(log.isEmpty());

    core.FilterGraph1GraphComplete();
    EXPECT_EQ(core.CurrentIndex, 1);
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(core.CurrentGraphNumber, 2);
    EXPECT_EQ(core.CurrentFile, Song(1));
    EXPECT_FALSE(core.NextPreloaded);
    // The ready graph plays at once, then the finished one is cleared.
    EXPECT_EQ(log, (QStringList{"2:Play", "1:Stop", "1:Clear"}));
    EXPECT_EQ(started, (QStringList{Song(0), Song(1)}));
}

TEST_F(PlayerCoreTest, EndOfSongWithoutPreloadLoadsTheNextThen) {
    Fill(2);
    core.PlayIndex(0);
    log.clear();
    core.DSTrackBar1Timer(7500, 8000); // a short song: no tick in its last twentieth
    core.FilterGraph1GraphComplete();
    EXPECT_EQ(core.CurrentIndex, 1);
    EXPECT_EQ(log, (QStringList{"2:Clear", "2:Activate", "2:RenderFile " + Song(1), "2:Play",
                                "1:Stop", "1:Clear"}));
}

TEST_F(PlayerCoreTest, LastSongFinishingStopsAndPlayStartsItAgain) {
    Fill(2);
    core.PlayIndex(1);
    core.DSTrackBar1Timer(59000, 60000); // no next entry: nothing preloaded
    EXPECT_FALSE(core.NextPreloaded);
    log.clear();
    core.FilterGraph1GraphComplete();
    EXPECT_EQ(log, (QStringList{"1:Stop", "1:Clear"}));
    EXPECT_EQ(core.CurrentIndex, 1);
    EXPECT_EQ(core.CurrentFile, Song(1));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(core.Status(), TPlayerCore::psStopped);
    log.clear();
    core.PlayCurrent();
    EXPECT_EQ(log, (QStringList{"1:RenderFile " + Song(1), "1:Play"}));
    EXPECT_EQ(core.Status(), TPlayerCore::psPlaying);
}

TEST_F(PlayerCoreTest, PlayAfterPauseResumesAfterStopStartsAgain) {
    Fill(1);
    core.PlayIndex(0);
    core.Pause();
    EXPECT_EQ(core.Status(), TPlayerCore::psPaused);
    log.clear();
    core.PlayCurrent();
    EXPECT_EQ(log, (QStringList{"1:Play"}));
    core.Stop();
    log.clear();
    core.PlayCurrent();
    EXPECT_EQ(log, (QStringList{"1:RenderFile " + Song(0), "1:Play"}));
}

TEST_F(PlayerCoreTest, DeleteBeforeTheCurrentEntryKeepsTheSameSong) {
    Fill(8);
    core.PlayIndex(6);
    core.DeleteRows(2, 4);
    EXPECT_EQ(core.CurrentIndex, 3);
    EXPECT_EQ(core.Playlist[3], Song(6));
    EXPECT_EQ(core.Playlist.size(), 5);
}

TEST_F(PlayerCoreTest, DeletingThePlayingRowsPlaysTheSongAfterThemNext) {
    Fill(8);
    core.PlayIndex(3);
    core.DSTrackBar1Timer(58000, 60000); // song 4 preloaded
    ASSERT_TRUE(core.NextPreloaded);
    log.clear();
    core.DeleteRows(2, 4);
    EXPECT_EQ(core.CurrentIndex, 1);
    // The preload of the deleted song 4 is dropped and redone with song 5.
    EXPECT_FALSE(core.NextPreloaded);
    EXPECT_EQ(log, (QStringList{"2:Stop", "2:Clear"}));
    log.clear();
    core.DSTrackBar1Timer(58400, 60000);
    EXPECT_EQ(log, (QStringList{"2:Stop", "2:Clear", "2:RenderFile " + Song(5)}));
    core.FilterGraph1GraphComplete();
    EXPECT_EQ(core.CurrentIndex, 2);
    EXPECT_EQ(core.CurrentFile, Song(5));
    EXPECT_EQ(g2.File, Song(5));
    EXPECT_TRUE(g2.IsPlaying);
}

TEST_F(PlayerCoreTest, AStalePreloadAfterAnInsertIsRedone) {
    Fill(2);
    core.PlayIndex(0);
    core.DSTrackBar1Timer(58000, 60000);
    // An entry appended after the next one leaves the preload alone.
    core.Append(Song(7));
    EXPECT_TRUE(core.NextPreloaded);
    // Replacing the playlist's tail makes it stale.
    core.Playlist[1] = Song(9);
    core.Append(Song(8));
    EXPECT_FALSE(core.NextPreloaded);
    core.DSTrackBar1Timer(58400, 60000);
    EXPECT_EQ(g2.File, Song(9));
}

TEST_F(PlayerCoreTest, DeleteOnTheEmptyRowDoesNothing) {
    core.DeleteRows(0, 0);
    EXPECT_EQ(core.CurrentIndex, 0);
    Fill(3);
    core.PlayIndex(0);
    core.DeleteRows(0, 2);
    EXPECT_TRUE(core.Playlist.isEmpty());
    EXPECT_EQ(core.CurrentIndex, -1);
    // The song deleted while playing plays to its end, then nothing follows.
    core.FilterGraph1GraphComplete();
    EXPECT_EQ(ended, 1);
    // Entries enqueued afterwards: Play starts at the first one.
    core.Append(Song(4));
    log.clear();
    core.PlayCurrent();
    EXPECT_EQ(core.CurrentIndex, 0);
    EXPECT_EQ(log.last(), QStringLiteral("1:Play"));
}

TEST_F(PlayerCoreTest, UndecodableSongsAreReportedAndSkipped) {
    core.Append(Song(0));
    core.Append(QStringLiteral("/m/bad1.mp3"));
    core.Append(QStringLiteral("/m/bad2.mp3"));
    core.Append(Song(3));
    core.PlayIndex(0);
    // The failed preload is reported once and leaves NextPreloaded set.
    core.DSTrackBar1Timer(58000, 60000);
    EXPECT_TRUE(core.NextPreloaded);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], QStringLiteral("Cannot decode ($7)."));
    core.FilterGraph1GraphComplete();
    EXPECT_EQ(errors.size(), 2); // bad2 reported when its turn came
    EXPECT_EQ(core.CurrentIndex, 3);
    EXPECT_EQ(core.CurrentFile, Song(3));
    EXPECT_TRUE(Current().IsPlaying);
    EXPECT_EQ(started, (QStringList{Song(0), Song(3)}));
}

TEST_F(PlayerCoreTest, AFailedLoadInPlayCurrentIsThrownAndPlaysNothing) {
    core.Append(QStringLiteral("/m/bad.mp3"));
    EXPECT_THROW(core.PlayIndex(0), EMediaError);
    EXPECT_EQ(core.CurrentFile, QStringLiteral("/m/bad.mp3"));
    EXPECT_EQ(core.Status(), TPlayerCore::psStopped);
    EXPECT_TRUE(started.isEmpty());
}

TEST_F(PlayerCoreTest, AnErrorWhilePlayingMovesOn) {
    Fill(2);
    core.PlayIndex(0);
    g1.OnError(QStringLiteral("Stream broke ($1)."));
    EXPECT_EQ(errors, QStringList{"Stream broke ($1)."});
    EXPECT_EQ(core.CurrentIndex, 1);
    EXPECT_TRUE(g2.IsPlaying);
}

TEST_F(PlayerCoreTest, EmptyPlaylistPlaysNothingAndTheThumbSeeks) {
    core.PlayIndex(0);
    EXPECT_EQ(log, (QStringList{"1:Stop", "1:Clear", "1:SeekToStart"}));
    Fill(1);
    core.PlayIndex(0);
    log.clear();
    core.SeekToThumb(75, 150);
    EXPECT_EQ(log, QStringList{"1:Seek 30000"});
}
