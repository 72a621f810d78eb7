// The Music tab's record panel and the Records grid, driven offscreen on a
// temporary music root.
#include "app/Cratebox_str.h"
#include "app/cx_fmain.h"
#include "app/cx_records_grid.h"
#include "app/cx_records_layout.h"
#include "app/cx_song_list.h"
#include "framework/qv_Component.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "gui_fixture.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {

QByteArray Picture(QColor colour, const char* format, int side = 300) {
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class RecordPanelTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        root = dir.filePath("Music");
        QDir().mkpath(root);
        contexte->WriteString("MusicRoot", root);
        SetShortDateFormat("dd/MM/yyyy");
        SetLongTimeFormat("HH:mm:ss");
        CollectErrors();
    }
    void TearDown() override {
        GuiFixture::TearDown();
        SetShortDateFormat({});
        SetLongTimeFormat({});
    }

    TFrmCrateboxMain& Open() { return OpenWindow(QSize(1000, 700)); }
    // Shows folder on the Music tab, as a choice in a list would.
    void ShowOnMusicTab(const QString& folder) {
        window->PathOverride = folder;
        if (window->PageControl->currentWidget() != window->tsMusic)
            window->PageControl->setCurrentWidget(window->tsMusic);
        else
            window->ShowRecord(false);
    }
    void Screenshot(QWidget* widget, const char* name) {
        const QByteArray folder = qgetenv("TRALU_SCREENSHOT_DIR");
        if (!folder.isEmpty())
            widget->grab().save(QString::fromUtf8(folder) + "/" + name);
    }
    QStringList SongNames() {
        QStringList names;
        QAbstractItemModel* model = window->DrawGridMusic->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString();
        return names;
    }

    QString root;
};

TEST_F(RecordPanelTest, ShowRecordFillsThePanelFromTheFolder) {
    const QString record = root + "/B/Blue Trio/1999 - First Record";
    WriteFile(record + "/02 - Second.MP3");
    WriteFile(record + "/01 - Intro.mp3");
    WriteFile(record + "/notes.txt");
    WriteFile(record + "/cover.jpg", Picture(Qt::red, "JPEG"));
    WriteFile(record + "/.Folder.ini",
              "[infos]\nRelease=1998\nTags=rock; live\nRip=21/03/2004 18:30:00\n");
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);

    EXPECT_EQ(w._lbAuteur->Caption(), "Blue Trio");
    EXPECT_EQ(w._lbDisque->Caption(), "1999 - First Record");
    EXPECT_EQ(w.edRecordRelease->text(), "1998");
    EXPECT_EQ(w.edRecordRip->text(), "21/03/2004");
    EXPECT_EQ(w.edTags->text(), "rock; live");
    EXPECT_EQ(w.Songs, (QStringList{"01 - Intro.mp3", "02 - Second.MP3"}));
    EXPECT_EQ(w.Pictures, QStringList{"cover.jpg"});
    EXPECT_EQ(SongNames(), (QStringList{"01 - Intro", "02 - Second"}));
    EXPECT_EQ(w.DrawGridMusic->verticalHeader()->defaultSectionSize(), 18);
    for (QWidget* control :
         std::initializer_list<QWidget*>{w.edRecordRelease, w.edRecordRip, w.edTags, w.BtAddTag,
                                         w.btSameTag, w.cbTagsList, w._sbBookmarkIt})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    // A record with music can be played and enqueued.
    for (QWidget* control :
         std::initializer_list<QWidget*>{w.btPlayDir, w.btEnqueue, w.btPlaySong, w.btEnqueueSong})
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(w.cmPlay->isEnabled());
    EXPECT_TRUE(w.cmEnqueue->isEnabled());
    EXPECT_EQ(w._sbBookmarkIt->text(), StringList().Get(Cratebox_str::BookmarkIt));

    // The only picture is the cover, fitted into the 186 x 186 control.
    ASSERT_TRUE(w.ImageFolder->isVisible());
    EXPECT_EQ(w.ImageFolder->size(), QSize(186, 186));
    const QImage shown = w.ImageFolder->grab().toImage();
    EXPECT_GT(qRed(shown.pixel(93, 93)), 200);
    EXPECT_LT(qBlue(shown.pixel(93, 93)), 60);

    // Showing it wrote nothing.
    EXPECT_EQ(ReadFile(record + "/.Folder.ini"),
              "[infos]\nRelease=1998\nTags=rock; live\nRip=21/03/2004 18:30:00\n");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    Screenshot(&w, "music_tab.png");
}

TEST_F(RecordPanelTest, FolderBmpComesFirstAndFoldersWithoutMusicStayDisabled) {
    const QString record = root + "/R/Rec";
    WriteFile(record + "/a.mp3");
    WriteFile(record + "/Folder.jpg", Picture(Qt::red, "JPEG"));
    WriteFile(record + "/Folder.bmp", Picture(Qt::blue, "BMP"));
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    ASSERT_TRUE(w.ImageFolder->isVisible());
    EXPECT_GT(qBlue(w.ImageFolder->Picture().pixel(10, 10)), 200);

    // An artist folder with a cover but no songs: empty, disabled panel,
    // the cover still shown.
    const QString artist = root + "/R";
    WriteFile(artist + "/Folder.jpg", Picture(Qt::green, "JPEG"));
    ShowOnMusicTab(artist);
    EXPECT_TRUE(w._lbAuteur->Caption().isEmpty());
    EXPECT_TRUE(w.edRecordRelease->text().isEmpty());
    EXPECT_FALSE(w.edTags->isEnabled());
    for (QWidget* control :
         std::initializer_list<QWidget*>{w.btPlayDir, w.btEnqueue, w.btPlaySong, w.btEnqueueSong})
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_FALSE(w.cmPlay->isEnabled());
    EXPECT_TRUE(w.ImageFolder->isVisible());
    EXPECT_FALSE(QFile::exists(artist + "/.Folder.ini"));
}

TEST_F(RecordPanelTest, EveryKeystrokeWritesTheInformationFile) {
    const QString record = root + "/A/Artist/Untitled";
    WriteFile(record + "/a.mp3");
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    ASSERT_EQ(w.edRecordRelease->text(), "0");
    EXPECT_FALSE(QFile::exists(record + "/.Folder.ini"));
    w.edRecordRelease->setFocus();
    w.edRecordRelease->selectAll();
    QTest::keyClick(w.edRecordRelease, Qt::Key_Delete); // the box is empty now
    QStringList releases;
    for (char key : {'2', '0', '0', '4'}) {
        QTest::keyClick(w.edRecordRelease, key);
        const QString text = QString::fromUtf8(ReadFile(record + "/.Folder.ini"));
        releases << text.mid(text.indexOf("Release=")).section('\n', 0, 0).trimmed();
    }
    EXPECT_EQ(releases, (QStringList{"Release=2", "Release=20", "Release=200", "Release=2004"}));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(RecordPanelTest, NoCurrentFolderEmptiesThePanelWithoutWriting) {
    const QString record = root + "/A/Artist/1999 - Rec";
    WriteFile(record + "/a.mp3");
    const QByteArray info = "[infos]\nRelease=1999\nTags=jazz\n";
    WriteFile(record + "/.Folder.ini", info);
    const QString bare = root + "/A/Artist/2001 - Bare";
    WriteFile(bare + "/b.mp3");
    TFrmCrateboxMain& w = Open();
    for (const QString& folder : {record, bare}) {
        SCOPED_TRACE(folder.toStdString());
        ShowOnMusicTab(folder);
        ASSERT_FALSE(w.edTags->text().isEmpty() && folder == record);
        ASSERT_TRUE(w.RecordEditsLive);
        ShowOnMusicTab(QString());
        EXPECT_TRUE(w.edTags->text().isEmpty());
        EXPECT_TRUE(w.edRecordRelease->text().isEmpty());
        EXPECT_TRUE(w._lbDisque->Caption().isEmpty());
        EXPECT_FALSE(w.edTags->isEnabled());
        EXPECT_FALSE(w.ImageFolder->isVisible());
        EXPECT_EQ(SongNames(), QStringList{QString()}); // one empty row
    }
    EXPECT_EQ(ReadFile(record + "/.Folder.ini"), info);
    EXPECT_FALSE(QFile::exists(bare + "/.Folder.ini"));
}

TEST_F(RecordPanelTest, AddTagFromTheListAndWithEnter) {
    const QString record = root + "/A/Artist/Rec";
    WriteFile(record + "/a.mp3");
    WriteFile(record + "/.Folder.ini", "[infos]\nTags=rock\n");
    contexte->WriteStrings(QStringList{"live", "ROCK", "pop"}, "TagsList");
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    // The list is sorted, in the order of the search filters.
    QStringList listed, filter;
    for (int i = 0; i < w.cbTagsList->count(); ++i)
        listed << w.cbTagsList->itemText(i);
    for (int i = 0; i < w.cbTagsFilter->count(); ++i)
        filter << w.cbTagsFilter->itemText(i);
    EXPECT_EQ(listed, (QStringList{"live", "pop", "ROCK"}));
    EXPECT_EQ(listed, filter);
    const auto choose = [&](const char* tag) {
        w.cbTagsList->setCurrentIndex(w.cbTagsList->findText(tag));
    };
    struct Step {
        const char* tag;
        bool enter;
        const char* expected;
    };
    const Step steps[] = {
        {"live", false, "rock; live"},
        {"ROCK", false, "rock; live"}, // already there in another case
        {"pop", true, "rock; live; pop"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.tag);
        choose(s.tag);
        if (s.enter)
            QTest::keyClick(w.cbTagsList, Qt::Key_Return);
        else
            QTest::mouseClick(w.BtAddTag, Qt::LeftButton);
        EXPECT_EQ(w.edTags->text(), s.expected);
        EXPECT_TRUE(ReadFile(record + "/.Folder.ini").contains(QByteArray("Tags=") + s.expected));
    }
    // An empty tag box takes the chosen tag.
    w.edTags->clear();
    choose("live");
    QTest::mouseClick(w.BtAddTag, Qt::LeftButton);
    EXPECT_EQ(w.edTags->text(), "live");
    EXPECT_TRUE(ReadFile(record + "/.Folder.ini").contains("Tags=live\n"));
}

TEST_F(RecordPanelTest, SameTagToAllWritesEveryLeafBelowTheParentAndFollowsNoLink) {
    const QString artist = root + "/A/Artist";
    WriteFile(artist + "/1999 - One/a.mp3");
    WriteFile(artist + "/2001 - Two/b.mp3");
    QDir().mkpath(artist + "/Box/CD1");
    QDir().mkpath(root + "/Z/Other/Rec");
    ASSERT_EQ(::symlink(QFile::encodeName(root + "/Z/Other/Rec").constData(),
                        QFile::encodeName(artist + "/Linked").constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(root).constData(),
                        QFile::encodeName(artist + "/Up").constData()),
              0);
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(artist + "/1999 - One");
    w.edTags->setText("jazz; live");
    QTest::mouseClick(w.btSameTag, Qt::LeftButton);
    for (const char* leaf : {"1999 - One", "2001 - Two", "Box/CD1"}) {
        TRecordInfo info(artist + "/" + leaf);
        info.Load();
        EXPECT_EQ(info.Tags, "jazz; live") << leaf;
    }
    EXPECT_FALSE(QFile::exists(artist + "/Box/.Folder.ini"));
    EXPECT_FALSE(QFile::exists(root + "/Z/Other/Rec/.Folder.ini"));
    EXPECT_FALSE(QFile::exists(root + "/.Folder.ini"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // Stops at once when the window is closing.
    w.Closing = true;
    w.edTags->setText("other");
    QTest::mouseClick(w.btSameTag, Qt::LeftButton);
    TRecordInfo two(artist + "/2001 - Two");
    two.Load();
    EXPECT_EQ(two.Tags, "jazz; live");
}

class RecordsGridTest : public RecordPanelTest {
protected:
    // The picture square of entry i, as drawn.
    QImage CellPicture(TFrmCrateboxMain& w, int index) {
        TRecordsGrid* grid = w.DrawGridRecord;
        const int column = index % grid->ColumnCount(), row = index / grid->ColumnCount();
        const QImage shot = grid->viewport()->grab().toImage();
        return shot.copy(RecordPictureRect(grid->CellRect(column, row)));
    }
};

TEST_F(RecordsGridTest, ShowsTheRecordsOfTheFolderWithTheEmptyPictureForRecordsWithoutCover) {
    const QString artist = root + "/A/Artist";
    WriteFile(artist + "/1999 - Red/Folder.jpg", Picture(Qt::red, "JPEG", 1200));
    QDir().mkpath(artist + "/2001 - No Cover");
    WriteFile(artist + "/2003 - Blue/back.bmp", Picture(Qt::blue, "BMP", 64));
    // A shortcut to a record kept elsewhere comes after the real folders.
    const QString elsewhere = root + "/../Elsewhere/Live Set";
    QDir().mkpath(elsewhere);
    ASSERT_TRUE(QFile::link(elsewhere, artist + "/Live.lnk"));
    TFrmCrateboxMain& w = Open();
    ASSERT_EQ(w.PageControl->currentWidget(), w.tsRecords);
    w.EmptyRecordBitmap = QPixmap(QStringLiteral(TRALU_SOURCE_DIR "/data/EmptyRecord.bmp"));
    ASSERT_FALSE(w.EmptyRecordBitmap.isNull());
    w.PathOverride = artist;
    w.RefreshRecordsGrid(false);
    ASSERT_EQ(w.RecordEntries.size(), 4);
    EXPECT_TRUE(w.RecordEntries.last().endsWith("/Live Set/Empty|Live"))
        << qPrintable(w.RecordEntries.last());
    w.DrawGridRecord->viewport()->repaint();

    const int columns = w.DrawGridRecord->ClientWidth() / RecordCellSize;
    EXPECT_EQ(w.DrawGridRecord->ColumnCount(), columns);
    EXPECT_EQ(w.DrawGridRecord->RowCount(), (4 + columns - 1) / columns);

    const QImage red = CellPicture(w, 0);
    EXPECT_GT(qRed(red.pixel(40, 40)), 200);
    EXPECT_LT(qBlue(red.pixel(40, 40)), 60);
    // The empty-record picture, unscaled, centred in the square.
    const QImage empty = CellPicture(w, 1);
    const QImage bitmap = w.EmptyRecordBitmap.toImage();
    const QPoint offset((80 - bitmap.width()) / 2, (80 - bitmap.height()) / 2);
    for (const QPoint p : {QPoint(0, 0), QPoint(36, 36), QPoint(20, 50), QPoint(71, 71)})
        EXPECT_EQ(empty.pixel(p + offset), bitmap.pixel(p)) << p.x() << "," << p.y();

    // A folder without sub-folders: no records, one empty row.
    w.PathOverride = artist + "/1999 - Red";
    w.RefreshRecordsGrid(false);
    EXPECT_TRUE(w.RecordEntries.isEmpty());
    EXPECT_EQ(w.DrawGridRecord->RowCount(), 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(RecordsGridTest, LayoutFollowsTheWidth) {
    TFrmCrateboxMain& w = Open();
    for (int i = 0; i < 7; ++i)
        w.RecordEntries << QStringLiteral("%1/R%2/Empty|R%2").arg(root).arg(i);
    struct Case {
        int width, columns, rows;
    };
    for (const Case& c : {Case{300, 2, 4}, Case{100, 1, 7}, Case{1100, 8, 1}}) {
        w.DrawGridRecord->viewport()->setFixedWidth(c.width);
        w.DrawGridRecord->setFixedWidth(c.width + 2 * w.DrawGridRecord->frameWidth() + 40);
        QApplication::processEvents();
        w.LayoutRecordsGrid();
        SCOPED_TRACE(w.DrawGridRecord->ClientWidth());
        const TRecordsGridSize expected = RecordsGridSize(w.DrawGridRecord->ClientWidth(), 7);
        EXPECT_EQ(w.DrawGridRecord->ColumnCount(), expected.ColumnCount);
        EXPECT_EQ(w.DrawGridRecord->RowCount(), expected.RowCount);
    }
}

TEST_F(RecordsGridTest, CurrentCellGivesItsRecordFolder) {
    TFrmCrateboxMain& w = Open();
    w.RecordEntries = QStringList{root + "/A/One/Folder.jpg|One", root + "/Else/Target/Empty|Best"};
    w.LayoutRecordsGrid();
    TRecordsGrid* grid = w.DrawGridRecord;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(1, 0).center());
    EXPECT_EQ(w.RecordsGridCurrentFolder(), root + "/Else/Target");
    // An empty cell has no record.
    if (grid->ColumnCount() > 2) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(2, 0).center());
        EXPECT_EQ(w.RecordsGridCurrentFolder(), QString());
    }
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 0).center());
    EXPECT_EQ(w.RecordsGridCurrentFolder(), root + "/A/One");
}

TEST_F(RecordsGridTest, CorruptCoverIsReportedOnceAcrossRepaints) {
    const QString artist = root + "/A/Artist";
    const QByteArray jpeg = Picture(Qt::red, "JPEG", 600);
    WriteFile(artist + "/Broken/Folder.jpg", jpeg.left(jpeg.size() / 3));
    WriteFile(artist + "/Good/Folder.jpg", jpeg);
    TFrmCrateboxMain& w = Open();
    w.EmptyRecordBitmap = QPixmap(QStringLiteral(TRALU_SOURCE_DIR "/data/EmptyRecord.bmp"));
    w.PathOverride = artist;
    w.RefreshRecordsGrid(false);
    w.RecordEntries.sort();
    for (int repaint = 0; repaint < 4; ++repaint) {
        w.DrawGridRecord->viewport()->repaint();
        QApplication::processEvents();
    }
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(artist + "/Broken/Folder.jpg"));
    // The broken record shows the empty picture; the good one its cover.
    const QImage bitmap = w.EmptyRecordBitmap.toImage();
    const QImage broken = CellPicture(w, 0);
    EXPECT_EQ(broken.pixel(40, 40), bitmap.pixel(36, 36));
    EXPECT_GT(qRed(CellPicture(w, 1).pixel(40, 40)), 200);
    // Only two covers were ever decoded.
    EXPECT_EQ(w.CoverCache.DecodeCount(), 2);

    // The Music tab reports the same file no more, and still fills the panel.
    WriteFile(artist + "/Broken/a.mp3");
    WriteFile(artist + "/Broken/.Folder.ini", "[infos]\nTags=kept\n");
    ShowOnMusicTab(artist + "/Broken");
    QApplication::processEvents();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(w.ImageFolder->isVisible());
    EXPECT_EQ(w.edTags->text(), "kept");
    EXPECT_TRUE(w.edTags->isEnabled());
}

TEST_F(RecordsGridTest, Screenshot) {
    const QString artist = root + "/A/Artist";
    const QColor colours[] = {QColor("#264653"), QColor("#2a9d8f"), QColor("#e9c46a"),
                              QColor("#f4a261"), QColor("#e76f51")};
    for (int i = 0; i < 9; ++i) {
        const QString record =
            artist + QStringLiteral("/%1 - Record number %2 with a long name").arg(1990 + i).arg(i);
        if (i % 3 == 2)
            QDir().mkpath(record);
        else
            WriteFile(record + "/Folder.jpg", Picture(colours[i % 5], "JPEG", 500));
    }
    TFrmCrateboxMain& w = Open();
    w.EmptyRecordBitmap = QPixmap(QStringLiteral(TRALU_SOURCE_DIR "/data/EmptyRecord.bmp"));
    w.PathOverride = artist;
    w.RefreshRecordsGrid(false);
    Screenshot(&w, "records_tab.png");
    EXPECT_TRUE(errors.isEmpty());
}

} // namespace
