// The parts of the song runs that tralu-cli does not drive: removing a tag
// kind while normalizing, and a run stopped by its progress callback.
#include "songs/cx_songruns.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SongRuns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QStringLiteral("/Artist/02 - Record");
        ASSERT_TRUE(QDir().mkpath(folder));
        for (const char* name : {"01 a.mp3", "02 b.mp3", "03 c.mp3"}) {
            QFile f(folder + QLatin1Char('/') + QLatin1String(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(300, '\x55'));
            f.close();
            TID3v2 v2;
            v2.SetTitle("Tagged");
            v2.SetComment("keep me");
            ASSERT_TRUE(v2.WriteTag(LocalPath(f.fileName())));
        }
        songs = ListSongs(folder, {QStringLiteral("mp3")});
        ASSERT_EQ(songs.size(), 3);
    }
    std::string Path(int i) const { return LocalPath(folder + QLatin1Char('/') + songs[i]); }
    QTemporaryDir dir;
    QString folder;
    QStringList songs;
};

TEST_F(SongRuns, NormalizeCanRemoveAKindAndStopsWhenAsked) {
    TNormalizeOptions options;
    options.V2 = TNormalizeOptions::Remove;
    options.V1Year = QStringLiteral("1999");
    std::vector<int> asked;
    TID3v1 v1;
    TID3v2 v2;
    const auto steps = NormalizeSongTags(v1, v2, folder, songs, options, [&](int i, int count) {
        asked.push_back(i);
        EXPECT_EQ(count, 3);
        return i < 2;
    });
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(steps.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(steps[i].Done);
        ASSERT_TRUE(v1.ReadTag(Path(i)) && v1.HasTag());
        EXPECT_EQ(v1.Title(), i == 0 ? "a" : "b");
        EXPECT_EQ(v1.Album(), "Record");
        EXPECT_EQ(v1.Artist(), "Artist");
        EXPECT_EQ(v1.Year(), "1999");
        EXPECT_EQ(v1.Comment(), "keep me"); // from the ID3v2 tag it replaces
        EXPECT_EQ(v1.Track(), i + 1);
        ASSERT_TRUE(v2.ReadTag(Path(i)));
        EXPECT_FALSE(v2.HasTag());
    }
    // The third song was not reached.
    ASSERT_TRUE(v2.ReadTag(Path(2)) && v2.HasTag());
    EXPECT_EQ(v2.Title(), "Tagged");
    ASSERT_TRUE(v1.ReadTag(Path(2)));
    EXPECT_FALSE(v1.HasTag());
}

TEST_F(SongRuns, RenameRunsStopWhenAsked) {
    TID3v1 v1;
    TID3v2 v2;
    const TTagRenameRun run =
        RenameSongsFromTags(v1, v2, folder, songs, false, [](int i, int) { return i < 1; });
    EXPECT_TRUE(run.Stopped);
    ASSERT_EQ(run.Steps.size(), 1u);
    EXPECT_EQ(run.Steps[0].NewName, QStringLiteral("01 - Tagged.mp3"));
    EXPECT_TRUE(run.Steps[0].Done);
    const QStringList entries = ListRenameEntries(folder, QStringLiteral("*"), false);
    const auto cut = RenameCutFiles(folder, entries, 0, QStringLiteral("-"), 0, false,
                                    [](int i, int) { return i < 2; });
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files),
              (QStringList{QStringLiteral("01 - 01 - Tagged.mp3"), QStringLiteral("02 - 02 b.mp3"),
                           QStringLiteral("03 c.mp3")}));
}

} // namespace
