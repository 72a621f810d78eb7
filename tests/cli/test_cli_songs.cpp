// tralu-cli tags normalize and rename from-tags|cut on temporary record
// folders of small generated MP3 files.
#include "cli/cli.h"
#include "platform/rename_journal.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include "cli_run.h"

#include "test_env.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using Result = tralu::test::CliResult;
using tralu::test::Cli;
using tralu::test::ExpectFailure;

// A new folder below the test home; parents are made as needed.
std::string NewFolder(const std::string& relative) {
    static int counter = 0;
    std::string path = tralu::test::TestHome() + "/songs_" + std::to_string(++counter);
    ::mkdir(path.c_str(), 0755);
    std::string::size_type start = 0;
    while (start <= relative.size()) {
        const auto slash = relative.find('/', start);
        path += "/" + relative.substr(start, slash - start);
        ::mkdir(path.c_str(), 0755);
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return path;
}

// Some bytes that stand for the audio data.
const std::string kAudio = std::string("\xFF\xFB\x90\x44", 4) + std::string(400, '\x55');

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A song with an ID3v2 tag (when v2Title is given) and an ID3v1 tag (when
// v1Title is given).
struct SongTags {
    const char* v2Title = nullptr;
    int v2Track = 0;
    const char* v1Title = nullptr;
    int v1Track = 0;
};

void Song(const std::string& folder, const std::string& name, const SongTags& t = {}) {
    const std::string path = folder + "/" + name;
    WriteFile(path, kAudio);
    if (t.v2Title) {
        TID3v2 v2;
        v2.SetTitle(t.v2Title);
        v2.SetTrack(std::uint8_t(t.v2Track));
        ASSERT_TRUE(v2.WriteTag(path)) << name;
    }
    if (t.v1Title) {
        TID3v1 v1;
        v1.SetTitle(t.v1Title);
        v1.SetTrack(std::uint8_t(t.v1Track));
        ASSERT_TRUE(v1.WriteTag(path)) << name;
    }
}

// Sets the modification time to now minus `age` hours.
void Age(const std::string& path, int hours) {
    const timespec when[2] = {{std::time(nullptr) - hours * 3600, 0},
                              {std::time(nullptr) - hours * 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, 0), 0) << path;
}

// The folder's names, sorted.
std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* e = dir ? ::readdir(dir) : nullptr)
        if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
            names.insert(e->d_name);
    if (dir)
        ::closedir(dir);
    return names;
}

std::string Escaped(std::string name) {
    std::string out;
    for (char c : name)
        out += c == '\n' ? std::string("\\n") : c == '\t' ? std::string("\\t") : std::string(1, c);
    return out;
}

// Runs the command with --dry-run first: it must print what the run prints
// and end the same way, and leave the folder as it was.  Then the run.
Result RunTwice(const std::string& folder, const cli::Args& args) {
    const std::set<std::string> before = Names(folder);
    cli::Args trial = args;
    trial.push_back("--dry-run");
    const Result dry = Cli(trial);
    EXPECT_EQ(Names(folder), before) << "--dry-run renamed something";
    const Result real = Cli(args);
    EXPECT_EQ(dry.out, real.out);
    EXPECT_EQ(dry.status, real.status);
    return real;
}

// --- tags normalize --------------------------------------------------------------

struct Tags {
    std::string title, artist, album, year, genre, comment;
    int track;
    bool operator==(const Tags&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Tags& t) {
    return os << "{" << t.title << "|" << t.artist << "|" << t.album << "|" << t.year << "|"
              << t.genre << "|" << t.comment << "|" << t.track << "}";
}

// Both tags of a file; the ID3v1 genre is written as its index.
std::pair<Tags, Tags> ReadTags(const std::string& path) {
    TID3v1 v1;
    TID3v2 v2;
    EXPECT_TRUE(v1.ReadTag(path) && v1.HasTag()) << path;
    EXPECT_TRUE(v2.ReadTag(path) && v2.HasTag()) << path;
    return {{v1.Title(), v1.Artist(), v1.Album(), v1.Year(), std::to_string(v1.GenreIndex()),
             v1.Comment(), v1.Track()},
            {v2.Title(), v2.Artist(), v2.Album(), v2.Year(), v2.Genre(), v2.Comment(), v2.Track()}};
}

TEST(CliNormalize, WritesBothTagsOfEverySongFromTheNames) {
    const std::string artist = "Amber \"Q\" $HOME";
    const std::string record = NewFolder(artist + "/1999 - Album");
    // Song 1: an ID3v2 tag only; song 2: an ID3v1 tag only; song 3: none.
    Song(record, "01 - First.mp3");
    TID3v2 own2;
    own2.SetYear("2001");
    own2.SetGenre("Jazz");
    own2.SetComment("mine");
    ASSERT_TRUE(own2.WriteTag(record + "/01 - First.mp3"));
    Song(record, "02_Second.MP3");
    TID3v1 own1;
    own1.SetYear("1998");
    own1.SetGenreIndex(17);
    own1.SetComment("old");
    ASSERT_TRUE(own1.WriteTag(record + "/02_Second.MP3"));
    Song(record, "Caf\xC3\xA9 it's\n$x.mp3");
    WriteFile(record + "/cover.jpg", "not a song");
    WriteFile(record + "/other.ogg", kAudio);

    const Result r = Cli({"tags", "normalize", record});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "01 - First.mp3\n02_Second.MP3\nCaf\xC3\xA9 it's\\n$x.mp3\n");
    const Tags kept[][2] = {
        {{"First", artist, "Album", "2001", "8", "mine", 1},
         {"First", artist, "Album", "2001", "Jazz", "mine", 1}},
        {{"Second", artist, "Album", "1998", "17", "old", 2},
         {"Second", artist, "Album", "1998", "Rock", "old", 2}},
        {{"Caf\xC3\xA9 it's\n$x", artist, "Album", "", "255", "", 3},
         {"Caf\xC3\xA9 it's\n$x", artist, "Album", "", "", "", 3}},
    };
    const char* songs[] = {"01 - First.mp3", "02_Second.MP3", "Caf\xC3\xA9 it's\n$x.mp3"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(songs[i]);
        const auto [v1, v2] = ReadTags(record + "/" + songs[i]);
        EXPECT_EQ(v1, kept[i][0]);
        EXPECT_EQ(v2, kept[i][1]);
    }
    EXPECT_EQ(ReadFile(record + "/other.ogg"), kAudio);
    EXPECT_EQ(ReadFile(record + "/cover.jpg"), "not a song");

    // Year, genre and comment given: every song gets them.  A genre outside
    // the genre table leaves the ID3v1 tag without one.  An Ogg file asked
    // for keeps its bytes (ID3 tags would damage it) and its place in the
    // numbering.
    struct Case {
        const char* genre;
        const char* v1Genre;
    } cases[] = {{"rock", "17"}, {"Nonsense genre", "255"}};
    for (const Case& c : cases) {
        const Result given = Cli({"tags", "normalize", record + "/", "--year", "2020", "--genre",
                                  c.genre, "--comment=c \\ d", "--ext", "ogg,mp3"});
        EXPECT_EQ(given.status, 0) << given.err;
        EXPECT_EQ(std::count(given.out.begin(), given.out.end(), '\n'), 3);
        EXPECT_EQ(given.err, "skipped (not MPEG audio; ID3 tags would damage it): other.ogg\n");
        const auto [v1, v2] = ReadTags(record + "/02_Second.MP3");
        EXPECT_EQ(v1.year + "|" + v1.genre + "|" + v1.comment,
                  std::string("2020|") + c.v1Genre + "|c \\ d");
        EXPECT_EQ(v2.year + "|" + v2.genre + "|" + v2.comment,
                  std::string("2020|") + c.genre + "|c \\ d");
        EXPECT_EQ(ReadFile(record + "/other.ogg"), kAudio);
    }
    EXPECT_EQ(ReadTags(record + "/Caf\xC3\xA9 it's\n$x.mp3").first.track, 3);
}

TEST(CliNormalize, ASongThatCannotBeWrittenIsReportedAndTheOthersAreWritten) {
    const std::string record = NewFolder("Birch/Locked");
    Song(record, "a.mp3");
    Song(record, "b.mp3", {nullptr, 0, "Old", 4});
    ASSERT_EQ(::chmod(record.c_str(), 0777), 0);
    ASSERT_EQ(::chmod((record + "/a.mp3").c_str(), 0666), 0);
    ASSERT_EQ(::chmod((record + "/b.mp3").c_str(), 0444), 0);
    const std::string before = ReadFile(record + "/b.mp3");
    // Root may write any file: the command then runs as "nobody".
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chmod(tralu::test::TestHome().c_str(), 0711), 0);
    }
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        const Result r = Cli({"tags", "normalize", record});
        const std::string report = r.out + "#" + r.err;
        if (::write(pipeFds[1], report.data(), report.size()) < 0)
            ::_exit(101);
        ::_exit(r.status);
    }
    ::close(pipeFds[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, std::size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(report.substr(0, report.find('#')), "a.mp3\nb.mp3\tfailed\n");
    const std::string err = report.substr(report.find('#') + 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_EQ(ReadTags(record + "/a.mp3").first.title, "a");
    TID3v1 v1;
    ASSERT_TRUE(v1.ReadTag(record + "/b.mp3"));
    EXPECT_EQ(v1.Title(), "Old");
}

// --- rename from-tags ---------------------------------------------------------------

TEST(CliRename, FromTagsNamesEverySongAfterItsTag) {
    const std::string record = NewFolder("Cedar/Tagged");
    struct Case {
        const char* name;
        SongTags tags;
        const char* newName; // null: left alone, no line
    } cases[] = {
        // "08 - Done.mp3" sorts first: the positions below count from 2
        {"a intro.mp3", {"Intro", 0}, "02 - Intro.mp3"},
        {"b.mp3", {nullptr, 0, "Song", 0}, "03 - Song.mp3"},
        {"c.MP3", {"Live: Paris", 3}, "03 - Live- Paris.MP3"},
        {"d.mp3", {"What_now?", 12}, "12 - What now-.mp3"},
        {"e.mp3", {" Spaced", 5}, "05 - Spaced.mp3"},
        {"f.mp3", {"", 6, "Ignored", 6}, nullptr},
        {"g.mp3",
         {"Caf\xC3\xA9 \"$HOME\" `id` 'q'\\x", 7},
         "07 - Caf\xC3\xA9 -$HOME- `id` 'q'-x.mp3"},
        {"h.mp3", {"Same", 9}, "09 - Same.mp3"},
        {"i.mp3", {"Same", 9}, "09 - Same.mp3"}, // taken by h: fails
        {"j.mp3", {"V1 ignored", 0, "One", 8}, "11 - V1 ignored.mp3"},
        {"08 - Done.mp3", {"Done", 8}, nullptr}, // already so named
    };
    for (const Case& c : cases)
        Song(record, c.name, c.tags);
    WriteFile(record + "/notes.txt", "no tags");

    const Result r = RunTwice(record, {"rename", "from-tags", record});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    // One line per rename in name order; "i.mp3" keeps its name.
    std::string expected;
    std::set<std::string> names = {"notes.txt", "08 - Done.mp3", "f.mp3", "i.mp3"};
    for (const Case& c : cases) {
        if (!c.newName)
            continue;
        const bool taken = std::string(c.name) == "i.mp3";
        expected += std::string(c.name) + "\t" + c.newName + (taken ? "\tfailed\n" : "\n");
        if (!taken)
            names.insert(c.newName);
    }
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(Names(record), names);
}

TEST(CliRename, FromTagsStopsAtASongWithoutTags) {
    const std::string record = NewFolder("Dune/Half");
    Song(record, "0.mp3", {"First", 1});
    Song(record, "1.mp3", {"First", 1});                     // the name is taken: fails
    WriteFile(record + "/2 tiny.mp3", std::string(50, 'x')); // too short for ID3v1: skipped
    Song(record, "3 bare.mp3");                              // no tag at all: the run stops
    Song(record, "4.mp3", {"Fourth", 0});
    const Result r = RunTwice(record, {"rename", "from-tags", record});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "0.mp3\t01 - First.mp3\n1.mp3\t01 - First.mp3\tfailed\n");
    EXPECT_EQ(r.err,
              "tralu-cli rename: Can not read tag from the file: " + record + "/3 bare.mp3\n");
    EXPECT_EQ(Names(record), (std::set<std::string>{"01 - First.mp3", "1.mp3", "2 tiny.mp3",
                                                    "3 bare.mp3", "4.mp3"}));
}

// Songs of other formats are left alone but keep their place in the
// numbering (and carry no tag that could stop the run).
TEST(CliRename, FromTagsCountsEveryListedSong) {
    const std::string record = NewFolder("Elm/Mixed");
    WriteFile(record + "/a.ogg", kAudio);
    Song(record, "b.mp3", {"Bee", 0});
    WriteFile(record + "/c.wma", kAudio);
    Song(record, "d.mp3", {nullptr, 0, "Dee", 0});
    const Result mixed = Cli({"rename", "from-tags", record, "--ext", "mp3,ogg,wma", "--dry-run"});
    EXPECT_EQ(mixed.status, 0) << mixed.err;
    EXPECT_EQ(mixed.out, "b.mp3\t02 - Bee.mp3\nd.mp3\t04 - Dee.mp3\n");
    // The default list holds the MP3 files only.
    const Result mp3 = Cli({"rename", "from-tags", record, "--dry-run"});
    EXPECT_EQ(mp3.out, "b.mp3\t01 - Bee.mp3\nd.mp3\t02 - Dee.mp3\n");
}

// --- rename cut -------------------------------------------------------------------

TEST(CliRename, CutRenamesInDateOrderWithoutReplacing) {
    const std::string longOk = "X - " + std::string(240, 'a') + ".mp3";
    const std::string longBad = "X-" + std::string(249, 'a') + ".mp3"; // 255 bytes
    struct File {
        std::string name;
        int ageHours;
    };
    struct Case {
        const char* what;
        std::vector<File> files;
        cli::Args options;
        std::string expected; // the lines printed
        int status;
    } cases[] = {
        {"defaults: oldest first, any case, hidden and other files untouched",
         {{"Artist - Zed.mp3", 5},
          {"Artist - Alpha.MP3", 1},
          {"notes.txt", 9},
          {".hidden - x.mp3", 9}},
         {},
         "Artist - Zed.mp3\t01 - Zed.mp3\nArtist - Alpha.MP3\t02 - Alpha.MP3\n",
         0},
        {"by name",
         {{"Artist - Zed.mp3", 5}, {"Artist - Alpha.MP3", 1}},
         {"--by-name"},
         "Artist - Alpha.MP3\t01 - Alpha.MP3\nArtist - Zed.mp3\t02 - Zed.mp3\n",
         0},
        {"pattern with ?, front and end counts, another separator",
         {{"track_01.my.song (live).ogg", 3}, {"track_2.ogg", 2}, {"a_b_c_d.ogg", 1}},
         {"--pattern", "*_?*.OGG", "--sep", "_", "--front", "0", "--end", "1"},
         "track_01.my.song (live).ogg\t01 - Track.ogg\ntrack_2.ogg\t02 - Track.ogg\n"
         "a_b_c_d.ogg\t03 - A b c.ogg\n",
         0},
        {"a collision in list order blocks the earlier file only",
         {{"b - Song.mp3", 4}, {"01 - Song.mp3", 2}},
         {},
         "b - Song.mp3\t01 - Song.mp3\tfailed\n01 - Song.mp3\t02 - Song.mp3\n",
         1},
        {"odd names",
         {{"Art - it's \"$HOME\" `id`\tx.mp3", 3},
          {"Art - line\nbreak \xC3\xBCn\xC3\xAF.mp3", 2},
          {longOk, 1}},
         {"--front=1"},
         Escaped("Art - it's \"$HOME\" `id`\tx.mp3") + "\t" +
             Escaped("01 - It's \"$HOME\" `id`\tx.mp3") + "\n" +
             Escaped("Art - line\nbreak \xC3\xBCn\xC3\xAF.mp3") + "\t" +
             Escaped("02 - Line\nbreak \xC3\xBCn\xC3\xAF.mp3") + "\n" + longOk + "\t03 - A" +
             std::string(239, 'a') + ".mp3\n",
         0},
        {"a new name too long for the file system",
         {{longBad, 1}},
         {"--front", "0"},
         longBad + "\t01 - X-" + std::string(249, 'a') + ".mp3\tfailed\n",
         1},
        {"nothing matches", {{"a.txt", 1}}, {}, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = NewFolder("Elm/Cut");
        for (const File& f : c.files) {
            WriteFile(folder + "/" + f.name, f.name);
            Age(folder + "/" + f.name, f.ageHours);
        }
        cli::Args args = {"rename", "cut", folder};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Result r = RunTwice(folder, args);
        EXPECT_EQ(r.out, c.expected);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), c.status) << r.err;
        // Every file is still there with its content, under its old or
        // its new name.
        std::set<std::string> contents;
        for (const std::string& name : Names(folder))
            contents.insert(ReadFile(folder + "/" + name));
        std::set<std::string> written;
        for (const File& f : c.files)
            written.insert(f.name);
        EXPECT_EQ(contents, written);
    }
}

TEST(CliRename, NamesThatAreNotUtf8AreLeftAloneWithAWarning) {
    const std::string folder = NewFolder("Fir/Bytes");
    const std::string bad = "Art - caf\xE9.mp3";
    WriteFile(folder + "/" + bad, "latin-1 name");
    Song(folder, "Art - Good.mp3");
    WriteFile(folder + "/Art - \xFF.txt", "not matched");
    const Result r = RunTwice(folder, {"rename", "cut", folder, "--by-name"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Art - Good.mp3\t01 - Good.mp3\n");
    EXPECT_EQ(r.err,
              "tralu-cli rename: left alone, the name is not valid UTF-8: Art - caf\\xE9.mp3\n");
    EXPECT_EQ(ReadFile(folder + "/" + bad), "latin-1 name");
    EXPECT_EQ(Names(folder), (std::set<std::string>{bad, "01 - Good.mp3", "Art - \xFF.txt"}));

    Song(folder, "\xC0song.mp3", {"Title", 2});
    const Result tags = Cli({"tags", "normalize", folder});
    EXPECT_EQ(tags.status, 0);
    EXPECT_EQ(tags.out, "01 - Good.mp3\n");
    EXPECT_NE(tags.err.find("\\xC0song.mp3"), std::string::npos) << tags.err;
    EXPECT_EQ(ReadFile(folder + "/" + bad), "latin-1 name");
    // A record folder whose own path is not UTF-8 is refused.
    const std::string badFolder = NewFolder("Fir/caf\xE9");
    ExpectFailure(Cli({"rename", "from-tags", badFolder}));
}

// --- rename undo -----------------------------------------------------------------

TEST(CliRename, UndoGivesBackTheNamesOfTheLastBatchThenTheOneBefore) {
    // A journal of this test's own.
    const std::string state = NewFolder("state");
    const std::string saved = std::getenv("XDG_STATE_HOME") ? std::getenv("XDG_STATE_HOME") : "";
    ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    const auto restore = [&] { ::setenv("XDG_STATE_HOME", saved.c_str(), 1); };

    const std::string record = NewFolder("Root/Art $(x)/Rec \"q\"");
    const std::string root = record.substr(0, record.rfind("/Art $(x)/"));
    // A journal that cannot be written: the run says so first, and renames.
    {
        const std::string blocked = NewFolder("blocked") + "/file";
        WriteFile(blocked, "");
        const std::string other = NewFolder("Other");
        Song(other, "Art - Lone.mp3");
        ::setenv("XDG_STATE_HOME", blocked.c_str(), 1);
        const Result r = Cli({"rename", "cut", other});
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "tralu-cli rename: warning: the rename journal " + blocked +
                             "/tralu/renames.log cannot be written; these renames cannot be "
                             "undone\n");
        EXPECT_EQ(Names(other), std::set<std::string>{"01 - Lone.mp3"});
    }
    Song(record, "Art - One.mp3", {"First", 1});
    Song(record, "Art - Two.mp3", {"Second", 2});
    Song(record, "Art - Three\n.mp3", {"Third", 3});
    const std::set<std::string> original = Names(record);
    EXPECT_EQ(Cli({"rename", "cut", record, "--by-name"}).status, 0);
    const std::set<std::string> cut = Names(record);
    EXPECT_EQ(Cli({"rename", "from-tags", record}).status, 0);
    EXPECT_EQ(Names(record),
              (std::set<std::string>{"01 - First.mp3", "02 - Second.mp3", "03 - Third.mp3"}));

    // One file renamed by hand since: refused and said so, the others undone.
    ASSERT_EQ(::rename((record + "/02 - Second.mp3").c_str(), (record + "/hand.mp3").c_str()), 0);
    const Result dry = Cli({"rename", "undo", "--dry-run"});
    EXPECT_EQ(Names(record).count("01 - First.mp3"), 1u) << "--dry-run renamed something";
    const Result undo = Cli({"rename", "undo"});
    EXPECT_EQ(dry.out, undo.out);
    EXPECT_EQ(undo.status, 1);
    // Last rename first: "03 - Two.mp3" was the last song of the list.
    EXPECT_EQ(undo.out.find(record + "/02 - Second.mp3\t" + record +
                            "/03 - Two.mp3\trefused: the renamed file is gone\n"),
              0u)
        << undo.out;
    EXPECT_EQ(undo.err, "tralu-cli rename: 1 of 3 renames were not undone\n");
    std::set<std::string> expected = cut;
    expected.erase("03 - Two.mp3");
    expected.insert("hand.mp3");
    EXPECT_EQ(Names(record), expected);

    // Again: the cut batch; then nothing is left to undo.
    ASSERT_EQ(::rename((record + "/hand.mp3").c_str(), (record + "/03 - Two.mp3").c_str()), 0);
    EXPECT_EQ(Cli({"rename", "undo"}).status, 0);
    EXPECT_EQ(Names(record), original);
    const Result none = Cli({"rename", "undo"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "tralu-cli rename: no renames to undo\n");

    // With --root the bookmarks that lead to a renamed folder lead back.
    const std::string bookmarks = root + "/Bookmark";
    ASSERT_EQ(::mkdir(bookmarks.c_str(), 0755), 0);
    const std::string renamed = root + "/Art $(x)/Rec 2";
    {
        TRenameBatch batch;
        ASSERT_TRUE(batch.Rename(QString::fromStdString(record), QString::fromStdString(renamed)));
    }
    ASSERT_EQ(::symlink(renamed.c_str(), (bookmarks + "/Rec.lnk").c_str()), 0);
    EXPECT_EQ(Cli({"rename", "undo", "--root", root}).status, 0);
    char target[4096] = {};
    ASSERT_GT(::readlink((bookmarks + "/Rec.lnk").c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), record);
    restore();
}

// --- arguments and help ----------------------------------------------------------

TEST(CliRename, BadArgumentsFailWithOneLine) {
    const std::string record = NewFolder("Gum/Args");
    Song(record, "Art - a.mp3", {"A", 1});
    const std::string file = record + "/Art - a.mp3";
    const cli::Args cases[] = {
        {"rename"},
        {"rename", "shuffle", record},
        {"rename", "cut"},
        {"rename", "cut", record, record},
        {"rename", "cut", record + "/nowhere"},
        {"rename", "cut", file},
        {"rename", "cut", ""},
        {"rename", "cut", record, "--front", "10"},
        {"rename", "cut", record, "--front", "x"},
        {"rename", "cut", record, "--end", "-1"},
        {"rename", "cut", record, "--end"},
        {"rename", "cut", record, "--sep", "ab"},
        {"rename", "cut", record, "--pattern", ""},
        {"rename", "cut", record, "--pattern", "a/*.mp3"},
        {"rename", "cut", record, "--ext", "mp3"},
        {"rename", "from-tags", record, "--by-name"},
        {"rename", "from-tags", record, "--ext", ","},
        {"tags", "normalize"},
        {"tags", "normalize", record + "/nowhere"},
        {"tags", "normalize", record, "--dry-run"},
        {"tags", "normalize", record, "--year"},
    };
    for (const cli::Args& args : cases) {
        std::string trace;
        for (const std::string& a : args)
            trace += a + " ";
        SCOPED_TRACE(trace);
        ExpectFailure(Cli(args));
    }
    EXPECT_EQ(Names(record), std::set<std::string>{"Art - a.mp3"});
}

TEST(CliRename, HelpForEachCommand) {
    for (const cli::Args& args :
         {cli::Args{"rename", "--help"}, cli::Args{"rename", "cut", "--help"},
          cli::Args{"rename", "undo", "--help"}, cli::Args{"rename", "from-tags", "-h"},
          cli::Args{"tags", "normalize", "--help"}, cli::Args{"tags", "--help"}}) {
        const Result r = Cli(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("Usage: tralu-cli", 0), 0u) << r.out;
        EXPECT_TRUE(r.err.empty());
    }
    const std::string top = Cli({"--help"}).out;
    EXPECT_NE(top.find("\n  rename "), std::string::npos) << top;
    EXPECT_NE(top.find("normalize"), std::string::npos) << top;
    EXPECT_NE(Cli({"tags", "--help"}).out.find("normalize"), std::string::npos);
}

TEST(CliRename, TheProgramItself) {
    const std::string folder = NewFolder("Hazel/Program");
    WriteFile(folder + "/Art - it's $HOME.mp3", "x");
    const tralu::test::ProgramResult p =
        tralu::test::RunProgram({"rename", "cut", QString::fromStdString(folder), "--dry-run"});
    ASSERT_TRUE(p.finished);
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, QByteArray("Art - it's $HOME.mp3\t01 - It's $HOME.mp3\n"));
    EXPECT_TRUE(p.err.isEmpty());
    EXPECT_EQ(Names(folder), std::set<std::string>{"Art - it's $HOME.mp3"});
}

} // namespace
