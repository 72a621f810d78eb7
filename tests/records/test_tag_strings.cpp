// Tag strings, folder names, INI editing, the database line format and the
// tag score: everything that needs no file.
#include "records/cx_database.h"
#include "records/cx_inifile.h"
#include "records/cx_records.h"
#include "records/cx_similarity.h"

#include "records_test_util.h"

#include <gtest/gtest.h>

namespace {

TEST(StripLeadingNumber, Table) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"1999 - First Record", "First Record"},
        {"(1999) Live", "(1999) Live"},
        {"1999 - 2000 Live", "2000 Live"},
        {"01_[intro] x", "intro] x"}, // "[" is a separator as well
        {"03-Song", "Song"},
        {"1999", "1999"},           // ends among the digits
        {"1999 - ", "1999 - "},     // ends among the separators
        {"1999.Live", "1999.Live"}, // "." is not a separator
        {"", ""},
        {"Abbey Road", "Abbey Road"},
        {"７ seven", "７ seven"}, // only ASCII digits count
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripLeadingNumber(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(ParseFolderName, YearIsTheLargestPlausibleRun) {
    const struct {
        const char* name;
        int year;
        const char* record;
    } cases[] = {
        {"1999 - First Record", 1999, "First Record"},
        {"(1999) Live", 1999, "(1999) Live"},
        {"1999 - 2000 Live", 2000, "2000 Live"},
        {"Live 1970 1972 x", 1972, "Live 1970 1972 x"},
        {"Album 2001", 2001, "Album 2001"}, // a final run is examined too
        {"Best of 1985-1990", 1990, "Best of 1985-1990"},
        {"1999", 1999, "1999"},
        {"Live 1899", 0, "Live 1899"}, // not after 1900
        {"1900 x", 0, "x"},
        {"Live 2031", 0, "Live 2031"}, // after the current year
        {"2030 Future", 2030, "Future"},
        {"99999999999 2001", 2001, "2001"}, // too large for 32 bits: 0
        {"x02001y", 2001, "x02001y"},
        {"", 0, ""},
    };
    for (const auto& c : cases) {
        const TFolderNameInfo info = ParseFolderName(QString::fromUtf8(c.name), 2030);
        EXPECT_EQ(info.Year, c.year) << c.name;
        EXPECT_EQ(info.RecordName, QString::fromUtf8(c.record)) << c.name;
    }
}

TEST(TagStrings, SplitFirstTagTakesOneTagAtATime) {
    const struct {
        const char* list;
        std::vector<const char*> tags;
    } cases[] = {
        {"rock; live", {"rock", "live"}},
        {";rock", {";rock"}},
        {"rock;;live", {"rock", ";live"}},
        {" Rock ; Live ;", {"Rock", "Live"}},
        {"   ", {""}},
        {"", {}},
        {"a;b;c", {"a", "b", "c"}},
        {"\ta\t;\x01 b", {"a", "b"}}, // every character up to 32 is a blank
    };
    for (const auto& c : cases) {
        QString list = QString::fromUtf8(c.list);
        QStringList got;
        while (!list.isEmpty())
            got << SplitFirstTag(list);
        QStringList want;
        for (const char* t : c.tags)
            want << QString::fromUtf8(t);
        EXPECT_EQ(got, want) << c.list;
        EXPECT_EQ(SplitTags(QString::fromUtf8(c.list)), want) << c.list;
    }
}

TEST(TagStrings, ContainsTagAndFilters) {
    const struct {
        const char* tag;
        const char* list;
        bool contained;
    } cases[] = {
        {"ROCK", "jazz; rock", true}, {"rock", ";rock", false}, {"live", "Rock ; Live", true},
        {"rock", "", false},          {"", "", false},          {"", "   ", true},
        {"roc", "rock", false},       {"élan", "ÉLAN;x", true}, {"live", "rock;;live", false},
    };
    for (const auto& c : cases) {
        const QString tag = QString::fromUtf8(c.tag), list = QString::fromUtf8(c.list);
        EXPECT_EQ(ContainsTag(tag, list), c.contained) << c.tag << " in " << c.list;
        EXPECT_EQ(PassesTagFilter(list, true, "  " + tag + " "), c.contained) << c.tag;
        EXPECT_TRUE(PassesTagFilter(list, false, tag));
    }
    EXPECT_TRUE(PassesTagFilters("Live;ROCK", true, "rock", true, "live"));
    EXPECT_FALSE(PassesTagFilters("rock", true, "rock", true, "live"));
    EXPECT_TRUE(PassesTagFilters("rock", true, "rock", false, "live"));
    EXPECT_TRUE(PassesTagFilters("", false, "rock", false, "live"));
}

TEST(TagSimilarity, Table) {
    const struct {
        const char* a;
        const char* b;
        int score;
    } cases[] = {
        {"", "rock", -1},
        {"rock", "", -1},
        {"", "", -1},
        {"rock;pop", "rock;jazz;blues", 0},
        {"rock", "pop", -2},
        {"Rock", "rock;Live", 2},
        {"rock;rock", "rock", 6},
        {"rock", "rock;rock", 3}, // not symmetric
        {"rock; live", "LIVE ;Rock", 6},
        {"a;b;c", "a;b;c", 9},
        {" ", " ", 3}, // one empty tag each, and they are equal
    };
    for (const auto& c : cases)
        EXPECT_EQ(TagSimilarity(QString::fromUtf8(c.a), QString::fromUtf8(c.b)), c.score)
            << c.a << " vs " << c.b;
}

TEST(IniFile, ReadValue) {
    const QByteArray ini =
        "Release=1\r\n[Other]\r\nRelease=2\r\n[ INFOS ]\r\n; Release=3\r\n"
        "  release =  1999  \r\nTags=a=b; c\r\nRelease=4\r\n[infos]\r\nRip=x\r\n";
    EXPECT_EQ(IniReadValue(ini, "infos", "Release"), QByteArray("1999"));
    EXPECT_EQ(IniReadValue(ini, "infos", "Tags"), QByteArray("a=b; c"));
    EXPECT_EQ(IniReadValue(ini, "infos", "Rip"), std::nullopt); // only the first section counts
    EXPECT_EQ(IniReadValue(ini, "other", "Release"), QByteArray("2"));
    EXPECT_EQ(IniReadValue(ini, "missing", "Release"), std::nullopt);
    EXPECT_EQ(IniReadValue("", "infos", "Release"), std::nullopt);
}

TEST(IniFile, WriteKeepsOtherLinesAndAppendsNewKeys) {
    const std::vector<std::pair<QByteArray, QByteArray>> values{
        {"Release", "1999"}, {"Tags", "rock; live"}, {"Rip", "21/03/2004"}};
    const struct {
        const char* what;
        QByteArray before;
        QByteArray after;
    } cases[] = {
        {"new file", "", "[infos]\r\nRelease=1999\r\nTags=rock; live\r\nRip=21/03/2004\r\n"},
        {"LF file, other section and odd bytes kept",
         "[a]\nx = \xff\xfe odd ;c\n\n[Infos]\ntags=old\nFoo=bar\n\n[b]\ny=1",
         "[a]\nx = \xff\xfe odd ;c\n\n[Infos]\nTags=rock; live\nFoo=bar\nRelease=1999\n"
         "Rip=21/03/2004\n\n[b]\ny=1"},
        {"section added after a last line without ending", "[a]\r\nx=1",
         "[a]\r\nx=1\r\n[infos]\r\nRelease=1999\r\nTags=rock; live\r\nRip=21/03/2004\r\n"},
        {"existing keys keep their place", "[infos]\r\nRip=1\r\nRelease=2\r\nTags=3\r\n",
         "[infos]\r\nRip=21/03/2004\r\nRelease=1999\r\nTags=rock; live\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniWriteValues(c.before, "infos", values), c.after) << c.what;

    // A line break in a value cannot start a new line (or a new section).
    const QByteArray injected = IniWriteValues("", "infos", {{"Tags", "a\r\n[x]\nb"}});
    EXPECT_EQ(injected, QByteArray("[infos]\r\nTags=a  [x] b\r\n"));
}

TEST(DatabaseLine, FormatAndReadBack) {
    SetShortDateFormat("dd/MM/yyyy");
    const TDateTime rip = 38067; // 21 March 2004
    const QString line = FormatDatabaseLine("Artist A", "First Record", "rock;live", 1999, rip,
                                            "/music/A/Artist A/1999 - First Record");
    EXPECT_EQ(line, "\"Artist A\", \"First Record\", \"rock;live\", \"1999\", \"21/03/2004\", "
                    "\"/music/A/Artist A/1999 - First Record\"");
    const TRecordStruct r = ParseDatabaseLine(line, 0);
    EXPECT_EQ(r.Artist, "Artist A");
    EXPECT_EQ(r.RecordName, "First Record");
    EXPECT_EQ(r.Tags, "rock;live");
    EXPECT_EQ(r.Year, 1999);
    EXPECT_EQ(r.RipDate, rip);
    EXPECT_EQ(r.RipText, "2004/03/21");
    EXPECT_EQ(r.Path, "/music/A/Artist A/1999 - First Record");
    EXPECT_EQ(r.Score, 0);

    // Values that the format must protect come back unchanged.
    const QString odd = QString::fromUtf8("a, \"b\";\"\" c\td $x\nÖ");
    const TRecordStruct o = ParseDatabaseLine(FormatDatabaseLine(odd, odd, odd, -5, rip, odd), 0);
    EXPECT_EQ(o.Artist, odd);
    EXPECT_EQ(o.Tags, odd);
    EXPECT_EQ(o.Path, odd);
    EXPECT_EQ(o.Year, -5);
}

TEST(DatabaseLine, CommaTextRules) {
    const struct {
        const char* line;
        QStringList fields;
    } cases[] = {
        {"a,b", {"a", "b"}},
        {"  a , b ", {"a", "b"}},
        {"a b", {"a", "b"}}, // a blank ends an unquoted field
        {"\"a b\",\"c\"\"d\"", {"a b", "c\"d"}},
        {"\"ab\"cd", {"ab", "cd"}},
        {"\"unclosed, x", {"unclosed, x"}},
        {"a,", {"a", ""}},
        {"a,,b", {"a", "", "b"}},
        {"", {}},
        {"   ", {}},
        {"x\"y", {"x\"y"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitCommaText(QString::fromUtf8(c.line)), c.fields) << c.line;
}

TEST(DatabaseLine, FieldsThatDoNotParse) {
    SetShortDateFormat("dd/MM/yyyy");
    const TRecordStruct r =
        ParseDatabaseLine("\"A\", \"R\", \"\", \"abc\", \"32/13/2004\", \"/p\", \"extra\"", 0);
    EXPECT_EQ(r.Year, 0);
    EXPECT_EQ(r.RipDate, 1.0);
    EXPECT_EQ(r.RipText, "1899/12/31");
    EXPECT_EQ(r.Path, "/p");

    try {
        ParseDatabaseLine("\"A\", \"R\", \"t\", \"1999\", \"21/03/2004\"", 6);
        FAIL() << "a line of five fields must raise";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message.contains("Line 7")) << e.Message.toStdString();
    }
    EXPECT_THROW(ParseDatabaseLine("", 0), EDatabaseError);
    EXPECT_EQ(YmdText(1e300), QString());
    EXPECT_EQ(YmdText(2), "1900/01/01");
}

TEST(DatabaseText, LinesEndAtAnyLineBreakOutsideQuotes) {
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb\rc", {"a", "b", "c"}},
        {"a\r\n\r\nb", {"a", "", "b"}},
        {"\"x\ny\", \"z\"\r\nb\r\n", {"\"x\ny\", \"z\"", "b"}},
        {"\"a\"\"\n\", b\n", {"\"a\"\"\n\", b"}},
        {"q\"\nr\n", {"q\"", "r"}}, // a quote inside a bare field opens nothing
        {"ok\r\n\"broken\r\nnext\r\n", {"ok", "\"broken", "next"}}, // never closed
    };
    for (const auto& c : cases)
        EXPECT_EQ(SplitDatabaseText(QString::fromUtf8(c.text)), c.lines) << c.text;
}

} // namespace
