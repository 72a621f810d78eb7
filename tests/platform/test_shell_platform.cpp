#include "platform/file_ops.h"
#include "platform/shell_services.h"
#include "temp_folder.h"
#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class FileOpsTest : public tralu::test::TempFolderTest {
protected:
    bool Exists(const QString& rel) const { return FileStatus(Path(rel), false).has_value(); }
};

TEST_F(FileOpsTest, RenameNeverReplaces) {
    using TRename = bool (*)(const QString&, const QString&, int*);
    const std::pair<const char*, TRename> ways[] = {{"renameat2", RenameNoReplace},
                                                    {"link", RenameNoReplaceByLink}};
    for (const auto& [name, rename] : ways) {
        SCOPED_TRACE(name);
        const QString sub = QString::fromLatin1(name) + QLatin1Char('/');
        MakeDir(sub + QStringLiteral("dirA"));
        MakeDir(sub + QStringLiteral("dirB"));
        Write(sub + QStringLiteral("a.mp3"), "A");
        Write(sub + QStringLiteral("b.mp3"), "B");
        Write(sub + QStringLiteral("dirB/x"), "X");

        int error = 0;
        // Onto an existing file, an existing folder, an existing link.
        EXPECT_FALSE(rename(Path(sub + "a.mp3"), Path(sub + "b.mp3"), &error));
        EXPECT_EQ(error, EEXIST);
        EXPECT_FALSE(rename(Path(sub + "a.mp3"), Path(sub + "dirB"), &error));
        EXPECT_FALSE(rename(Path(sub + "dirA"), Path(sub + "dirB"), &error));
        EXPECT_EQ(error, EEXIST);
        Link(Path(sub + "nowhere"), sub + "dangling");
        EXPECT_FALSE(rename(Path(sub + "a.mp3"), Path(sub + "dangling"), &error));
        EXPECT_EQ(Read(sub + "a.mp3"), QByteArray("A"));
        EXPECT_EQ(Read(sub + "b.mp3"), QByteArray("B"));
        EXPECT_EQ(Read(sub + "dirB/x"), QByteArray("X"));

        // Onto a free name: moved, with odd characters in the name.
        const QString odd = sub + QStringLiteral("it's \"$(x)\" `y`\nz.mp3");
        EXPECT_TRUE(rename(Path(sub + "a.mp3"), Path(odd), &error));
        EXPECT_FALSE(Exists(sub + "a.mp3"));
        EXPECT_EQ(Read(odd), QByteArray("A"));
        EXPECT_TRUE(rename(Path(sub + "dirA"), Path(sub + "dirC"), &error));
        EXPECT_TRUE(FileStatus(Path(sub + "dirC"), false)->IsDirectory);

        EXPECT_FALSE(rename(Path(sub + "none"), Path(sub + "other"), &error));
        EXPECT_EQ(error, ENOENT);
    }
}

TEST_F(FileOpsTest, RemoveRecursivelyLeavesLinkTargetsAlone) {
    MakeDir(QStringLiteral("keep/inner"));
    Write(QStringLiteral("keep/inner/song.mp3"), "S");
    Write(QStringLiteral("keep/file"), "F");
    MakeDir(QStringLiteral("gone/a/b"));
    Write(QStringLiteral("gone/a/b/c"), "C");
    Link(Path(QStringLiteral("keep")), QStringLiteral("gone/a/to-keep"));
    Link(Path(QStringLiteral("keep/file")), QStringLiteral("gone/to-file"));
    Link(Path(QStringLiteral("gone")), QStringLiteral("gone/a/b/loop")); // a loop never recurses

    EXPECT_TRUE(RemoveRecursively(Path(QStringLiteral("gone"))));
    EXPECT_FALSE(Exists(QStringLiteral("gone")));
    EXPECT_EQ(Read(QStringLiteral("keep/inner/song.mp3")), QByteArray("S"));
    EXPECT_EQ(Read(QStringLiteral("keep/file")), QByteArray("F"));

    Link(Path(QStringLiteral("keep")), QStringLiteral("top"));
    EXPECT_TRUE(RemoveRecursively(Path(QStringLiteral("top"))));
    EXPECT_FALSE(Exists(QStringLiteral("top")));
    EXPECT_TRUE(Exists(QStringLiteral("keep/inner/song.mp3")));

    EXPECT_FALSE(RemoveRecursively(Path(QStringLiteral("gone"))));
    EXPECT_FALSE(RemoveRecursively(QString()));
}

TEST_F(FileOpsTest, CopyPathMakesFoldersAndKeepsLinksAsLinks) {
    MakeDir(QStringLiteral("src/sub"));
    Write(QStringLiteral("src/sub/a.mp3"), "A");
    Write(QStringLiteral("src/b.txt"), "B");
    QFile::setPermissions(Path(QStringLiteral("src/b.txt")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    Link(QStringLiteral("sub/a.mp3"), QStringLiteral("src/rel-link"));
    Link(Path(QStringLiteral("src")), QStringLiteral("src/sub/loop"));

    ASSERT_TRUE(CopyPath(Path(QStringLiteral("src")), Path(QStringLiteral("deep/new/dst")), false));
    EXPECT_EQ(Read(QStringLiteral("deep/new/dst/sub/a.mp3")), QByteArray("A"));
    EXPECT_EQ(Read(QStringLiteral("deep/new/dst/b.txt")), QByteArray("B"));
    EXPECT_TRUE(QFileInfo(Path(QStringLiteral("deep/new/dst/b.txt"))).isExecutable());
    EXPECT_EQ(QFile::symLinkTarget(Path(QStringLiteral("deep/new/dst/rel-link"))),
              Path(QStringLiteral("deep/new/dst/sub/a.mp3")));
    EXPECT_TRUE(FileStatus(Path(QStringLiteral("deep/new/dst/sub/loop")), false)->IsSymLink);

    // Existing files: refused without overwrite, replaced with it, or as the
    // question answers.
    Write(QStringLiteral("t.txt"), "old");
    EXPECT_FALSE(CopyPath(Path(QStringLiteral("src/b.txt")), Path(QStringLiteral("t.txt")), false));
    EXPECT_EQ(Read(QStringLiteral("t.txt")), QByteArray("old"));
    QStringList asked;
    const auto refuse = [&](const QString& target) {
        asked << target;
        return false;
    };
    EXPECT_FALSE(
        CopyPath(Path(QStringLiteral("src/b.txt")), Path(QStringLiteral("t.txt")), true, refuse));
    EXPECT_EQ(asked, QStringList{Path(QStringLiteral("t.txt"))});
    EXPECT_EQ(Read(QStringLiteral("t.txt")), QByteArray("old"));
    EXPECT_TRUE(CopyPath(Path(QStringLiteral("src/b.txt")), Path(QStringLiteral("t.txt")), true));
    EXPECT_EQ(Read(QStringLiteral("t.txt")), QByteArray("B"));

    // A folder is never copied into itself; nothing is left behind.
    EXPECT_FALSE(CopyPath(Path(QStringLiteral("src")), Path(QStringLiteral("src/sub/copy")), true));
    EXPECT_FALSE(Exists(QStringLiteral("src/sub/copy")));
    EXPECT_FALSE(CopyPath(Path(QStringLiteral("none")), Path(QStringLiteral("x")), true));
    const QStringList leftovers = QDir(dir_.path()).entryList(QDir::Hidden | QDir::Files);
    EXPECT_TRUE(leftovers.filter(QStringLiteral("tralu")).isEmpty())
        << leftovers.join(' ').toStdString();
}

TEST_F(FileOpsTest, FileStatusSeesLinksAndTimes) {
    Write(QStringLiteral("f"), "12345");
    MakeDir(QStringLiteral("d"));
    Link(Path(QStringLiteral("d")), QStringLiteral("to-d"));
    Link(Path(QStringLiteral("none")), QStringLiteral("broken"));
    QFile f(Path(QStringLiteral("f")));
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const QDateTime written(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    ASSERT_TRUE(f.setFileTime(written, QFileDevice::FileModificationTime));
    f.close();

    const auto file = FileStatus(Path(QStringLiteral("f")), false);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->IsRegular);
    EXPECT_EQ(file->Size, 5);
    EXPECT_EQ(file->LastWriteTime, written);
    EXPECT_GT(file->CreationTime, written); // made now, written "in 2001"

    const auto own = FileStatus(Path(QStringLiteral("to-d")), false);
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->IsSymLink);
    EXPECT_FALSE(own->IsDirectory);
    const auto followed = FileStatus(Path(QStringLiteral("to-d")), true);
    ASSERT_TRUE(followed);
    EXPECT_TRUE(followed->IsSymLink);
    EXPECT_TRUE(followed->IsDirectory);

    EXPECT_TRUE(FileStatus(Path(QStringLiteral("broken")), false));
    EXPECT_FALSE(FileStatus(Path(QStringLiteral("broken")), true));
    EXPECT_FALSE(FileStatus(Path(QStringLiteral("none")), false));
}

TEST(ShellServices, RealProcessesAndFakes) {
    IShellServices& real = ShellServices();
    EXPECT_EQ(real.RunAndWait(QStringLiteral("/bin/sh"),
                              {QStringLiteral("-c"), QStringLiteral("exit 3")}),
              3);
    EXPECT_EQ(real.RunAndWait(QStringLiteral("/no/such/program"), {}), -1);
    EXPECT_EQ(real.StartDetached(QStringLiteral("/no/such/program"), {}), -1);
    EXPECT_GT(real.StartDetached(QStringLiteral("/bin/true"), {}), 0);

    struct Fake : IShellServices {
        bool OpenUrl(const QUrl&) override { return false; }
        qint64 StartDetached(const QString&, const QStringList&) override { return 1; }
        int RunAndWait(const QString&, const QStringList&) override { return 2; }
        bool MoveToTrash(const QString&) override { return false; }
    } fake;
    {
        TScopedShellServices scoped(fake);
        EXPECT_EQ(&ShellServices(), &fake);
    }
    EXPECT_EQ(&ShellServices(), &real);
}

} // namespace
