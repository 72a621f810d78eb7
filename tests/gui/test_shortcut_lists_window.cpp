// The new-music list, the bookmarks, the cover search and paste, and the
// shortcuts following renames, driven through the main window.
#include "app/cx_fmain.h"
#include "app/cx_foldertree.h"
#include "app/cx_shelllist.h"
#include "framework/qv_Component.h"
#include "gui_fixture.h"
#include "platform/shell_services.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class RecordingShell : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override {
        Opened << url;
        return true;
    }
    qint64 StartDetached(const QString&, const QStringList&) override { return -1; }
    int RunAndWait(const QString&, const QStringList&) override { return -1; }
    bool MoveToTrash(const QString& path) override {
        Trashed << path;
        return QFile::remove(path);
    }
    QList<QUrl> Opened;
    QStringList Trashed;
};

class ShortcutListsWindowTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        root = dir.filePath("Music");
        record = root + "/A/Artist A/1999 - First Record";
        WriteFile(record + "/01 song.mp3", "x");
        QImage cover(20, 20, QImage::Format_RGB32);
        cover.fill(Qt::red);
        ASSERT_TRUE(cover.save(record + "/Folder.jpg", "JPG"));
        WriteFile(root + "/B/Artist B/Second/01 song.mp3", "x");
        QDir().mkpath(root + "/News");
        QDir().mkpath(root + "/Bookmark");
        CollectErrors();
        SetConfirmHook([this](const QString& message) {
            questions << message;
            return answer;
        });
    }
    TFrmCrateboxMain& Open() {
        contexte->WriteString("MusicRoot", root);
        return OpenWindow(QSize(900, 700));
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
    // Focuses each node of the path in turn, so that each lists its children.
    void FocusPath(const QStringList& names) {
        for (qsizetype i = 1; i <= names.size(); ++i)
            window->VST->setCurrentIndex(Node(names.mid(0, i)));
    }
    // Renames a node of the tree as its editor does.
    void RenameInTree(const QStringList& path, const QString& text) {
        FocusPath(path);
        ASSERT_TRUE(window->VSTModel->setData(Node(path), text, Qt::EditRole));
    }
    QStringList Entries(const QString& folder) const {
        QStringList entries;
        for (const QFileInfo& info : QDir(folder).entryInfoList(
                 QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            entries << (info.isSymLink() ? info.fileName() + " -> " + info.symLinkTarget()
                                         : info.fileName());
        return entries;
    }

    QString root;
    QString record;
    QStringList questions;
    bool answer = true;
};

TEST_F(ShortcutListsWindowTest, NewsAsksThenRebuildsAndFocusesTheList) {
    TFrmCrateboxMain& w = Open();
    EXPECT_TRUE(w.cmNews->isEnabled());
    answer = false;
    w.cmNews->trigger();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions.first(), "Create new music list :\r\n  < 30 days\r\n  in directory News ?");
    EXPECT_TRUE(Entries(root + "/News").isEmpty());

    answer = true;
    w.cmNews->trigger();
    EXPECT_EQ(Entries(root + "/News"),
              (QStringList{"Artist A - 1999 - First Record.lnk -> " + record,
                           "Artist B - Second.lnk -> " + root + "/B/Artist B/Second",
                           "Music - Bookmark.lnk -> " + root + "/Bookmark"}));
    ASSERT_NE(w.NewsNode, nullptr);
    EXPECT_EQ(w.FocusedNode(), w.NewsNode);
    EXPECT_EQ(w.VSTModel->rowCount(w.VSTModel->IndexOf(w.NewsNode)), 3);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();

    // A name that would reach outside the music root is refused.
    w.NewMusicDir = "..";
    w.cmNews->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("directly inside the music root"));
    EXPECT_EQ(Entries(root + "/News").size(), 3);
    EXPECT_TRUE(QFileInfo(dir.filePath("user.reg")).exists());
}

TEST_F(ShortcutListsWindowTest, NewsIsRebuiltAtStartWhenAsked) {
    contexte->WriteInteger("NewsUpdateOnStart", 1);
    contexte->WriteString("NewMusicDir", "Fresh");
    Open();
    // Both records, and the bookmark and new-music folders made today.
    EXPECT_EQ(Entries(root + "/Fresh").size(), 4);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ShortcutListsWindowTest, BookmarkItAndRemoveIt) {
    TFrmCrateboxMain& w = Open();
    FocusPath({"A", "Artist A", "1999 - First Record"});
    ASSERT_EQ(w.PageControl->currentWidget(), w.tsMusic);
    EXPECT_EQ(w._sbBookmarkIt->text(), "Bookmark it");
    ASSERT_TRUE(w._sbBookmarkIt->isEnabled());
    w._sbBookmarkIt->click();
    w._sbBookmarkIt->click(); // twice gives one file
    const QString bookmark = root + "/Bookmark/Artist A - 1999 - First Record.lnk";
    EXPECT_EQ(Entries(root + "/Bookmark"),
              QStringList{"Artist A - 1999 - First Record.lnk -> " + record});

    // Through the new-music list the record keeps the list's name.
    w.cmNews->trigger();
    QFile::remove(bookmark);
    FocusPath({"News", "Artist A - 1999 - First Record"});
    w._sbBookmarkIt->click();
    EXPECT_TRUE(QFileInfo(bookmark).isSymLink());

    // Reached through the bookmark folder: "Remove bookmark".
    FocusPath({"Bookmark", "Artist A - 1999 - First Record"});
    EXPECT_EQ(w.FocusedNode()->Data.ShortcutFile, bookmark);
    EXPECT_EQ(w._sbBookmarkIt->text(), "Remove bookmark");
    w._sbBookmarkIt->click();
    QApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(bookmark));
    EXPECT_TRUE(QFileInfo(record + "/01 song.mp3").exists());
    EXPECT_EQ(w.FocusedNode(), w.BookmarkNode);
    EXPECT_EQ(w.VSTModel->rowCount(w.VSTModel->IndexOf(w.BookmarkNode)), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ShortcutListsWindowTest, DeleteOnAShortcutNodeTrashesTheShortcut) {
    ASSERT_TRUE(QFile::link(record, root + "/Bookmark/Mine.lnk"));
    ASSERT_TRUE(QFile::link(root + "/Gone/Record", root + "/Bookmark/Gone - Record.lnk"));
    TFrmCrateboxMain& w = Open();
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    FocusPath({"Bookmark"});
    // The entry whose record is gone shows, marked as missing.
    const QModelIndex gone = Node({"Bookmark", "Gone - Record"});
    ASSERT_TRUE(gone.isValid());
    EXPECT_EQ(gone.data(Qt::ToolTipRole).toString(), "missing");
    EXPECT_TRUE(gone.data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(Node({"Bookmark", "Mine"}).data(Qt::ForegroundRole).isValid());
    EXPECT_EQ(w.VSTModel->NodeFromIndex(gone)->Data.ImageIndex, fiNestedFolder);
    EXPECT_EQ(Node({"Bookmark", "Mine"}).data(Qt::ToolTipRole).toString(), record);

    for (const QString& name : {QString("Mine"), QString("Gone - Record")}) {
        FocusPath({"Bookmark", name});
        questions.clear();
        w.cmDelete->trigger();
        QApplication::processEvents();
        ASSERT_EQ(questions.size(), 1);
        EXPECT_TRUE(questions.first().contains("The shortcut \"" + root + "/Bookmark/" + name +
                                               ".lnk\" will be moved to the trash; the folder it "
                                               "points to stays"))
            << questions.first().toStdString();
        EXPECT_FALSE(Node({"Bookmark", name}).isValid());
    }
    EXPECT_EQ(shell.Trashed,
              (QStringList{root + "/Bookmark/Mine.lnk", root + "/Bookmark/Gone - Record.lnk"}));
    EXPECT_TRUE(QFileInfo(record + "/01 song.mp3").exists());
}

TEST_F(ShortcutListsWindowTest, RenamesKeepBookmarksAndNewMusicLinks) {
    TFrmCrateboxMain& w = Open();
    w.cmNews->trigger();
    FocusPath({"A", "Artist A", "1999 - First Record"});
    w._sbBookmarkIt->click();
    // The record, then its artist folder, renamed in the tree.
    RenameInTree({"A", "Artist A", "1999 - First Record"}, "2000 - First Record");
    RenameInTree({"A", "Artist A"}, "Artist Z");
    const QString moved = root + "/A/Artist Z/2000 - First Record";
    EXPECT_EQ(Entries(root + "/Bookmark"),
              QStringList{"Artist Z - 2000 - First Record.lnk -> " + moved});
    EXPECT_EQ(Entries(root + "/News"),
              (QStringList{"Artist B - Second.lnk -> " + root + "/B/Artist B/Second",
                           "Artist Z - 2000 - First Record.lnk -> " + moved,
                           "Music - Bookmark.lnk -> " + root + "/Bookmark"}));
    // The list's nodes lead to the renamed folder.
    FocusPath({"News"});
    FocusPath({"News", "Artist Z - 2000 - First Record"});
    EXPECT_EQ(w.CurrentFolder(), moved);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ShortcutListsWindowTest, UndoLastRenamesGivesBackNamesAndShortcuts) {
    TFrmCrateboxMain& w = Open();
    FocusPath({"A", "Artist A", "1999 - First Record"});
    w._sbBookmarkIt->click();
    RenameInTree({"A", "Artist A", "1999 - First Record"}, "2000 - First Record");
    RenameInTree({"B", "Artist B"}, "Artist C");
    RenameInTree({"A", "Artist A"}, "Artist Z");
    // Each tree rename is a batch: the last one goes first, after a question.
    answer = false;
    w.cmUndoRenames->trigger();
    EXPECT_TRUE(QFileInfo::exists(root + "/A/Artist Z"));
    ASSERT_FALSE(questions.isEmpty());
    EXPECT_TRUE(questions.last().startsWith("Give back their old names to the 1 files renamed on"))
        << questions.last().toStdString();
    answer = true;
    w.cmUndoRenames->trigger();
    EXPECT_TRUE(QFileInfo(root + "/A/Artist A/2000 - First Record").isDir());
    // A folder renamed again by hand is refused and said so.
    ASSERT_TRUE(QFile::rename(root + "/B/Artist C", root + "/B/Artist D"));
    w.cmUndoRenames->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("Some renames could not be undone:\n\"" + root +
                                   "/B/Artist C\": refused: the renamed file is gone"))
        << errors[0].toStdString();
    errors.clear();
    w.cmUndoRenames->trigger();
    EXPECT_TRUE(QFileInfo(record).isDir());
    // The bookmark leads to the old name again, under its old name.
    EXPECT_EQ(Entries(root + "/Bookmark"),
              QStringList{"Artist A - 1999 - First Record.lnk -> " + record});
    FocusPath({"Bookmark", "Artist A - 1999 - First Record"});
    EXPECT_EQ(w.CurrentFolder(), record);
    w.cmUndoRenames->trigger();
    EXPECT_EQ(w.StatusPanel->text(), "No renames to undo");
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();

    // With a journal that cannot be written, the renames are made and the
    // window says once that they cannot be undone.
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_STATE_HOME", state); });
    WriteFile(dir.filePath("blocked"), "");
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("blocked")));
    RenameInTree({"B", "Artist D"}, "Artist E"); // the one refused above
    RenameInTree({"B", "Artist E"}, "Artist F");
    EXPECT_TRUE(QFileInfo(root + "/B/Artist F").isDir());
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains("cannot be written: the renames made now cannot be undone"))
        << errors[0].toStdString();
}

TEST_F(ShortcutListsWindowTest, RenameInTheListTabKeepsTheBookmark) {
    TFrmCrateboxMain& w = Open();
    FocusPath({"A", "Artist A", "1999 - First Record"});
    w._sbBookmarkIt->click();
    FocusPath({"A", "Artist A"});
    w.PageControl->setCurrentWidget(w.tsList);
    auto* model = qobject_cast<TShellListModel*>(w.ShellListView->model());
    ASSERT_NE(model, nullptr);
    const auto find = [&](const QString& name) {
        const QModelIndex parent = w.ShellListView->rootIndex();
        for (int i = 0; i < model->rowCount(parent); ++i)
            if (model->index(i, 0, parent).data().toString() == name)
                return model->index(i, 0, parent);
        return QModelIndex();
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return find("1999 - First Record").isValid(); }));
    ASSERT_TRUE(model->setData(find("1999 - First Record"), "First Record", Qt::EditRole));
    EXPECT_EQ(Entries(root + "/Bookmark"),
              QStringList{"Artist A - First Record.lnk -> " + root + "/A/Artist A/First Record"});
}

TEST_F(ShortcutListsWindowTest, ClosingDuringTheWalkKeepsTheOldList) {
    ASSERT_TRUE(QFile::link(record, root + "/News/Old.lnk"));
    TFrmCrateboxMain& w = Open();
    w.Closing = true;
    w.BuildNewMusicList(true);
    EXPECT_EQ(Entries(root + "/News"), QStringList{"Old.lnk -> " + record});
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ShortcutListsWindowTest, CoverSearchOpensTheSearchShortcut) {
    TFrmCrateboxMain& w = Open();
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    // This test's own temporary folder, so that runs side by side never share the file.
    const QByteArray oldTemp = qgetenv("TMPDIR");
    const bool hadTemp = qEnvironmentVariableIsSet("TMPDIR");
    qputenv("TMPDIR", dir.path().toUtf8());
    const auto restore = qScopeGuard([&] {
        if (hadTemp)
            qputenv("TMPDIR", oldTemp);
        else
            qunsetenv("TMPDIR");
    });
    ASSERT_EQ(QDir::tempPath(), dir.path());
    w.SearchImage = "https://images.example.org/images?q=";
    FocusPath({"A", "Artist A", "1999 - First Record"});
    QTest::mouseDClick(w.pnImage, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(shell.Opened.size(), 1);
    const QString address = "https://images.example.org/images?q=Artist%20A%20First%20Record";
    EXPECT_EQ(shell.Opened.first().toString(QUrl::FullyEncoded), address);
    EXPECT_EQ(ReadFile(dir.path() + "/Tralusearch.url"),
              "[DEFAULT]\r\nBASEURL=" + address.toUtf8() +
                  "\r\n[InternetShortcut]\r\nURL=" + address.toUtf8() + "\r\n");
    w.cmImageSearch->trigger();
    EXPECT_EQ(shell.Opened.size(), 2);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(ShortcutListsWindowTest, PasteImageSavesFolderBmpAndShowsIt) {
    TFrmCrateboxMain& w = Open();
    FocusPath({"A", "Artist A", "1999 - First Record"});
    QGuiApplication::clipboard()->setText("no picture");
    emit w.PopupMenuImage->aboutToShow();
    EXPECT_FALSE(w.cmPasteImage->isEnabled());
    EXPECT_TRUE(w.cmImageSearch->isEnabled());

    QImage blue(30, 30, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(blue);
    emit w.PopupMenuImage->aboutToShow();
    ASSERT_TRUE(w.cmPasteImage->isEnabled());
    w.cmPasteImage->trigger();
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    const QImage saved(record + "/Folder.bmp", "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.pixelColor(15, 15), QColor(Qt::blue));
    EXPECT_TRUE(QFileInfo(record + "/Folder.jpg").exists());
    EXPECT_TRUE(w.ImageFolder->isVisible());
    const QImage shown = w.ImageFolder->grab().toImage();
    const QColor middle = shown.pixelColor(shown.width() / 2, shown.height() / 2);
    EXPECT_TRUE(middle.blue() > 200 && middle.red() < 60) << middle.name().toStdString();

    // A picture file dropped on the cover takes its place.
    QImage yellow(30, 30, QImage::Format_RGB32);
    yellow.fill(Qt::yellow);
    const QString dropped = dir.filePath("dropped.bmp");
    ASSERT_TRUE(yellow.save(dropped, "BMP"));
    const auto drop = [&](const QString& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.pnImage, &enter);
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(w.pnImage, &event);
    };
    drop(dropped);
    EXPECT_EQ(QImage(record + "/Folder.bmp", "BMP").pixelColor(15, 15), QColor(Qt::yellow));
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    // A file that is no picture is reported and changes nothing.
    WriteFile(dir.filePath("bad.jpg"), "not a picture");
    drop(dir.filePath("bad.jpg"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(QImage(record + "/Folder.bmp", "BMP").pixelColor(15, 15), QColor(Qt::yellow));
    errors.clear();

    // A cover that cannot be written is reported; the earlier file stays whole.
    const QByteArray before = ReadFile(record + "/Folder.bmp");
    QImage green(30, 30, QImage::Format_RGB32);
    green.fill(Qt::green);
    QGuiApplication::clipboard()->setImage(green);
    ASSERT_EQ(chmod(QFile::encodeName(record).constData(), 0555), 0);
    if (geteuid() != 0) {
        w.cmPasteImage->trigger();
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors.first().contains("Cannot write the cover"));
        EXPECT_EQ(ReadFile(record + "/Folder.bmp"), before);
        errors.clear();
    }
    chmod(QFile::encodeName(record).constData(), 0755);
    // (the super-user writes anywhere: a folder in the cover's place stands
    // for a folder that refuses the file)
    const QString second = root + "/B/Artist B/Second";
    ASSERT_TRUE(QDir().mkpath(second + "/Folder.bmp/inside"));
    FocusPath({"B", "Artist B", "Second"});
    w.cmPasteImage->trigger();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("Cannot write the cover"));
    EXPECT_TRUE(QFileInfo(second + "/Folder.bmp/inside").isDir());
    EXPECT_EQ(QDir(second).entryList(QDir::Files | QDir::Hidden), QStringList{"01 song.mp3"});
}

} // namespace
