#include "framework/qv_shortcut.h"
#include "lnk_builder.h"
#include "temp_folder.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class ShortcutTest : public tralu::test::TempFolderTest {
protected:
    static void ExpectEmpty(const TVirtualShellLink& link) {
        EXPECT_TRUE(link.FileName.isEmpty());
        EXPECT_TRUE(link.TargetPath.isEmpty());
        EXPECT_TRUE(link.Arguments.isEmpty());
        EXPECT_TRUE(link.Description.isEmpty());
        EXPECT_TRUE(link.WorkingDirectory.isEmpty());
        EXPECT_TRUE(link.IconLocation.isEmpty());
        EXPECT_EQ(link.IconIndex, 0);
        EXPECT_EQ(link.HotKey, 0);
        EXPECT_EQ(link.HotKeyModifiers, THotKeyModifiers());
        EXPECT_TRUE(link.ItemIdList.isEmpty());
        EXPECT_EQ(link.ShowCommand, TShowCommand::ShowNormal);
    }
};

TEST_F(ShortcutTest, FailedReadForgetsThePreviousShortcut) {
    MakeDir(QStringLiteral("T"));
    Link(Path(QStringLiteral("T")), QStringLiteral("S.lnk"));
    TLnkContent full;
    full.LocalBasePath = "D:\\Music\\T";
    full.RelativePath = QStringLiteral("..\\elsewhere");
    full.Arguments = QStringLiteral("/ADD");
    full.Description = QStringLiteral("a comment");
    full.HotKey = 0x0641; // Ctrl+Alt+A
    full.IconIndex = 3;
    full.ShowCommand = 3;
    const QByteArray valid = BuildLnk(full);
    Write(QStringLiteral("Full.lnk"), valid);
    Write(QStringLiteral("Corrupt.lnk"), valid.left(60));
    Write(QStringLiteral("Garbage.lnk"), QByteArray(300, '\x7f'));
    // Sizes inside that claim more than the file holds: a location block of
    // 4 GB, a string running past the end, an extra block too long.
    QByteArray huge = valid;
    huge.replace(0x4C, 4, QByteArray("\x38\x1c\xf9\xff", 4));
    Write(QStringLiteral("Huge.lnk"), huge);
    Write(QStringLiteral("Short.lnk"), valid.left(valid.size() - 8));
    QByteArray block = valid.left(valid.size() - 4);
    block.append(QByteArray("\x00\x10\x00\x00\x02\x00\x00\xa0", 8));
    Write(QStringLiteral("Block.lnk"), block);
    Write(QStringLiteral("Empty.lnk"), QByteArray());
    Link(Path(QStringLiteral("Missing")), QStringLiteral("Missing.lnk"));
    MakeDir(QStringLiteral("Folder.lnk"));

    TVirtualShellLink& link = SharedShortcutReader();
    const QString failures[] = {QStringLiteral("Corrupt.lnk"), QStringLiteral("Garbage.lnk"),
                                QStringLiteral("Huge.lnk"),    QStringLiteral("Short.lnk"),
                                QStringLiteral("Block.lnk"),   QStringLiteral("Empty.lnk"),
                                QStringLiteral("Folder.lnk"),  QStringLiteral("None.lnk")};
    for (const QString& bad : failures) {
        ASSERT_TRUE(link.ReadShortcut(Path(QStringLiteral("Full.lnk"))));
        EXPECT_EQ(link.FileName, Path(QStringLiteral("Full.lnk")));
        EXPECT_EQ(link.Arguments, QStringLiteral("/ADD"));
        EXPECT_EQ(link.Description, QStringLiteral("a comment"));
        EXPECT_EQ(link.IconIndex, 3);
        EXPECT_EQ(link.HotKey, 0x41);
        EXPECT_EQ(link.HotKeyModifiers, THotKeyModifier::Alt | THotKeyModifier::Control);
        EXPECT_EQ(link.ShowCommand, TShowCommand::Maximize);
        // The relative path leads nowhere here, so the stored local path stays.
        EXPECT_EQ(link.TargetPath, QStringLiteral("D:\\Music\\T"));

        ASSERT_TRUE(link.ReadShortcut(Path(QStringLiteral("S.lnk"))));
        EXPECT_EQ(link.TargetPath, Path(QStringLiteral("T")));
        EXPECT_EQ(link.FileName, Path(QStringLiteral("S.lnk")));

        EXPECT_FALSE(link.ReadShortcut(Path(bad))) << bad.toStdString();
        ExpectEmpty(link);
    }
    // A link whose target is gone is read and names that target, so that a
    // list of shortcuts can show it as missing.
    ASSERT_TRUE(link.ReadShortcut(Path(QStringLiteral("Missing.lnk"))));
    EXPECT_EQ(link.TargetPath, Path(QStringLiteral("Missing")));
    EXPECT_EQ(link.FileName, Path(QStringLiteral("Missing.lnk")));
}

TEST_F(ShortcutTest, LnkRelativePathResolvesAgainstItsFolder) {
    MakeDir(QStringLiteral("Music/Rock/Artist - Record"));
    MakeDir(QStringLiteral("Music/New"));
    TLnkContent content;
    content.LocalBasePath = "C:\\Users\\someone\\Music\\Rock\\Artist - Record";
    content.RelativePath = QStringLiteral("..\\Rock\\Artist - Record");
    Write(QStringLiteral("Music/New/Artist - Record.lnk"), BuildLnk(content));
    TLnkContent relativeOnly;
    relativeOnly.RelativePath = QStringLiteral("../Rock/Artist - Record");
    Write(QStringLiteral("Music/New/Slashes.lnk"), BuildLnk(relativeOnly));
    Link(QStringLiteral("../Rock/Artist - Record"), QStringLiteral("Music/New/Rel"));

    TVirtualShellLink link;
    for (const char* name : {"Artist - Record.lnk", "Slashes.lnk", "Rel"}) {
        ASSERT_TRUE(link.ReadShortcut(Path(QStringLiteral("Music/New/") + QLatin1String(name))))
            << name;
        EXPECT_EQ(link.TargetPath, Path(QStringLiteral("Music/Rock/Artist - Record"))) << name;
        EXPECT_TRUE(link.Arguments.isEmpty());
    }
    EXPECT_EQ(ResolveLnkRelativePath(QStringLiteral("/m/New/a.lnk"), QStringLiteral(".\\x\\..\\y")),
              QStringLiteral("/m/New/y"));
}

TEST_F(ShortcutTest, CreateShortcutReplacesWhatIsThere) {
    MakeDir(QStringLiteral("First"));
    MakeDir(QStringLiteral("Second \"$x\""));
    MakeDir(QStringLiteral("Links"));
    const QString linkFile = Path(QStringLiteral("Links/Rec.lnk"));
    ASSERT_TRUE(CreateShortcut(Path(QStringLiteral("First")), linkFile, QString()));
    TVirtualShellLink link;
    ASSERT_TRUE(link.ReadShortcut(linkFile));
    EXPECT_EQ(link.TargetPath, Path(QStringLiteral("First")));

    ASSERT_TRUE(CreateShortcut(Path(QStringLiteral("Second \"$x\"")), linkFile, QString()));
    ASSERT_TRUE(link.ReadShortcut(linkFile));
    EXPECT_EQ(link.TargetPath, Path(QStringLiteral("Second \"$x\"")));

    // A Windows shortcut file of that name is replaced too.
    TLnkContent old;
    old.RelativePath = QStringLiteral("..\\First");
    Write(QStringLiteral("Links/Old.lnk"), BuildLnk(old));
    ASSERT_TRUE(CreateShortcut(Path(QStringLiteral("Second \"$x\"")),
                               Path(QStringLiteral("Links/Old.lnk")), QStringLiteral("ignored")));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("Links/Old.lnk"))).isSymLink());

    // A relative target is stored in full, so the link works from anywhere.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    const bool made = CreateShortcut(QStringLiteral("First"), linkFile);
    QDir::setCurrent(saved);
    ASSERT_TRUE(made);
    EXPECT_EQ(QFile::symLinkTarget(linkFile), Path(QStringLiteral("First")));

    EXPECT_EQ(QDir(Path(QStringLiteral("Links")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"Old.lnk", "Rec.lnk"}));
    EXPECT_FALSE(
        CreateShortcut(Path(QStringLiteral("First")), Path(QStringLiteral("No/Such/Folder.lnk"))));
}

TEST(Shortcut, SmallRules) {
    const std::pair<const char*, const char*> names[] = {
        {"Artist - Record.lnk", "Artist - Record"},
        {"Artist - Record.LNK", "Artist - Record"},
        {"Record.lnk.lnk", "Record.lnk"},
        {"Record", "Record"},
        {"Record.lnkx", "Record.lnkx"},
    };
    for (const auto& [in, out] : names)
        EXPECT_EQ(ShortcutDisplayName(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;

    const std::pair<quint32, TShowCommand> commands[] = {
        {0, TShowCommand::Hide},           {1, TShowCommand::ShowNormal},
        {2, TShowCommand::ShowMinimized},  {3, TShowCommand::Maximize},
        {4, TShowCommand::ShowNoActivate}, {5, TShowCommand::Show},
        {6, TShowCommand::Minimize},       {7, TShowCommand::ShowMinNoActive},
        {8, TShowCommand::ShowNA},         {9, TShowCommand::Restore},
        {10, TShowCommand::ShowDefault},
    };
    for (const auto& [number, command] : commands) {
        TShowCommand got = TShowCommand::Hide;
        EXPECT_TRUE(ShowCommandFromNumber(number, got));
        EXPECT_EQ(got, command) << number;
    }
    TShowCommand unchanged = TShowCommand::Restore;
    EXPECT_FALSE(ShowCommandFromNumber(11, unchanged));
    EXPECT_EQ(unchanged, TShowCommand::Restore);

    quint16 key = 0;
    THotKeyModifiers mods;
    SplitHotKey(0x0F70, key, mods);
    EXPECT_EQ(key, 0x70);
    EXPECT_EQ(mods, THotKeyModifier::Alt | THotKeyModifier::Control | THotKeyModifier::ExtendedKey |
                        THotKeyModifier::Shift);
    SplitHotKey(0x0141, key, mods);
    EXPECT_EQ(mods, THotKeyModifiers(THotKeyModifier::Shift));
}

} // namespace
