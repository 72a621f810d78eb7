// The main window driven offscreen with a temporary settings file.
#include "app/Cratebox_str.h"
#include "app/cx_fmain.h"
#include "framework/qv_application.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "gui_fixture.h"
#include "platform/termination.h"
#include "test_env.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

class MainWindowTest : public tralu::test::GuiFixture {
protected:
    TFrmCrateboxMain& Open() { return OpenWindow(); }
    void CloseWindow() {
        window->close();
        QApplication::processEvents();
    }
    // A fresh context reads what the window stored.  Destroying a context
    // clears the global one, so put ours back.
    qint32 StoredInt(const QString& name, qint32 def = -12345) {
        qint32 value = TqvContexte().ReadInteger(name, def);
        Contexte = contexte.get();
        return value;
    }
    QString StoredString(const QString& name, const QString& def = QStringLiteral("<none>")) {
        QString value = TqvContexte().ReadString(name, def);
        Contexte = contexte.get();
        return value;
    }
};

TEST_F(MainWindowTest, FirstStartWithAnEmptyStoreUsesTheDefaults) {
    TFrmCrateboxMain& w = Open();
    EXPECT_EQ(w.MusicExtensions, (QStringList{"mp3", "mpc", "ogg", "wav", "wma", "ape"}));
    EXPECT_EQ(w.NewDays, 30);
    EXPECT_EQ(w.NewMusicDir, "News");
    EXPECT_EQ(w.BookmarkDir, "Bookmark");
    EXPECT_FALSE(w.PageControl->isTabVisible(TFrmCrateboxMain::tiPlayer));
    EXPECT_EQ(w.TreePaneWidth(), 250);
    EXPECT_EQ(w.TreeRootFolder, "/");
    EXPECT_EQ(w.PlaySong, "\"audacious\"");
    EXPECT_EQ(w.EnqueueSong, "\"audacious\" --enqueue");
    EXPECT_TRUE(w.SearchImage.endsWith("images?q="));
    EXPECT_FALSE(w.Updating);
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
    EXPECT_EQ(w.windowTitle(), "Tralu");
    EXPECT_TRUE(w._lbMusicRoot->text().isEmpty());
}

TEST_F(MainWindowTest, StoredValuesAreClampedWhenRead) {
    struct Case {
        const char* key;
        qint32 stored;
        qint32 expected;
    };
    const Case cases[] = {{"NewDays", 0, 1},
                          {"NewDays", 5000, 999},
                          {"NewDays", 45, 45},
                          {"ShellTreeView", 10, 50},
                          {"ShellTreeView", 300, 300}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1=%2").arg(c.key).arg(c.stored).toStdString());
        QFile::remove(settingsFile);
        contexte->WriteInteger(QString::fromLatin1(c.key), c.stored);
        TFrmCrateboxMain& w = Open();
        const qint32 got =
            QLatin1String(c.key) == QLatin1String("NewDays") ? w.NewDays : w.TreePaneWidth();
        EXPECT_EQ(got, c.expected);
        window.reset();
    }
}

TEST_F(MainWindowTest, StoredExtensionListIsUsedUnlessEmpty) {
    contexte->WriteStrings(QStringList{"flac"}, QStringLiteral("MusicExt"));
    EXPECT_EQ(Open().MusicExtensions, QStringList{"flac"});
    window.reset();
    contexte->WriteStrings(QStringList{}, QStringLiteral("MusicExt"));
    EXPECT_EQ(Open().MusicExtensions.size(), 6);
}

TEST_F(MainWindowTest, ClosingWritesEveryKeyWithItsType) {
    TFrmCrateboxMain& w = Open();
    w.UseInternalPlayer = true;
    w.cbTagsList->addItems({"rock", "jazz"});
    CloseWindow();
    EXPECT_TRUE(w.Closing);

    QFile file(settingsFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    for (const char* line :
         {"\"NewDays\"=dword:0000001e", "\"ShellTreeView\"=dword:000000fa",
          "\"NewsUpdateOnStart\"=dword:00000000", "\"UseDirDate\"=dword:00000000",
          "\"UseInternalPlayer\"=dword:00000001", "\"ShowReport\"=dword:00000004",
          "\"MusicRoot\"=\"\"", "\"NewMusicDir\"=\"News\"", "\"BookmarkDir\"=\"Bookmark\"",
          "\"PlaySong\"=\"\\\"audacious\\\"\"", "\"Language\"=dword:0000000"})
        EXPECT_TRUE(text.contains(QLatin1String(line))) << line;
    TqvContexte& reader = *contexte;
    QStringList ext, tags;
    reader.ReadStrings(ext, QStringLiteral("MusicExt"));
    reader.ReadStrings(tags, QStringLiteral("TagsList"));
    EXPECT_EQ(ext.size(), 6);
    EXPECT_EQ(tags, (QStringList{"rock", "jazz"}));
    EXPECT_NE(reader.ReadString(QStringLiteral("SearchImage")), QString());
    EXPECT_EQ(reader.ReadInteger(QStringLiteral("Width"), -1,
                                 QStringLiteral("Settings\\FrmCrateboxMain")),
              w.width());
}

TEST_F(MainWindowTest, ShowReportTellsTheActiveTab) {
    const struct {
        int tab;
        int expected;
    } cases[] = {{TFrmCrateboxMain::tiMusic, 0},   {TFrmCrateboxMain::tiList, 1},
                 {TFrmCrateboxMain::tiRename, 2},  {TFrmCrateboxMain::tiTag, 3},
                 {TFrmCrateboxMain::tiRecords, 4}, {TFrmCrateboxMain::tiSearch, 5},
                 {TFrmCrateboxMain::tiLike, 5},    {TFrmCrateboxMain::tiPlayer, 5}};
    contexte->WriteBool(QStringLiteral("UseInternalPlayer"), true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tab);
        TFrmCrateboxMain& w = Open();
        w.PageControl->setCurrentIndex(c.tab);
        CloseWindow();
        EXPECT_EQ(StoredInt(QStringLiteral("ShowReport")), c.expected);
        window.reset();
    }
}

TEST_F(MainWindowTest, ColumnWidthsAreWrittenOnlyWhenTheListWasFilled) {
    contexte->WriteInteger(QStringLiteral("LVCol0"), 77);
    contexte->WriteInteger(QStringLiteral("LVLikeCol0"), 88);
    Open();
    CloseWindow();
    EXPECT_EQ(StoredInt(QStringLiteral("LVCol0")), 77);
    EXPECT_EQ(StoredInt(QStringLiteral("LVLikeCol0")), 88);
    window.reset();

    TFrmCrateboxMain& w = Open();
    w.SearchListFilled = true;
    w.LV->setColumnWidth(0, 123);
    CloseWindow();
    EXPECT_EQ(StoredInt(QStringLiteral("LVCol0")), 123);
    EXPECT_NE(StoredInt(QStringLiteral("LVCol5")), -12345);
    EXPECT_EQ(StoredInt(QStringLiteral("LVLikeCol0")), 88);
}

TEST_F(MainWindowTest, MusicRootChosenDuringTheRunIsStoredOnlyAtClose) {
    QTemporaryDir oldRoot, newRoot;
    contexte->WriteString(QStringLiteral("MusicRoot"), oldRoot.path());
    TFrmCrateboxMain& w = Open();
    EXPECT_EQ(w.TreeRootFolder, oldRoot.path());
    QString askedCaption, askedInstruction, askedCurrent;
    w.ChooseFolder = [&](const QString& caption, const QString& instruction,
                         const QString& current) {
        askedCaption = caption;
        askedInstruction = instruction;
        askedCurrent = current;
        return newRoot.path();
    };
    w.cmSetMusicRoot->trigger();
    EXPECT_EQ(askedCaption, "Select music directory");
    EXPECT_EQ(askedInstruction, "Set music root");
    EXPECT_EQ(askedCurrent, oldRoot.path());
    EXPECT_EQ(w.MusicRoot, newRoot.path());
    EXPECT_EQ(w.TreeRootFolder, newRoot.path());
    EXPECT_EQ(StoredString(QStringLiteral("MusicRoot")), oldRoot.path());
    CloseWindow();
    EXPECT_EQ(StoredString(QStringLiteral("MusicRoot")), newRoot.path());
}

// Moving the splitter changes the list pane's size only: the Rename grid's
// columns follow it, as they follow the window.
TEST_F(MainWindowTest, TheViewsFollowTheListPane) {
    TFrmCrateboxMain& w = OpenWindow(QSize(1400, 700));
    w.PageControl->setCurrentWidget(w.tsRename);
    QApplication::processEvents();
    const auto halves = [&] {
        const int width = w.DrawGrid->viewport()->width();
        return std::pair{w.DrawGrid->columnWidth(0), width / 2};
    };
    for (const int tree : {400, 180, 300}) {
        w.Splitter->setSizes({tree, w.Splitter->width() - tree});
        QApplication::processEvents();
        ASSERT_EQ(w._pnTree->width(), tree);
        const auto [column, half] = halves();
        EXPECT_EQ(column, half) << "tree " << tree;
    }
}

TEST_F(MainWindowTest, CancellingTheFolderChooserChangesNothing) {
    TFrmCrateboxMain& w = Open();
    w.ChooseFolder = [](const QString&, const QString&, const QString&) { return QString(); };
    w.cmSetMusicRoot->trigger();
    EXPECT_TRUE(w.MusicRoot.isEmpty());
    EXPECT_EQ(w.TreeRootFolder, "/");
}

TEST_F(MainWindowTest, MissingMusicRootIsKeptAndWrittenBackUnchanged) {
    const QString missing = dir.filePath(QStringLiteral("no such folder"));
    contexte->WriteString(QStringLiteral("MusicRoot"), missing);
    TFrmCrateboxMain& w = Open();
    EXPECT_EQ(w.TreeRootFolder, "/");
    CloseWindow();
    EXPECT_EQ(StoredString(QStringLiteral("MusicRoot")), missing);
}

TEST_F(MainWindowTest, WindowDesignHasItsComponentsInOrder) {
    TFrmCrateboxMain& w = Open();
    for (const char* name :
         {"_pnToolbarRoot", "ToolBar",     "_pnTree", "_lbMusicRoot", "VST",       "Splitter",
          "_pnList",        "PageControl", "tsMusic", "tsList",       "tsRename",  "tsTag",
          "tsRecords",      "tsSearch",    "tsLike",  "tsPlayer",     "PopupMenu", "PopupMenuPlay",
          "PopupMenuImage", "LV",          "LVLike"})
        EXPECT_NE(w.findChild<QObject*>(QLatin1String(name)), nullptr) << name;
    QStringList tabs;
    for (int i = 0; i < w.PageControl->count(); ++i)
        tabs << w.PageControl->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"Music", "List", "Rename", "Tag infos", "Records", "Search",
                                 "Neighbour", "Player"}));
    EXPECT_TRUE(w._pnToolbarRoot->isVisible());
    EXPECT_EQ(w._pnToolbarRoot->height(), 75);
    EXPECT_EQ(w.tbAll->text(), "All");

    QStringList menu;
    for (QAction* a : w.PopupMenu->actions())
        if (a->isVisible())
            menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(menu, (QStringList{"Refresh all", "Refresh node", "Explore", "Delete",
                                 "Undo last renames", "-", "Create new music list", "Parameters",
                                 "Set music root", "-", "About", "Languages", "-", "Close"}));
}

TEST_F(MainWindowTest, PopupMenuEnablesFolderActionsOnlyWithACurrentFolder) {
    TFrmCrateboxMain& w = Open();
    w.ShowPopupMenu(QPoint(10, 10));
    EXPECT_FALSE(w.cmRefreshNode->isEnabled());
    EXPECT_FALSE(w.cmExplore->isEnabled());
    EXPECT_FALSE(w.cmDelete->isEnabled());
    EXPECT_FALSE(w.cmOnlineHelp->isVisible());
    w.PopupMenu->hide();
    w.PathOverride = dir.path();
    w.ShowPopupMenu(QPoint(10, 10));
    EXPECT_TRUE(w.cmRefreshNode->isEnabled());
    EXPECT_TRUE(w.cmDelete->isEnabled());
    w.PopupMenu->hide();
}

TEST_F(MainWindowTest, NumberedTextsAreCompleteOnceTheWindowExists) {
    Open();
    const TqvStringList& s = StringList();
    EXPECT_EQ(s.Count(), 32);
    EXPECT_EQ(s.Get(0), "Language to add");
    EXPECT_EQ(s.Get(13), "Rename %d files ?");
    EXPECT_EQ(s.Get(16), "Can not read tag from the file: ");
    EXPECT_EQ(s.Get(20), "  < %d days");
    EXPECT_EQ(s.Get(22), "All");
    EXPECT_EQ(s.Get(31), "Distance");
    EXPECT_EQ(Cratebox_str::ColDistance, 31);
    // The column headers come from the table.
    EXPECT_EQ(window->LV->model()->headerData(5, Qt::Horizontal).toString(), "Path");
    EXPECT_EQ(window->LVLike->model()->headerData(0, Qt::Horizontal).toString(), "Distance");
}

TEST_F(MainWindowTest, TerminationSignalClosesThroughTheOrdinaryPath) {
    TFrmCrateboxMain& w = Open();
    InstallTerminationHandler(&w, [&w] { w.close(); });
    w.NewDays = 77;
    std::raise(SIGTERM);
    QTRY_VERIFY(w.Closing);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(StoredInt(QStringLiteral("NewDays")), 77);
}

} // namespace
