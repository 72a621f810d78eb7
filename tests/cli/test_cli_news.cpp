// tralu-cli news on a generated temporary collection.
#include "cli/cli.h"
#include "cli_run.h"
#include "framework/qv_tools.h"
#include "platform/reg_hive.h"
#include "temp_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using tralu::test::Cli;
using tralu::test::ExpectFailure;
using tralu::test::RunProgram;

class CliNewsTest : public tralu::test::TempFolderTest {
protected:
    void SetUp() override {
        QFile::remove(DefaultHivePath());
        root = Path("Music");
        const TDateTime today = std::floor(DateTimeFromQDateTime(QDateTime::currentDateTime()));
        const struct {
            const char* folder;
            int days;
        } records[] = {{"A/Artist A/New One", -1},
                       {"A/Artist A/Old One", -100},
                       {"B/Artist B/Recent", -3},
                       {"B/Artist B/Next week", 7}};
        for (const auto& r : records) {
            const QString folder = QStringLiteral("Music/") + QLatin1String(r.folder);
            MakeDir(folder);
            Write(folder + "/01 song.mp3");
            Write(folder + "/.Folder.ini",
                  "[infos]\nRip=" + DateToStr(today + r.days).toUtf8() + "\n");
        }
    }
    void TearDown() override { QFile::remove(DefaultHivePath()); }
    std::string Line(const QString& dir, const QString& name, const QString& target) const {
        return (root + "/" + dir + "/" + name + "\t" + root + "/" + target + "\n").toStdString();
    }
    QStringList Links(const QString& dir) const {
        return QDir(root + "/" + dir)
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    QString root;
};

TEST_F(CliNewsTest, RebuildsWithTheSettingsAndTheOptions) {
    // Defaults from the settings file.
    TqvRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\Software\\Quarnet\\Tralu\\Initial", true));
    registry.WriteInteger("NewDays", 2);
    registry.WriteString("NewMusicDir", "Fresh");

    const std::string fresh = Line("Fresh", "Artist A - New One.lnk", "A/Artist A/New One") +
                              Line("Fresh", "Artist B - Next week.lnk", "B/Artist B/Next week");
    auto r = Cli({"news", root.toStdString(), "--dry-run"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, fresh);
    EXPECT_FALSE(QFileInfo::exists(root + "/Fresh"));

    r = Cli({"news", root.toStdString()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, fresh);
    EXPECT_EQ(Links("Fresh"), (QStringList{"Artist A - New One.lnk", "Artist B - Next week.lnk"}));
    EXPECT_EQ(QFileInfo(root + "/Fresh/Artist A - New One.lnk").symLinkTarget(),
              root + "/A/Artist A/New One");

    // The options win over the settings; the same list is made again.
    r = Cli({"news", root.toStdString(), "--days", "10", "--dir", "News"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Line("News", "Artist A - New One.lnk", "A/Artist A/New One") +
                         Line("News", "Artist B - Next week.lnk", "B/Artist B/Next week") +
                         Line("News", "Artist B - Recent.lnk", "B/Artist B/Recent") +
                         Line("News", "Music - Fresh.lnk", "Fresh"));
    EXPECT_EQ(Links("News").size(), 4);

    // The program itself, run as a nightly job would: the old links are
    // replaced, and the folder News, made today, is a record folder too.
    const auto p = RunProgram({"news", root, "--dir", "Fresh"});
    ASSERT_TRUE(p.finished);
    EXPECT_EQ(p.status, 0) << p.err.toStdString();
    EXPECT_EQ(p.out.toStdString(), fresh + Line("Fresh", "Music - News.lnk", "News"));
    EXPECT_TRUE(p.err.isEmpty());
    EXPECT_EQ(Links("Fresh"), (QStringList{"Artist A - New One.lnk", "Artist B - Next week.lnk",
                                           "Music - News.lnk"}));
}

TEST_F(CliNewsTest, RefusesBadInputAndChangesNothing) {
    MakeDir("Music/News");
    Link(root + "/A", "Music/News/Old.lnk");
    for (const cli::Args& args :
         {cli::Args{"news", root.toStdString(), "--dir", ".."},
          cli::Args{"news", root.toStdString(), "--dir", "A"},
          cli::Args{"news", root.toStdString(), "--dir", "A/Artist A"},
          cli::Args{"news", root.toStdString(), "--dir", "Bookmark"},
          cli::Args{"news", root.toStdString(), "--days", "0"},
          cli::Args{"news", root.toStdString(), "--days", "12x"},
          cli::Args{"news", (root + "/none").toStdString()}, cli::Args{"news"},
          cli::Args{"news", root.toStdString(), "--unknown"}}) {
        SCOPED_TRACE(args.back());
        ExpectFailure(Cli(args));
    }
    EXPECT_EQ(Links("News"), QStringList{"Old.lnk"});
    EXPECT_EQ(Links("A"), QStringList{"Artist A"});
    const auto p = RunProgram({"news", root, "--dir", ".."});
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.err.count('\n'), 1);
}

} // namespace
