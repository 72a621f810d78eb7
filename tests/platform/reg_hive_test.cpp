#include "platform/reg_hive.h"

#include "test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <climits>

#include <sys/stat.h>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

TqvRegValue Str(const QString& name, const QString& text) {
    TqvRegValue v;
    v.Name = name;
    v.Text = text;
    return v;
}

TqvRegValue Int(const QString& name, qint32 number) {
    TqvRegValue v;
    v.Name = name;
    v.Type = TqvRegDataType::Integer;
    v.Number = number;
    return v;
}

TqvRegKey Key(const QString& name, std::vector<TqvRegValue> values,
              std::vector<TqvRegKey> subKeys = {}) {
    return TqvRegKey{name, std::move(values), std::move(subKeys)};
}

std::string Std(const QByteArray& bytes) {
    return bytes.toStdString();
}

// --- text form ----------------------------------------------------------------

TEST(HiveText, RendersTheRegistryExportForm) {
    TqvRegKey root;
    root.SubKeys.push_back(Key(
        QStringLiteral("Software"), {},
        {Key(QStringLiteral("Quarnet"), {},
             {Key(QStringLiteral("Tralu"), {},
                  {Key(QStringLiteral("Initial"),
                       {Str(QStringLiteral("PlaySong"), QStringLiteral("\"audacious\" C:\\x")),
                        Int(QStringLiteral("NewDays"), 30), Int(QStringLiteral("Neg"), -1)})})})}));
    EXPECT_EQ(Std(RenderHive(root)), "REGEDIT4\n"
                                     "\n[HKEY_CURRENT_USER\\Software]\n"
                                     "\n[HKEY_CURRENT_USER\\Software\\Quarnet]\n"
                                     "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu]\n"
                                     "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu\\Initial]\n"
                                     "\"PlaySong\"=\"\\\"audacious\\\" C:\\\\x\"\n"
                                     "\"NewDays\"=dword:0000001e\n"
                                     "\"Neg\"=dword:ffffffff\n");
}

TEST(HiveText, OddStringsAndNamesReadBackExactly) {
    const QString odd[] = {
        QString(),
        QStringLiteral("plain"),
        QStringLiteral("quote \" and backslash \\ and \\\" both"),
        QStringLiteral("trailing backslash \\"),
        QStringLiteral("line one\nline two\r\nthird\ttabbed"),
        QString::fromUtf8("non-ASCII: é ß 日本 \xF0\x9F\x8E\xB5"),
        QStringLiteral("name=with=equals and ] brackets [x]"),
        QStringLiteral("control \x01\x1f\x7f end"),
        QString(QChar(0)) + QStringLiteral("nul inside") + QChar(0),
        QStringLiteral("\\x41 is not an escape here, \\n neither"),
        QStringLiteral("dword:0000001e"),
    };
    TqvRegKey section = Key(QStringLiteral("Initial"), {});
    int i = 0;
    for (const QString& s : odd) {
        section.Values.push_back(Str(s.isEmpty() ? QStringLiteral("empty") : s, s));
        section.Values.push_back(Str(QStringLiteral("v%1").arg(i++), s));
    }
    for (qint32 n : {0, 1, -1, 30, INT_MAX, INT_MIN})
        section.Values.push_back(Int(QStringLiteral("n%1").arg(n), n));
    section.Values.push_back(Str(QString(), QStringLiteral("unnamed value")));
    TqvRegKey root;
    root.Values.push_back(Str(QStringLiteral("at the root"), QStringLiteral("x")));
    root.SubKeys.push_back(
        Key(QStringLiteral("Software"), {},
            {Key(QStringLiteral("Odd ] key [ \"name\" = é"), {}, {std::move(section)}),
             Key(QStringLiteral("Empty"), {})}));

    const QByteArray text = RenderHive(root);
    const TqvHiveParseResult parsed = ParseHive(text);
    ASSERT_TRUE(parsed.Ok) << parsed.Error.toStdString() << "\n" << Std(text);
    EXPECT_EQ(parsed.Root, root) << Std(text);
    EXPECT_EQ(RenderHive(parsed.Root), text);
    // One line per value: nothing in a value can break a line.  Five keys,
    // the root among them, each with an empty line and its header.
    const qsizetype values = 1 + qsizetype(root.SubKeys[0].SubKeys[0].SubKeys[0].Values.size());
    EXPECT_EQ(text.count('\n'), 1 + 2 * 5 + values);
}

TEST(HiveText, ReadsNamesWithoutRegardToCaseKeepingTheFirstSpelling) {
    const TqvHiveParseResult parsed = ParseHive("\xEF\xBB\xBFREGEDIT4\r\n"
                                                "\r\n"
                                                "[HKEY_CURRENT_USER\\Software\\Quarnet]\r\n"
                                                "\"Name\"=\"first\"\r\n"
                                                "[hkey_current_user\\SOFTWARE\\quarnet\\Sub]\r\n"
                                                "\"x\"=DWORD:1E\r\n"
                                                "[HKEY_CURRENT_USER\\software\\QUARNET]\r\n"
                                                "\"NAME\"=dword:00000005\r\n");
    ASSERT_TRUE(parsed.Ok) << parsed.Error.toStdString();
    const TqvRegKey expected =
        Key({}, {},
            {Key(QStringLiteral("Software"), {},
                 {Key(QStringLiteral("Quarnet"), {Int(QStringLiteral("Name"), 5)},
                      {Key(QStringLiteral("Sub"), {Int(QStringLiteral("x"), 30)})})})});
    EXPECT_EQ(parsed.Root, expected);
    EXPECT_TRUE(FindKey(parsed.Root, SplitKeyPath(QStringLiteral("\\software\\QUARNET\\sub\\"))));
}

TEST(HiveText, RejectsWhatItCannotKeep) {
    struct Case {
        const char* text;
        const char* why;
    };
    const Case cases[] = {
        {"REGEDIT5\n", "wrong header"},
        {"Windows Registry Editor Version 5.00\n", "the UTF-16 form"},
        {"\x01\x02garbage\xff\n", "garbage"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"cut in the mid", "cut inside a line"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:0000", "cut inside a number"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"open\n", "unterminated string"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\\qb\"\n", "unknown escape"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"\\x4\"\n", "short \\x escape"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" b\n", "text after the string"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n", "nine hex digits"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:12g4\n", "not hex"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,02\n", "binary value"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n@=\"default\"\n", "default value"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"\n", "no ="},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n; a comment\n", "comment"},
        {"REGEDIT4\n\"x\"=\"before any key\"\n", "value outside a key"},
        {"REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n", "another root"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A\\\\B]\n", "empty key name"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A\n", "unclosed key"},
        {"REGEDIT4\n\n[-HKEY_CURRENT_USER\\A]\n", "key deletion"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"\xC3\x28\"=\"x\"\n", "invalid UTF-8"},
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"\xED\xA0\x80\"=\"x\"\n", "encoded surrogate"},
    };
    for (const Case& c : cases) {
        const TqvHiveParseResult parsed = ParseHive(QByteArray(c.text));
        EXPECT_FALSE(parsed.Ok) << c.why;
        EXPECT_FALSE(parsed.Error.isEmpty()) << c.why;
        EXPECT_EQ(parsed.Root, TqvRegKey{}) << c.why;
    }
    EXPECT_TRUE(ParseHive(QByteArray()).Ok);
    EXPECT_TRUE(ParseHive("REGEDIT4\n").Ok);
    const TqvHiveParseResult deep =
        ParseHive("REGEDIT4\n[HKEY_CURRENT_USER" + QByteArray("\\a").repeated(100000) + "]\n");
    EXPECT_FALSE(deep.Ok);
}

TEST(HiveText, DefaultPathFollowsTheEnvironment) {
    const QByteArray savedSettings = qgetenv("TRALU_SETTINGS");
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const QByteArray home = qgetenv("HOME");
    const struct {
        const char* settings; // null: unset
        const char* config;
        QString expected;
    } cases[] = {
        {"/elsewhere/my.reg", "/cfg", QStringLiteral("/elsewhere/my.reg")},
        {nullptr, "/cfg", QStringLiteral("/cfg/Quarnet/user.reg")},
        {"", "/cfg", QStringLiteral("/cfg/Quarnet/user.reg")},
        {nullptr, nullptr,
         QString::fromLocal8Bit(home) + QStringLiteral("/.config/Quarnet/user.reg")},
    };
    for (const auto& c : cases) {
        c.settings ? qputenv("TRALU_SETTINGS", c.settings) : qunsetenv("TRALU_SETTINGS");
        c.config ? qputenv("XDG_CONFIG_HOME", c.config) : qunsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(DefaultHivePath(), c.expected);
    }
    qputenv("TRALU_SETTINGS", savedSettings);
    qputenv("XDG_CONFIG_HOME", savedConfig);
}

// --- the accessor over a file ------------------------------------------------------

class HiveFileTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = QString::fromStdString(tralu::test::TestHome()) + QStringLiteral("/hive-") +
                QString::fromLatin1(info->name());
        ASSERT_TRUE(QDir().mkpath(m_dir));
        m_path = m_dir + QStringLiteral("/user.reg");
    }
    QByteArray FileBytes() const {
        QFile f(m_path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void PutFile(const QByteArray& bytes) const {
        QFile f(m_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QStringList SetAside() const {
        return QDir(m_dir).entryList({QStringLiteral("user.reg.bad-*")},
                                     QDir::AllEntries | QDir::System, QDir::Name);
    }

    QString m_dir;
    QString m_path;
};

TEST_F(HiveFileTest, KeysAndValues) {
    TqvRegistry reg(m_path);
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\Quarnet\\Tralu"), false));
    EXPECT_FALSE(QFileInfo::exists(m_path)) << "opening without create writes nothing";

    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Quarnet\\Tralu\\Initial"), true));
    reg.WriteString(QStringLiteral("MusicRoot"), QStringLiteral("/music/\"odd\"\n$x"));
    reg.WriteInteger(QStringLiteral("NewDays"), -7);
    reg.WriteString(QStringLiteral("Empty"), QString());
    reg.CloseKey();

    TqvRegistry other(m_path); // a second accessor sees the file, not a cache
    ASSERT_TRUE(other.OpenKey(QStringLiteral("software\\QUARNET\\tralu\\initial"), false));
    EXPECT_EQ(other.CurrentPath(), QStringLiteral("Software\\Quarnet\\Tralu\\Initial"));
    EXPECT_EQ(other.ReadString(QStringLiteral("musicroot")), QStringLiteral("/music/\"odd\"\n$x"));
    EXPECT_EQ(other.ReadInteger(QStringLiteral("NewDays")), -7);
    EXPECT_EQ(other.ReadString(QStringLiteral("Empty")), QString());
    EXPECT_EQ(other.GetDataType(QStringLiteral("NewDays")), TqvRegDataType::Integer);
    EXPECT_EQ(other.GetDataType(QStringLiteral("nothing")), TqvRegDataType::None);
    EXPECT_THROW(other.ReadString(QStringLiteral("NewDays")), ERegistryError);
    EXPECT_THROW(other.ReadInteger(QStringLiteral("MusicRoot")), ERegistryError);
    EXPECT_THROW(other.ReadString(QStringLiteral("nothing")), ERegistryError);
    EXPECT_EQ(other.GetValueNames(),
              (QStringList{QStringLiteral("MusicRoot"), QStringLiteral("NewDays"),
                           QStringLiteral("Empty")}));

    // A value changes type in place and keeps its first spelling.
    other.WriteString(QStringLiteral("NEWDAYS"), QStringLiteral("text now"));
    EXPECT_EQ(other.GetValueNames()[1], QStringLiteral("NewDays"));
    EXPECT_EQ(other.ReadString(QStringLiteral("NewDays")), QStringLiteral("text now"));

    ASSERT_TRUE(
        reg.OpenKey(QStringLiteral("\\Software\\Quarnet\\Tralu\\Settings\\Frm\\Img"), true));
    EXPECT_TRUE(reg.DeleteKey(QStringLiteral("\\Software\\Quarnet\\TRALU\\settings")));
    EXPECT_FALSE(reg.HasCurrentKey()) << "the open key was inside the deleted one";
    EXPECT_FALSE(reg.KeyExists(QStringLiteral("\\Software\\Quarnet\\Tralu\\Settings\\Frm")));
    EXPECT_TRUE(reg.KeyExists(QStringLiteral("\\Software\\Quarnet\\Tralu\\Initial")));
    EXPECT_FALSE(reg.DeleteKey(QStringLiteral("\\Software\\Quarnet\\Tralu\\Settings")));

    ASSERT_TRUE(reg.OpenKey(QStringLiteral("\\Software\\Quarnet\\Tralu"), false));
    EXPECT_EQ(reg.GetKeyNames(), QStringList{QStringLiteral("Initial")});
    EXPECT_FALSE(reg.OpenKey(QStringLiteral("\\Software\\bad\nname"), true));
    EXPECT_THROW(reg.WriteString(QStringLiteral("x"), QStringLiteral("y")), ERegistryError)
        << "no key is open after a failed open";

    const TqvHiveParseResult onDisk = ParseHive(FileBytes());
    ASSERT_TRUE(onDisk.Ok) << onDisk.Error.toStdString();
    EXPECT_EQ(onDisk.Root, reg.Load());
}

TEST_F(HiveFileTest, BadFileReadsAsEmptyAndIsKeptAside) {
    const QByteArray good = [] {
        TqvRegKey root;
        TqvRegKey* key = CreateKey(root, SplitKeyPath(QStringLiteral("Software\\Quarnet\\A")));
        for (int i = 0; i < 20; ++i)
            key->SetValue(Str(QStringLiteral("name%1").arg(i), QStringLiteral("value %1").arg(i)));
        return RenderHive(root);
    }();
    const QByteArray cases[] = {
        good.left(good.size() / 2),                     // cut in the middle
        QByteArray("\x89PNG\r\n\x1a\n\0\0garbage", 18), // not a hive at all
        good + "\"x\"=\xff\xfe\n",                      // invalid bytes at the end
    };
    for (const QByteArray& bad : cases) {
        for (const QString& old : SetAside())
            QFile::remove(m_dir + QLatin1Char('/') + old);
        PutFile(bad);

        TqvRegistry reg(m_path);
        EXPECT_EQ(reg.Load(), TqvRegKey{});
        EXPECT_FALSE(reg.OpenKey(QStringLiteral("Software\\Quarnet\\A"), false));
        const QStringList aside = SetAside();
        ASSERT_EQ(aside.size(), 1);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^user\\.reg\\.bad-\\d{8}-\\d{6}$"))
                        .match(aside[0])
                        .hasMatch())
            << aside[0].toStdString();
        QFile kept(m_dir + QLatin1Char('/') + aside[0]);
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), bad);

        // The next write starts a new, valid file and leaves the old one alone.
        ASSERT_TRUE(reg.OpenKey(QStringLiteral("Software\\Quarnet\\A"), true));
        reg.WriteInteger(QStringLiteral("n"), 1);
        EXPECT_TRUE(ParseHive(FileBytes()).Ok);
        EXPECT_EQ(SetAside(), aside);
    }

    // A second bad file within the same second never replaces the first,
    // and a folder or a pipe where the file should be is set aside as well.
    PutFile("junk one");
    TqvRegistry(m_path).Load();
    PutFile("junk two");
    TqvRegistry(m_path).Load();
    QFile::remove(m_path);
    ASSERT_TRUE(QDir().mkpath(m_path));
    TqvRegistry(m_path).Load();
    EXPECT_FALSE(QFileInfo::exists(m_path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    TqvRegistry(m_path).Load(); // must not wait for a writer
    EXPECT_FALSE(QFileInfo::exists(m_path));
    EXPECT_EQ(SetAside().size(), 5);
}

} // namespace
