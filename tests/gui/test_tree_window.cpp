// The music tree, the toolbar, the folder actions and the List tab, driven
// through the main window on a temporary music root.
#include "app/cx_browser_rules.h"
#include "app/cx_fmain.h"
#include "app/cx_foldertree.h"
#include "app/cx_shelllist.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "gui_fixture.h"
#include "platform/shell_services.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

class RecordingShell : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override {
        Opened << url;
        return true;
    }
    qint64 StartDetached(const QString&, const QStringList&) override { return -1; }
    int RunAndWait(const QString&, const QStringList&) override { return -1; }
    bool MoveToTrash(const QString& path) override { return QFile::moveToTrash(path); }
    QList<QUrl> Opened;
};

// A double click as the window system delivers it to a widget.
void DoubleClick(QWidget* widget, const QPoint& at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

class TreeWindowTest : public tralu::test::GuiFixture {
protected:
    void OnceForProgram() override { InstallShellConfirmation(); }
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        root = dir.filePath("Music");
        outside = dir.filePath("Other/Jazz Records");
        MakeFolders({"B/Bop", "a/Ant", "a/Cat", "a/Cat/Disc 1", "C", ".hidden", "x.lnk", "News",
                     "Bookmark"});
        ASSERT_TRUE(QDir().mkpath(outside + "/Live"));
        Touch(dir.filePath("Other/notes.txt"));
        ASSERT_TRUE(QFile::link(outside, root + "/Jazz.lnk"));
        ASSERT_TRUE(QFile::link(dir.filePath("Other/notes.txt"), root + "/notes.lnk"));
        ASSERT_TRUE(QFile::link(dir.filePath("Other/Gone"), root + "/Gone.lnk"));
        ASSERT_TRUE(QFile::link(root + "/B/Bop", root + "/Bookmark/My Bop.lnk"));
        QImage cover(60, 40, QImage::Format_RGB32);
        cover.fill(Qt::red);
        ASSERT_TRUE(cover.save(root + "/B/folder.JPG", "JPG"));
        WriteFile(root + "/C/Folder.jpg", "not a picture");
        CollectErrors();
        SetConfirmHook([this](const QString&) { return ConfirmAnswer; });
    }

    void MakeFolders(const QStringList& folders) {
        for (const QString& folder : folders)
            ASSERT_TRUE(QDir().mkpath(root + "/" + folder));
    }
    static void Touch(const QString& path) { WriteFile(path, "x"); }

    TFrmCrateboxMain& Open() {
        contexte->WriteString("MusicRoot", root);
        return OpenWindow();
    }

    QModelIndex Node(const QStringList& names) const {
        const QAbstractItemModel* model = window->VST->model();
        QModelIndex at;
        for (const QString& name : names) {
            const QModelIndexList found =
                model->match(model->index(0, 0, at), Qt::DisplayRole, name, 1, Qt::MatchExactly);
            if (found.isEmpty())
                return {};
            at = found.first();
        }
        return at;
    }
    QStringList Names(const QModelIndex& parent = {}) const {
        const QAbstractItemModel* model = window->VST->model();
        QStringList names;
        for (int i = 0; i < model->rowCount(parent); ++i)
            names << model->index(i, 0, parent).data().toString();
        return names;
    }
    // The folder buttons after "All".
    QList<QAction*> FolderButtons() const {
        QList<QAction*> buttons = window->ToolBar->actions();
        buttons.removeAll(window->tbAll);
        return buttons;
    }
    QAction* Button(const QString& caption) const {
        for (QAction* button : FolderButtons())
            if (button->text() == caption)
                return button;
        return nullptr;
    }
    void Focus(const QModelIndex& index) { window->VST->setCurrentIndex(index); }
    TFolderNode* FocusedNode() const { return window->FocusedNode(); }
    // Ends an in-place edit of the node with the given text.
    void RenameInPlace(const QModelIndex& index, const QString& text) {
        window->VST->edit(index);
        auto* editor = window->VST->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString root;
    QString outside;
    bool ConfirmAnswer = false;
};

TEST_F(TreeWindowTest, TreeIsSortedAndToolbarFollowsTheListing) {
    TFrmCrateboxMain& w = Open();
    // Tree: case-insensitive order; shortcuts by their own name without
    // ".lnk"; a folder named x.lnk without its ending; links to a file or to
    // a missing folder and hidden folders nowhere.
    EXPECT_EQ(Names(), (QStringList{"a", "B", "Bookmark", "C", "Jazz", "News", "x"}));
    EXPECT_EQ(w.TreeRootFolder, root);
    EXPECT_EQ(Node({"Jazz"}).data(Qt::ToolTipRole).toString(), outside);
    EXPECT_EQ(FocusedNode(), nullptr);
    EXPECT_TRUE(w._lbMusicRoot->text().isEmpty());

    // Toolbar: real folders in listing order (by name without regard to
    // case, whatever order the file system keeps), then the shortcut under
    // its target's name.
    const QStringList listed = {"a", "B", "Bookmark", "C", "News", "x.lnk", "Jazz Records"};
    QStringList captions;
    for (QAction* button : FolderButtons()) {
        captions << button->text();
        EXPECT_EQ(button->toolTip(), button->text());
        EXPECT_EQ(button->data().toInt(), 1000 + captions.size() - 1);
    }
    EXPECT_EQ(captions, listed);
    EXPECT_EQ(w.ToolbarEntries.size(), listed.size());
    EXPECT_EQ(w.ToolBar->actions().first(), w.tbAll);
    EXPECT_EQ(w.tbAll->toolTip(), w.tbAll->text());

    // Pictures: a readable cover gets its own image, special folders theirs,
    // an unreadable cover the plain folder and one report.
    const QAction* withCover = Button("B");
    ASSERT_NE(withCover, nullptr);
    const int coverImage = withCover->property("ImageIndex").toInt();
    EXPECT_GE(coverImage, 4);
    ASSERT_LT(coverImage, w.ImageListToolbar.size());
    EXPECT_EQ(w.ImageListToolbar.at(coverImage).size(), QSize(48, 48));
    const QColor middle = w.ImageListToolbar.at(coverImage).toImage().pixelColor(24, 24);
    EXPECT_TRUE(middle.red() > 240 && middle.green() < 16 && middle.blue() < 16);
    EXPECT_EQ(Button("News")->property("ImageIndex").toInt(), 3);
    EXPECT_EQ(Button("Bookmark")->property("ImageIndex").toInt(), 2);
    EXPECT_EQ(Button("a")->property("ImageIndex").toInt(), 1);
    EXPECT_EQ(Button("C")->property("ImageIndex").toInt(), 1);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains(root + "/C/Folder.jpg"));

    // Rebuilding keeps one button per folder and reports the bad cover no more.
    w.cmRefreshAll->trigger();
    EXPECT_EQ(FolderButtons().size(), listed.size());
    EXPECT_EQ(w.ImageListToolbar.size(), 5);
    EXPECT_EQ(errors.size(), 1);

    // A caption shows the name unchanged, "&" and "..." included.
    MakeFolders({"R&B... Soul"});
    w.cmRefreshAll->trigger();
    QAction* soul = Button("R&B... Soul");
    ASSERT_NE(soul, nullptr);
    EXPECT_EQ(soul->toolTip(), "R&B... Soul");
    const auto* tool = qobject_cast<QToolButton*>(w.ToolBar->widgetForAction(soul));
    ASSERT_NE(tool, nullptr);
    // As a button draws it: "&&" is one "&", a single "&" marks a shortcut.
    QString drawn;
    const QString text = tool->text();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && ++i == text.size())
            break;
        drawn += text[i];
    }
    EXPECT_EQ(drawn, "R&B... Soul") << text.toStdString();
}

TEST_F(TreeWindowTest, FocusLoadsChildrenAndSetsTheCurrentFolder) {
    TFrmCrateboxMain& w = Open();
    w.PathOverride = dir.filePath("Other");
    Focus(Node({"a"}));
    EXPECT_EQ(w.CurrentFolder(), root + "/a");
    EXPECT_EQ(w.StatusPanel->text(), root + "/a");
    EXPECT_EQ(Names(Node({"a"})), (QStringList{"Ant", "Cat"}));
    EXPECT_TRUE(w.VST->isExpanded(Node({"a"})));
    EXPECT_FALSE(w.Updating);
    EXPECT_TRUE(w.isEnabled());
    EXPECT_EQ(FocusedNode()->Data.ImageIndex, fiTopFolder);

    // A nested folder with sub-folders gets the parent icon; one without
    // keeps the plain one and no expansion button.
    Focus(Node({"a", "Cat"}));
    EXPECT_EQ(Names(Node({"a", "Cat"})), QStringList{"Disc 1"});
    EXPECT_EQ(FocusedNode()->Data.ImageIndex, fiParentFolder);
    Focus(Node({"a", "Ant"}));
    EXPECT_EQ(FocusedNode()->Data.ImageIndex, fiNestedFolder);
    EXPECT_FALSE(w.VST->model()->hasChildren(Node({"a", "Ant"})));

    // In the bookmark folder shortcuts show their own names; the node lies
    // below BookmarkNode.
    Focus(Node({"Bookmark"}));
    EXPECT_EQ(Names(Node({"Bookmark"})), QStringList{"My Bop"});
    Focus(Node({"Bookmark", "My Bop"}));
    EXPECT_EQ(w.CurrentFolder(), root + "/B/Bop");
    EXPECT_EQ(FocusedNode()->Data.ShortcutFile, root + "/Bookmark/My Bop.lnk");
    EXPECT_TRUE(w.FocusedNodeIsBookmarked());
    // Elsewhere a shortcut shows its target's name.
    Focus(Node({"Jazz"}));
    EXPECT_EQ(Names(Node({"Jazz"})), QStringList{"Live"});
    EXPECT_FALSE(w.FocusedNodeIsBookmarked());

    // Focus on no node: no current folder.
    w.VST->selectionModel()->clearCurrentIndex();
    EXPECT_TRUE(w.CurrentFolder().isEmpty());
    EXPECT_TRUE(w.StatusPanel->text().isEmpty());
}

TEST_F(TreeWindowTest, RefreshNodeShowsFoldersChangedOnDisk) {
    TFrmCrateboxMain& w = Open();
    Focus(Node({"a"}));
    MakeFolders({"a/Bee"});
    EXPECT_EQ(Names(Node({"a"})), (QStringList{"Ant", "Cat"}));
    w.ShowPopupMenu(QPoint(10, 10));
    w.PopupMenu->hide();
    ASSERT_TRUE(w.cmRefreshNode->isEnabled());
    w.cmRefreshNode->trigger();
    EXPECT_EQ(Names(Node({"a"})), (QStringList{"Ant", "Bee", "Cat"}));
    EXPECT_TRUE(w.VST->isExpanded(Node({"a"})));
    // Focusing the folder again lists it again too, each child showing its
    // own folder.
    QDir(root + "/a/Bee").removeRecursively();
    MakeFolders({"a/Ape"});
    Focus(Node({"B"}));
    Focus(Node({"a"}));
    EXPECT_EQ(Names(Node({"a"})), (QStringList{"Ant", "Ape", "Cat"}));
    Focus(Node({"a", "Ape"}));
    EXPECT_EQ(w.CurrentFolder(), root + "/a/Ape");

    // Without a current folder the menu's folder actions are disabled.
    w.VST->selectionModel()->clearCurrentIndex();
    w.ShowPopupMenu(QPoint(10, 10));
    w.PopupMenu->hide();
    EXPECT_FALSE(w.cmRefreshNode->isEnabled());
    EXPECT_FALSE(w.cmExplore->isEnabled());
    EXPECT_FALSE(w.cmDelete->isEnabled());
}

TEST_F(TreeWindowTest, RenameInPlaceNeverReplacesAFolder) {
    TFrmCrateboxMain& w = Open();
    Focus(Node({"a"}));
    Touch(root + "/a/Ant/song.mp3");
    struct Case {
        const char* newName;
        bool renamed;
    };
    const Case cases[] = {{"Cat", false}, {"../Ant", false}, {"", false}, {"Aunt", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newName);
        const QModelIndex ant = Node({"a", "Ant"});
        ASSERT_TRUE(ant.isValid());
        Focus(ant);
        RenameInPlace(ant, QString::fromUtf8(c.newName));
        EXPECT_EQ(QFileInfo::exists(root + "/a/Ant/song.mp3"), !c.renamed);
        EXPECT_TRUE(QFileInfo::exists(root + "/a/Cat/Disc 1"));
        if (c.renamed) {
            EXPECT_TRUE(QFileInfo::exists(root + "/a/Aunt/song.mp3"));
            EXPECT_EQ(Names(Node({"a"})).first(), "Aunt");
            EXPECT_EQ(w.CurrentFolder(), root + "/a/Aunt");
            EXPECT_EQ(w.StatusPanel->text(), root + "/a/Aunt");
        } else {
            EXPECT_EQ(Names(Node({"a"})), (QStringList{"Ant", "Cat"}));
        }
    }
    EXPECT_EQ(errors.size(), 1); // only the unreadable cover of the start
}

TEST_F(TreeWindowTest, RenamingAShortcutNodeRenamesItsTarget) {
    Open();
    Focus(Node({"Jazz"}));
    RenameInPlace(Node({"Jazz"}), "Jazz Live");
    const QString renamed = dir.filePath("Other/Jazz Live");
    EXPECT_TRUE(QFileInfo(renamed + "/Live").isDir());
    EXPECT_FALSE(QFileInfo::exists(outside));
    // The shortcut is kept and still leads to the folder.
    EXPECT_EQ(QFileInfo(root + "/Jazz.lnk").symLinkTarget(), renamed);
    EXPECT_EQ(FocusedNode()->Data.Path, renamed);
    EXPECT_EQ(FocusedNode()->Data.Name, "Jazz Live");
}

TEST_F(TreeWindowTest, DeleteMovesTheFolderToTheTrashWhenConfirmed) {
    TFrmCrateboxMain& w = Open();
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    Focus(Node({"C"}));
    ConfirmAnswer = false;
    w.cmDelete->trigger();
    EXPECT_TRUE(QFileInfo(root + "/C").isDir());
    EXPECT_TRUE(Node({"C"}).isValid());

    ConfirmAnswer = true;
    Focus(Node({"a"}));
    Focus(Node({"C"}));
    w.cmDelete->trigger();
    EXPECT_FALSE(QFileInfo::exists(root + "/C"));
    const QString trash = qEnvironmentVariable("XDG_DATA_HOME") + "/Trash/files";
    EXPECT_TRUE(QFileInfo(trash + "/C/Folder.jpg").exists());
    EXPECT_EQ(Names(), (QStringList{"a", "B", "Bookmark", "Jazz", "News", "x"}));
    EXPECT_EQ(FocusedNode(), nullptr);
    // The nodes after it keep their folders.
    Focus(Node({"Jazz"}));
    EXPECT_EQ(w.CurrentFolder(), outside);

    // A record shown from a list is deleted without touching the tree.
    w.PathOverride = root + "/x.lnk";
    w.cmDelete->trigger();
    EXPECT_FALSE(QFileInfo::exists(root + "/x.lnk"));
    EXPECT_TRUE(Node({"Jazz"}).isValid());
    EXPECT_TRUE(Node({"x"}).isValid());

    w.PathOverride.clear();
    Focus(Node({"B"}));
    w.cmExplore->trigger();
    ASSERT_EQ(shell.Opened.size(), 1);
    EXPECT_EQ(shell.Opened.first().toLocalFile(), root + "/B");
}

TEST_F(TreeWindowTest, ToolbarButtonsNarrowTheTree) {
    TFrmCrateboxMain& w = Open();
    Focus(Node({"B"}));
    w.PathOverride = root + "/C";
    Button("a")->trigger();
    EXPECT_EQ(w._lbMusicRoot->text(), "a");
    EXPECT_EQ(w.TreeRootFolder, root + "/a");
    EXPECT_EQ(Names(), (QStringList{"Ant", "Cat"}));
    EXPECT_TRUE(w.PathOverride.isEmpty());
    EXPECT_EQ(FocusedNode(), nullptr);
    EXPECT_TRUE(w.CurrentFolder().isEmpty());
    EXPECT_EQ(w.BookmarkNode, nullptr);
    // The toolbar stays as it was.
    EXPECT_EQ(FolderButtons().size(), w.ToolbarEntries.size());

    Button("Jazz Records")->trigger();
    EXPECT_EQ(w._lbMusicRoot->text(), "Jazz Records");
    EXPECT_EQ(w.TreeRootFolder, outside);
    EXPECT_EQ(Names(), QStringList{"Live"});

    Button("Bookmark")->trigger();
    EXPECT_EQ(w.BookmarkNode, w.VSTModel->RootNode());
    EXPECT_EQ(Names(), QStringList{"My Bop"});
    Focus(Node({"My Bop"}));
    EXPECT_TRUE(w.FocusedNodeIsBookmarked());

    // A folder that went away leaves the tree empty and the root as it was.
    QAction* c = Button("C");
    QDir(root + "/C").removeRecursively();
    c->trigger();
    EXPECT_TRUE(Names().isEmpty());
    EXPECT_EQ(w.TreeRootFolder, root + "/Bookmark");

    w.tbAll->trigger();
    EXPECT_EQ(w._lbMusicRoot->text(), w.tbAll->text());
    EXPECT_EQ(w.TreeRootFolder, root);
    EXPECT_EQ(Names(), (QStringList{"a", "B", "Bookmark", "Jazz", "News", "x"}));
    EXPECT_EQ(w.BookmarkNode, w.VSTModel->Child(w.VSTModel->RootNode(), 2));
    EXPECT_EQ(w.NewsNode, w.VSTModel->Child(w.VSTModel->RootNode(), 4));
}

TEST_F(TreeWindowTest, FocusShowsARecordWithMusicAndTheRecordsOfOtherFolders) {
    TFrmCrateboxMain& w = Open();
    Touch(root + "/a/Ant/01 - Song.MP3");
    w.PageControl->setCurrentWidget(w.tsRecords);
    Focus(Node({"a"}));
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
    EXPECT_EQ(FocusedNode()->Data.ImageIndex, fiTopFolder);
    Focus(Node({"a", "Ant"}));
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsMusic);
    EXPECT_EQ(w.Songs, QStringList{"01 - Song.MP3"});
    // A folder with songs shows the music-folder icon.
    EXPECT_EQ(FocusedNode()->Data.ImageIndex, fiMusicFolder);
    Focus(Node({"a", "Cat"}));
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
    EXPECT_NE(FocusedNode()->Data.ImageIndex, fiMusicFolder);
    // Other tabs stay where the user put them.
    w.PageControl->setCurrentWidget(w.tsSearch);
    Focus(Node({"a", "Ant"}));
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsSearch);
}

TEST_F(TreeWindowTest, ShowFolderOpensAPathWithoutANode) {
    TFrmCrateboxMain& w = Open();
    Touch(root + "/a/Ant/01 - Song.mp3");
    w.PageControl->setCurrentWidget(w.tsList);
    w.ShowFolder(root + "/a/Ant/");
    EXPECT_EQ(w.CurrentFolder(), root + "/a/Ant");
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsMusic);
    EXPECT_EQ(w.StatusPanel->text(), root + "/a/Ant");
    w.ShowFolder(root + "/a");
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
    EXPECT_EQ(w.RecordEntries.size(), 2); // Ant and Cat
    EXPECT_THROW(w.ShowFolder(root + "/none"), EToolsError);
    EXPECT_EQ(w.CurrentFolder(), root + "/a");
}

// After "Refresh all" and "Set music root" the views show the new tree,
// which has no focused node; the Search and Neighbour lists of the old
// root are emptied until the new root's database is read.
TEST_F(TreeWindowTest, RefreshAllAndANewRootLeaveNoOldFolderShown) {
    Touch(root + "/a/Ant/01 - Song.mp3");
    const QString other = dir.filePath("Second");
    ASSERT_TRUE(QDir().mkpath(other + "/Z/Zed/Record"));
    Touch(other + "/Z/Zed/Record/1.mp3");
    TFrmCrateboxMain& w = Open();
    const auto showAnt = [&] {
        w.PageControl->setCurrentWidget(w.tsMusic);
        Focus(Node({"a"}));
        Focus(Node({"a", "Ant"}));
        ASSERT_EQ(w.PageControl->currentWidget(), w.tsMusic);
        ASSERT_EQ(w.Songs, QStringList{"01 - Song.mp3"});
    };
    const auto expectNothingShown = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(FocusedNode(), nullptr);
        EXPECT_EQ(w.CurrentFolder(), QString());
        EXPECT_EQ(w.StatusPanel->text(), QString());
        EXPECT_TRUE(w.Songs.isEmpty());
        EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
        w.PageControl->setCurrentWidget(w.tsMusic);
        EXPECT_FALSE(w.edTags->isEnabled());
    };
    showAnt();
    w.cmRefreshAll->trigger();
    expectNothingShown("Refresh all");

    // With the Records tab active the grid shows the new root's folders.
    w.PageControl->setCurrentWidget(w.tsSearch);
    w.BtUpdateDBClick();
    ASSERT_GT(w.LV->model()->rowCount(), 0);
    showAnt();
    w.PageControl->setCurrentWidget(w.tsRecords);
    w.ChooseFolder = [&](const QString&, const QString&, const QString&) { return other; };
    w.cmSetMusicRoot->trigger();
    QStringList folders;
    for (const QString& entry : w.RecordEntries)
        folders << CoverEntryFolder(entry);
    EXPECT_EQ(folders, QStringList{other + "/Z"});
    expectNothingShown("Set music root");
    EXPECT_EQ(w.LV->model()->rowCount(), 0);
    EXPECT_EQ(w.LVLike->model()->rowCount(), 0);
    // The new root has no database file yet: the list stays empty; once it
    // has one, showing the tab reads it.
    w.PageControl->setCurrentWidget(w.tsSearch);
    EXPECT_EQ(w.LV->model()->rowCount(), 0);
    w.BtUpdateDBClick();
    EXPECT_EQ(w.LV->model()->rowCount(), 1);
}

TEST_F(TreeWindowTest, DoubleClickLeavesOtherTabsForTheRecord) {
    TFrmCrateboxMain& w = Open();
    Focus(Node({"a"}));
    w.PageControl->setCurrentWidget(w.tsSearch);
    const QModelIndex a = Node({"a"});
    DoubleClick(w.VST->viewport(), w.VST->visualRect(a).center());
    // A folder without music ends on the Records tab.
    EXPECT_EQ(w.PageControl->currentIndex(), TFrmCrateboxMain::tiRecords);
    w.PageControl->setCurrentWidget(w.tsList);
    DoubleClick(w.VST->viewport(), w.VST->visualRect(a).center());
    EXPECT_EQ(w.PageControl->currentWidget(), w.tsRecords);
}

TEST_F(TreeWindowTest, ListTabShowsTheCurrentFolder) {
    TFrmCrateboxMain& w = Open();
    Touch(root + "/a/b.txt");
    Touch(root + "/a/.hidden.txt");
    Touch(root + "/a/z.jpg");
    Focus(Node({"a"}));
    w.PageControl->setCurrentWidget(w.tsList);
    auto* model = qobject_cast<TShellListModel*>(w.ShellListView->model());
    ASSERT_NE(model, nullptr);
    const auto rows = [&] {
        QStringList names;
        const QModelIndex parent = w.ShellListView->rootIndex();
        for (int i = 0; i < model->rowCount(parent); ++i)
            names << model->index(i, 0, parent).data().toString();
        return names;
    };
    // Folders first, then the files by type, hidden ones included.
    const QStringList expected = {"Ant", "Cat", "z.jpg", "b.txt", ".hidden.txt"};
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows().size() == expected.size(); }));
    QStringList got = rows();
    EXPECT_EQ(got.mid(0, 2), expected.mid(0, 2));
    got = got.mid(2);
    got.sort();
    EXPECT_EQ(got, (QStringList{".hidden.txt", "b.txt", "z.jpg"}));

    // It follows the current folder while shown...
    Focus(Node({"B"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows().contains("folder.JPG"); }));
    EXPECT_EQ(model->RootFolder(), root + "/B");
    // ... and not while another tab is.
    w.PageControl->setCurrentWidget(w.tsRename);
    Focus(Node({"C"}));
    EXPECT_EQ(model->RootFolder(), root + "/B");
    w.PageControl->setCurrentWidget(w.tsList);
    EXPECT_EQ(model->RootFolder(), root + "/C");

    // In-place rename never replaces an entry.
    Touch(root + "/C/one.txt");
    Touch(root + "/C/two.txt");
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows().contains("two.txt"); }));
    const auto find = [&](const QString& name) {
        const QModelIndex parent = w.ShellListView->rootIndex();
        for (int i = 0; i < model->rowCount(parent); ++i)
            if (model->index(i, 0, parent).data().toString() == name)
                return model->index(i, 0, parent);
        return QModelIndex();
    };
    EXPECT_FALSE(model->setData(find("one.txt"), "two.txt"));
    EXPECT_EQ(errors.size(), 2); // the unreadable cover, then the rename
    EXPECT_TRUE(model->setData(find("one.txt"), "three.txt"));
    EXPECT_TRUE(QFileInfo::exists(root + "/C/three.txt"));
    EXPECT_TRUE(QFileInfo::exists(root + "/C/two.txt"));

    // Double click opens the item with the desktop.
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    const QModelIndex two = find("two.txt");
    w.ShellListView->scrollTo(two);
    DoubleClick(w.ShellListView->viewport(), w.ShellListView->visualRect(two).center());
    ASSERT_EQ(shell.Opened.size(), 1);
    EXPECT_EQ(shell.Opened.first().toLocalFile(), root + "/C/two.txt");
}

} // namespace
