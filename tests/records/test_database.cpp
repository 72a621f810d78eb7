// The record database: the walk over a collection, the file, lazy parsing,
// stopping a walk, and the neighbour list.
#include "records/cx_database.h"
#include "records/cx_similarity.h"

#include "records_test_util.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace records_test;

namespace {

class DatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetShortDateFormat("dd/MM/yyyy");
        Root = MakeFolder(Dir.path(), "Music");
    }
    QString DbFile() const { return Root + "/.Tralu_DB.data"; }
    // The record paths of the database, relative to the root.
    QStringList RecordPaths(TRecordStructList& db) const {
        QStringList paths;
        for (int i = 0; i < db.Count(); ++i)
            paths << db.GetRecord(i)->Path.mid(Root.size() + 1);
        return paths;
    }
    // Sub-folder names in the order the file system lists them.
    QTemporaryDir Dir;
    QString Root;
};

TEST_F(DatabaseTest, RootWithoutSubFoldersGivesAnEmptyFile) {
    WriteBytes(Root + "/loose.mp3", "x");
    TRecordStructList db;
    EXPECT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    EXPECT_EQ(db.Count(), 0);
    EXPECT_TRUE(QFile::exists(DbFile()));
    EXPECT_EQ(ReadBytes(DbFile()), QByteArray());
}

TEST_F(DatabaseTest, MissingRootChangesNothing) {
    TRecordStructList db;
    MakeFolder(Root, "A");
    db.BuildFromFolder(Root);
    ASSERT_EQ(db.Count(), 1);
    EXPECT_EQ(db.BuildFromFolder(Root + "/missing"), TBuildResult::NoFolder);
    EXPECT_EQ(db.BuildFromFolder(DbFile()), TBuildResult::NoFolder); // a file, not a folder
    EXPECT_EQ(db.Count(), 1);
    EXPECT_FALSE(QFile::exists(Root + "/missing"));
}

TEST_F(DatabaseTest, WhichFoldersAreRecords) {
    MakeFolder(Root, "Letter");                  // no sub-folder: a record
    MakeFolder(Root, "A/Artist A/1999 - First"); // the usual layout
    MakeFolder(Root, "A/Artist A/2001 - Second");
    WriteBytes(Root + "/A/Artist A/bonus.mp3", "x"); // sub-folders and songs: not a record
    MakeFolder(Root, "A/Only Hidden/.cache/deep");   // a dot folder does not count...
    MakeFolder(Root, ".hidden/Secret/Record");       // ...nor anything below it
    MakeFolder(Root, "Z/.x");
    WriteBytes(Root + "/Z/file", "x");

    TRecordStructList db;
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    QStringList paths = RecordPaths(db);
    paths.sort();
    EXPECT_EQ(paths, (QStringList{"A/Artist A/1999 - First", "A/Artist A/2001 - Second",
                                  "A/Only Hidden", "Letter", "Z"}));

    for (int i = 0; i < db.Count(); ++i) {
        const TRecordStruct* r = db.GetRecord(i);
        if (r->Path.endsWith("/Letter")) {
            EXPECT_EQ(r->Artist, "Music"); // the root's name
            EXPECT_EQ(r->RecordName, "Letter");
        }
        if (r->Path.endsWith("/1999 - First")) {
            EXPECT_EQ(r->Artist, "Artist A");
            EXPECT_EQ(r->RecordName, "First");
            EXPECT_EQ(r->Year, 1999);
        }
    }
}

TEST_F(DatabaseTest, DepthFirstInListingOrder) {
    // Listing order: by name without regard to case, whatever order the
    // file system keeps.
    for (const char* p : {"c/z", "b/y/2", "B2/r", "b/x", "b/y/1", "a"})
        MakeFolder(Root, p);
    TRecordStructList db;
    db.BuildFromFolder(Root);
    EXPECT_EQ(RecordPaths(db), (QStringList{"a", "b/x", "b/y/1", "b/y/2", "B2/r", "c/z"}));
}

TEST_F(DatabaseTest, FoldersWhoseNamesAreNotTextAreLeftOutAndNamed) {
    MakeFolder(Root, "A/Good");
    const QByteArray bad = QFile::encodeName(Root + "/A/") + "Bad \xff\xfe";
    ASSERT_EQ(::mkdir(bad.constData(), 0755), 0);
    ASSERT_EQ(::mkdir((bad + "/Inner").constData(), 0755), 0);
    TRecordStructList db;
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    EXPECT_EQ(RecordPaths(db), QStringList{"A/Good"});
    EXPECT_EQ(db.SkippedFolders(), QStringList{Root + "/A/Bad \\xff\\xfe"});

    // A skipped folder still counts as a sub-folder: "X/Artist" is no record.
    MakeFolder(Root, "X/Artist");
    const QByteArray cafe = QFile::encodeName(Root + "/X/Artist/") + "Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0755), 0);
    ASSERT_EQ(::mkdir((cafe + "/CD1").constData(), 0755), 0);
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    EXPECT_EQ(RecordPaths(db), QStringList{"A/Good"});
    EXPECT_EQ(db.SkippedFolders(),
              (QStringList{Root + "/A/Bad \\xff\\xfe", Root + "/X/Artist/Caf\\xe9"}));
}

TEST_F(DatabaseTest, FoldersOfLinksAreRecordsAndLinksAreNotFollowed) {
    const QString record = MakeFolder(Root, "A/Artist/1999 - Record");
    MakeFolder(Root, "News");
    MakeFolder(Root, "Bookmarks");
    ASSERT_TRUE(QFile::link(record, Root + "/News/Artist - Record.lnk"));
    ASSERT_TRUE(QFile::link(record, Root + "/Bookmarks/Record.lnk"));
    ASSERT_TRUE(QFile::link(Root, Root + "/A/loop")); // a link to an ancestor
    ASSERT_TRUE(QFile::link(record, Root + "/A/Artist/also"));

    TRecordStructList db;
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    QStringList paths = RecordPaths(db);
    paths.sort();
    EXPECT_EQ(paths, (QStringList{"A/Artist/1999 - Record", "Bookmarks", "News"}));
}

TEST_F(DatabaseTest, FileFormatAndReadBack) {
    const QString record = MakeFolder(Root, "A/Artist A/1999 - First Record");
    WriteBytes(record + "/.Folder.ini", "[infos]\r\nTags=rock;live\r\nRip=21/03/2004\r\n");
    const QString odd = MakeFolder(Root, QString::fromUtf8("B/Öst \"$x\"/2001 a, b\nc"));
    WriteBytes(odd + "/.Folder.ini",
               "[infos]\nTags=say \"hi\", then; \"\"quote\"\"\nRip=01/02/2003\nRelease=abc\n");

    TRecordStructList db;
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    const QByteArray file = ReadBytes(DbFile());
    const QByteArray firstLine = "\"Artist A\", \"First Record\", \"rock;live\", \"1999\", "
                                 "\"21/03/2004\", \"" +
                                 record.toUtf8() + "\"\r\n";
    EXPECT_TRUE(file.contains(firstLine)) << file.toStdString();
    EXPECT_TRUE(file.endsWith("\r\n"));
    EXPECT_EQ(file.count("\r\n"), 2);

    TRecordStructList loaded;
    loaded.LoadFromFolder(Root);
    ASSERT_EQ(loaded.Count(), 2);
    for (int i = 0; i < 2; ++i) {
        const TRecordStruct* r = loaded.GetRecord(i);
        if (r->Path == odd) {
            EXPECT_EQ(r->Artist, QString::fromUtf8("Öst \"$x\""));
            EXPECT_EQ(r->RecordName, "a, b\nc");
            EXPECT_EQ(r->Tags, "say \"hi\", then; \"\"quote\"\"");
            EXPECT_EQ(r->Year, 2001);
            EXPECT_EQ(r->RipText, "2003/02/01");
        } else {
            EXPECT_EQ(r->Path, record);
            EXPECT_EQ(r->RipText, "2004/03/21");
        }
    }
    EXPECT_EQ(loaded.GetRecord(-1), nullptr);
    EXPECT_EQ(loaded.GetRecord(loaded.Count()), nullptr);
}

TEST_F(DatabaseTest, HandWrittenLines) {
    WriteBytes(DbFile(), "\"A\", \"R\", \"t\", \"abc\", \"99/99/2004\", \"/p\"\n"
                         "\"A\", \"R\", \"t\", \"1999\"\r"
                         "A R t 2001 01/01/2001 /q");
    TRecordStructList db;
    db.LoadFromFolder(Root);
    ASSERT_EQ(db.Count(), 3);
    const TRecordStruct* first = db.GetRecord(0);
    EXPECT_EQ(first->Year, 0);
    EXPECT_EQ(first->RipDate, 1.0);
    EXPECT_EQ(first->RipText, "1899/12/31");
    try {
        db.GetRecord(1);
        FAIL() << "a line of four fields must raise";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message.contains("Line 2")) << e.Message.toStdString();
    }
    EXPECT_THROW(db.GetRecord(1), EDatabaseError); // nothing was attached
    EXPECT_EQ(db.GetRecord(2)->Path, "/q");
    EXPECT_THROW(db.ComputeScores("t"), EDatabaseError);
}

TEST_F(DatabaseTest, ALineIsParsedOnce) {
    WriteBytes(DbFile(), "\"A\", \"R\", \"t\", \"1\", \"\", \"/p\"\r\n");
    TRecordStructList db;
    db.LoadFromFolder(Root);
    TRecordStruct* r = db.GetRecord(0);
    r->Score = 42;
    r->Tags = "changed in memory";
    EXPECT_EQ(db.GetRecord(0), r);
    EXPECT_EQ(db.GetRecord(0)->Score, 42);
    EXPECT_EQ(db.GetRecord(0)->Tags, "changed in memory");
    db.LoadFromFolder(Root); // new lines, parsed afresh
    EXPECT_EQ(db.GetRecord(0)->Tags, "t");
}

TEST_F(DatabaseTest, LoadAndSaveErrorsLeaveTheDatabaseAsItWas) {
    WriteBytes(DbFile(), "\"A\", \"R\", \"t\", \"1\", \"\", \"/p\"\r\n");
    TRecordStructList db;
    db.LoadFromFolder(Root);
    EXPECT_THROW(db.LoadFromFolder(Root + "/missing"), EToolsError);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_THROW(db.SaveToFolder(Root + "/missing"), EToolsError);
    db.SaveToFolder(MakeFolder(Root, "copy"));
    EXPECT_EQ(ReadBytes(Root + "/copy/.Tralu_DB.data"), ReadBytes(DbFile()));
    db.Clear();
    EXPECT_EQ(db.Count(), 0);
    EXPECT_EQ(db.GetRecord(0), nullptr);
}

TEST_F(DatabaseTest, DatabaseFileFoundWithoutRegardToCase) {
    WriteBytes(Root + "/.tralu_db.DATA", "\"A\", \"R\", \"t\", \"1\", \"\", \"/p\"\r\n");
    TRecordStructList db;
    db.LoadFromFolder(Root);
    EXPECT_EQ(db.Count(), 1);
    db.BuildFromFolder(Root);
    EXPECT_EQ(ReadBytes(Root + "/.tralu_db.DATA"), QByteArray()); // rewritten in place
    EXPECT_FALSE(QFile::exists(DbFile()));
}

TEST_F(DatabaseTest, StoppingTheWalkKeepsTheOldDatabase) {
    for (const char* p : {"A/One", "A/Two", "B/Three", "C/Four"})
        MakeFolder(Root, p);
    TRecordStructList db;
    ASSERT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    const QByteArray complete = ReadBytes(DbFile());
    ASSERT_EQ(db.Count(), 4);

    MakeFolder(Root, "D/Five");
    QStringList seen;
    db.OnProgress = [&](TRecordStructList& sender, const QString& dir, bool& stop) {
        EXPECT_EQ(&sender, &db);
        EXPECT_FALSE(stop);
        seen << dir;
        stop = seen.size() == 3;
    };
    EXPECT_EQ(db.BuildFromFolder(Root), TBuildResult::Stopped);
    EXPECT_EQ(seen.size(), 3); // ended at once
    EXPECT_EQ(seen.first(), Root + "/");
    for (const QString& dir : seen)
        EXPECT_TRUE(dir.endsWith('/')) << dir.toStdString();
    EXPECT_EQ(ReadBytes(DbFile()), complete);
    EXPECT_EQ(db.Count(), 4);

    // The handler sees every folder once when it lets the walk go on.
    seen.clear();
    db.OnProgress = [&](TRecordStructList&, const QString& dir, bool&) { seen << dir; };
    EXPECT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    EXPECT_EQ(seen.size(), 10);
    EXPECT_EQ(db.Count(), 5);
}

TEST_F(DatabaseTest, AWalkStartedFromTheProgressHandlerIsRefused) {
    MakeFolder(Root, "A/One");
    TRecordStructList db;
    TBuildResult inner = TBuildResult::Built;
    db.OnProgress = [&](TRecordStructList& sender, const QString&, bool&) {
        if (sender.IsBuilding())
            inner = sender.BuildFromFolder(Root);
    };
    EXPECT_EQ(db.BuildFromFolder(Root), TBuildResult::Built);
    EXPECT_EQ(inner, TBuildResult::Busy);
    EXPECT_EQ(db.Count(), 1);
    EXPECT_FALSE(db.IsBuilding());
}

TEST_F(DatabaseTest, AnUnreadableInfoFileEndsTheWalkWithoutWriting) {
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind root";
    MakeFolder(Root, "A/Good");
    WriteBytes(DbFile(), "old\r\n");
    const QString bad = MakeFolder(Root, "B/Bad");
    WriteBytes(bad + "/.Folder.ini", "[infos]\n");
    QFile::setPermissions(bad + "/.Folder.ini", QFileDevice::Permissions());
    TRecordStructList db;
    EXPECT_THROW(db.BuildFromFolder(Root), EToolsError);
    EXPECT_EQ(ReadBytes(DbFile()), QByteArray("old\r\n"));
}

TEST_F(DatabaseTest, NeighboursBestFirstTiesInDatabaseOrder) {
    const char* lines[] = {
        "rock;pop", "rock;jazz;blues", "pop", "", "Rock; POP", "rock", "jazz;pop;blues;x",
    };
    QByteArray file;
    for (const char* tags : lines)
        file += FormatDatabaseLine("A", "R", tags, 0, 0, QString("/") + tags).toUtf8() + "\r\n";
    for (int i = 0; i < 40; ++i) // scores of three digits compare as numbers
        file += (i == 0 ? QByteArray("\"A\", \"R\", \"") : QByteArray(";")) + "t";
    file += "\", \"0\", \"\", \"/many\"\r\n";
    WriteBytes(DbFile(), file);
    TRecordStructList db;
    db.LoadFromFolder(Root);

    QString many = "t";
    for (int i = 1; i < 40; ++i)
        many += ";t";
    std::vector<std::pair<qint32, int>> got = NeighbourRecords(db, "rock;pop;" + many);
    for (const auto& [score, index] : got) {
        EXPECT_EQ(db.GetRecord(index)->Score, score);
        EXPECT_GE(score, 0);
    }
    EXPECT_TRUE(std::is_sorted(got.begin(), got.end(), [](const auto& x, const auto& y) {
        return x.first > y.first || (x.first == y.first && x.second < y.second);
    }));
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front().second, 7); // the record with forty tags
    EXPECT_EQ(got.front().first, 4 * 40 + 40 - 42 - 40);

    got = NeighbourRecords(db, "rock;pop");
    const std::vector<std::pair<qint32, int>> expected{{6, 0}, {6, 4}, {2, 2}, {2, 5}, {0, 1}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(db.GetRecord(3)->Score, -1);
    EXPECT_TRUE(NeighbourRecords(db, "").empty());
}

} // namespace
