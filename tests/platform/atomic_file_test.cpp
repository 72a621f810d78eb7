#include "platform/atomic_file.h"

#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class AtomicFileTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = QString::fromStdString(tralu::test::TestHome()) + QStringLiteral("/atomic-") +
                QString::fromLatin1(info->name());
        ASSERT_TRUE(QDir().mkpath(m_dir));
    }
    QString Path(const QString& name) const { return m_dir + QLatin1Char('/') + name; }
    static QByteArray Content(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }
    static void Put(const QString& path, const QByteArray& data) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    // Entries of the folder: a failed or finished write leaves no temporary file.
    QStringList Entries() const {
        return QDir(m_dir).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    static mode_t Mode(const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st.st_mode & 07777;
    }

    QString m_dir;
};

TEST_F(AtomicFileTest, CreatesAndReplacesKeepingPermissions) {
    const QString file = Path(QStringLiteral("odd \"name\" $x\n.txt"));
    QString error;
    ASSERT_TRUE(AtomicWriteFile(file, "first", &error)) << error.toStdString();
    EXPECT_EQ(Content(file), "first");

    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    ASSERT_TRUE(AtomicWriteFile(file, QByteArray("sec\0ond", 7), &error)) << error.toStdString();
    EXPECT_EQ(Content(file), QByteArray("sec\0ond", 7));
    EXPECT_EQ(Mode(file), mode_t(0640));
    EXPECT_EQ(Entries(), QStringList{QFileInfo(file).fileName()});
}

TEST_F(AtomicFileTest, WritesThroughASymbolicLink) {
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("real"))));
    const QString target = Path(QStringLiteral("real/settings"));
    const QString link = Path(QStringLiteral("link"));
    Put(target, "old");
    ASSERT_TRUE(QFile::link(QStringLiteral("real/settings"), link)); // relative target
    ASSERT_TRUE(AtomicWriteFile(link, "new"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(Content(target), "new");
    EXPECT_EQ(QDir(Path(QStringLiteral("real"))).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("settings")});
}

TEST_F(AtomicFileTest, FailureLeavesEverythingAsItWas) {
    QString error;
    EXPECT_FALSE(AtomicWriteFile(Path(QStringLiteral("missing/file")), "x", &error));
    EXPECT_FALSE(error.isEmpty());

    const QString folder = Path(QStringLiteral("a-folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Put(folder + QStringLiteral("/inside"), "keep");
    error.clear();
    EXPECT_FALSE(AtomicWriteFile(folder, "x", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(Content(folder + QStringLiteral("/inside")), "keep");
    EXPECT_EQ(Entries(), QStringList{QStringLiteral("a-folder")});
}

} // namespace
