// The browser's entry strings, sorted lists, cover choice and listings.
#include "app/cx_browser_rules.h"
#include "framework/qv_shortcut.h"

#include "../framework/lnk_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

TEST(EntryFields, FollowTheSeparatorRules) {
    struct Case {
        const char* entry;
        const char* first;
        const char* second;
        const char* third;
    };
    const Case cases[] = {
        {"Jazz|/m/Jazz Records|/m/Jazz.lnk", "Jazz", "/m/Jazz Records", "/m/Jazz.lnk"},
        {"a|/m/a", "a", "/m/a", ""},
        {"/m/a/Folder.jpg|a", "/m/a/Folder.jpg", "a", ""},
        {"plain", "plain", "plain", ""},
        // A "|" in first position does not separate anything.
        {"|x|y", "|x|y", "|x|y", ""},
        // The second field is the first field of the rest, by the same rule.
        {"a||c", "a", "|c", "c"},
        {"a|b|c|d", "a", "b", "c|d"},
        {"a|", "a", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        const QString entry = QString::fromUtf8(c.entry);
        EXPECT_EQ(EntryFirstField(entry), QString::fromUtf8(c.first));
        EXPECT_EQ(EntrySecondField(entry), QString::fromUtf8(c.second));
        EXPECT_EQ(EntryThirdField(entry), QString::fromUtf8(c.third));
    }
}

TEST(EntryFields, CoverFolderAndLastPart) {
    EXPECT_EQ(CoverEntryFolder("/m/Jazz Records/Folder.jpg|Jazz"), "/m/Jazz Records");
    EXPECT_EQ(CoverEntryFolder("/m/a/Empty|a"), "/m/a");
    EXPECT_EQ(CoverEntryFolder("/Empty|root"), "/");
    EXPECT_EQ(LastPathPart("/m/Jazz Records"), "Jazz Records");
    EXPECT_EQ(LastPathPart("/m/Jazz Records/"), "Jazz Records");
    EXPECT_EQ(LastPathPart("/"), "/");
    EXPECT_EQ(MakeTreeEntry("a", "/m/a", ""), "a|/m/a");
    EXPECT_EQ(MakeTreeEntry("J", "/o/J", "/m/J.lnk"), "J|/o/J|/m/J.lnk");
}

TEST(SortedEntries, CaseInsensitiveOrderWithoutDuplicates) {
    QStringList list;
    for (const char* entry : {"B|/m/B", "a|/m/a", "C|/m/C", "b|/m/b", "A|/M/A", "Ab|/m/Ab"})
        AddSortedEntry(list, QString::fromUtf8(entry));
    // "b|/m/b" differs from "B|/m/B" only by case: dropped, as is "A|/M/A".
    EXPECT_EQ(list, (QStringList{"a|/m/a", "Ab|/m/Ab", "B|/m/B", "C|/m/C"}));
    EXPECT_FALSE(AddSortedEntry(list, "c|/M/c"));
    EXPECT_TRUE(AddSortedEntry(list, "c|/m/c2"));
}

TEST(Covers, ChoiceAmongAFoldersFiles) {
    struct Case {
        QStringList files; // listing order
        const char* cover;
        QStringList pictures;
    };
    const Case cases[] = {
        {{"Folder.bmp", "Folder.jpg"}, "Folder.jpg", {}},
        {{"Folder.gif", "Folder.jpeg", "Folder.bmp"}, "Folder.jpeg", {}},
        {{"a.mp3", "folder.JPG"}, "folder.JPG", {}},
        {{"FOLDER.GIF", "z.jpg"}, "FOLDER.GIF", {}},
        // The first of several matches in listing order wins.
        {{"FOLDER.jpg", "Folder.jpg"}, "FOLDER.jpg", {}},
        {{"b.gif", "a.jpg", "song.mp3", "c.BMP"}, "b.gif", {"b.gif", "a.jpg", "c.BMP"}},
        {{"Folder.png", "scan.Jpeg"}, "scan.Jpeg", {"scan.Jpeg"}},
        {{"notes.txt", "jpg", "Folder.jpg.txt"}, "", {}},
        {{}, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.join(", ").toStdString());
        QStringList pictures{"stale"};
        EXPECT_EQ(ChooseCoverName(c.files, &pictures), QString::fromUtf8(c.cover));
        if (!QString::fromUtf8(c.cover).startsWith("Folder", Qt::CaseInsensitive)) {
            EXPECT_EQ(pictures, c.pictures);
        }
    }
}

// A music root on disk with real folders, hidden ones, links and .lnk files.
class BrowserListing : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.filePath("Music");
        outside = dir.filePath("Other/Jazz Records");
        for (const QString& folder : {root + "/B", root + "/a", root + "/C", root + "/.hidden",
                                      root + "/x.lnk", outside, dir.filePath("Other/Blues")})
            ASSERT_TRUE(QDir().mkpath(folder));
        Touch(root + "/a/cover.JPG");
        Touch(root + "/a/song.mp3");
        Touch(root + "/B/folder.jpg");
        Touch(root + "/B/Folder.bmp");
        Touch(outside + "/Folder.gif");
        Touch(dir.filePath("Other/file.txt"));
        ASSERT_TRUE(QFile::link(outside, root + "/Jazz.lnk"));
        ASSERT_TRUE(QFile::link(dir.filePath("Other/file.txt"), root + "/file.lnk"));
        ASSERT_TRUE(QFile::link(dir.filePath("Other/Gone"), root + "/gone.lnk"));
        // A shell link made on Windows, leading to Other/Blues.
        TLnkContent lnk;
        lnk.LocalBasePath = "D:\\Elsewhere\\Blues";
        lnk.RelativePath = "..\\Other\\Blues";
        Write(root + "/Blues.LNK", BuildLnk(lnk));
    }
    static void Touch(const QString& path) { Write(path, "x"); }
    static void Write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    QString root;
    QString outside;
};

TEST_F(BrowserListing, TopLevelEntries) {
    const QString blues = QDir(dir.filePath("Other/Blues")).absolutePath();
    EXPECT_EQ(RootEntriesOf(root), (QStringList{
                                       "a|" + root + "/a",
                                       "B|" + root + "/B",
                                       "Blues|" + blues + "|" + root + "/Blues.LNK",
                                       "C|" + root + "/C",
                                       "Jazz|" + outside + "|" + root + "/Jazz.lnk",
                                       "x|" + root + "/x.lnk",
                                   }));
}

TEST_F(BrowserListing, ChildEntriesNameShortcutsByTargetOrByThemselves) {
    TVirtualShellLink reader;
    const QString blues = QDir(dir.filePath("Other/Blues")).absolutePath();
    const QStringList byTarget = ChildEntriesOf(root, false, reader);
    EXPECT_TRUE(byTarget.contains("Jazz Records|" + outside + "|" + root + "/Jazz.lnk"));
    EXPECT_TRUE(byTarget.contains("Blues|" + blues + "|" + root + "/Blues.LNK"));
    const QStringList byOwnName = ChildEntriesOf(root, true, reader);
    EXPECT_TRUE(byOwnName.contains("Jazz|" + outside + "|" + root + "/Jazz.lnk"));
    // Sub-folders keep their names; hidden folders, links to files and
    // links to missing folders give nothing.
    EXPECT_TRUE(byTarget.contains("x.lnk|" + root + "/x.lnk"));
    EXPECT_EQ(byTarget.size(), 6);
    for (const QString& entry : byTarget) {
        EXPECT_FALSE(entry.contains(".hidden"));
        EXPECT_FALSE(entry.contains("file"));
        EXPECT_FALSE(entry.contains("gone"));
    }
}

TEST_F(BrowserListing, CoverEntriesOfSubfoldersThenShortcuts) {
    TVirtualShellLink reader;
    const QStringList entries = SubfolderCoverEntries(root, reader);
    ASSERT_EQ(entries.size(), 6);
    // Real folders first (in listing order), then the shortcuts.
    QStringList realFolders = entries.mid(0, 4);
    realFolders.sort();
    EXPECT_EQ(realFolders, (QStringList{root + "/B/folder.jpg|B", root + "/C/Empty|C",
                                        root + "/a/cover.JPG|a", root + "/x.lnk/Empty|x.lnk"}));
    QStringList shortcuts = entries.mid(4);
    shortcuts.sort();
    const QString blues = QDir(dir.filePath("Other/Blues")).absolutePath();
    EXPECT_EQ(shortcuts, (QStringList{blues + "/Empty|Blues", outside + "/Folder.gif|Jazz"}));
    EXPECT_EQ(CoverEntryFolder(shortcuts.at(1)), outside);
}

TEST_F(BrowserListing, NamesThatAreNotTextAreLeftOut) {
    const QString folder = root + "/T";
    ASSERT_TRUE(QDir().mkpath(folder + "/Good"));
    const QByteArray bad = QFile::encodeName(folder) + "/Bad \xff";
    ASSERT_EQ(::mkdir(bad.constData(), 0755), 0);
    TVirtualShellLink reader;
    // Neither the toolbar and grid listing nor the tree's.
    QStringList names;
    for (const QString& entry : SubfolderCoverEntries(folder, reader))
        names << EntrySecondField(entry);
    EXPECT_EQ(names, QStringList{"Good"});
    names.clear();
    for (const QString& entry : ChildEntriesOf(folder, false, reader))
        names << EntryFirstField(entry);
    EXPECT_EQ(names, QStringList{"Good"});
}

TEST_F(BrowserListing, MissingFolderListsNothing) {
    TVirtualShellLink reader;
    EXPECT_TRUE(RootEntriesOf(root + "/none").isEmpty());
    EXPECT_TRUE(ChildEntriesOf(root + "/none", false, reader).isEmpty());
    EXPECT_TRUE(SubfolderCoverEntries(root + "/none", reader).isEmpty());
    EXPECT_EQ(CoverEntryOf(root + "/none", "n"), root + "/none/Empty|n");
}

} // namespace
