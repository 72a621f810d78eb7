// The song-name rules of the tag editor, tags to file names and the rename
// tool, and their file side (listing, tag reading, renames that never
// replace).
#include "platform/rename_journal.h"
#include "songs/cx_songfiles.h"
#include "songs/cx_songnames.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SongNames, CutFileName) {
    struct Case {
        const char* name;
        int number, front;
        const char* sep;
        int end;
        const char* expected;
    };
    const Case cases[] = {
        {"Artist - 05 - Some title.mp3", 1, 2, "-", 0, "01 - Some title.mp3"},
        {"Artist - 05 - Some title.mp3", 1, 1, "-", 0, "01 - 05 - Some title.mp3"},
        {"track_05.my.song.mp3", 1, 0, "-", 0, "01 - Track 05 my song.mp3"},
        {"Some title - live.mp3", 1, 0, "-", 1, "01 - Some title .mp3"},
        // more rounds than separators: the cut stops after the last one
        {"a-b-c.mp3", 2, 5, "-", 0, "02 - C.mp3"},
        {"a-b-c.mp3", 3, 0, "-", 9, "03 - A.mp3"},
        {"a-b-c.mp3", 3, 1, "-", 1, "03 - B.mp3"},
        // no separator in the base, or none given: nothing is cut
        {"Title.mp3", 1, 1, "-", 1, "01 - Title.mp3"},
        {"a-b.mp3", 1, 1, "", 1, "01 - A-b.mp3"},
        // the separator of the extension does not count
        {"Title.x-y", 1, 1, "-", 0, "01 - Title.x-y"},
        // a base cut away completely
        {"Artist -.mp3", 1, 1, "-", 0, "01 -.mp3"},
        // after the leading space only a to z become capitals
        {"A -  two spaces.mp3", 1, 1, "-", 0, "01 -  two spaces.mp3"},
        {"A - 5th.mp3", 1, 1, "-", 0, "01 - 5th.mp3"},
        {"A - \xC3\xA9t\xC3\xA9.mp3", 1, 1, "-", 0, "01 - \xC3\xA9t\xC3\xA9.mp3"},
        // no extension; three-digit numbers
        {"Some_name", 100, 0, "-", 0, "100 - Some name"},
        // the search is case-sensitive
        {"aXbxc.mp3", 1, 1, "x", 0, "01 - C.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CutFileName(QString::fromUtf8(c.name), c.number, c.front,
                              QString::fromUtf8(c.sep), c.end),
                  QString::fromUtf8(c.expected));
    }
}

TEST(SongNames, TidyAndSanitize) {
    struct Case {
        const char* in;
        const char* tidy;
        const char* sanitized;
    };
    const Case cases[] = {
        {"", "", ""},
        {"a", " A", " a"},
        {" x", " X", " x"},
        {"  x", "  x", "  x"},
        {"my.song_name", " My song name", " my.song name"},
        {"Live: Paris", " Live: Paris", " Live- Paris"},
        {"a\"b*c/d:e<f>g?h\\i|j", " A\"b*c/d:e<f>g?h\\i|j", " a-b-c-d-e-f-g-h-i-j"},
        {"What_now?", " What now?", " What now-"},
        {"trail ", " Trail ", " trail "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(TidyNamePart(QString::fromUtf8(c.in)), QString::fromUtf8(c.tidy));
        EXPECT_EQ(SanitizeTitle(QString::fromUtf8(c.in)), QString::fromUtf8(c.sanitized));
    }
    EXPECT_EQ(TagFileName(QStringLiteral("Live: Paris"), 3), "03 - Live- Paris");
    EXPECT_EQ(TagFileName(QStringLiteral(" Intro"), 7), "07 - Intro");
    EXPECT_EQ(TagFileName(QStringLiteral("X"), 123), "123 - X");
}

TEST(SongNames, TitlesTracksAndGenres) {
    const std::pair<const char*, const char*> titles[] = {
        {"01 - First.mp3", "First"}, {"02_Second.mp3", "Second"}, {"3)_[x].mp3", "x]"},
        {"Intro.mp3", "Intro"},      {"1999.mp3", "1999"},        {"12 - .mp3", "12 - "},
        {"a.b.mp3", "a.b"},          {"noext", "noext"},
    };
    for (const auto& [name, title] : titles)
        EXPECT_EQ(TitleFromFileName(QString::fromUtf8(name)), QString::fromUtf8(title)) << name;

    const struct {
        const char* text;
        int track;
        bool tooLarge;
    } tracks[] = {{"7", 7, false},   {"07", 7, false},  {"0", 0, false},     {"-3", 0, false},
                  {"abc", 0, false}, {"", 0, false},    {"123", 123, false}, {"255", 255, false},
                  {"256", 0, true},  {"300", 44, true}, {"999", 231, true},  {"7a", 0, false}};
    for (const auto& t : tracks) {
        EXPECT_EQ(TrackFromText(QString::fromUtf8(t.text)), t.track) << t.text;
        EXPECT_EQ(TrackTextTooLarge(QString::fromUtf8(t.text)), t.tooLarge) << t.text;
    }

    const std::pair<int, int> items[] = {{0, 1},   {17, 18}, {147, 148},
                                         {148, 0}, {200, 0}, {255, 0}};
    for (const auto& [index, item] : items)
        EXPECT_EQ(GenreItemOfIndex(index), item) << index;
    EXPECT_EQ(GenreIndexOfItem(0), 255);
    EXPECT_EQ(GenreIndexOfItem(1), 0);
    EXPECT_EQ(GenreIndexOfItem(148), 147);
    EXPECT_EQ(GenreIndexOfItem(-1), 255);
    EXPECT_EQ(GenreIndexOfItem(149), 255);
}

TEST(SongNames, OnlyMpegAudioFilesTakeID3Tags) {
    const std::pair<const char*, bool> names[] = {
        {"a.mp3", true},  {"a.MP3", true},       {"a.Mp2", true},      {"a.mp1", true},
        {"a.ogg", false}, {"a.wma", false},      {"a.wav", false},     {"a.ape", false},
        {"a.mpc", false}, {"mp3", false},        {"a.mp3.ogg", false}, {"a.ogg.mp3", true},
        {"a.mp4", false}, {"/x.mp3/song", false}};
    for (const auto& [name, mpeg] : names)
        EXPECT_EQ(IsMpegAudioFile(QString::fromUtf8(name)), mpeg) << name;
}

TEST(SongNames, NormalizedFieldsComeFromNamesAndOrder) {
    const TNormalizedFields f = NormalizedFields(QStringLiteral("/music/Some Artist/1999 - Album/"),
                                                 QStringLiteral("02_Second.mp3"), 1);
    EXPECT_EQ(f.Title, "Second");
    EXPECT_EQ(f.Artist, "Some Artist");
    EXPECT_EQ(f.Album, "Album");
    EXPECT_EQ(f.Track, 2);
    EXPECT_EQ(NormalizedFields(QStringLiteral("/x/y"), QStringLiteral("a.mp3"), 255).Track, 0);
    EXPECT_EQ(NormalizedFields(QStringLiteral("Alone"), QStringLiteral("a.mp3"), 0).Artist, "");
}

TEST(SongNames, RenameEntriesSortByKeyThenNameWithoutCase) {
    EXPECT_EQ(RenameListEntry(0, QStringLiteral("a.mp3")), "0000000000 a.mp3");
    EXPECT_EQ(RenameListEntry(4294967295u, QStringLiteral("x")), "4294967295 x");
    EXPECT_EQ(RenameEntryName(QStringLiteral("0000000042 x y.mp3")), "x y.mp3");
    QStringList list = {"0000000002 a", "0000000001 b", "0000000001 B", "0000000001 a",
                        "0000000001 a"};
    SortNameList(list);
    EXPECT_EQ(list, (QStringList{"0000000001 a", "0000000001 B", "0000000001 b", "0000000002 a"}));
}

// --- the file side -------------------------------------------------------------

class SongFiles : public ::testing::Test {
protected:
    QString Make(const QString& name, const QByteArray& bytes = QByteArray(400, '\xF7')) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static void SetAge(const QString& path, int secondsAgo) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                  QFileDevice::FileModificationTime));
    }
    QTemporaryDir dir;
};

TEST_F(SongFiles, RenameListHoldsMatchingFilesOldestFirst) {
    SetAge(Make(QStringLiteral("Artist - Title.mp3")), 100);
    SetAge(Make(QStringLiteral("Artist - Other.MP3")), 10000);
    Make(QStringLiteral("cover.jpg"));
    Make(QStringLiteral(".hidden.mp3"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.mp3")));

    QStringList names;
    for (const QString& e : ListRenameEntries(dir.path(), QStringLiteral("*.mp3"), true))
        names << RenameEntryName(e);
    EXPECT_EQ(names, (QStringList{"Artist - Other.MP3", "Artist - Title.mp3"}));

    const QStringList byName = ListRenameEntries(dir.path(), QStringLiteral("*"), false);
    EXPECT_EQ(byName, (QStringList{"0000000000 Artist - Other.MP3", "0000000000 Artist - Title.mp3",
                                   "0000000000 cover.jpg"}));
    EXPECT_EQ(ListRenameEntries(dir.path(), QStringLiteral("Artist - ?itle.*"), false).size(), 1);
    EXPECT_TRUE(ListRenameEntries(dir.path(), QStringLiteral("../*"), false).isEmpty());
    EXPECT_TRUE(ListRenameEntries(QString(), QStringLiteral("*"), false).isEmpty());
}

TEST_F(SongFiles, SongsAreTheMusicFilesSortedWithoutCase) {
    Make(QStringLiteral("b.MP3"));
    Make(QStringLiteral("a.mp3"));
    Make(QStringLiteral("C.ogg"));
    Make(QStringLiteral("cover.jpg"));
    Make(QStringLiteral("mp3"));
    EXPECT_EQ(ListSongs(dir.path(), {"mp3", "ogg"}), (QStringList{"a.mp3", "b.MP3", "C.ogg"}));
}

TEST_F(SongFiles, NewNameFromTags) {
    const auto withV2 = [&](const QString& name, const char* title, int track) {
        const QString path = Make(name);
        TID3v2 v2;
        v2.SetTitle(title);
        v2.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(v2.WriteTag(LocalPath(path)));
        return path;
    };
    const auto withV1 = [&](const QString& name, const char* title, int track) {
        const QString path = Make(name);
        TID3v1 v1;
        v1.SetTitle(title);
        v1.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(v1.WriteTag(LocalPath(path)));
        return path;
    };
    struct Case {
        QString path;
        int index;
        TTagName::Kind kind;
        const char* newName;
    };
    const QString emptyV2 = withV2(QStringLiteral("e.mp3"), "", 4);
    {
        TID3v1 v1;
        v1.SetTitle("Behind");
        ASSERT_TRUE(v1.WriteTag(LocalPath(emptyV2)));
    }
    const Case cases[] = {
        {withV2(QStringLiteral("a.mp3"), "Intro", 0), 2, TTagName::Rename, "03 - Intro.mp3"},
        {withV2(QStringLiteral("b.Mp3"), "What_now?", 12), 0, TTagName::Rename,
         "12 - What now-.Mp3"},
        {withV1(QStringLiteral("c.mp3"), "Song", 0), 4, TTagName::Rename, "05 - Song.mp3"},
        {withV1(QStringLiteral("d"), " Lead", 9), 0, TTagName::Rename, "09 - Lead"},
        // an empty ID3v2 title leaves the song alone; ID3v1 is not consulted
        {emptyV2, 0, TTagName::Leave, ""},
        // no tag at all stops the run; a short file without ID3v2 is left alone
        {Make(QStringLiteral("none.mp3")), 0, TTagName::Unreadable, ""},
        {Make(QStringLiteral("short.mp3"), QByteArray(50, '\xF7')), 0, TTagName::Leave, ""},
        {Make(QStringLiteral("tiny.mp3"), QByteArray(5, '\xF7')), 0, TTagName::Unreadable, ""},
        {dir.filePath(QStringLiteral("missing.mp3")), 0, TTagName::Leave, ""},
    };
    TID3v1 v1;
    TID3v2 v2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const TTagName got = TagNameOfSong(v1, v2, c.path, c.index);
        EXPECT_EQ(got.Result, c.kind);
        EXPECT_EQ(got.NewName, QString::fromUtf8(c.newName));
    }
}

TEST_F(SongFiles, RenameNeverReplacesAFile) {
    Make(QStringLiteral("one.mp3"), "one");
    Make(QStringLiteral("two.mp3"), "two");
    TRenameBatch batch;
    EXPECT_FALSE(
        RenameSongFile(batch, dir.path(), QStringLiteral("one.mp3"), QStringLiteral("two.mp3")));
    EXPECT_FALSE(
        RenameSongFile(batch, dir.path(), QStringLiteral("one.mp3"), QStringLiteral("../x")));
    EXPECT_TRUE(
        RenameSongFile(batch, dir.path(), QStringLiteral("one.mp3"), QStringLiteral("01 - a")));
    QFile two(dir.filePath(QStringLiteral("two.mp3")));
    ASSERT_TRUE(two.open(QIODevice::ReadOnly));
    EXPECT_EQ(two.readAll(), "two");
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("01 - a"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("one.mp3"))));
}

} // namespace
