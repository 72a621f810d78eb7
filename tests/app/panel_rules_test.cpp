// Rules of the record panel and the Records grid that need no window: the
// grid arithmetic, entry fields, file sorting, "Add Tag", the leaf walk of
// "Same tag to all" and the cover cache.
#include "app/cx_cover_cache.h"
#include "app/cx_record_panel.h"
#include "app/cx_records_layout.h"
#include "records/cx_records.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utime.h>

namespace {

void WriteFile(const QString& path, const QByteArray& bytes = {}) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

TEST(RecordsGrid, ColumnsRowsAndCellIndexes) {
    struct Case {
        int width, entries, columns, rows;
    };
    const Case cases[] = {
        {300, 7, 2, 4},   // the last row holds one cell
        {100, 7, 1, 7},   // narrower than a cell: still one column
        {0, 0, 1, 1},     // no entries: one empty row
        {1280, 0, 10, 1}, // a record without sub-folders
        {1280, 200, 10, 20}, {512, 9, 4, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " px, " << c.entries << " entries");
        const TRecordsGridSize size = RecordsGridSize(c.width, c.entries);
        EXPECT_EQ(size.ColumnCount, c.columns);
        EXPECT_EQ(size.RowCount, c.rows);
    }
    // 7 records in 2 columns: row 3 holds entry 6 and an empty cell.
    EXPECT_EQ(RecordCellIndex(0, 0, 2), 0);
    EXPECT_EQ(RecordCellIndex(1, 2, 2), 5);
    EXPECT_EQ(RecordCellIndex(0, 3, 2), 6);
    EXPECT_GE(RecordCellIndex(1, 3, 2), 7);
}

TEST(RecordsGrid, CellAreas) {
    const QRect cell(256, 128, 128, 128);
    EXPECT_EQ(RecordPictureRect(cell), QRect(280, 128, 80, 80));
    EXPECT_EQ(RecordTextRect(cell), QRect(258, 209, 124, 46));
    // An empty-record picture of 72 x 72 sits 4 pixels in; a larger one
    // sticks out evenly.
    EXPECT_EQ(CenteredRect(QRect(280, 128, 80, 80), QSize(72, 72)), QRect(284, 132, 72, 72));
    EXPECT_EQ(CenteredRect(QRect(0, 0, 80, 80), QSize(90, 100)), QRect(-5, -10, 90, 100));
}

TEST(RecordsGrid, EntryFields) {
    struct Case {
        QString entry, cover, folder, name;
    };
    const Case cases[] = {
        {"/m/A/Rec/Folder.jpg|Rec", "/m/A/Rec/Folder.jpg", "/m/A/Rec", "Rec"},
        // A shortcut's name differs from its target folder.
        {"/else/Jazz Records/Empty|Best", "/else/Jazz Records/Empty", "/else/Jazz Records", "Best"},
        // No separator: the name is the folder's last part.
        {"/m/A/Rec/Folder.jpg", "/m/A/Rec/Folder.jpg", "/m/A/Rec", "Rec"},
        // A leading "|" is no separator.
        {"|x/Rec/c.jpg", "|x/Rec/c.jpg", "|x/Rec", "Rec"},
        // A name holding "|" keeps it.
        {"/m/R/Empty|A | B", "/m/R/Empty", "/m/R", "A | B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.toStdString());
        EXPECT_EQ(RecordEntryCover(c.entry), c.cover);
        EXPECT_EQ(RecordEntryFolder(c.entry), c.folder);
        EXPECT_EQ(RecordEntryName(c.entry), c.name);
    }
}

TEST(RecordPanel, FilesAreSortedIntoSongsAndPictures) {
    const QStringList ext = {"mp3", "ogg"};
    struct Case {
        const char* name;
        TFolderFileKind kind;
    };
    const Case cases[] = {
        {"a.mp3", TFolderFileKind::Song},       {"b.MP3", TFolderFileKind::Song},
        {"c.Ogg", TFolderFileKind::Song},       {"cover.jpg", TFolderFileKind::Picture},
        {"x.JPEG", TFolderFileKind::Picture},   {"y.gif", TFolderFileKind::Picture},
        {"z.Bmp", TFolderFileKind::Picture},    {"png.png", TFolderFileKind::Other},
        {"mp3", TFolderFileKind::Other},        {"notes.txt", TFolderFileKind::Other},
        {"a.mp3.part", TFolderFileKind::Other}, {"odd.", TFolderFileKind::Other},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyFolderFile(c.name, ext), c.kind) << c.name;

    QStringList songs;
    for (const char* name : {"b.MP3", "a.mp3", "C.mp3", "a.mp3", "A.mp3"})
        AddSortedName(songs, name);
    // Case-insensitive order; only the exact repeat is dropped: A.mp3 and
    // a.mp3 are two files on this system.
    EXPECT_EQ(songs, (QStringList{"A.mp3", "a.mp3", "b.MP3", "C.mp3"}));

    EXPECT_EQ(SongDisplayName("01 - Intro.mp3"), "01 - Intro");
    EXPECT_EQ(SongDisplayName("v1.2 take.ogg"), "v1.2 take");
    EXPECT_EQ(SongDisplayName("noext"), "noext");
}

TEST(RecordPanel, CoverPrefersFolderBmp) {
    QTemporaryDir dir;
    const QString f = dir.path();
    WriteFile(f + "/cover.jpg");
    EXPECT_EQ(PanelCoverPath(f, {"cover.jpg"}), f + "/cover.jpg");
    EXPECT_EQ(PanelCoverPath(f, {}), QString());
    WriteFile(f + "/folder.GIF");
    EXPECT_EQ(PanelCoverPath(f, {"cover.jpg"}), f + "/folder.GIF");
    WriteFile(f + "/Folder.jpg");
    EXPECT_EQ(PanelCoverPath(f, {"cover.jpg"}), f + "/Folder.jpg");
    WriteFile(f + "/FOLDER.BMP");
    EXPECT_EQ(PanelCoverPath(f, {"cover.jpg"}), f + "/FOLDER.BMP");

    // Names that differ only in case: the first in listing order, whatever
    // order the file system keeps (made first here, so that a folder listed
    // newest first or in creation order would not give it by chance).
    QTemporaryDir cases;
    for (const char* name : {"FOLDER.JPG", "folder.jpg", "fOlder.jpg", "Folder.jpg", "FoLdEr.JpG"})
        WriteFile(cases.path() + "/" + name);
    EXPECT_EQ(PanelCoverPath(cases.path(), {}), cases.path() + "/FOLDER.JPG");
    QTemporaryDir reversed;
    for (const char* name : {"folder.jpg", "fOlder.jpg", "Folder.jpg", "FoLdEr.JpG", "FOLDER.JPG"})
        WriteFile(reversed.path() + "/" + name);
    EXPECT_EQ(PanelCoverPath(reversed.path(), {}), reversed.path() + "/FOLDER.JPG");
}

TEST(RecordPanel, AddTag) {
    struct Case {
        QString tags, chosen, expected;
    };
    const Case cases[] = {
        {"rock", "live", "rock; live"},
        {"rock; live", "ROCK", "rock; live"}, // present in another case
        {"rock; live", " Live ", "rock; live"},
        {"", "live", "live"}, // empty box: the chosen tag
        {"   ", "live", "live"},
        {"rock", "", "rock"}, // nothing chosen: nothing added
        {"rock", "  ", "rock"},
        {"rock;", "pop", "rock;; pop"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddTagToList(c.tags, c.chosen), c.expected)
            << c.tags.toStdString() << " + " << c.chosen.toStdString();
}

TEST(RecordPanel, SameTagWalkWritesLeavesOnlyAndFollowsNoLink) {
    QTemporaryDir dir;
    const QString root = dir.path();
    // Artist/ (parent of the current record) with two records, a nested
    // artist folder, a hidden folder and links to a record outside and to
    // an ancestor.
    for (const char* folder : {"Artist/1999 - One", "Artist/2001 - Two", "Artist/Live/CD1",
                               "Artist/Live/CD2", "Artist/.hidden/Rec", "Outside/Rec"})
        QDir().mkpath(root + "/" + folder);
    ASSERT_EQ(::symlink(QFile::encodeName(root + "/Outside/Rec").constData(),
                        QFile::encodeName(root + "/Artist/Linked").constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(),
                        QFile::encodeName(root + "/Artist/Loop").constData()),
              0);
    int calls = 0;
    const int seen = TagLeafFolders(root + "/Artist", "jazz; live", [&] {
        ++calls;
        return true;
    });
    EXPECT_EQ(seen, 3);  // One, Two, Live
    EXPECT_EQ(calls, 6); // Artist and each of its five real folders below
    for (const char* leaf : {"1999 - One", "2001 - Two", "Live/CD1", "Live/CD2"}) {
        TRecordInfo info(root + "/Artist/" + leaf);
        info.Load();
        EXPECT_EQ(info.Tags, "jazz; live") << leaf;
    }
    TRecordInfo one(root + "/Artist/1999 - One");
    one.Load();
    EXPECT_EQ(one.Release, 1999);
    for (const char* untouched : {"Artist/Live", "Artist/.hidden/Rec", "Outside/Rec", "Artist"})
        EXPECT_FALSE(QFile::exists(root + "/" + untouched + "/.Folder.ini")) << untouched;
}

TEST(RecordPanel, SameTagWalkStopsWithoutWritingMore) {
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char* folder : {"P/A/r1", "P/A/r2", "P/B/r3"})
        QDir().mkpath(root + "/" + folder);
    // Stop at the second folder the walk enters: whatever it was, no folder
    // with sub-folders may be written, and nothing after the stop.
    int calls = 0;
    TagLeafFolders(root + "/P", "x", [&] { return ++calls < 3; });
    for (const char* parent : {"P", "P/A", "P/B"})
        EXPECT_FALSE(QFile::exists(root + "/" + parent + "/.Folder.ini")) << parent;
    int written = 0;
    for (const char* leaf : {"P/A/r1", "P/A/r2", "P/B/r3"})
        written += QFile::exists(root + "/" + leaf + "/.Folder.ini");
    EXPECT_LE(written, 1);
}

QByteArray Jpeg(int side, QColor colour) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

void SetMTime(const QString& path, time_t when) {
    struct utimbuf times {
        when, when
    };
    ASSERT_EQ(::utime(QFile::encodeName(path).constData(), &times), 0);
}

TEST(CoverCache, KeysSizesAndInvalidation) {
    EXPECT_NE(TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 1, 10),
              TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 2, 10));
    EXPECT_NE(TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 1, 10),
              TCoverCache::Key("/a", {48, 48}, TCoverFit::Stretch, 1, 10));
    EXPECT_NE(TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 1, 10),
              TCoverCache::Key("/a", {80, 80}, TCoverFit::Reduce, 1, 10));
    EXPECT_NE(TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 1, 10),
              TCoverCache::Key("/a", {80, 80}, TCoverFit::Stretch, 1, 11));

    QTemporaryDir dir;
    const QString path = dir.filePath("Folder.jpg");
    WriteFile(path, Jpeg(400, Qt::red));
    SetMTime(path, 1000000000);
    TCoverCache cache;
    TCoverCache::TCover first = cache.Get(path, {80, 80});
    ASSERT_TRUE(first.Exists);
    EXPECT_EQ(first.Picture.size(), QSize(80, 80));
    cache.Get(path, {80, 80});
    EXPECT_EQ(cache.DecodeCount(), 1); // the repaint came from memory
    cache.Get(path, {48, 48});
    EXPECT_EQ(cache.DecodeCount(), 2); // another size is another picture

    // Replaced on disk (new modification time): decoded again, new colours.
    WriteFile(path, Jpeg(400, Qt::blue));
    SetMTime(path, 1000000100);
    const TCoverCache::TCover second = cache.Get(path, {80, 80});
    EXPECT_EQ(cache.DecodeCount(), 3);
    EXPECT_GT(qBlue(second.Picture.pixel(40, 40)), 200);

    // A missing file is no error.
    const TCoverCache::TCover missing = cache.Get(dir.filePath("Empty"), {80, 80});
    EXPECT_FALSE(missing.Exists);
    EXPECT_TRUE(missing.Error.isEmpty());
}

TEST(CoverCache, BrokenCoverIsDecodedAndReportedOncePerVersion) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Folder.jpg");
    WriteFile(path, Jpeg(400, Qt::red).left(300));
    SetMTime(path, 1000000000);
    TCoverCache cache;
    int newErrors = 0;
    for (int repaint = 0; repaint < 5; ++repaint) {
        const TCoverCache::TCover cover = cache.Get(path, {80, 80});
        EXPECT_TRUE(cover.Exists);
        EXPECT_TRUE(cover.Picture.isNull());
        EXPECT_TRUE(cover.Error.contains(path));
        newErrors += cover.NewError;
    }
    // Other sizes of the same file do not report it again.
    newErrors += cache.Get(path, {186, 186}, TCoverFit::Reduce).NewError;
    EXPECT_EQ(newErrors, 1);
    EXPECT_EQ(cache.DecodeCount(), 1);

    // Mended on disk: read again and shown.
    WriteFile(path, Jpeg(400, Qt::red));
    SetMTime(path, 1000000100);
    EXPECT_FALSE(cache.Get(path, {80, 80}).Picture.isNull());
}

TEST(CoverCache, PrefetchedCoversAreServedAndTheirFailuresReportedOnce) {
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 4; ++i) {
        paths << dir.filePath(QStringLiteral("c%1.jpg").arg(i));
        WriteFile(paths.last(), Jpeg(400, Qt::green));
    }
    const QString broken = dir.filePath("broken.jpg");
    WriteFile(broken, Jpeg(400, Qt::red).left(300));
    TCoverCache cache;
    cache.Prefetch(paths + QStringList{broken, paths.first(), dir.filePath("Empty")}, {80, 80});
    EXPECT_EQ(cache.DecodeCount(), 5); // each file once; the missing one not at all
    for (const QString& path : paths)
        EXPECT_EQ(cache.Get(path, {80, 80}).Picture.size(), QSize(80, 80));
    // The failure found while prefetching is handed out by the first Get.
    EXPECT_TRUE(cache.Get(broken, {80, 80}).NewError);
    EXPECT_FALSE(cache.Get(broken, {80, 80}).NewError);
    cache.Prefetch(paths + QStringList{broken}, {80, 80});
    EXPECT_EQ(cache.DecodeCount(), 5);
}

TEST(CoverCache, StaysWithinItsBudget) {
    QTemporaryDir dir;
    TCoverCache cache(100 * 1024); // room for three 80 x 80 pictures (25 KB each)
    for (int i = 0; i < 10; ++i) {
        const QString path = dir.filePath(QStringLiteral("c%1.jpg").arg(i));
        WriteFile(path, Jpeg(160, Qt::green));
        cache.Get(path, {80, 80});
        EXPECT_LE(cache.CachedBytes(), cache.MaxBytes());
    }
    EXPECT_GT(cache.CachedBytes(), 0);
}

} // namespace
