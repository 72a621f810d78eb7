// The Search and Neighbour tabs driven offscreen on a generated collection.
#include "app/cx_fmain.h"
#include "app/cx_report_model.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "gui_fixture.h"
#include "records/cx_database.h"
#include "records/cx_record_rows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>

namespace {

// Record folders below the music root and the tag text of their information
// file (nullptr: no information file).
struct TRecordSpec {
    const char* path;
    const char* tags;
};
const TRecordSpec kCollection[] = {
    {"A/Amber/1999 - Rock Live", "rock; live"}, {"A/Amber/2001 - Live Rock", "Live;ROCK"},
    {"A/Birch/Spaced", "Rock ; Live"},          {"B/Cedar/Only Rock", "rock"},
    {"B/Cedar/Jazz Club", "jazz; live"},        {"B/Dune/Untagged", nullptr},
    {"C/Elm/Far", "pop; jazz; blues; soul"},    {"C/Elm/Near", "live; pop; jazz"},
};

class SearchTabsTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        root = dir.filePath(QStringLiteral("Music"));
        for (const TRecordSpec& r : kCollection) {
            const QString folder = root + "/" + QString::fromUtf8(r.path);
            ASSERT_TRUE(QDir().mkpath(folder));
            WriteFile(folder + "/01 - Song.mp3", "ID3");
            if (r.tags)
                WriteFile(folder + "/.Folder.ini",
                          QByteArray("[infos]\r\nTags=") + r.tags + "\r\n");
        }
        contexte->WriteString(QStringLiteral("MusicRoot"), root);
        contexte->WriteStrings({"rock", "live", "jazz", "pop"}, QStringLiteral("TagsList"));
    }
    TFrmCrateboxMain& Open() { return OpenWindow(QSize(900, 600)); }
    TFrmCrateboxMain& OpenAndUpdate() {
        TFrmCrateboxMain& w = Open();
        w.PageControl->setCurrentWidget(w.tsSearch);
        QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
        return w;
    }
    // The record names (column 1 of LV) shown, in their order.
    static QStringList Shown(QTreeView* list, int column) {
        QStringList cells;
        for (int r = 0; r < list->model()->rowCount(); ++r)
            cells << list->model()->index(r, column).data().toString();
        return cells;
    }
    static QSet<QString> ShownSet(QTreeView* list, int column) {
        const QStringList cells = Shown(list, column);
        return QSet<QString>(cells.begin(), cells.end());
    }
    static void ClickHeader(QTreeView* list, int column) {
        QHeaderView* header = list->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    static void SelectRow(QTreeView* list, int row) {
        list->setCurrentIndex(list->model()->index(row, 0));
    }
    // The text field the neighbour search reads: the record panel's tag
    // box, with a record shown so that it and "Show neighbours" are enabled.
    QLineEdit* TagField() {
        if (!window->edTags->isEnabled()) {
            QWidget* page = window->PageControl->currentWidget();
            window->PathOverride = root + QStringLiteral("/A/Amber/1999 - Rock Live");
            window->PageControl->setCurrentWidget(window->tsMusic);
            window->ShowRecord(true);
            window->PageControl->setCurrentWidget(page);
        }
        EXPECT_TRUE(window->btShowLike->isEnabled());
        return window->edTags;
    }

    QString root;
};

TEST_F(SearchTabsTest, UpdateBuildsTheFileAndFillsTheList) {
    TFrmCrateboxMain& w = Open();
    w.PageControl->setCurrentWidget(w.tsSearch); // no file yet: nothing, no message
    EXPECT_EQ(w.LV->model()->rowCount(), 0);
    EXPECT_FALSE(w.SearchListFilled);

    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(root + "/.Tralu_DB.data"));
    EXPECT_TRUE(w.DatabaseLoaded);
    EXPECT_TRUE(w.SearchListFilled);
    EXPECT_TRUE(w.BtUpdateDB->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(w.LV->model()->rowCount(), int(std::size(kCollection)));
    // Sorted by name, then (ties) in database order; every row as the file says.
    EXPECT_EQ(Shown(w.LV, 0).first(), "Amber");
    EXPECT_EQ(Shown(w.LV, 0).last(), "Elm");
    const int spaced = Shown(w.LV, 1).indexOf("Spaced");
    ASSERT_GE(spaced, 0);
    EXPECT_EQ(Shown(w.LV, 2)[spaced], "Rock ; Live");
    EXPECT_EQ(Shown(w.LV, 3)[spaced], "0");
    EXPECT_EQ(Shown(w.LV, 5)[spaced], root + "/A/Birch/Spaced");
    EXPECT_EQ(Shown(w.LV, 1).indexOf("Rock Live"), Shown(w.LV, 3).indexOf("1999"));
    // The walk showed its folders in the status bar and left the last one.
    EXPECT_TRUE(w.StatusPanel->text().startsWith(root)) << w.StatusPanel->text().toStdString();
    EXPECT_EQ(w.LV->model()->headerData(0, Qt::Horizontal).toString(), "Name");

    // A folder whose name is not text is left out and named once after the
    // walk; its parent, which has a sub-folder, is still no record.
    const QByteArray cafe = QFile::encodeName(root + "/B/Dune/") + "Caf\xe9";
    ASSERT_EQ(::mkdir(cafe.constData(), 0755), 0);
    ASSERT_EQ(::mkdir((cafe + "/CD1").constData(), 0755), 0);
    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
    EXPECT_EQ(w.LV->model()->rowCount(), int(std::size(kCollection)));
    EXPECT_EQ(w.StatusPanel->text(),
              "Skipped (name is not valid UTF-8): " + root + "/B/Dune/Caf\\xe9");

    // A later start reads the file when the tab is first shown.
    window.reset();
    TFrmCrateboxMain& again = Open();
    EXPECT_EQ(again.LV->model()->rowCount(), 0);
    again.PageControl->setCurrentWidget(again.tsSearch);
    EXPECT_EQ(again.LV->model()->rowCount(), int(std::size(kCollection)));
    EXPECT_TRUE(again.DatabaseLoaded);
}

TEST_F(SearchTabsTest, TagFiltersApplyOnClickOnly) {
    TFrmCrateboxMain& w = OpenAndUpdate();
    const QSet<QString> all = ShownSet(w.LV, 1);
    using S = QSet<QString>;
    const struct {
        bool on1;
        const char* tag1;
        bool on2;
        const char* tag2;
        S expected;
    } cases[] = {
        {false, "rock", false, "live", all},
        {true, "rock", false, "live", S{"Rock Live", "Live Rock", "Spaced", "Only Rock"}},
        {true, "rock", true, "live", S{"Rock Live", "Live Rock", "Spaced"}},
        {false, "rock", true, "live", S{"Rock Live", "Live Rock", "Spaced", "Jazz Club", "Near"}},
        {true, "jazz", true, "pop", S{"Far", "Near"}},
        {true, "pop", true, "rock", S{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2 / %3 %4")
                         .arg(c.on1)
                         .arg(c.tag1)
                         .arg(c.on2)
                         .arg(c.tag2)
                         .toStdString());
        w.cbTagsFilter->setCurrentText(QString::fromLatin1(c.tag1));
        w.cbTagsFilter2->setCurrentText(QString::fromLatin1(c.tag2));
        EXPECT_EQ(w.cbTagsFilter->currentText(), QString::fromLatin1(c.tag1));
        // A click on a box applies both filters; set the other box first.
        w.cbApplyFilter2->setChecked(c.on2);
        if (w.cbApplyFilter->isChecked() == c.on1)
            QTest::mouseClick(w.cbApplyFilter, Qt::LeftButton); // off and on again
        QTest::mouseClick(w.cbApplyFilter, Qt::LeftButton);
        ASSERT_EQ(w.cbApplyFilter->isChecked(), c.on1);
        EXPECT_EQ(ShownSet(w.LV, 1), c.expected);
    }

    // Choosing another tag without a click changes nothing...
    w.cbApplyFilter->setChecked(true);
    w.cbApplyFilter2->setChecked(false);
    w.cbTagsFilter->setCurrentText("rock");
    QTest::mouseClick(w.cbApplyFilter2, Qt::LeftButton);
    QTest::mouseClick(w.cbApplyFilter2, Qt::LeftButton);
    const QSet<QString> rock = ShownSet(w.LV, 1);
    EXPECT_EQ(rock.size(), 4);
    w.cbTagsFilter->setCurrentText("jazz");
    EXPECT_EQ(ShownSet(w.LV, 1), rock);
    // ...and Update shows every row whatever the boxes say.
    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
    EXPECT_TRUE(w.cbApplyFilter->isChecked());
    EXPECT_EQ(ShownSet(w.LV, 1), all);
}

TEST_F(SearchTabsTest, ShowRecordOpensTheSelectedRowInTheMusicTab) {
    TFrmCrateboxMain& w = OpenAndUpdate();
    QTest::mouseClick(w.BtShowRecord, Qt::LeftButton); // nothing selected
    EXPECT_TRUE(w.PathOverride.isEmpty());
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsSearch);

    const int row = Shown(w.LV, 1).indexOf("Jazz Club");
    SelectRow(w.LV, row);
    QTest::mouseClick(w.BtShowRecord, Qt::LeftButton);
    EXPECT_EQ(w.PathOverride, root + "/B/Cedar/Jazz Club");
    EXPECT_EQ(w.CurrentFolder(), root + "/B/Cedar/Jazz Club");
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsMusic);

    // A double click on a neighbour row takes the path from its last column.
    TagField()->setText("jazz");
    w.btShowLike->click();
    ASSERT_EQ(w.PageControl->currentWidget(), w.tsLike);
    const int near = Shown(w.LVLike, ncRecord).indexOf("Near");
    ASSERT_GE(near, 0);
    const QModelIndex cell = w.LVLike->model()->index(near, ncRecord);
    const QPoint at = w.LVLike->visualRect(cell).center();
    QTest::mouseClick(w.LVLike->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.LVLike->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(w.PathOverride, root + "/C/Elm/Near");
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsMusic);
}

TEST_F(SearchTabsTest, StoredColumnWidthsAreLimited) {
    contexte->WriteInteger(QStringLiteral("LVCol0"), 5);
    contexte->WriteInteger(QStringLiteral("LVCol1"), 5000);
    contexte->WriteInteger(QStringLiteral("LVCol3"), 120);
    contexte->WriteInteger(QStringLiteral("LVLikeCol0"), 5000);
    contexte->WriteInteger(QStringLiteral("LVLikeCol6"), 5);
    TFrmCrateboxMain& w = OpenAndUpdate();
    TagField()->setText("rock");
    w.btShowLike->click();
    const struct {
        QTreeView* list;
        int column;
        int width;
    } cases[] = {{w.LV, 0, 30},      {w.LV, 1, 999},    {w.LV, 2, -1},    {w.LV, 3, 120},
                 {w.LVLike, 0, 999}, {w.LVLike, 6, 30}, {w.LVLike, 3, -1}};
    // -1: no stored width, so fitted to the header and the cells.
    const auto check = [&](const char* when) {
        for (const auto& c : cases) {
            const std::string what = when + (" " + c.list->objectName().toStdString()) +
                                     " column " + std::to_string(c.column);
            if (c.width >= 0) {
                EXPECT_EQ(c.list->columnWidth(c.column), c.width) << what;
                continue;
            }
            EXPECT_GE(c.list->columnWidth(c.column), c.list->header()->sectionSizeHint(c.column))
                << what;
            int widest = 0;
            for (int r = 0; r < c.list->model()->rowCount(); ++r)
                widest =
                    std::max(widest, c.list->fontMetrics().horizontalAdvance(
                                         c.list->model()->index(r, c.column).data().toString()));
            EXPECT_GE(c.list->columnWidth(c.column), widest) << what;
            EXPECT_GT(c.list->columnWidth(c.column), 50) << what; // "Tags", "Year": longer cells
        }
    };
    check("first fill");
    // Fitted once: a later fill keeps what the user made of them.
    w.LV->setColumnWidth(2, 44);
    w.LVLike->setColumnWidth(3, 45);
    w.PageControl->setCurrentWidget(w.tsSearch);
    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
    w.btShowLike->click();
    EXPECT_EQ(w.LV->columnWidth(2), 44);
    EXPECT_EQ(w.LVLike->columnWidth(3), 45);
    EXPECT_EQ(w.LV->columnWidth(3), 120);
}

TEST_F(SearchTabsTest, ClosingDuringAWalkEndsItAndKeepsTheOldFile) {
    // Enough folders that the walk is still running when the close arrives.
    for (int i = 0; i < 20; ++i)
        QDir().mkpath(root + QStringLiteral("/D/Many/Record %1").arg(i));
    const QByteArray old = "\"Old\", \"Record\", \"\", \"0\", \"\", \"/nowhere\"\n";
    WriteFile(root + "/.Tralu_DB.data", old);
    TFrmCrateboxMain& w = Open();
    w.PageControl->setCurrentWidget(w.tsSearch);
    ASSERT_EQ(Shown(w.LV, 0), QStringList{"Old"});

    int visits = 0, visitsAfterClose = 0;
    bool buttonDisabled = true;
    TDatabaseProgress progress = w.Database->OnProgress;
    w.Database->OnProgress = [&](TRecordStructList& db, const QString& d, bool& stop) {
        ++visits;
        if (w.Closing)
            ++visitsAfterClose;
        buttonDisabled = buttonDisabled && !w.BtUpdateDB->isEnabled();
        w.BtUpdateDBClick(); // refused while the walk runs
        progress(db, d, stop);
    };
    QTimer::singleShot(0, &w, [&] { w.close(); });
    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);

    EXPECT_TRUE(w.Closing);
    EXPECT_LE(visitsAfterClose, 1);
    EXPECT_LT(visits, 5);
    EXPECT_TRUE(buttonDisabled);
    EXPECT_EQ(ReadFile(root + "/.Tralu_DB.data"), old);
    EXPECT_EQ(Shown(w.LV, 0), QStringList{"Old"});
    EXPECT_EQ(w.Database->Count(), 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SearchTabsTest, NeighboursBestFirstOnlyNonNegativeTiesInDatabaseOrder) {
    TFrmCrateboxMain& w = OpenAndUpdate();
    w.PageControl->setCurrentWidget(w.tsMusic);
    TagField()->setText("rock; live");
    w.btShowLike->click();
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsLike);
    EXPECT_TRUE(w.NeighbourListFilled);

    // rock; live scores 6 against the three records carrying both tags, 2
    // against "rock", 1 against "jazz; live", 0 against "live; pop; jazz";
    // "Far" (-6) and the untagged record (-1) are left out.
    QStringList sixes; // in database order
    for (int i = 0; i < w.Database->Count(); ++i)
        if (w.Database->GetRecord(i)->Score == 6)
            sixes << w.Database->GetRecord(i)->RecordName;
    ASSERT_EQ(sixes.size(), 3);
    EXPECT_EQ(Shown(w.LVLike, ncRecord), sixes + QStringList({"Only Rock", "Jazz Club", "Near"}));
    EXPECT_EQ(Shown(w.LVLike, ncDistance), (QStringList{" 6", " 6", " 6", " 2", " 1", " 0"}));
    EXPECT_EQ(w.LVLike->model()->headerData(0, Qt::Horizontal).toString(), "Distance");

    // A click on "Distance" turns it to ascending; ties stay in database order.
    ClickHeader(w.LVLike, ncDistance);
    EXPECT_EQ(Shown(w.LVLike, ncRecord), QStringList({"Near", "Jazz Club", "Only Rock"}) + sixes);

    // An empty tag field scores -1 everywhere: the list comes out empty.
    TagField()->setText("");
    w.PageControl->setCurrentWidget(w.tsMusic);
    w.btShowLike->click();
    EXPECT_EQ(w.LVLike->model()->rowCount(), 0);
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsLike);
}

TEST_F(SearchTabsTest, NeighboursReadTheFileWhenNothingIsLoaded) {
    {
        TRecordStructList db;
        ASSERT_EQ(db.BuildFromFolder(root), TBuildResult::Built);
    }
    TFrmCrateboxMain& w = Open();
    TagField()->setText("Rock");
    w.btShowLike->click();
    EXPECT_TRUE(w.DatabaseLoaded);
    EXPECT_EQ(Shown(w.LVLike, ncDistance).first(), " 3");

    // Another root without a file: nothing of the first root stays listed.
    QTemporaryDir other;
    w.ChooseFolder = [&](const QString&, const QString&, const QString&) { return other.path(); };
    w.cmSetMusicRoot->trigger();
    EXPECT_FALSE(w.DatabaseLoaded);
    w.btShowLike->click();
    EXPECT_EQ(w.LVLike->model()->rowCount(), 0);
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsLike);
}

TEST_F(SearchTabsTest, HeaderClicksSortTheSearchList) {
    TFrmCrateboxMain& w = OpenAndUpdate();
    const auto sorted = [](QStringList l, bool descending) {
        std::stable_sort(l.begin(), l.end(), [&](const QString& a, const QString& b) {
            const int c = QString::localeAwareCompare(a.toLower(), b.toLower());
            return descending ? c > 0 : c < 0;
        });
        return l;
    };
    const struct {
        int click;
        int column;
        bool descending;
    } clicks[] = {{1, 1, false}, {1, 1, true}, {0, 0, false}, {0, 0, true}, {1, 1, false}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(c.click);
        ClickHeader(w.LV, c.click);
        EXPECT_EQ(w.LV->header()->sortIndicatorSection(), c.column);
        EXPECT_EQ(w.LV->header()->sortIndicatorOrder(),
                  c.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        const QStringList cells = Shown(w.LV, c.column);
        EXPECT_EQ(cells, sorted(cells, c.descending));
    }
    // Type-ahead finds a row by the start of its first cell.
    w.LV->setFocus();
    QTest::keyClicks(w.LV, "ced");
    EXPECT_EQ(w.LV->currentIndex().siblingAtColumn(0).data().toString(), "Cedar");
}

} // namespace

namespace {

// With TRALU_DEMO_ROOT and TRALU_SCREENSHOT_DIR set: pictures of both tabs
// after Update on that collection (for looking at, not checked).
TEST_F(SearchTabsTest, Screenshots) {
    const QString demo = qEnvironmentVariable("TRALU_DEMO_ROOT");
    const QString out = qEnvironmentVariable("TRALU_SCREENSHOT_DIR");
    if (demo.isEmpty() || out.isEmpty())
        GTEST_SKIP() << "set TRALU_DEMO_ROOT and TRALU_SCREENSHOT_DIR";
    contexte->WriteString(QStringLiteral("MusicRoot"), demo);
    TFrmCrateboxMain& w = Open();
    w.resize(1100, 700);
    w.PageControl->setCurrentWidget(w.tsSearch);
    QTest::mouseClick(w.BtUpdateDB, Qt::LeftButton);
    SelectRow(w.LV, 2);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/search.png"));
    TagField()->setText(w.LV->model()->index(2, scTags).data().toString());
    w.btShowLike->click();
    SelectRow(w.LVLike, 0);
    QApplication::processEvents();
    EXPECT_TRUE(w.grab().save(out + "/neighbour.png"));
}

} // namespace
