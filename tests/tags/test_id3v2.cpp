#include "tags/id3v2.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <functional>
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
        {"(4)(17)", "Disco"},
        {"(17)(18)", "Rock"},
        {"(17) Rock", " Rock"},
        {"Rock (live)", "Rock (live)"},
        {"(17)Rock (live)", "Rock (live)"},
        {"(RX)", "Remix"},
        {"(200)", ""},
        {"  Trip-Hop  ", "Trip-Hop"},
        {"(abc", "(abc"},
        {"17", "Rock"},
        {" 18 ", "Techno"},
        {"RX", "Remix"},
        {"200", "200"},
        {"17a", "17a"},
    };
    for (const auto& c : genres)
        EXPECT_EQ(ParseGenreText(c.text), c.genre) << c.text;

    // What an edited track or year puts in place of the old text.
    struct {
        int track;
        const char* old;
        const char* text;
    } trackTexts[] = {{4, "3/12", "4/12"}, {4, "03/12", "04/12"}, {4, "03", "04"},
                      {12, "03", "12"},    {123, "03", "123"},    {4, "", "4"},
                      {4, "A1/9", "4/9"},  {5, " 3 ", "5"},       {7, "007/100", "007/100"}};
    for (const auto& c : trackTexts)
        EXPECT_EQ(RenderTrackText(static_cast<std::uint8_t>(c.track), c.old), c.text) << c.old;
    struct {
        const char* year;
        const char* old;
        const char* text;
    } times[] = {{"2002", "2001-05-06", "2002-05-06"},
                 {"2002", "2001-05-06T10:00", "2002-05-06T10:00"},
                 {"2002", "2001", "2002"},
                 {"2002", "", "2002"},
                 {"85", "2001-05-06", "85"},
                 {"2002", "May 2001", "2002"}};
    for (const auto& c : times)
        EXPECT_EQ(RenderRecordingTime(c.year, c.old), c.text) << c.old;
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
        // Every 2.4 reader takes the year from the recording time.
        {"2.4 recording time wins over a year frame",
         Tag(4, F24("TYER", Latin1("1999")) + F24("TDRC", Latin1("2004-05-06"))),
         true,
         true,
         4,
         10 + 36,
         {.year = "2004"}},
        {"2.3 year frame wins over a recording time",
         Tag(3, F23("TDRC", Latin1("2004")) + F23("TYER", Latin1("1999"))),
         true,
         true,
         3,
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
        // No tag, or one of a version that cannot be read: a new 2.3 tag.
        for (const std::string& old : {std::string(), Tag(5, F23("TIT2", Latin1("Old")))}) {
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

// Unsynchronisation, done here by hand: a zero after every FF that is
// followed by a zero or a byte of E0 or more, or that ends the data.
std::string Unsynced(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next == 0 || next >= 0xE0))
            out += '\0';
    }
    return out;
}

TEST(ID3v2, WritingChangesOnlyTheFramesOfChangedFields) {
    const std::string audio = Audio(5000);
    const std::string picture = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD9});
    const std::string apic23 = F23("APIC", std::string("\0image/jpeg\0\x03"
                                                       "Cover\0",
                                                       19) +
                                               picture);
    const std::string apic24Data = std::string("\x03image/jpeg\0\x03"
                                               "C\xC3\xA9\0",
                                               17) +
                                   picture;
    const std::string described = F23("COMM", Comm("Custom", "described"));
    const std::string itunes = F23("COMM", Comm("iTunNORM", " 000"));
    const std::string priv = F23("PRIV", std::string("owner\0\x01\x02", 8), 0x40, 0);
    const std::string txxx = F23("TXXX", std::string("\0MOOD\0calm", 10));
    const std::string uslt = F23("USLT", std::string("\0eng\0words", 10));
    const std::string newComment23 = F23("COMM", Comm("", "C"));
    const std::string newComment24 = F24("COMM", Comm("", "C"));
    const std::string longText = Latin1("MOOD" + std::string(1, '\0') + std::string(200, 'm'));
    const auto setComment = [](TID3v2& t) { t.SetComment("C"); };
    struct Case {
        const char* name;
        std::string oldTag;
        std::function<void(TID3v2&)> edit;
        std::string newTag;
        std::string title; // read before the edit
        std::string genre; // read before the edit
    } cases[] = {
        {"2.3: track total and padding, other frames and their flags kept",
         Tag(3, F23("TIT2", Latin1("Old")) + F23("TRCK", Latin1("03/12")) + apic23 +
                    F23("COMM", Comm("", "old")) + described + priv + txxx + uslt + itunes +
                    std::string(64, '\0')),
         setComment,
         Tag(3, F23("TIT2", Latin1("Old")) + F23("TRCK", Latin1("03/12")) + apic23 + newComment23 +
                    described + priv + txxx + uslt + itunes),
         "Old", ""},
        {"2.3: a track edit keeps the total and the zeros",
         Tag(3, F23("TRCK", Latin1("03/12")) + F23("TIT2", Latin1("T"))),
         [](TID3v2& t) { t.SetTrack(4); },
         Tag(3, F23("TRCK", Latin1("04/12")) + F23("TIT2", Latin1("T"))), "T", ""},
        {"2.3: the encoding of an edited frame kept",
         Tag(3, F23("TIT2", Bytes({1, 0xFF, 0xFE, 'O', 0, 'l', 0, 'd', 0})) + txxx),
         [](TID3v2& t) { t.SetTitle("New"); },
         Tag(3, F23("TIT2", Bytes({1, 0xFF, 0xFE, 'N', 0, 'e', 0, 'w', 0})) + txxx), "Old", ""},
        {"2.3: genre references kept", Tag(3, F23("TCON", Latin1("(17)(18)"))), setComment,
         Tag(3, newComment23 + F23("TCON", Latin1("(17)(18)"))), "", "Rock"},
        {"2.3: a genre edit rewrites the genre frame", Tag(3, F23("TCON", Latin1("(17)(18)"))),
         [](TID3v2& t) { t.SetGenre("Jazz"); }, Tag(3, F23("TCON", Latin1("Jazz"))), "", "Rock"},
        {"2.3: unsynchronised tag, its frames kept without it",
         Tag(3, Unsynced(F23("TIT2", Latin1("\xFF\xE0x")) + apic23), 0x80), setComment,
         Tag(3, newComment23 + F23("TIT2", Latin1("\xFF\xE0x")) + apic23), "\xC3\xBF\xC3\xA0x", ""},
        {"2.3: cleared comment next to a described one: an empty comment says so",
         Tag(3, F23("COMM", Comm("", "old")) + described), [](TID3v2& t) { t.SetComment(""); },
         Tag(3, F23("COMM", Comm("", "")) + described), "", ""},
        {"2.3: cleared comment next to iTunes data", Tag(3, itunes + F23("COMM", Comm("", "old"))),
         [](TID3v2& t) { t.SetComment(""); }, Tag(3, itunes), "", ""},
        {"2.4 stays 2.4: full date, lists, 2.4-only frames, sync-safe sizes",
         Tag(4, F24("TIT2", "\x03Old") +
                    F24("TPE1", std::string("\x03"
                                            "A1\0A2",
                                            6)) +
                    F24("TCON", std::string("\x03Rock\0Pop", 9)) +
                    F24("TDRC", Latin1("2001-05-06")) + F24("TSOP", Latin1("sort")) +
                    F24("TDRL", Latin1("2002")) + F24("TDOR", Latin1("1999")) +
                    F24("TSST", Latin1("sub")) + F24("TMOO", Latin1("calm")) +
                    F24("APIC", apic24Data) + F24("TXXX", longText)),
         setComment,
         Tag(4, newComment24 + F24("TIT2", "\x03Old") +
                    F24("TPE1", std::string("\x03"
                                            "A1\0A2",
                                            6)) +
                    F24("TCON", std::string("\x03Rock\0Pop", 9)) +
                    F24("TDRC", Latin1("2001-05-06")) + F24("TSOP", Latin1("sort")) +
                    F24("TDRL", Latin1("2002")) + F24("TDOR", Latin1("1999")) +
                    F24("TSST", Latin1("sub")) + F24("TMOO", Latin1("calm")) +
                    F24("APIC", apic24Data) + F24("TXXX", longText)),
         "Old", "Rock"},
        {"2.4: a year edit keeps month, day and encoding",
         Tag(4, F24("TDRC", "\x03"
                            "2001-05-06") +
                    F24("TIT2", Latin1("T"))),
         [](TID3v2& t) { t.SetYear("2002"); },
         Tag(4, F24("TDRC", "\x03"
                            "2002-05-06") +
                    F24("TIT2", Latin1("T"))),
         "T", ""},
        {"2.4: a cleared year goes from both year frames",
         Tag(4, F24("TYER", Latin1("2001")) + F24("TDRC", Latin1("2001-05-06"))),
         [](TID3v2& t) { t.SetYear(""); }, Tag(4, ""), "", ""},
        {"2.4: a new year is a recording time", Tag(4, F24("TIT2", Latin1("T"))),
         [](TID3v2& t) { t.SetYear("1984"); },
         Tag(4, F24("TDRC", Latin1("1984")) + F24("TIT2", Latin1("T"))), "T", ""},
        {"2.4: an artist edit keeps the other values",
         Tag(4, F24("TPE1", std::string("\x03"
                                        "A1\0A2",
                                        6))),
         [](TID3v2& t) { t.SetArtist("B\xC3\xA9"); },
         Tag(4, F24("TPE1", std::string("\x03"
                                        "B\xC3\xA9\0A2",
                                        7))),
         "", ""},
        {"2.4: a bare genre number kept", Tag(4, F24("TCON", Latin1("17"))), setComment,
         Tag(4, newComment24 + F24("TCON", Latin1("17"))), "", "Rock"},
        {"2.4: frames with their own unsynchronisation carried as they are",
         Tag(4, F24("TIT2", Unsynced(Latin1("Ti\xFFtle\xFF")), 0, 0x02) +
                    F24("APIC", Unsynced(apic24Data), 0, 0x02) +
                    F24("PRIV", Unsynced(std::string("owner\0\xFF\xE0\xFF", 9)), 0, 0x03)),
         setComment,
         Tag(4, newComment24 + F24("TIT2", Unsynced(Latin1("Ti\xFFtle\xFF")), 0, 0x02) +
                    F24("APIC", Unsynced(apic24Data), 0, 0x02) +
                    F24("PRIV", Unsynced(std::string("owner\0\xFF\xE0\xFF", 9)), 0, 0x03)),
         "Ti\xC3\xBFtle\xC3\xBF", ""},
        {"2.4 unsynchronised as a whole: an edited frame is unsynchronised too",
         Tag(4, F24("TIT2", Latin1("a")) + F24("TALB", Latin1("b")), 0x80),
         [](TID3v2& t) { t.SetTitle("\xC3\xBF"); },
         Tag(4, F24("TIT2", Bytes({0, 0xFF, 0}), 0, 0x02) + F24("TALB", Latin1("b")), 0x80), "a",
         ""},
        {"2.4: a plain frame size some writers use becomes sync-safe",
         Tag(4, "TXXX" + Be32(static_cast<std::uint32_t>(longText.size())) + Bytes({0, 0}) +
                    longText + F24("TIT2", Latin1("T"))),
         setComment, Tag(4, newComment24 + F24("TXXX", longText) + F24("TIT2", Latin1("T"))), "T",
         ""},
        {"2.2 becomes 2.3, its frames under their 2.3 names",
         Tag(2, F22("TT2", Latin1("Title")) + F22("TRK", Latin1("3/12")) +
                    F22("TCO", Latin1("(17)(18)")) +
                    F22("PIC", std::string("\0JPG\x03"
                                           "Cover\0",
                                           11) +
                                   picture) +
                    F22("PIC", std::string("\0PNG\x04\0", 6) + "png") +
                    F22("COM", Comm("", "old")) + F22("ULT", std::string("\0eng\0words", 10)) +
                    F22("TXX", std::string("\0MOOD\0calm", 10)) + F22("CRM", "secret") +
                    F22("TCP", Latin1("1")) + F22("XYZ", "unknown")),
         setComment,
         Tag(3, F23("TIT2", Latin1("Title")) + F23("TRCK", Latin1("3/12")) +
                    F23("TCON", Latin1("(17)(18)")) + apic23 +
                    F23("APIC", std::string("\0image/png\0\x04\0", 13) + "png") + newComment23 +
                    uslt + txxx + F23("TCMP", Latin1("1"))),
         "Title", "Rock"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = NewDir("v2keep") + "/song.mp3";
        WriteFile(path, c.oldTag + audio);
        TID3v2 tag;
        ASSERT_TRUE(tag.ReadTag(path));
        EXPECT_EQ(tag.Title(), c.title);
        EXPECT_EQ(tag.Genre(), c.genre);
        c.edit(tag);
        ASSERT_TRUE(tag.WriteTag(path));
        const std::string written = ReadFile(path);
        EXPECT_EQ(written.substr(0, c.newTag.size()), c.newTag);
        EXPECT_TRUE(written.size() == c.newTag.size() + audio.size() &&
                    written.compare(c.newTag.size(), audio.size(), audio) == 0)
            << "audio data changed";
        // The object now describes the tag written.
        EXPECT_EQ(tag.Version(), static_cast<int>(c.newTag[3]));
        EXPECT_EQ(tag.TagSize(), static_cast<int>(c.newTag.size()));
        TID3v2 back;
        ASSERT_TRUE(back.ReadTag(path));
        ExpectFields(back, {tag.Title(), tag.Artist(), tag.Album(), tag.Track(), tag.Year(),
                            tag.Genre(), tag.Comment()});
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
        {"2.4 footer goes with its tag; the tag stays 2.4", v24Footer + audio, true,
         Tag(4, F24("TIT2", Latin1("New"))) + audio, true, audio},
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
