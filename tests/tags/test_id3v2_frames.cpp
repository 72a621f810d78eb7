#include "tags/id3v2_frame.h"
#include "tags/id3v2_layout.h"
#include "tags/tag_text.h"

#include "tag_test_util.h"

#include <gtest/gtest.h>

using namespace tagtest;
using namespace tags::id3v2;

namespace {

const std::string kOmegaUtf8 = "\xCE\xA9";        // U+03A9
const std::string kGrinUtf8 = "\xF0\x9F\x98\x80"; // U+1F600, a surrogate pair in UTF-16

TEST(ID3v2Strings, DecodesTheFourEncodings) {
    struct Case {
        const char* name;
        int encoding;
        std::string bytes;
        std::string text;
        std::size_t consumed;
        bool terminated;
    } cases[] = {
        {"latin1 up to the terminator", 0, std::string("abc\0def", 7), "abc", 4, true},
        {"latin1 to the end", 0, "caf\xE9", "caf\xC3\xA9", 4, false},
        {"utf16 little-endian mark", 1, Bytes({0xFF, 0xFE, 'a', 0, 'b', 0, 0, 0, 'x', 0}), "ab", 8,
         true},
        {"utf16 big-endian mark", 1, Bytes({0xFE, 0xFF, 0, 'a', 0x03, 0xA9}), "a" + kOmegaUtf8, 6,
         false},
        {"utf16 without mark is little-endian", 1, Bytes({'h', 0, 'i', 0}), "hi", 4, false},
        {"utf16 surrogate pair", 1, Bytes({0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}), kGrinUtf8, 6,
         false},
        {"utf16 lone surrogate", 1, Bytes({0xFF, 0xFE, 0x3D, 0xD8, 'a', 0}),
         "\xEF\xBF\xBD"
         "a",
         6, false},
        {"utf16 odd last byte dropped", 1, Bytes({0xFF, 0xFE, 'a', 0, 'b'}), "a", 5, false},
        {"utf16be", 2, Bytes({0, 'a', 0x03, 0xA9, 0, 0}), "a" + kOmegaUtf8, 6, true},
        {"utf8", 3, "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", 5, false},
        {"utf8 that is not valid reads as latin1", 3, "\xE9t\xE9", "\xC3\xA9t\xC3\xA9", 3, false},
        {"unknown encoding", 4, "abc", "", 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedString s = DecodeString(static_cast<std::uint8_t>(c.encoding), c.bytes);
        EXPECT_EQ(s.text, c.text);
        EXPECT_EQ(s.consumed, c.consumed);
        EXPECT_EQ(s.terminated, c.terminated);
    }
}

TEST(ID3v2Frames, TextAndCommentFramesExactBytes) {
    struct Case {
        const char* name;
        std::string rendered;
        std::string expected;
    } cases[] = {
        {"latin1 text", RenderTextFrame("Abc"), Latin1("Abc")},
        {"latin1 accent", RenderTextFrame("\xC3\xA9"), Bytes({0, 0xE9})},
        {"utf16 text, mark, no terminator", RenderTextFrame(kOmegaUtf8 + "a"),
         Bytes({1, 0xFF, 0xFE, 0xA9, 0x03, 'a', 0})},
        {"utf16 surrogates", RenderTextFrame(kGrinUtf8),
         Bytes({1, 0xFF, 0xFE, 0x3D, 0xD8, 0, 0xDE})},
        {"latin1 comment", RenderCommentFrame({"eng", "", "hi"}),
         Bytes({0, 'e', 'n', 'g', 0, 'h', 'i'})},
        {"utf16 comment: empty description with mark and terminator",
         RenderCommentFrame({"eng", "", kOmegaUtf8}),
         Bytes({1, 'e', 'n', 'g', 0xFF, 0xFE, 0, 0, 0xFF, 0xFE, 0xA9, 0x03})},
        {"frame header", RenderFrame(3, "TIT2", "xy"),
         Bytes({'T', 'I', 'T', '2', 0, 0, 0, 2, 0, 0, 'x', 'y'})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rendered, c.expected);
    }

    // Parsing gives back what was rendered.
    for (const std::string& text :
         {std::string("Abc"), kOmegaUtf8 + "a", kGrinUtf8, std::string()}) {
        EXPECT_EQ(ParseTextFrame(RenderTextFrame(text)), text);
        CommentFrame comment;
        ASSERT_TRUE(ParseCommentFrame(RenderCommentFrame({"fra", "desc" + text, text}), comment));
        EXPECT_EQ(comment.language, "fra");
        EXPECT_EQ(comment.description, "desc" + text);
        EXPECT_EQ(comment.text, text);
    }
    // A comment frame too short for its language, and one without text.
    CommentFrame comment;
    EXPECT_FALSE(ParseCommentFrame(Bytes({0, 'e', 'n'}), comment));
    ASSERT_TRUE(ParseCommentFrame(Bytes({0, 'e', 'n', 'g'}), comment));
    EXPECT_EQ(comment.text, "");
    // A text frame holds the whole text, however long.
    const std::string longText(5000, 'L');
    EXPECT_EQ(ParseTextFrame(Latin1(longText)), longText);
}

TEST(ID3v2Layout, ParsesFramesOfEachVersion) {
    const std::string twoHundred(200, 'x');
    struct Case {
        const char* name;
        int version;
        int flags;
        std::string body;
        std::vector<std::pair<std::string, std::string>> frames; // id, data
    } cases[] = {
        {"2.2 frames",
         2,
         0,
         F22("TT2", Latin1("T")) + F22("COM", Latin1("engc")),
         {{"TT2", Latin1("T")}, {"COM", Latin1("engc")}}},
        {"2.2 compression: unreadable", 2, 0x40, F22("TT2", Latin1("T")), {}},
        {"2.3 frames then padding",
         3,
         0,
         F23("TIT2", Latin1("a")) + F23("TPE1", "") + std::string(20, '\0'),
         {{"TIT2", Latin1("a")}, {"TPE1", ""}}},
        {"2.3 unsynchronised tag",
         3,
         0x80,
         "TIT2" + Be32(3) + Bytes({0, 0, 0, 0xFF, 0x00, 0xE9}),
         {{"TIT2", Bytes({0, 0xFF, 0xE9})}}},
        {"2.3 extended header",
         3,
         0x40,
         Be32(6) + std::string(6, '\0') + F23("TIT2", Latin1("a")),
         {{"TIT2", Latin1("a")}}},
        {"2.3 extended header past the end", 3, 0x40, Be32(600) + F23("TIT2", Latin1("a")), {}},
        {"2.4 extended header",
         4,
         0x40,
         SyncSafe(6) + Bytes({1, 0}) + F24("TIT2", Latin1("a")),
         {{"TIT2", Latin1("a")}}},
        {"2.4 sync-safe sizes",
         4,
         0,
         F24("TIT2", Latin1(twoHundred)) + F24("TPE1", Latin1("b")),
         {{"TIT2", Latin1(twoHundred)}, {"TPE1", Latin1("b")}}},
        {"2.4 with a plain size",
         4,
         0,
         "TIT2" + Be32(201) + Bytes({0, 0}) + Latin1(twoHundred) + F24("TPE1", Latin1("b")),
         {{"TIT2", Latin1(twoHundred)}, {"TPE1", Latin1("b")}}},
        {"2.4 with a plain size that looks sync-safe",
         4,
         0,
         "TIT2" + Be32(256) + Bytes({0, 0}) + Latin1(std::string(255, 'x')) +
             F24("TPE1", Latin1("b")),
         {{"TIT2", Latin1(std::string(255, 'x'))}, {"TPE1", Latin1("b")}}},
        {"frame past the end stops reading",
         3,
         0,
         F23("TIT2", Latin1("a")) + "TPE1" + Be32(1000) + Bytes({0, 0, 0, 'b'}),
         {{"TIT2", Latin1("a")}}},
        {"identifier not made of capitals",
         3,
         0,
         F23("TIT2", Latin1("a")) + F23("tpe1", Latin1("b")),
         {{"TIT2", Latin1("a")}}},
        {"unknown version", 5, 0, F23("TIT2", Latin1("a")), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Frame> frames = ParseFrames(static_cast<std::uint8_t>(c.version),
                                                      static_cast<std::uint8_t>(c.flags), c.body);
        ASSERT_EQ(frames.size(), c.frames.size());
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].id, c.frames[i].first);
            EXPECT_EQ(frames[i].data, c.frames[i].second);
        }
    }
}

TEST(ID3v2Layout, FrameContentUndoesFrameFlags) {
    struct Case {
        const char* name;
        int version;
        int tagFlags;
        std::string frameBytes;
        std::optional<std::string> content;
    } cases[] = {
        {"2.3 plain", 3, 0, F23("TIT2", Latin1("a")), Latin1("a")},
        {"2.3 grouped", 3, 0, F23("TIT2", "\x07" + Latin1("a"), 0, 0x20), Latin1("a")},
        {"2.3 compressed", 3, 0, F23("TIT2", Be32(2) + "zz", 0, 0x80), std::nullopt},
        {"2.4 data length", 4, 0, F24("TIT2", SyncSafe(2) + Latin1("a"), 0, 0x01), Latin1("a")},
        {"2.4 unsynchronised", 4, 0, F24("TIT2", Bytes({0, 0xFF, 0, 0xE9}), 0, 0x02),
         Bytes({0, 0xFF, 0xE9})},
        {"2.4 encrypted", 4, 0, F24("TIT2", "\x01zz", 0, 0x04), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto frames = ParseFrames(static_cast<std::uint8_t>(c.version), 0, c.frameBytes);
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(FrameContent(static_cast<std::uint8_t>(c.version),
                               static_cast<std::uint8_t>(c.tagFlags), frames[0]),
                  c.content);
    }
}

TEST(ID3v2Layout, CarriesFramesIntoTheRewrite) {
    const std::string picture = Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0, 3, 0xFF, 0xD9});
    struct Case {
        const char* name;
        int version;
        int flags;
        std::string body;
        int newVersion;
        int newFlags;
        std::vector<std::string> frames; // as the rewrite keeps them
    } cases[] = {
        {"2.3 byte for byte, flags too",
         3,
         0,
         F23("PRIV", "owner\0data", 0x40, 0x20) + F23("TIT2", Latin1("a")),
         3,
         0,
         {F23("PRIV", "owner\0data", 0x40, 0x20), F23("TIT2", Latin1("a"))}},
        {"2.3 unsynchronised tag: frames without it",
         3,
         0x80,
         "TIT2" + Be32(3) + Bytes({0, 0, 0, 0xFF, 0x00, 0xE9}),
         3,
         0,
         {F23("TIT2", Bytes({0, 0xFF, 0xE9}))}},
        {"2.4 as stored, frame flags and unsynchronisation too",
         4,
         0,
         F24("APIC", Bytes({0, 0, 0, 0, 9}) + Bytes({0xFF, 0, 0xE0}), 0, 0x03) +
             F24("TSOP", Latin1("x"), 0x40, 0),
         4,
         0,
         {F24("APIC", Bytes({0, 0, 0, 0, 9}) + Bytes({0xFF, 0, 0xE0}), 0, 0x03),
          F24("TSOP", Latin1("x"), 0x40, 0)}},
        {"2.4 unsynchronised as a whole keeps the flag",
         4,
         0x80 | 0x10,
         F24("TIT2", Latin1("a")),
         4,
         0x80,
         {F24("TIT2", Latin1("a"))}},
        {"2.2 text, comment, picture and iTunes frames mapped",
         2,
         0,
         F22("TT2", Latin1("a")) + F22("COM", Latin1("engd\0t")) +
             F22("PIC", std::string("\0JPG\x03", 5) + picture) +
             F22("PIC", std::string("\0bmp\x03", 5) + "b") +
             F22("PIC", std::string("\0-->\x03", 5) + "http://x") + F22("TCP", Latin1("1")) +
             F22("TST", Latin1("s")) + F22("WXX", Latin1("\0http://x")),
         3,
         0,
         {F23("TIT2", Latin1("a")), F23("COMM", Latin1("engd\0t")),
          F23("APIC", std::string("\0image/jpeg\0\x03", 13) + picture),
          F23("APIC", std::string("\0image/bmp\0\x03", 12) + "b"),
          F23("APIC", std::string("\0-->\0\x03", 6) + "http://x"), F23("TCMP", Latin1("1")),
          F23("TSOT", Latin1("s")), F23("WXXX", Latin1("\0http://x"))}},
        {"2.2 frames 2.3 has no name for dropped",
         2,
         0,
         F22("CRM", "owner\0x") + F22("LNK", "TT2url") + F22("ZZZ", "z") + F22("PIC", "\0JP") +
             F22("TP1", Latin1("b")),
         3,
         0,
         {F23("TPE1", Latin1("b"))}},
        {"unknown version: nothing to keep, a 2.3 tag", 5, 0, F23("TIT2", Latin1("a")), 3, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Header header;
        ASSERT_TRUE(ParseHeader(Tag(c.version, "", c.flags), header));
        const TagFrames tag = LoadTagFrames(header, c.body);
        EXPECT_EQ(tag.version, c.newVersion);
        EXPECT_EQ(tag.flags, c.newFlags);
        std::vector<std::string> raws;
        for (const Frame& frame : tag.frames)
            raws.push_back(frame.raw);
        EXPECT_EQ(raws, c.frames);
    }
}

TEST(ID3v2Frames, RewrittenValuesAndEncodings) {
    struct Case {
        const char* name;
        std::string rendered;
        std::string expected;
    } cases[] = {
        {"latin1 kept", ReplaceFirstTextValue(3, Latin1("old"), "new"), Latin1("new")},
        {"latin1 that cannot hold it: utf16", ReplaceFirstTextValue(3, Latin1("old"), kOmegaUtf8),
         Bytes({1, 0xFF, 0xFE, 0xA9, 0x03})},
        {"utf16 kept", ReplaceFirstTextValue(3, Bytes({1, 0xFF, 0xFE, 'o', 0}), "n"),
         Bytes({1, 0xFF, 0xFE, 'n', 0})},
        {"utf8 kept in 2.4, other values too",
         ReplaceFirstTextValue(4,
                               std::string("\x03"
                                           "a\0b\0",
                                           5),
                               kOmegaUtf8),
         "\x03" + kOmegaUtf8 + std::string("\0b", 2)},
        {"utf16be kept in 2.4", ReplaceFirstTextValue(4, Bytes({2, 0, 'o'}), kOmegaUtf8),
         Bytes({2, 0x03, 0xA9})},
        {"utf8 in a 2.3 tag becomes latin1", ReplaceFirstTextValue(3, "\x03old", "new"),
         Latin1("new")},
        {"a leading U+FEFF is not left to a mark-less encoding",
         ReplaceFirstTextValue(4, "\x03old", "\xEF\xBB\xBFx"),
         Bytes({1, 0xFF, 0xFE, 0xFF, 0xFE, 'x', 0})},
        {"a list's other values decide too", ReplaceFirstTextValue(4, Bytes({0, 'a', 0, 'b'}), "n"),
         Bytes({0, 'n', 0, 'b'})},
        {"comment in its own encoding",
         RenderCommentFrame({"fra", "d", "t"}, KeepEncoding(4, kUtf8, {"d", "t"})),
         std::string("\x03"
                     "frad\0t",
                     7)},
        {"unsynchronisation", Unsynchronise(Bytes({0xFF, 0xE0, 0xFF, 0x00, 0xFF, 0x10, 0xFF})),
         Bytes({0xFF, 0, 0xE0, 0xFF, 0, 0x00, 0xFF, 0x10, 0xFF, 0})},
        {"2.4 frame header", RenderFrame(4, "TIT2", std::string(200, 'x'), 0x40, 0x02),
         "TIT2" + Bytes({0, 0, 1, 0x48, 0x40, 0x02}) + std::string(200, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.rendered, c.expected);
    }
    EXPECT_EQ(RemoveUnsynchronisation(Unsynchronise(Bytes({0xFF, 0, 0xFF, 0xFF, 0xE7}))),
              Bytes({0xFF, 0, 0xFF, 0xFF, 0xE7}));
    EXPECT_EQ(ParseTextValues(std::string("\x03"
                                          "a\0b\0\0",
                                          6)),
              (std::vector<std::string>{"a", "b"}));
}

TEST(ID3v2Layout, HeaderSizes) {
    struct Case {
        std::string header;
        std::int64_t fileSize;
        std::int64_t total;
    } cases[] = {
        {"ID3" + Bytes({3, 0, 0, 0, 0, 0, 0x1B}), 37, 37},
        {"ID3" + Bytes({3, 0, 0, 0, 0, 2, 1}), 1000, 267},
        {"ID3" + Bytes({3, 0, 0, 0, 0, 2, 1}), 266, 0},                // past the end
        {"ID3" + Bytes({3, 0, 0, 0, 0, 0x80, 0}), 100000, 16384 + 10}, // bytes taken whole
    };
    for (const auto& c : cases) {
        Header header;
        ASSERT_TRUE(ParseHeader(c.header, header));
        EXPECT_TRUE(header.present);
        EXPECT_EQ(TotalTagSize(header, c.fileSize), c.total);
    }
    Header header;
    EXPECT_FALSE(ParseHeader("ID3\x03\x00", header));
    std::string encoded;
    EXPECT_TRUE(EncodeSyncSafe(0x0FFFFFFF, encoded));
    EXPECT_EQ(encoded, Bytes({0x7F, 0x7F, 0x7F, 0x7F}));
    EXPECT_EQ(DecodeSyncSafe(encoded), 0x0FFFFFFFu);
    EXPECT_FALSE(EncodeSyncSafe(0x10000000, encoded));
}

} // namespace
