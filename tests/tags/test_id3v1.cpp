#include "tags/id3v1.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tagtest;

namespace {

struct ReadCase {
    const char* name;
    std::string file;
    bool ok;
    bool hasTag;
    int version;
    std::string title, artist, album, year, comment;
    int track;
    int genre;
};

TEST(ID3v1, ReadsBlocksAtTheEndOfFiles) {
    const std::string audio = Audio(300);
    const std::string v10 = V1Block("Title", "Artist", "Album", "1999", "A comment", 17);
    std::string v11 = V1Block("T", "A", "B", "2001", "Short", 200);
    v11[126] = 5;
    const std::string blanks = V1Block("abc  \0\0 ", "  abc", "x\x01", "99  ", "", 0);
    const std::string latin1 = V1Block("Caf\xE9", "", "", "", "", 255);
    // A 1.0 comment whose 29th byte is a space and 30th a digit reads as 1.1.
    const std::string spaceSeven = V1Block("", "", "", "", "twenty-eight characters long 7", 1);
    const std::vector<ReadCase> cases = {
        {"tag of a 128-byte file", v10, true, true, 1, "Title", "Artist", "Album", "1999",
         "A comment", 0, 17},
        {"tag after audio", audio + v10, true, true, 1, "Title", "Artist", "Album", "1999",
         "A comment", 0, 17},
        {"version 1.1 with genre 200", audio + v11, true, true, 2, "T", "A", "B", "2001", "Short",
         5, 200},
        {"blanks and zeros cut at the end only", blanks, true, true, 1, "abc", "  abc", "x", "99",
         "", 0, 0},
        {"ISO-8859-1 text", latin1, true, true, 1, "Caf\xC3\xA9", "", "", "", "", 0, 255},
        {"space and digit at the end of a comment", spaceSeven, true, true, 2, "", "", "", "",
         "twenty-eight characters long", '7', 1},
        {"no tag", audio, true, false, 1, "", "", "", "", "", 0, 255},
        {"lower-case tag is no tag", "tag" + v10.substr(3), true, false, 1, "", "", "", "", "", 0,
         255},
        {"file of 127 bytes", v10.substr(0, 127), false, false, 1, "", "", "", "", "", 0, 255},
        {"empty file", "", false, false, 1, "", "", "", "", "", 0, 255},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TID3v1 tag;
        tag.SetTitle("left over");
        tag.SetTrack(9);
        EXPECT_EQ(tag.ReadFromBuffer(c.file), c.ok);
        EXPECT_EQ(tag.HasTag(), c.hasTag);
        EXPECT_EQ(tag.Version(), c.version);
        EXPECT_EQ(tag.Title(), c.title);
        EXPECT_EQ(tag.Artist(), c.artist);
        EXPECT_EQ(tag.Album(), c.album);
        EXPECT_EQ(tag.Year(), c.year);
        EXPECT_EQ(tag.Comment(), c.comment);
        EXPECT_EQ(tag.Track(), c.track);
        EXPECT_EQ(tag.GenreIndex(), c.genre);

        // The file reads the same as the buffer.
        const std::string path = NewDir("v1read") + "/song.mp3";
        WriteFile(path, c.file);
        TID3v1 fromFile;
        EXPECT_EQ(fromFile.ReadTag(path), c.ok);
        EXPECT_EQ(fromFile.Title(), c.title);
        EXPECT_EQ(fromFile.Track(), c.track);
    }
    TID3v1 tag;
    EXPECT_FALSE(tag.ReadTag(NewDir("v1missing") + "/none.mp3"));
    EXPECT_FALSE(tag.ReadTag(NewDir("v1folder")));
}

TEST(ID3v1, SettersKeepWhatTheBlockCanHold) {
    const std::string a29(29, 'a');
    struct Case {
        std::string input;
        std::string title; // limit 30
        std::string year;  // limit 4
    } cases[] = {
        {"abc \t\n\x01", "abc", "abc"},
        {"  lead", "  lead", "  le"},
        {std::string(35, 'x'), std::string(30, 'x'), "xxxx"},
        {"\xE2\x82\xACuro", "?uro", "?uro"},             // the euro sign is not in ISO-8859-1
        {a29 + "\xC3\xA9xyz", a29 + "\xC3\xA9", "aaaa"}, // never cut inside a character
        {a29 + " b", a29, "aaaa"},                       // no blank left at the cut
        {"19  99", "19  99", "19"},
        {"\xFF\xFEok", "??ok", "??ok"}, // bytes that are not UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        TID3v1 tag;
        tag.SetTitle(c.input);
        tag.SetArtist(c.input);
        tag.SetAlbum(c.input);
        tag.SetComment(c.input);
        tag.SetYear(c.input);
        EXPECT_EQ(tag.Title(), c.title);
        EXPECT_EQ(tag.Artist(), c.title);
        EXPECT_EQ(tag.Album(), c.title);
        EXPECT_EQ(tag.Comment(), c.title);
        EXPECT_EQ(tag.Year(), c.year);
        // What the object holds is what reading the written block gives.
        TID3v1 back;
        const auto block = tag.RenderBlock();
        back.ParseBlock(block);
        EXPECT_EQ(back.Title(), tag.Title());
        EXPECT_EQ(back.Year(), tag.Year());
    }
}

TEST(ID3v1, RendersTheExactBlock) {
    TID3v1 tag;
    tag.SetTitle("Caf\xC3\xA9");
    tag.SetArtist("Artist");
    tag.SetComment(std::string(30, 'c'));
    tag.SetGenreIndex(200);
    auto block = tag.RenderBlock();
    std::string expected = V1Block("Caf\xE9", "Artist", "", "", std::string(30, 'c'), 200);
    EXPECT_EQ(std::string(block.begin(), block.end()), expected);

    // A track turns the block into 1.1 and takes the last two comment bytes.
    tag.SetTrack(5);
    block = tag.RenderBlock();
    expected[125] = 0;
    expected[126] = 5;
    EXPECT_EQ(std::string(block.begin(), block.end()), expected);
    TID3v1 back;
    back.ParseBlock(block);
    EXPECT_EQ(back.Version(), 2);
    EXPECT_EQ(back.Track(), 5);
    EXPECT_EQ(back.Comment(), std::string(28, 'c'));
    EXPECT_EQ(back.Year(), "");
    EXPECT_EQ(back.GenreIndex(), 200);
}

TEST(ID3v1, WriteAndRemoveOnFiles) {
    const std::string audio = Audio(500);
    const std::string oldTag = V1Block("Old", "", "", "", "", 3);
    TID3v1 tag;
    tag.SetTitle("New");
    tag.SetTrack(7);
    const auto rendered = tag.RenderBlock();
    const std::string newTag(rendered.begin(), rendered.end());
    struct Case {
        const char* name;
        std::string before;
        bool writeOk;
        std::string afterWrite;
        bool removeOk;
        std::string afterRemove;
    } cases[] = {
        {"no tag: appended, removing changes nothing", audio, true, audio + newTag, true, audio},
        {"tag replaced in place", audio + oldTag, true, audio + newTag, true, audio},
        {"file that is only a tag", oldTag, true, newTag, true, ""},
        {"file shorter than a tag", audio.substr(0, 100), false, audio.substr(0, 100), false,
         audio.substr(0, 100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = NewDir("v1write");
        const std::string path = dir + "/it's $HOME \"q\".mp3";
        WriteFile(path, c.before);
        EXPECT_EQ(tag.WriteTag(path), c.writeOk);
        EXPECT_EQ(ReadFile(path), c.afterWrite);
        WriteFile(path, c.before);
        EXPECT_EQ(tag.RemoveTag(path), c.removeOk);
        EXPECT_EQ(ReadFile(path), c.afterRemove);
    }
    EXPECT_FALSE(tag.WriteTag(NewDir("v1none") + "/missing.mp3"));
    EXPECT_FALSE(tag.RemoveTag(NewDir("v1none") + "/missing.mp3"));
}

TEST(ID3v1, WritesReadOnlyFilesAndFilesBehindLinks) {
    const std::string dir = NewDir("v1perm");
    const std::string path = dir + "/song.mp3";
    const std::string audio = Audio(400);
    WriteFile(path, audio);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TID3v1 tag;
    tag.SetTitle("x");
    EXPECT_TRUE(tag.WriteTag(path));
    EXPECT_EQ(ModeOf(path) & 07777, 0644u); // owner may write now; nothing else changed
    EXPECT_EQ(ReadFile(path).size(), audio.size() + 128);

    const std::string link = dir + "/link.mp3";
    ASSERT_EQ(::symlink("song.mp3", link.c_str()), 0);
    EXPECT_TRUE(tag.RemoveTag(link));
    EXPECT_TRUE(S_ISLNK(ModeOf(link)));
    EXPECT_EQ(ReadFile(path), audio);
}

TEST(ID3v1, GenreTable) {
    ASSERT_EQ(GenreNames.size(), 148u);
    EXPECT_EQ(GenreNames[0], "Blues");
    EXPECT_EQ(GenreNames[17], "Rock");
    EXPECT_EQ(GenreNames[92], "Progessive Rock");
    EXPECT_EQ(GenreNames[123], "A capella");
    EXPECT_EQ(GenreNames[147], "Synthpop");
    EXPECT_EQ(GenreIndexOfName("rOCK"), 17);
    EXPECT_EQ(GenreIndexOfName("Synthpop"), 147);
    EXPECT_EQ(GenreIndexOfName("Rock "), -1);
}

} // namespace
