#include "tags/id3v2.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tagtest;

namespace {

const std::string kOmegaUtf8 = "\xCE\xA9";

struct Fields {
    std::string title{};
    std::string artist{};
    std::string album{};
    int track = 0;
    std::string year{};
    std::string genre{};
    std::string comment{};
};

void ExpectFields(const TID3v2& tag, const Fields& f) {
    EXPECT_EQ(tag.Title(), f.title);
    EXPECT_EQ(tag.Artist(), f.artist);
    EXPECT_EQ(tag.Album(), f.album);
    EXPECT_EQ(tag.Track(), f.track);
    EXPECT_EQ(tag.Year(), f.year);
    EXPECT_EQ(tag.Genre(), f.genre);
    EXPECT_EQ(tag.Comment(), f.comment);
}

std::string Comm(std::string_view description, std::string_view text) {
    return std::string(1, '\0') + "eng" + std::string(description) + std::string(1, '\0') +
           std::string(text);
}

TEST(ID3v2, TrackAndGenreTexts) {
    struct {
        const char* text;
        int track;
    } tracks[] = {{"7/12", 7}, {"300", 44}, {" 5 ", 5}, {"07", 7},   {"abc", 0},
                  {"", 0},     {"/3", 0},   {"4x", 0},  {"-1", 255}, {"99999999999", 0}};
    for (const auto& c : tracks)
        EXPECT_EQ(ParseTrackNumber(c.text), c.track) << c.text;

    struct {
        const char* text;
        const char* genre;
    } genres[] = {
        {"(17)Rock", "Rock"},
        {"(17)", "Rock"},
        {"(4)(17)", "Rock"},
        {"(17) Rock", " Rock"},
        {"Rock (live)", "Rock (live)"},
        {"(17)Rock (live)", "Rock (live)"},
        {"(RX)", "Remix"},
        {"(200)", ""},
        {"  Trip-Hop  ", "Trip-Hop"},
        {"(abc", "(abc"},
        {"17", "17"},
    };
    for (const auto& c : genres)
        EXPECT_EQ(ParseGenreText(c.text), c.genre) << c.text;
}

TEST(ID3v2, ReadsTagsOfEachVersion) {
    const std::string audio = Audio(300);
    const std::string utf16Title = Bytes({1, 0xFF, 0xFE, 'W', 0, 0xA9, 0x03, 0, 0});
    struct Case {
        const char* name;
        std::string file;
        bool ok;
        bool hasTag;
        int version;
        int tagSize;
        Fields fields;
    };
    const std::string all = F23("TIT2", Latin1("Title")) + F23("TPE1", Latin1("Artist")) +
                            F23("TALB", Latin1("Caf\xE9")) + F23("TRCK", Latin1("7/12")) +
                            F23("TYER", Latin1("1999")) + F23("TCON", Latin1("(17)Rock")) +
                            F23("COMM", Comm("", "Nice"));
    const std::string longTitle(300, 'T');
    // tagSize -1: the whole fixture is the tag.
    const std::vector<Case> cases = {
        {"no tag", audio, true, false, 0, 0, {}},
        {"nine bytes", std::string("ID3\x03\x00\x00\x00\x00\x00", 9), false, false, 0, 0, {}},
        {"all seven frames of a 2.3 tag",
         Tag(3, all) + audio,
         true,
         true,
         3,
         int(all.size() + 10),
         {"Title", "Artist", "Caf\xC3\xA9", 7, "1999", "Rock", "Nice"}},
        {"declared size past the end", Tag(3, all).substr(0, 40), true, true, 3, 0, {}},
        {"padding after the frames",
         Tag(3, F23("TIT2", Latin1(std::string("T\0\0", 3))) + std::string(50, '\0')) + audio,
         true,
         true,
         3,
         10 + 14 + 50,
         {"T"}},
        {"extended header",
         Tag(3, Be32(6) + std::string(6, '\0') + F23("TIT2", Latin1("x")), 0x40),
         true,
         true,
         3,
         10 + 10 + 12,
         {"x"}},
        {"whole long title",
         Tag(3, F23("TIT2", Latin1(longTitle))),
         true,
         true,
         3,
         10 + 311,
         {longTitle}},
        {"utf16 title",
         Tag(3, F23("TIT2", utf16Title)),
         true,
         true,
         3,
         10 + 19,
         {"W" + kOmegaUtf8}},
        {"two plain comments: the later",
         Tag(3, F23("COMM", Comm("", "one")) + F23("COMM", Comm("", "two"))),
         true,
         true,
         3,
         -1,
         {.comment = "two"}},
        {"plain comment before iTunes data",
         Tag(3, F23("COMM", Comm("", "mine")) + F23("COMM", Comm("iTunNORM", " 0000 0001"))),
         true,
         true,
         3,
         -1,
         {.comment = "mine"}},
        {"only iTunes data",
         Tag(3, F23("COMM", Comm("iTunNORM", " 0000 0001"))),
         true,
         true,
         3,
         -1,
         {}},
        {"a described comment when there is no plain one",
         Tag(3, F23("COMM", Comm("Custom", "described"))),
         true,
         true,
         3,
         -1,
         {.comment = "described"}},
        {"track 300", Tag(3, F23("TRCK", Latin1("300"))), true, true, 3, 10 + 14, {.track = 44}},
        {"2.4 with utf8, utf16be and the recording time",
         Tag(4, F24("TIT2", "\x03"
                            "\xC3\xA9t\xC3\xA9") +
                    F24("TPE1", Bytes({2, 0, 'A', 0x03, 0xA9})) +
                    F24("TDRC", Latin1("2004-05-12")) +
                    F24("TCON", "\x03"
                                "Jazz")),
         true,
         true,
         4,
         -1,
         {"\xC3\xA9t\xC3\xA9", "A" + kOmegaUtf8, "", 0, "2004", "Jazz", ""}},
        {"2.4 year frame wins over recording time",
         Tag(4, F24("TDRC", Latin1("2004")) + F24("TYER", Latin1("1999"))),
         true,
         true,
         4,
         10 + 30,
         {.year = "1999"}},
        {"2.2 tag",
         Tag(2, F22("TT2", Latin1("Old")) + F22("TP1", Latin1("Band")) + F22("COM", Comm("", "c"))),
         true,
         true,
         2,
         10 + 10 + 11 + 12,
         {"Old", "Band", "", 0, "", "", "c"}},
        {"unsynchronised 2.3 tag",
         Tag(3, "TIT2" + Be32(4) + Bytes({0, 0, 0, 'x', 0xFF, 0x00, 0xE9}), 0x80),
         true,
         true,
         3,
         -1,
         {"x\xC3\xBF\xC3\xA9"}},
        {"damaged frame keeps the fields before it",
         Tag(3, F23("TIT2", Latin1("ok")) + "TPE1" + Be32(5000) + Bytes({0, 0, 0, 'a'})),
         true,
         true,
         3,
         -1,
         {"ok"}},
        {"unknown version: no fields", Tag(5, F23("TIT2", Latin1("x"))), true, true, 5, 22, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TID3v2 tag;
        tag.SetTitle("left over");
        EXPECT_EQ(tag.ReadFromBuffer(c.file), c.ok);
        EXPECT_EQ(tag.HasTag(), c.hasTag);
        EXPECT_EQ(tag.Version(), c.version);
        const int tagSize = c.tagSize < 0 ? static_cast<int>(c.file.size()) : c.tagSize;
        EXPECT_EQ(tag.TagSize(), tagSize);
        ExpectFields(tag, c.fields);

        const std::string path = NewDir("v2read") + "/song.mp3";
        WriteFile(path, c.file);
        TID3v2 fromFile;
        EXPECT_EQ(fromFile.ReadTag(path), c.ok);
        EXPECT_EQ(fromFile.TagSize(), tagSize);
        ExpectFields(fromFile, c.fields);
    }
}

TEST(ID3v2, WritesTheExactLayout) {
    const std::string audio = Audio(200);
    struct Case {
        const char* name;
        Fields fields;
        std::string tag;
    } cases[] = {
        {"all fields empty: the header alone", {}, "ID3" + Bytes({3, 0, 0, 0, 0, 0, 0})},
        {"four-letter title and track 3",
         {.title = "Abcd", .track = 3},
         "ID3" + Bytes({3, 0, 0, 0, 0, 0, 0x1B}) + "TIT2" + Bytes({0, 0, 0, 5, 0, 0, 0}) + "Abcd" +
             "TRCK" + Bytes({0, 0, 0, 2, 0, 0, 0}) + "3"},
        {"frame order and comment",
         {"T", "A", "B", 12, "1999", "Rock", "C"},
         Tag(3, F23("TIT2", Latin1("T")) + F23("TPE1", Latin1("A")) + F23("TALB", Latin1("B")) +
                    F23("TRCK", Latin1("12")) + F23("TYER", Latin1("1999")) +
                    F23("TCON", Latin1("Rock")) + F23("COMM", Comm("", "C")))},
        {"text outside ISO-8859-1 in UTF-16",
         {.title = kOmegaUtf8, .comment = kOmegaUtf8},
         Tag(3,
             F23("TIT2", Bytes({1, 0xFF, 0xFE, 0xA9, 0x03})) +
                 F23("COMM", Bytes({1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 0xA9, 0x03})))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const std::string& old : {std::string(), Tag(3, F23("TIT2", Latin1("Old"))),
                                       Tag(4, F24("TIT2", Latin1("Old")), 0x40 /* bogus */),
                                       Tag(2, F22("TT2", Latin1("Old")))}) {
            const std::string path = NewDir("v2layout") + "/song.mp3";
            WriteFile(path, old + audio);
            TID3v2 tag;
            tag.SetTitle(c.fields.title);
            tag.SetArtist(c.fields.artist);
            tag.SetAlbum(c.fields.album);
            tag.SetTrack(static_cast<std::uint8_t>(c.fields.track));
            tag.SetYear(c.fields.year);
            tag.SetGenre(c.fields.genre);
            tag.SetComment(c.fields.comment);
            ASSERT_TRUE(tag.WriteTag(path));
            EXPECT_EQ(ReadFile(path), c.tag + audio);
            TID3v2 back;
            ASSERT_TRUE(back.ReadTag(path));
            EXPECT_EQ(back.Version(), 3);
            EXPECT_EQ(back.TagSize(), static_cast<int>(c.tag.size()));
            ExpectFields(back, c.fields);
        }
    }
}

TEST(ID3v2, WritingKeepsTheOtherFrames) {
    const std::string audio = Audio(5000);
    const std::string picture = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD9});
    const std::string apic23 = F23("APIC", std::string("\0image/jpeg\0\x03"
                                                       "Cover\0",
                                                       19) +
                                               picture);
    const std::string described = F23("COMM", Comm("Custom", "described"));
    const std::string itunes = F23("COMM", Comm("iTunNORM", " 000"));
    const std::string priv = F23("PRIV", std::string("owner\0\x01\x02", 8), 0x40, 0);
    const std::string title = F23("TIT2", Latin1("New"));
    struct Case {
        const char* name;
        std::string oldTag;
        std::string comment; // set before writing
        std::string frames;  // of the tag written
        std::string readComment;
    } cases[] = {
        {"2.3 frames byte for byte, in their order",
         Tag(3, F23("TIT2", Latin1("Old")) + apic23 + F23("COMM", Comm("", "old")) + described +
                    priv + itunes + std::string(100, '\0')),
         "new", title + F23("COMM", Comm("", "new")) + apic23 + described + priv + itunes, "new"},
        {"cleared comment next to a described one: an empty comment says so",
         Tag(3, F23("COMM", Comm("", "old")) + described), "",
         title + F23("COMM", Comm("", "")) + described, ""},
        {"cleared comment next to iTunes data", Tag(3, itunes), "", title + itunes, ""},
        {"2.4 frames converted, the year from the recording time",
         Tag(4, F24("TIT2", Latin1("Old")) + F24("TDRC", Latin1("2004-05")) +
                    F24("APIC", std::string("\x03image/jpeg\0\x03"
                                            "C\0",
                                            15) +
                                    picture) +
                    F24("TSOP", Latin1("sort")) +
                    F24("TPE2", "\x03"
                                "Band") +
                    F24("TXXX", Latin1("x"), 0, 0x02)),
         "new",
         title + F23("TYER", Latin1("2004")) + F23("COMM", Comm("", "new")) +
             F23("APIC", std::string("\x01image/jpeg\0\x03", 13) +
                             Bytes({0xFF, 0xFE, 'C', 0, 0, 0}) + picture) +
             F23("TPE2", Bytes({1, 0xFF, 0xFE, 'B', 0, 'a', 0, 'n', 0, 'd', 0})),
         "new"},
        {"2.2 frames dropped", Tag(2, F22("TT2", Latin1("Old")) + F22("PIC", "JPG\x03\0xx")), "new",
         title + F23("COMM", Comm("", "new")), "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = NewDir("v2keep") + "/song.mp3";
        WriteFile(path, c.oldTag + audio);
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(path));
        tag.SetTitle("New");
        tag.SetComment(c.comment);
        ASSERT_TRUE(tag.WriteTag(path));
        const std::string written = ReadFile(path);
        const std::string expected = Tag(3, c.frames);
        EXPECT_EQ(written.substr(0, expected.size()), expected);
        EXPECT_TRUE(written.size() == expected.size() + audio.size() &&
                    written.compare(expected.size(), audio.size(), audio) == 0)
            << "audio data changed";
        TID3v2 back;
        ASSERT_TRUE(back.ReadTag(path));
        EXPECT_EQ(back.Title(), "New");
        EXPECT_EQ(back.Comment(), c.readComment);
    }
}

TEST(ID3v2, ReplacingAndRemoving) {
    const std::string audio = Audio(3000);
    const std::string oldTag = Tag(3, F23("TIT2", Latin1("Old")));
    TID3v2 tag;
    tag.SetTitle("New");
    std::string newTag;
    ASSERT_TRUE(tag.RenderTag("", newTag));
    const std::string pastEnd = "ID3" + Bytes({3, 0, 0, 0, 0, 0x7F, 0x7F}) + "short";
    const std::string v24Footer = "ID3" + Bytes({4, 0, 0x10, 0, 0, 0, 12}) +
                                  F24("TIT2", Latin1("a")) + "3DI" +
                                  Bytes({4, 0, 0x10, 0, 0, 0, 12});
    struct Case {
        const char* name;
        std::string before;
        bool writeOk;
        std::string afterWrite;
        bool removeOk;
        std::string afterRemove;
    } cases[] = {
        {"no tag: new tag in front; nothing to remove", audio, true, newTag + audio, false, audio},
        {"tag replaced", oldTag + audio, true, newTag + audio, true, audio},
        {"declared size past the end: whole file kept", pastEnd, true, newTag + pastEnd, false,
         pastEnd},
        {"2.4 footer goes with its tag", v24Footer + audio, true, newTag + audio, true, audio},
        {"tag alone", oldTag, true, newTag, true, ""},
        {"shorter than a header", "ID3\x03", false, "ID3\x03", false, "ID3\x03"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = NewDir("v2replace");
        const std::string path = dir + "/it's $(x) \"q\"\n.mp3";
        WriteFile(path, c.before);
        EXPECT_EQ(tag.WriteTag(path), c.writeOk);
        EXPECT_EQ(ReadFile(path), c.afterWrite);
        WriteFile(path, c.before);
        EXPECT_EQ(tag.RemoveTag(path), c.removeOk);
        EXPECT_EQ(ReadFile(path), c.afterRemove);
        // No temporary file stays behind.
        int entries = 0;
        if (DIR* d = ::opendir(dir.c_str())) {
            while (dirent* e = ::readdir(d))
                entries +=
                    std::string_view(e->d_name) != "." && std::string_view(e->d_name) != "..";
            ::closedir(d);
        }
        EXPECT_EQ(entries, 1);
    }
    EXPECT_FALSE(tag.WriteTag(NewDir("v2none") + "/missing.mp3"));
    EXPECT_FALSE(tag.RemoveTag(NewDir("v2none") + "/missing.mp3"));
    EXPECT_FALSE(tag.WriteTag(NewDir("v2folder")));
}

TEST(ID3v2, RewritingKeepsPermissionsLinksAndNames) {
    const std::string audio = Audio(2000);
    TID3v2 tag;
    tag.SetTitle("x");
    struct Case {
        mode_t before;
        mode_t after;
    } modes[] = {{0640, 0640}, {0755, 0755}, {0444, 0644}, {0604, 0604}};
    for (const auto& c : modes) {
        SCOPED_TRACE(c.before);
        const std::string path = NewDir("v2mode") + "/song.mp3";
        WriteFile(path, audio);
        ASSERT_EQ(::chmod(path.c_str(), c.before), 0);
        EXPECT_TRUE(tag.WriteTag(path));
        EXPECT_EQ(ModeOf(path) & 07777, c.after);
    }

    // A file behind a symbolic link is rewritten where it is.
    const std::string dir = NewDir("v2link");
    const std::string real = NewDir("v2target") + "/real.mp3";
    const std::string link = dir + "/link.mp3";
    WriteFile(real, audio);
    ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
    ASSERT_TRUE(tag.WriteTag(link));
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    TID3v2 back;
    ASSERT_TRUE(back.ReadTag(real));
    EXPECT_EQ(back.Title(), "x");
    ASSERT_TRUE(tag.RemoveTag(link));
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    EXPECT_EQ(ReadFile(real), audio);

    // Names that are not UTF-8, and names at the length limit.
    for (const std::string& name :
         {std::string("\xFF\xFE bad.mp3"), std::string(251, 'n') + ".mp3"}) {
        const std::string path = NewDir("v2names") + "/" + name;
        WriteFile(path, audio);
        EXPECT_TRUE(tag.WriteTag(path));
        ASSERT_TRUE(back.ReadTag(path));
        EXPECT_EQ(back.Title(), "x");
    }
}

TEST(ID3v2, AFolderThatCannotBeWrittenLeavesTheFileAlone) {
    const std::string dir = NewDir("v2locked");
    const std::string path = dir + "/song.mp3";
    const std::string before = Tag(3, F23("TIT2", Latin1("Old"))) + Audio(100);
    WriteFile(path, before);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.c_str(), 0555), 0);
    // Root may write into any folder: the writer then runs as "nobody",
    // who may read and write the file but not the folder.
    const bool asRoot = ::geteuid() == 0;
    if (asRoot) {
        ASSERT_EQ(::chmod(tralu::test::TestHome().c_str(), 0711), 0);
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        TID3v2 tag;
        tag.SetTitle("New");
        const bool wrote = tag.WriteTag(path);
        const bool removed = tag.RemoveTag(path);
        ::_exit((wrote ? 1 : 0) | (removed ? 2 : 0));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: WriteTag succeeded, 2: RemoveTag succeeded";
    EXPECT_EQ(ReadFile(path), before);
    ::chmod(dir.c_str(), 0755);
}

TEST(ID3v2, SettersHoldWhatReadingGivesBack) {
    struct {
        std::string input;
        std::string held;
    } cases[] = {
        {"abc \t\n", "abc"},
        {"  lead", "  lead"},
        {std::string("cut\0here", 8), "cut"},
        {"\xFF"
         "ok",
         "\xEF\xBF\xBD"
         "ok"},
        {kOmegaUtf8, kOmegaUtf8},
    };
    for (const auto& c : cases) {
        TID3v2 tag;
        tag.SetTitle(c.input);
        tag.SetComment(c.input);
        EXPECT_EQ(tag.Title(), c.held);
        std::string bytes;
        ASSERT_TRUE(tag.RenderTag("", bytes));
        TID3v2 back;
        ASSERT_TRUE(back.ReadFromBuffer(bytes));
        EXPECT_EQ(back.Title(), c.held);
        EXPECT_EQ(back.Comment(), c.held);
    }
}

} // namespace
