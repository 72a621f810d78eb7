#include "cli/cli.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include "cli_run.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string NewFile(const std::string& name, const std::string& bytes) {
    static int counter = 0;
    const std::string dir = tralu::test::TestHome() + "/cli_" + std::to_string(++counter);
    ::mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

using Result = tralu::test::CliResult;
using tralu::test::Cli;
using tralu::test::ExpectFailure;

const std::string kAudio(2000, '\xF7');

TEST(CliTags, ShowWritesOneLinePerField) {
    const std::string both = NewFile("both.mp3", kAudio);
    TID3v2 v2;
    v2.SetTitle("Back\\slash\nand line");
    v2.SetArtist("Caf\xC3\xA9");
    v2.SetTrack(7);
    v2.SetGenre("Rock");
    ASSERT_TRUE(v2.WriteTag(both));
    TID3v1 v1;
    v1.SetTitle("Title");
    v1.SetYear("1999");
    v1.SetTrack(3);
    v1.SetGenreIndex(17);
    ASSERT_TRUE(v1.WriteTag(both));
    const std::string none = NewFile("odd\nname $x.mp3", kAudio);
    const std::string tiny = NewFile("tiny.mp3", "abc");
    TID3v2 written;
    ASSERT_TRUE(written.ReadTag(both));

    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {both, "file=" + both +
                   "\nv1.present=1\nv1.version=1.1\nv1.title=Title\nv1.artist=\nv1.album=\n"
                   "v1.year=1999\nv1.comment=\nv1.track=3\nv1.genre=17\n"
                   "v2.present=1\nv2.version=2.3\nv2.size=" +
                   std::to_string(written.TagSize()) +
                   "\nv2.title=Back\\\\slash\\nand line\nv2.artist=Caf\xC3\xA9\nv2.album=\n"
                   "v2.year=\nv2.track=7\nv2.genre=Rock\nv2.comment=\n"},
        {none, "file=" + none.substr(0, none.find('\n')) + "\\n" +
                   none.substr(none.find('\n') + 1) + "\nv1.present=0\nv2.present=0\n"},
        {tiny, "file=" + tiny + "\nv1.present=0\nv2.present=0\n"},
    };
    for (const auto& c : cases) {
        const Result r = Cli({"tags", "show", c.path});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.expected);
    }
    // Several files, one after the other.
    const Result r = Cli({"tags", "show", tiny, tiny});
    EXPECT_EQ(r.out, cases[2].expected + cases[2].expected);
}

TEST(CliTags, SetChangesOnlyTheFieldsGiven) {
    const std::string path = NewFile("song.mp3", kAudio);
    ASSERT_EQ(Cli({"tags", "set", path, "--v1", "--title", "One", "--artist=Band", "--track", "4",
                   "--genre", "hEAVY metal"})
                  .status,
              0);
    ASSERT_EQ(Cli({"tags", "set", "--v1", "--album", "Disc", path, "--genre", "200"}).status, 0);
    ASSERT_EQ(Cli({"tags", "set", path, "--v2", "--title", "Deux \xCE\xA9", "--genre", "Free text",
                   "--year", "2001"})
                  .status,
              0);
    ASSERT_EQ(Cli({"tags", "set", path, "--v2", "--comment", "c"}).status, 0);
    TID3v1 v1;
    ASSERT_TRUE(v1.ReadTag(path));
    EXPECT_EQ(v1.Title(), "One");
    EXPECT_EQ(v1.Artist(), "Band");
    EXPECT_EQ(v1.Album(), "Disc");
    EXPECT_EQ(v1.Track(), 4);
    EXPECT_EQ(v1.GenreIndex(), 200);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadTag(path));
    EXPECT_EQ(v2.Title(), "Deux \xCE\xA9");
    EXPECT_EQ(v2.Genre(), "Free text");
    EXPECT_EQ(v2.Year(), "2001");
    EXPECT_EQ(v2.Comment(), "c");

    ASSERT_EQ(Cli({"tags", "remove", path, "--v2"}).status, 0);
    ASSERT_EQ(Cli({"tags", "remove", path, "--v2"}).status, 0); // nothing left: fine
    ASSERT_EQ(Cli({"tags", "remove", path, "--v1"}).status, 0);
    std::ifstream f(path, std::ios::binary);
    const std::string left((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(left, kAudio);
}

TEST(CliTags, FailuresSayOneLine) {
    const std::string path = NewFile("song.mp3", kAudio);
    const std::string tiny = NewFile("tiny.mp3", "abc");
    const std::string ogg = NewFile("song.ogg", kAudio);
    const std::string noExtension = NewFile("mp3", kAudio);
    const cli::Args failures[] = {
        {},
        {"nothing"},
        {"tags"},
        {"tags", "frobnicate"},
        {"tags", "show"},
        {"tags", "show", path + ".missing"},
        {"tags", "set", path, "--title", "x"},
        {"tags", "set", path, "--v1", "--v2", "--title", "x"},
        {"tags", "set", path, "--v1", "--track", "300"},
        {"tags", "set", path, "--v2", "--track", "x"},
        {"tags", "set", path, "--v1", "--genre", "Polka Dots"},
        {"tags", "set", path, "--v1", "--title"},
        {"tags", "set", path, "--v1", "--colour", "red"},
        {"tags", "set", path, path, "--v1"},
        {"tags", "set", tiny, "--v1", "--title", "x"},
        {"tags", "remove", path},
        {"tags", "remove", tiny, "--v1"},
        // ID3 tags would damage files of other formats.
        {"tags", "set", ogg, "--v2", "--title", "x"},
        {"tags", "remove", ogg, "--v1"},
        {"tags", "set", noExtension, "--v1", "--title", "x"},
    };
    for (const auto& args : failures) {
        SCOPED_TRACE(::testing::PrintToString(args));
        ExpectFailure(Cli(args));
    }
    std::ifstream in(ogg, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kAudio);
    for (const cli::Args& args :
         {cli::Args{"--help"}, cli::Args{"tags", "--help"}, cli::Args{"tags", "set", "--help"}}) {
        const Result r = Cli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("Usage:"), std::string::npos);
    }
}

} // namespace
