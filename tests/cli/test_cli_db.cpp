// tralu-cli db on a generated temporary collection.
#include "cli/cli.h"
#include "cli_run.h"
#include "records/cx_database.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using Result = tralu::test::CliResult;
using tralu::test::Cli;
using tralu::test::ExpectFailure;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

class CliDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/Music";
        Record("A/Amber/1999 - Rock Live", "[infos]\r\nRelease=1999\r\nTags=rock; live\r\n");
        Record("A/Amber/Live Rock", "[infos]\r\nTags=Live;ROCK\r\n");
        Record("A/Birch/Spaced", "[infos]\r\nTags=Rock ; Live\r\n");
        Record("B/Cedar/Only Rock", "[infos]\r\nTags=rock\r\n");
        Record("B/Cedar/Jazz Club", "[infos]\r\nTags=jazz; live\r\n");
        Record("B/Dune/Untagged", nullptr);
        Record("C/Elm/Odd \"name\" $HOME\tand\nbreak", "[infos]\r\nTags=pop\r\n");
    }
    void Record(const char* path, const char* ini) {
        const QString folder = QString::fromStdString(root) + "/" + QString::fromUtf8(path);
        ASSERT_TRUE(QDir().mkpath(folder));
        QFile song(folder + "/01 - Song.mp3");
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        if (ini) {
            QFile f(folder + "/.Folder.ini");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(ini);
        }
    }
    // The record paths in the order of the database file.
    std::vector<std::string> DatabaseOrder() {
        TRecordStructList db;
        db.LoadFromFolder(QString::fromStdString(root));
        std::vector<std::string> paths;
        for (int i = 0; i < db.Count(); ++i)
            paths.push_back(db.GetRecord(i)->Path.toStdString());
        return paths;
    }
    std::string Path(const char* record) { return root + "/" + record; }

    QTemporaryDir dir;
    std::string root;
};

TEST_F(CliDbTest, BuildThenListInDatabaseOrder) {
    const Result built = Cli({"db", "build", root});
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.out, "7 records written to " + root + "/.Tralu_DB.data\n");
    EXPECT_TRUE(built.err.empty()); // not a terminal: no progress

    const Result list = Cli({"db", "list", root});
    ASSERT_EQ(list.status, 0) << list.err;
    const std::vector<std::string> lines = Lines(list.out);
    const std::vector<std::string> order = DatabaseOrder();
    ASSERT_EQ(lines.size(), order.size());
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 6u) << lines[i];
        EXPECT_TRUE(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d$")
                        .match(QString::fromStdString(f[4]))
                        .hasMatch())
            << f[4];
        if (order[i].find("Odd") == std::string::npos) {
            EXPECT_EQ(f[5], order[i]);
        } else { // the tab and the line break of the name are escaped
            EXPECT_EQ(f[1], "Odd \"name\" $HOME\\tand\\nbreak");
            EXPECT_EQ(f[5], Path("C/Elm/Odd \"name\" $HOME\\tand\\nbreak"));
        }
        if (f[5] == Path("A/Amber/1999 - Rock Live")) {
            EXPECT_EQ(f[0], "Amber");
            EXPECT_EQ(f[1], "Rock Live");
            EXPECT_EQ(f[2], "rock; live");
            EXPECT_EQ(f[3], "1999");
        }
        if (f[5] == Path("B/Dune/Untagged")) {
            EXPECT_EQ(f[2], "");
        }
    }
}

TEST_F(CliDbTest, ListFiltersByOneOrTwoTags) {
    ASSERT_EQ(Cli({"db", "build", root}).status, 0);
    const struct {
        cli::Args filters;
        std::vector<std::string> records;
    } cases[] = {
        {{"--tag", "rock", "--tag", "LIVE"},
         {"A/Amber/1999 - Rock Live", "A/Amber/Live Rock", "A/Birch/Spaced"}},
        {{"--tag", " live "},
         {"A/Amber/1999 - Rock Live", "A/Amber/Live Rock", "A/Birch/Spaced", "B/Cedar/Jazz Club"}},
        {{"--tag=Rock", "--tag=jazz"}, {}},
        {{"--tag", "blues"}, {}},
    };
    const std::vector<std::string> order = DatabaseOrder();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filters[1]);
        cli::Args args{"db", "list", root};
        args.insert(args.end(), c.filters.begin(), c.filters.end());
        const Result r = Cli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::vector<std::string> expected; // in database order
        for (const std::string& p : order)
            for (const std::string& rec : c.records)
                if (p == Path(rec.c_str()))
                    expected.push_back(p);
        std::vector<std::string> got;
        for (const std::string& line : Lines(r.out))
            got.push_back(Fields(line).back());
        EXPECT_EQ(got, expected);
    }
}

TEST_F(CliDbTest, NeighboursBestFirstTiesInDatabaseOrder) {
    ASSERT_EQ(Cli({"db", "build", root}).status, 0);
    const Result r = Cli({"db", "neighbours", root, "--tags", "rock; live"});
    ASSERT_EQ(r.status, 0) << r.err;
    // 6 for the three records with both tags, 2 for "rock", 1 for
    // "jazz; live"; "pop" (-2) and the untagged record (-1) are left out.
    std::vector<std::string> sixes;
    for (const std::string& p : DatabaseOrder())
        if (p == Path("A/Amber/1999 - Rock Live") || p == Path("A/Amber/Live Rock") ||
            p == Path("A/Birch/Spaced"))
            sixes.push_back("6\t" + p);
    std::vector<std::string> expected = sixes;
    expected.push_back("2\t" + Path("B/Cedar/Only Rock"));
    expected.push_back("1\t" + Path("B/Cedar/Jazz Club"));
    EXPECT_EQ(Lines(r.out), expected);

    EXPECT_EQ(Cli({"db", "neighbours", root, "--tags", ""}).out, "");
}

TEST_F(CliDbTest, FailuresWriteOneLineAndNothingElse) {
    const std::string file = root + "/A/Amber/Live Rock/01 - Song.mp3";
    const std::string missing = root + "/nowhere";
    // No database yet.
    ExpectFailure(Cli({"db", "list", root}));
    ExpectFailure(Cli({"db", "neighbours", root, "--tags", "rock"}));
    ASSERT_EQ(Cli({"db", "build", root}).status, 0);
    const cli::Args cases[] = {
        {"db"},
        {"db", "frobnicate", root},
        {"db", "build"},
        {"db", "build", missing},
        {"db", "build", file},
        {"db", "build", root, root},
        {"db", "list", missing},
        {"db", "list", root, "--tag", "a", "--tag", "b", "--tag", "c"},
        {"db", "list", root, "--tag"},
        {"db", "list", root, "--colour", "red"},
        {"db", "neighbours", root},
    };
    for (const cli::Args& args : cases) {
        SCOPED_TRACE(args.size() > 1 ? args[1] : args[0]);
        ExpectFailure(Cli(args));
    }
    // A damaged line: nothing is listed, the error names the line.
    QFile db(QString::fromStdString(root) + "/.Tralu_DB.data");
    ASSERT_TRUE(db.open(QIODevice::Append));
    db.write("\"only\", \"three\", \"fields\"\r\n");
    db.close();
    const Result damaged = Cli({"db", "list", root});
    ExpectFailure(damaged);
    EXPECT_NE(damaged.err.find("Line 8"), std::string::npos) << damaged.err;
    ExpectFailure(Cli({"db", "neighbours", root, "--tags", "rock"}));
}

TEST_F(CliDbTest, HelpForEachCommand) {
    for (const cli::Args& args : {cli::Args{"db", "--help"}, cli::Args{"db", "build", "--help"},
                                  cli::Args{"db", "list", "--help"},
                                  cli::Args{"db", "neighbours", "-h"}, cli::Args{"--help"}}) {
        const Result r = Cli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: tralu-cli", 0), 0u) << r.out;
        EXPECT_TRUE(r.err.empty());
    }
    EXPECT_NE(Cli({"--help"}).out.find("db"), std::string::npos);
}

// A rip date with a time, as each locale writes it, reaches the database
// (not the files' date, which is today).
TEST_F(CliDbTest, RipDatesWithATimeUnderEachLocale) {
    const struct {
        const char* locale;
        const char* rip;
    } cases[] = {
        {"C", "18 Oct 2009 16:09:20"},
        {"C.UTF-8", "18 Oct 2009 16:09:20 UTC"},
        {"C.UTF-8", "18 Oct 2009"},
        {"en_US.UTF-8", "10/18/2009 4:09:20 PM"},
        {"de_DE.UTF-8", "18.10.2009 16:09:20"},
        {"fr_FR.UTF-8", "18/10/2009 16:09:20"},
    };
    const QString qroot = QString::fromStdString(root) + "/Ripped";
    const QString folder = qroot + "/Artist/Record";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile(folder + "/01.mp3").open(QIODevice::WriteOnly);
    for (const auto& c : cases) {
        QFile ini(folder + "/.Folder.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[infos]\r\nRip=") + c.rip + "\r\n");
        ini.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", c.locale);
        const tralu::test::ProgramResult built =
            tralu::test::RunProgram({"db", "build", qroot}, env);
        ASSERT_EQ(built.status, 0) << built.err.toStdString();
        const tralu::test::ProgramResult list = tralu::test::RunProgram({"db", "list", qroot}, env);
        ASSERT_EQ(list.status, 0) << list.err.toStdString();
        EXPECT_EQ(list.out.split('\t').value(4), "2009/10/18") << c.locale << ": " << c.rip;
    }
}

TEST_F(CliDbTest, TheProgramItself) {
    const auto run = [](const QStringList& args) {
        const tralu::test::ProgramResult r = tralu::test::RunProgram(args);
        EXPECT_TRUE(r.finished);
        return std::make_tuple(r.status, r.out, r.err);
    };
    const QString qroot = QString::fromStdString(root);
    auto [status, out, err] = run({"db", "build", qroot});
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    std::tie(status, out, err) = run({"db", "list", qroot, "--tag", "jazz"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, QByteArray("Cedar\tJazz Club\tjazz; live\t0\t") + out.split('\t').value(4) +
                       "\t" + qroot.toUtf8() + "/B/Cedar/Jazz Club\n");
    std::tie(status, out, err) = run({"db", "list", qroot + "/nowhere"});
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
}

} // namespace
