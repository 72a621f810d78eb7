// TRecordInfo on real folders: derived values, stored values, rip dates and
// the rewrite of the information file.
#include "records/cx_dirlist.h"
#include "records/cx_records.h"

#include "records_test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace records_test;

namespace {

class RecordInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Dir.isValid());
        SetShortDateFormat("dd/MM/yyyy");
        Root = Dir.path() + "/Music";
    }
    QTemporaryDir Dir;
    QString Root;
};

TEST_F(RecordInfoTest, ConstructorReadsNothing) {
    TRecordInfo info("/nowhere/A/Artist A/1999 - First Record");
    EXPECT_EQ(info.Folder, "/nowhere/A/Artist A/1999 - First Record");
    EXPECT_EQ(info.Artist, "Artist A");
    EXPECT_EQ(info.RecordName, "");
    EXPECT_EQ(info.Release, 0);
    EXPECT_EQ(TRecordInfo("/Music/Record").Artist, "Music");
}

TEST_F(RecordInfoTest, StoredValuesAndFallbacks) {
    const struct {
        const char* folder;
        const char* ini; // nullptr: no information file
        int release;
        const char* tags;
    } cases[] = {
        {"1999 - First Record", nullptr, 1999, ""},
        {"1999 - Stored", "[infos]\nRelease=2003\nTags=rock; live\n", 2003, "rock; live"},
        {"1999 - Zero", "[infos]\nRelease=0\n", 1999, ""},
        {"1999 - Letters", "[INFOS]\nrelease=abc\ntags= x \n", 1999, "x"},
        {"No Year", "[infos]\nRelease=abc\n", 0, ""},
        {"No Year Either", "[other]\nRelease=1987\nTags=no\n", 0, ""},
    };
    for (const auto& c : cases) {
        const QString folder = MakeFolder(Root, QString("A/Artist/") + c.folder);
        WriteBytes(folder + "/song.mp3", "x");
        if (c.ini)
            WriteBytes(folder + "/.Folder.ini", c.ini);
        TRecordInfo info(folder);
        info.Load();
        EXPECT_EQ(info.Release, c.release) << c.folder;
        EXPECT_EQ(info.Tags, QString::fromUtf8(c.tags)) << c.folder;
        EXPECT_EQ(info.Artist, "Artist") << c.folder;
        EXPECT_EQ(info.RecordName, StripLeadingNumber(c.folder)) << c.folder;
    }
}

TEST_F(RecordInfoTest, InfoFileFoundWithoutRegardToCase) {
    const QString folder = MakeFolder(Root, "Artist/2001 Odd");
    WriteBytes(folder + "/.FOLDER.INI", "[infos]\r\nTags=found\r\n");
    TRecordInfo info(folder);
    info.Load();
    EXPECT_EQ(info.Tags, "found");
    info.Tags = "changed";
    info.Save();
    EXPECT_FALSE(QFile::exists(folder + "/.Folder.ini")); // the existing file is rewritten
    EXPECT_TRUE(ReadBytes(folder + "/.FOLDER.INI").contains("Tags=changed\r\n"));
}

TEST_F(RecordInfoTest, RipDateFromTheStoredTextTheFilesOrTheFolder) {
    // Stored text wins.
    const QString stored = MakeFolder(Root, "Artist/Stored");
    WriteBytes(stored + "/.Folder.ini", "[infos]\nRip=21/03/2004\n");
    TRecordInfo a(stored);
    a.Load();
    EXPECT_EQ(a.Rip, 38067.0);

    // No (or an unparsable) stored text: the latest of the files' dates.
    const QString files = MakeFolder(Root, "Artist/Files");
    WriteBytes(files + "/.Folder.ini", "[infos]\nRip=not a date\n");
    SetWriteTime(WriteBytes(files + "/1.mp3", "x"), QDateTime(QDate(2004, 3, 21), QTime(10, 0, 1)));
    SetWriteTime(WriteBytes(files + "/2.mp3", "x"), QDateTime(QDate(2005, 1, 2), QTime(12, 30, 0)));
    SetWriteTime(WriteBytes(files + "/.hidden", "x"), QDateTime(QDate(2010, 1, 1), QTime(0, 0)));
    TRecordInfo b(files);
    b.Load();
    EXPECT_EQ(DateTimeToStr(b.Rip),
              DateTimeToStr(DateTimeFromQDateTime(QDateTime(QDate(2005, 1, 2), QTime(12, 30, 0)))));

    // No files at all: the folder's own date (made just now).
    const QString empty = MakeFolder(Root, "Artist/Empty");
    TRecordInfo c(empty);
    c.Load();
    const TDateTime now = DateTimeFromQDateTime(QDateTime::currentDateTime());
    EXPECT_NEAR(c.Rip, now, 5.0 / 1440) << DateTimeToStr(c.Rip).toStdString();
}

// Whatever Save writes as the rip date, Load reads back to the same second,
// under each locale's own formats (month names, AM/PM, two-digit years).
TEST_F(RecordInfoTest, RipDateRoundTripsUnderEveryLocale) {
    SetShortDateFormat({});
    SetLongTimeFormat({});
    const QDateTime moments[] = {
        QDateTime(QDate(2009, 10, 18), QTime(16, 9, 20)),
        QDateTime(QDate(2009, 10, 18), QTime(0, 0)),
        QDateTime(QDate(2004, 3, 1), QTime(0, 0, 1)),
        QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)),
        QDateTime(QDate(2020, 5, 2), QTime(12, 0, 0)),
        QDateTime(QDate(2021, 7, 4), QTime(0, 30)),
    };
    const QString folder = MakeFolder(Root, "Artist/Round Trip");
    WriteBytes(folder + "/song.mp3", "x"); // its date is today: never one of the moments
    for (const char* locale : {"C", "en_US", "de_DE", "fr_FR"}) {
        SetDateLocale(QString::fromLatin1(locale));
        for (const QDateTime& moment : moments) {
            TRecordInfo info(folder);
            info.Load();
            info.Rip = DateTimeFromQDateTime(moment);
            info.Save();
            const QByteArray stored = ReadBytes(folder + "/.Folder.ini");
            TRecordInfo again(folder);
            again.Load();
            EXPECT_EQ(QDateTimeFromDateTime(again.Rip), moment)
                << locale << ": " << stored.toStdString();
        }
    }
    SetDateLocale({});
}

// Values written by hand or by a long time format with its zone.
TEST_F(RecordInfoTest, RipDateWithATimeAndAZoneIsRead) {
    SetShortDateFormat({});
    SetLongTimeFormat({});
    const QDateTime at1609(QDate(2009, 10, 18), QTime(16, 9, 20));
    const struct {
        const char* locale;
        const char* rip;
        QDateTime expected; // invalid: not read, the files' date is taken
    } cases[] = {
        {"C", "18 Oct 2009 16:09:20", at1609},
        {"C", "18 Oct 2009 16:09:20 UTC", at1609},
        {"C", "18 oct 2009 16:09", QDateTime(QDate(2009, 10, 18), QTime(16, 9))},
        {"C", "18 Oct 2009", QDateTime(QDate(2009, 10, 18), QTime(0, 0))},
        {"C", "18 Oct 2009 UTC", {}},
        {"C", "18 Oct 2009 16:09:20 and more", {}},
        {"C", "18 Oct 2009 PM", {}},
        {"en_US", "10/18/2009 4:09:20 PM", at1609},
        {"en_US", "10/18/2009 4:09:20 PM EST", at1609},
        {"de_DE", "18.10.2009 16:09:20 MESZ", at1609},
        {"de_DE", "18.10.2009 16:09:20 GMT+02:00", at1609},
        {"fr_FR", "18/10/2009 16:09:20 +0200", at1609},
        {"fr_FR", "18/10/2009 16:09:20", at1609},
    };
    const QString folder = MakeFolder(Root, "Artist/By Hand");
    WriteBytes(folder + "/song.mp3", "x");
    for (const auto& c : cases) {
        SetDateLocale(QString::fromLatin1(c.locale));
        WriteBytes(folder + "/.Folder.ini", QByteArray("[infos]\nRip=") + c.rip + "\n");
        TRecordInfo info(folder);
        info.Load();
        if (c.expected.isValid()) {
            EXPECT_EQ(QDateTimeFromDateTime(info.Rip), c.expected) << c.locale << ": " << c.rip;
        } else {
            EXPECT_EQ(info.Rip, LatestFileDate(QFile::encodeName(folder)))
                << c.locale << ": " << c.rip;
        }
    }
    SetDateLocale({});
}

TEST_F(RecordInfoTest, LatestFileDateAgreesWithFilesDateRange) {
    // Write times inside and outside the DOS range (a time outside it leaves
    // the creation time, which is now).
    const QDateTime times[][3] = {
        {QDateTime(QDate(2004, 3, 21), QTime(10, 0, 1)), QDateTime(QDate(1999, 1, 1), QTime(0, 0)),
         QDateTime()},
        {QDateTime(QDate(1970, 1, 2), QTime(0, 0)), QDateTime(QDate(2004, 1, 1), QTime(0, 0)),
         QDateTime()},
        {QDateTime(QDate(2150, 1, 1), QTime(0, 0)), QDateTime(), QDateTime()},
        {QDateTime(QDate(1980, 1, 1), QTime(0, 0, 1)),
         QDateTime(QDate(2107, 12, 31), QTime(23, 59)),
         QDateTime(QDate(1979, 12, 31), QTime(23, 59))},
        {QDateTime(), QDateTime(), QDateTime()},
    };
    int n = 0;
    for (const auto& row : times) {
        const QString folder = MakeFolder(Root, QString("Dates/%1").arg(++n));
        int f = 0;
        for (const QDateTime& t : row)
            if (t.isValid())
                SetWriteTime(WriteBytes(QString("%1/%2.mp3").arg(folder).arg(++f), "x"), t);
        MakeFolder(folder, "sub"); // folders do not count
        EXPECT_EQ(LatestFileDate(QFile::encodeName(folder)), FilesDateRange(folder).second)
            << "row " << n;
    }
}

TEST_F(RecordInfoTest, SaveWritesTheThreeKeysAndKeepsTheRest) {
    const QString folder = MakeFolder(Root, "Artist/1999 - First Record");
    const QByteArray before = "; made by hand\r\n[Other]\r\nKey = odd \xe9 value\r\n\r\n"
                              "[infos]\r\nTags=old\r\nCustom=kept\r\n\r\n[Last]\r\nx=1\r\n";
    WriteBytes(folder + "/.Folder.ini", before);
    TRecordInfo info(folder);
    info.Load();
    info.Release = 1999;
    info.Tags = "rock; live";
    info.Rip = 38067.0 + 0.5; // 21 March 2004, 12:00
    info.Save();
    const QByteArray after = ReadBytes(folder + "/.Folder.ini");
    EXPECT_TRUE(
        after.startsWith("; made by hand\r\n[Other]\r\nKey = odd \xe9 value\r\n\r\n"
                         "[infos]\r\nTags=rock; live\r\nCustom=kept\r\nRelease=1999\r\nRip="))
        << after.toStdString();
    EXPECT_TRUE(after.endsWith("\r\n\r\n[Last]\r\nx=1\r\n")) << after.toStdString();

    TRecordInfo again(folder);
    again.Load();
    EXPECT_EQ(again.Release, 1999);
    EXPECT_EQ(again.Tags, "rock; live");
    EXPECT_NEAR(again.Rip, info.Rip, 1.0 / 86400);

    // Midnight is written as the date alone.
    info.Rip = 38067.0;
    info.Save();
    EXPECT_TRUE(ReadBytes(folder + "/.Folder.ini").contains("\r\nRip=21/03/2004\r\n"));
}

TEST_F(RecordInfoTest, SaveCreatesTheFileAndKeepsUndecodableTags) {
    const QString folder = MakeFolder(Root, "Artist/New");
    TRecordInfo info(folder);
    info.Load();
    info.Tags = "pop";
    info.Rip = 38067.0;
    info.Save();
    EXPECT_EQ(ReadBytes(folder + "/.Folder.ini"),
              QByteArray("[infos]\r\nRelease=0\r\nTags=pop\r\nRip=21/03/2004\r\n"));

    // Tags that are not UTF-8 survive a save that does not change them.
    WriteBytes(folder + "/.Folder.ini", "[infos]\nTags=caf\xe9;x\n");
    TRecordInfo latin(folder);
    latin.Load();
    latin.Release = 2000;
    latin.Save();
    EXPECT_TRUE(ReadBytes(folder + "/.Folder.ini").contains("Tags=caf\xe9;x\n"));
}

TEST_F(RecordInfoTest, SaveIntoAMissingFolderRaises) {
    TRecordInfo info(Root + "/does/not/exist");
    EXPECT_THROW(info.Save(), EToolsError);
}

} // namespace
