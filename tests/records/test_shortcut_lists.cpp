// The new-music list, bookmark names, shortcuts following renames and the
// cover search, on temporary music roots.
#include "records/cx_shortcut_lists.h"

#include "framework/qv_shortcut.h"
#include "records_test_util.h"
#include "temp_folder.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using records_test::SetWriteTime;

class NewMusicTest : public tralu::test::TempFolderTest {
protected:
    void SetUp() override {
        SetShortDateFormat("dd/MM/yyyy");
        SetLongTimeFormat("HH:mm:ss");
        today = std::floor(DateTimeFromQDateTime(QDateTime::currentDateTime()));
        options.Today = today;
        MakeDir("Music");
        root = Path("Music");
    }
    void TearDown() override {
        SetShortDateFormat({});
        SetLongTimeFormat({});
    }
    // A record folder with one song, and an information file ripped that
    // many days from today when given.
    void Record(const QString& rel, std::optional<int> ripDays) {
        MakeDir("Music/" + rel);
        Write("Music/" + rel + "/01 song.mp3");
        if (ripDays)
            Write("Music/" + rel + "/.Folder.ini",
                  "[infos]\r\nRip=" + DateToStr(today + *ripDays).toUtf8() + "\r\n");
    }
    QStringList Names(const std::vector<TNewMusicLink>& links) const {
        QStringList names;
        for (const TNewMusicLink& link : links)
            names << link.Name;
        return names;
    }
    // The entries of a folder, as "name" or "name -> target" for links.
    QStringList Entries(const QString& folder) const {
        QStringList entries;
        QDir d(folder);
        for (const QFileInfo& info : d.entryInfoList(
                 QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name))
            entries << (info.isSymLink() ? info.fileName() + " -> " + info.symLinkTarget()
                                         : info.fileName());
        return entries;
    }

    QString root;
    TDateTime today = 0;
    TNewMusicOptions options;
};

TEST_F(NewMusicTest, RecordsInTheDateRangeAreListed) {
    Record("A/Artist A/29 days ago", -29);
    Record("A/Artist A/31 days ago", -31);
    Record("A/Artist A/7 days ahead", 7);
    Record("A/Artist A/8 days ahead", 8);
    // Without information file: the files' dates decide.
    Record("B/Artist B/Written 10 days ago", std::nullopt);
    SetWriteTime(Path("Music/B/Artist B/Written 10 days ago/01 song.mp3"),
                 QDateTime::currentDateTime().addDays(-10));
    // Copied in now (created today) but written years ago: each file counts
    // with the earlier of its two times, so it is old.
    Record("B/Artist B/Copied today", std::nullopt);
    SetWriteTime(Path("Music/B/Artist B/Copied today/01 song.mp3"),
                 QDateTime::currentDateTime().addYears(-5));
    // An unreadable rip value falls back to the folder's date, not the files'.
    Record("B/Artist B/Bad rip", std::nullopt);
    Write("Music/B/Artist B/Bad rip/.Folder.ini", "[infos]\nRip=soon\n");
    SetWriteTime(Path("Music/B/Artist B/Bad rip/01 song.mp3"),
                 QDateTime::currentDateTime().addYears(-5));
    // A record without files is dated by its folder.
    MakeDir("Music/C/Empty record");

    const TNewMusicWalk walk = CollectNewMusic(root, root + "/News", options);
    EXPECT_FALSE(walk.Stopped);
    EXPECT_EQ(Names(walk.Links),
              (QStringList{"Artist A - 29 days ago.lnk", "Artist A - 7 days ahead.lnk",
                           "Artist B - Bad rip.lnk", "Artist B - Written 10 days ago.lnk",
                           "C - Empty record.lnk"}));
    ASSERT_FALSE(walk.Links.empty());
    EXPECT_EQ(walk.Links.front().Target, root + "/A/Artist A/29 days ago");

    // Dated by their folders, the copied records are new.
    options.UseDirDate = true;
    EXPECT_TRUE(Names(CollectNewMusic(root, root + "/News", options).Links)
                    .contains("Artist B - Copied today.lnk"));
    // A shorter limit.
    options.UseDirDate = false;
    options.Days = 5;
    EXPECT_FALSE(Names(CollectNewMusic(root, root + "/News", options).Links)
                     .contains("Artist B - Written 10 days ago.lnk"));
}

TEST_F(NewMusicTest, RebuildReplacesOnlyTheShortcuts) {
    Record("A/Artist A/First Record", -1);
    Record("B/Artist A/First Record", -2); // same name, later in walk order
    MakeDir("Music/Bookmark");
    Link(Path("Music/A/Artist A/First Record"), "Music/Bookmark/Artist A - First Record.lnk");
    MakeDir("Music/News");
    Link(Path("Music/Gone"), "Music/News/Old - Gone.lnk");
    Link(Path("Music/A"), "Music/News/Old - A.lnk");
    Write("Music/News/Folder.jpg", "picture");
    Write("Music/News/.directory", "desktop settings");

    // A dry run changes nothing and tells what would be made.
    const TNewMusicResult dry = RebuildNewMusicList(root, "News", "Bookmark", options, true);
    EXPECT_TRUE(dry.Error.isEmpty()) << dry.Error.toStdString();
    const QStringList planned{"Artist A - First Record.lnk", "Artist A - First Record.lnk",
                              "Music - Bookmark.lnk"};
    EXPECT_EQ(Names(dry.Made), planned);
    EXPECT_EQ(Entries(root + "/News").size(), 4);

    const TNewMusicResult made = RebuildNewMusicList(root, "News", "Bookmark", options);
    EXPECT_TRUE(made.Error.isEmpty()) << made.Error.toStdString();
    EXPECT_EQ(Names(made.Made), planned);
    // No link to the list itself; the later of two same-named records wins;
    // the bookmark folder is a record folder too; files that are not
    // shortcuts stay.
    EXPECT_EQ(Entries(root + "/News"),
              (QStringList{".directory",
                           "Artist A - First Record.lnk -> " + root + "/B/Artist A/First Record",
                           "Folder.jpg", "Music - Bookmark.lnk -> " + root + "/Bookmark"}));
    // The old links went to the trash, the broken one included.
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files/";
    EXPECT_TRUE(QFileInfo(trash + "Old - A.lnk").isSymLink());
    EXPECT_TRUE(QFileInfo(trash + "Old - Gone.lnk").isSymLink());
    EXPECT_TRUE(QFileInfo(root + "/A").isDir());
}

TEST_F(NewMusicTest, HostileFolderNamesRemoveNothing) {
    Record("A/Artist A/First Record", -1);
    MakeDir("Outside");
    Link(Path("Music/A"), "Outside/Kept.lnk");
    Link(Path("Outside"), "Music/Elsewhere");
    Link(Path("Music/A"), "Music/Root link.lnk");
    Link(Path("Music/A"), "Music/A/Artist link.lnk");
    MakeDir("Music/Song");
    Write("Music/Song/01 song.mp3");
    const auto everything = [&] {
        return Entries(root) + Entries(Path("Outside")) + Entries(root + "/A") +
               Entries(root + "/Song");
    };
    const QStringList before = everything();

    const struct {
        QString dir;
        const char* why;
    } cases[] = {
        {"", "empty"},
        {".", "the root itself"},
        {"..", "the root's parent"},
        {"A/Artist A", "a path"},
        {root, "the root's full path"},
        {"../Outside", "a folder outside the root"},
        {Path("Outside"), "a full path outside the root"},
        {"Elsewhere", "a link leading outside"},
        {"A", "a folder holding records"},
        {"Song", "a record folder"},
        {"bookmark", "the bookmark folder"},
    };
    for (const auto& c : cases) {
        for (bool dryRun : {true, false}) {
            const TNewMusicResult r = RebuildNewMusicList(root, c.dir, "Bookmark", options, dryRun);
            EXPECT_FALSE(r.Error.isEmpty()) << c.why;
            EXPECT_TRUE(r.Made.empty()) << c.why;
        }
    }
    EXPECT_EQ(everything(), before);
    EXPECT_FALSE(QFileInfo::exists(root + "/bookmark"));
}

TEST_F(NewMusicTest, StoppedWalkKeepsTheOldLinks) {
    Record("A/Artist A/First Record", -1);
    Record("B/Artist B/Second Record", -1);
    MakeDir("Music/News");
    Link(Path("Music/A"), "Music/News/Old - A.lnk");
    int folders = 0;
    options.OnFolder = [&](const QString&) { return ++folders < 3; };
    TNewMusicResult r = RebuildNewMusicList(root, "News", "Bookmark", options);
    EXPECT_TRUE(r.Stopped);
    EXPECT_TRUE(r.Made.empty());
    EXPECT_EQ(Entries(root + "/News"), (QStringList{"Old - A.lnk -> " + root + "/A"}));

    options.OnFolder = {};
    int asked = 0;
    options.Stopped = [&] { return ++asked > 2; };
    r = RebuildNewMusicList(root, "News", "Bookmark", options);
    EXPECT_TRUE(r.Stopped);
    EXPECT_EQ(Entries(root + "/News"), (QStringList{"Old - A.lnk -> " + root + "/A"}));
}

TEST_F(NewMusicTest, ShortcutsFollowARenamedFolder) {
    Record("A/Artist A/First Record", -1);
    MakeDir("Music/A/Artist A/First Record/CD1");
    MakeDir("Music/Bookmark");
    MakeDir("Music/News");
    Link(Path("Music/A/Artist A/First Record"), "Music/Bookmark/Artist A - First Record.lnk");
    Link(Path("Music/A/Artist A/First Record"), "Music/Bookmark/My favourite.lnk");
    Link(Path("Music/A/Artist A/First Record/CD1"), "Music/News/First Record - CD1.lnk");
    Link(Path("Music/A/Artist A/First Record"), "Music/News/Artist A - First Record.lnk");
    Link(Path("Music/A/Artist AB"), "Music/News/Artist AB - Other.lnk"); // a longer name, gone
    const QStringList folders{root + "/Bookmark", root + "/News"};

    // The record, then its artist folder.
    ASSERT_TRUE(QDir().rename(root + "/A/Artist A/First Record", root + "/A/Artist A/1st"));
    auto changes =
        RepointShortcuts(folders, root + "/A/Artist A/First Record", root + "/A/Artist A/1st");
    EXPECT_EQ(changes.size(), 4u);
    ASSERT_TRUE(QDir().rename(root + "/A/Artist A", root + "/A/Artist Z"));
    changes = RepointShortcuts(folders, root + "/A/Artist A", root + "/A/Artist Z");
    EXPECT_EQ(changes.size(), 4u);

    const QString record = root + "/A/Artist Z/1st";
    EXPECT_EQ(Entries(root + "/Bookmark"),
              (QStringList{"Artist Z - 1st.lnk -> " + record, "My favourite.lnk -> " + record}));
    EXPECT_EQ(Entries(root + "/News"),
              (QStringList{"1st - CD1.lnk -> " + record + "/CD1",
                           "Artist AB - Other.lnk -> " + root + "/A/Artist AB",
                           "Artist Z - 1st.lnk -> " + record}));
}

TEST(ShortcutListRules, BookmarkNames) {
    EXPECT_EQ(BookmarkName("/m/A/Artist A/First Record", "First Record", false),
              "Artist A - First Record");
    // Reached through the new-music list, the node's name already has both.
    EXPECT_EQ(BookmarkName("/m/A/Artist A/First Record", "Artist A - First Record", true),
              "Artist A - First Record");
    EXPECT_EQ(BookmarkName("/m/A/Artist A/First Record/", "First Record", false),
              "Artist A - First Record");
}

TEST(ShortcutListRules, ImageSearch) {
    EXPECT_EQ(ImageSearchTerm("/m/A/Artist A/1999 - First Record"), "Artist A First Record");
    EXPECT_EQ(ImageSearchTerm(""), " ");
    const QString base = "https://www.google.com/images?q=";
    EXPECT_EQ(ImageSearchAddress(base, "Artist A First Record"),
              base + "Artist%20A%20First%20Record");
    EXPECT_EQ(ImageSearchAddress(base, "R&B #1 100% Café"),
              base + "R%26B%20%231%20100%25%20Caf%C3%A9");
    // A setting without query key takes the term directly.
    EXPECT_EQ(ImageSearchAddress("https://example.org/find/", "A B"),
              "https://example.org/find/A%20B");
    EXPECT_EQ(SearchShortcutText(base + "A%20B"),
              "[DEFAULT]\r\nBASEURL=" + (base + "A%20B").toUtf8() +
                  "\r\n[InternetShortcut]\r\nURL=" + (base + "A%20B").toUtf8() + "\r\n");
}

} // namespace
