#include "framework/qv_tools.h"
#include "lnk_builder.h"
#include "platform/shell_services.h"
#include "temp_folder.h"
#include "test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <unistd.h>
#include <vector>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using ToolsTest = tralu::test::TempFolderTest;

QDateTime Local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::LocalTime);
}

// --- dates ------------------------------------------------------------------

TEST(DateTime, ConversionsFollowTheDayCount) {
    struct Case {
        QDateTime local;
        double value;
    } cases[] = {
        {Local(1899, 12, 31), 1.0},
        {Local(1900, 1, 1, 12), 2.5},
        {Local(2004, 3, 21, 18), 38067.75},
        {Local(1899, 12, 29, 6), -1.25},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(DateTimeFromQDateTime(c.local), c.value) << c.value;
        EXPECT_EQ(QDateTimeFromDateTime(c.value), c.local) << c.value;
    }
    EXPECT_FALSE(QDateTimeFromDateTime(0).isValid());
    EXPECT_EQ(DateTimeFromQDateTime(QDateTime()), 0);
    // A second's worth of rounding noise lands on the right second.
    const double v = DateTimeFromQDateTime(Local(2010, 6, 1, 23, 59, 59));
    EXPECT_EQ(QDateTimeFromDateTime(v + 1e-10), Local(2010, 6, 1, 23, 59, 59));
}

TEST(DateTime, FileTimeToDateUsesTwoSecondStepsWithin1980To2107) {
    struct Case {
        QDateTime local;
        QDateTime expected; // invalid: 0
    } cases[] = {
        {Local(2004, 5, 1, 10, 0, 1), Local(2004, 5, 1, 10, 0, 0)},
        {Local(2004, 5, 1, 10, 0, 0), Local(2004, 5, 1, 10, 0, 0)},
        {Local(2004, 5, 1, 10, 0, 59, 999), Local(2004, 5, 1, 10, 0, 58)},
        {Local(1980, 1, 1), Local(1980, 1, 1)},
        {Local(1979, 12, 31, 23, 59, 59), QDateTime()},
        {Local(2107, 12, 31, 23, 59, 59), Local(2107, 12, 31, 23, 59, 58)},
        {Local(2108, 1, 1), QDateTime()},
        {QDateTime(), QDateTime()},
    };
    for (const auto& c : cases) {
        const TDateTime got = FileTimeToDate(c.local.toUTC());
        if (!c.expected.isValid())
            EXPECT_EQ(got, 0) << c.local.toString().toStdString();
        else
            EXPECT_EQ(QDateTimeFromDateTime(got), c.expected) << c.local.toString().toStdString();
    }
}

TEST(DateTime, DosDateTimePacksDateHighAndTimeLow) {
    EXPECT_EQ(DosDateTime(Local(1980, 1, 1)), 0x00210000u);
    EXPECT_EQ(DosDateTime(Local(2004, 3, 21, 18, 30, 1)), 0x307593C0u);
    EXPECT_EQ(DosDateTime(Local(1979, 12, 31)), 0u);
    EXPECT_EQ(QDateTimeFromDateTime(DosDateTimeToDate(0x307593C0u)), Local(2004, 3, 21, 18, 30));
    EXPECT_EQ(DosDateTimeToDate(0), 0);                       // month 0, day 0
    EXPECT_EQ(DosDateTimeToDate(0x00210000u | 30u << 11), 0); // hour 30
}

TEST(DateTime, EarlierFileDateTakesTheEarlierValidTime) {
    const QDateTime may1 = Local(2004, 5, 1, 9).toUTC();
    const QDateTime may3 = Local(2004, 5, 3, 9).toUTC();
    const QDateTime old = Local(1970, 1, 1, 12).toUTC(); // the DOS format cannot hold it
    const TDateTime d1 = FileTimeToDate(may1);
    const TDateTime d3 = FileTimeToDate(may3);
    EXPECT_EQ(EarlierFileDate(may1, may3), d1); // created 1 May, written 3 May
    EXPECT_EQ(EarlierFileDate(may3, may1), d1); // copied later, written earlier
    EXPECT_EQ(EarlierFileDate(old, may3), d3);
    EXPECT_EQ(EarlierFileDate(may3, old), d3);
    EXPECT_EQ(EarlierFileDate(old, QDateTime()), 0);
}

class DateText : public testing::Test {
protected:
    void SetUp() override {
        SetShortDateFormat(QStringLiteral("dd/MM/yyyy"));
        SetLongTimeFormat(QStringLiteral("HH:mm:ss"));
    }
    void TearDown() override {
        SetShortDateFormat({});
        SetLongTimeFormat({});
    }
};

TEST_F(DateText, WritesShortDateAndLongTimeLeavingOutMidnight) {
    EXPECT_EQ(DateTimeToStr(DateTimeFromQDateTime(Local(2004, 3, 21, 18, 30))),
              QStringLiteral("21/03/2004 18:30:00"));
    EXPECT_EQ(DateTimeToStr(DateTimeFromQDateTime(Local(2004, 3, 21))),
              QStringLiteral("21/03/2004"));
    EXPECT_EQ(DateToStr(DateTimeFromQDateTime(Local(2004, 3, 21, 18, 30))),
              QStringLiteral("21/03/2004"));
    EXPECT_EQ(DateToStr(0), QString());
    EXPECT_EQ(DateTimeToStr(0), QString());
}

TEST_F(DateText, ParsesInTheFormatsOrder) {
    const int thisYear = QDate::currentDate().year();
    struct Case {
        const char* format;
        const char* text;
        bool dateOk;     // TryStrToDate
        bool dateTimeOk; // TryStrToDateTime
        QDateTime expected;
    } cases[] = {
        {"dd/MM/yyyy", "21/03/2004", true, true, Local(2004, 3, 21)},
        {"dd/MM/yyyy", " 1/3/2004 ", true, true, Local(2004, 3, 1)},
        {"dd/MM/yyyy", "21/03/04", true, true, Local(2004, 3, 21)},
        {"dd/MM/yyyy", "21/03", true, true, Local(thisYear, 3, 21)},
        {"dd/MM/yyyy", "21/03/2004 18:30:00", false, true, Local(2004, 3, 21, 18, 30)},
        {"dd/MM/yyyy", "21/03/2004 18:30", false, true, Local(2004, 3, 21, 18, 30)},
        {"dd/MM/yyyy", "21/03/2004 6:30:05 PM", false, true, Local(2004, 3, 21, 18, 30, 5)},
        {"dd/MM/yyyy", "21/03/2004 12:10:00 am", false, true, Local(2004, 3, 21, 0, 10)},
        {"MM/dd/yyyy", "03/21/2004", true, true, Local(2004, 3, 21)},
        {"yyyy-MM-dd", "2004-03-21", true, true, Local(2004, 3, 21)},
        {"dd.MM.yyyy", "21.03.2004 07:05:09", false, true, Local(2004, 3, 21, 7, 5, 9)},
        {"dd/MM/yyyy", "31/02/2004", false, false, {}},
        {"dd/MM/yyyy", "21/ab/2004", false, false, {}},
        {"dd/MM/yyyy", "21/03/2004 25:00:00", false, false, {}},
        {"dd/MM/yyyy", "21/03/2004 18", false, false, {}},
        {"dd/MM/yyyy", "", false, false, {}},
        {"dd/MM/yyyy", "2004", false, false, {}},
        {"dd/MM/yyyy", "21/03/20045", false, false, {}},
        // Month names of the locale (English here), in any case.
        {"d MMM yyyy", "21 Mar 2004", true, true, Local(2004, 3, 21)},
        {"d MMM yyyy", "1 dec 1999", true, true, Local(1999, 12, 1)},
        {"MMM d, yyyy", "Mar 21, 2004", true, true, Local(2004, 3, 21)},
        {"d MMM yyyy", "21 Mar 2004 18:30:05", false, true, Local(2004, 3, 21, 18, 30, 5)},
        {"d MMM yyyy", "21 Mar 2004 6:30 pm", false, true, Local(2004, 3, 21, 18, 30)},
        {"d MMM yyyy", "21 Mar 04", true, true, Local(2004, 3, 21)},
        // A zone after a time is left out; the time is read as written.
        {"dd/MM/yyyy", "21/03/2004 18:30:00 UTC", false, true, Local(2004, 3, 21, 18, 30)},
        {"d MMM yyyy", "21 Mar 2004 18:30:00 CEST", false, true, Local(2004, 3, 21, 18, 30)},
        {"dd/MM/yyyy", "21/03/2004 18:30:00 -05:00", false, true, Local(2004, 3, 21, 18, 30)},
        {"dd/MM/yyyy", "21/03/2004 UTC", false, false, {}},
        {"d MMM yyyy", "21 Mar 2004 UTC", false, false, {}},
        {"d MMM yyyy", "31 Feb 2004", false, false, {}},
        {"d MMM yyyy", "21 Foo 2004", false, false, {}},
    };
    for (const auto& c : cases) {
        SetShortDateFormat(QString::fromLatin1(c.format));
        const std::string what = std::string(c.format) + " <" + c.text + ">";
        TDateTime v = -7;
        EXPECT_EQ(TryStrToDate(QString::fromUtf8(c.text), v), c.dateOk) << what;
        if (c.dateOk) {
            EXPECT_EQ(QDateTimeFromDateTime(v), c.expected) << what;
        }
        v = -7;
        EXPECT_EQ(TryStrToDateTime(QString::fromUtf8(c.text), v), c.dateTimeOk) << what;
        if (c.dateTimeOk) {
            EXPECT_EQ(QDateTimeFromDateTime(v), c.expected) << what;
        }
    }
}

TEST_F(DateText, WrittenTextReadsBack) {
    const QDateTime moments[] = {Local(2004, 3, 21, 18, 30), Local(1999, 12, 31),
                                 Local(2031, 1, 2, 0, 0, 1)};
    for (const char* format : {"dd/MM/yyyy", "M/d/yyyy", "yyyy.MM.dd"}) {
        SetShortDateFormat(QString::fromLatin1(format));
        for (const QDateTime& m : moments) {
            const QString text = DateTimeToStr(DateTimeFromQDateTime(m));
            TDateTime v = 0;
            ASSERT_TRUE(TryStrToDateTime(text, v)) << text.toStdString();
            EXPECT_EQ(QDateTimeFromDateTime(v), m) << text.toStdString();
        }
    }
}

TEST(DateFormat, YearAlwaysHasFourDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"d/M/yy", "d/M/yyyy"},
        {"dd.MM.yyyy", "dd.MM.yyyy"},
        {"yy-MM-dd", "yyyy-MM-dd"},
        {"d 'yy' M y", "d 'yy' M yyyy"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(ForceFourDigitYear(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
    SetShortDateFormat({});
    const QString locale = ShortDateFormat();
    EXPECT_TRUE(locale.contains(QLatin1String("yyyy"))) << locale.toStdString();
}

// --- folder walks -----------------------------------------------------------

TEST(Wildcard, MatchesWithoutRegardToCase) {
    struct Case {
        const char* name;
        const char* wildcard;
        bool match;
    } cases[] = {
        {"song.mp3", "*.mp3", true},
        {"SONG.MP3", "*.mp3", true},
        {"song.mp3.bak", "*.mp3", false},
        {"readme", "*.*", true},
        {"readme", "*", true},
        {"a.b.c", "*.*", true},
        {"Folder.JPG", "folder.jpg", true},
        {"a[1].mp3", "a[1].*", true},
        {"a1.mp3", "a[1].*", false},
        {"ab", "a?", true},
        {"abc", "a?", false},
        {"x+y (1).ogg", "x+y (?).OGG", true},
        {"S.lnk", "*.lnk", true},
        {"S.lnkx", "*.lnk", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesWildcard(QString::fromUtf8(c.name), QString::fromUtf8(c.wildcard)),
                  c.match)
            << c.name << " ~ " << c.wildcard;
}

TEST_F(ToolsTest, ForEachFileReportsMatchingPlainFiles) {
    Write(QStringLiteral("a.mp3"), "12345");
    Write(QStringLiteral("B.MP3"));
    Write(QStringLiteral(".hidden.mp3"));
    Write(QStringLiteral("cover.jpg"));
    MakeDir(QStringLiteral("dir.mp3"));
    Link(Path(QStringLiteral("a.mp3")), QStringLiteral("link.mp3"));
    Link(Path(QStringLiteral("gone.mp3")), QStringLiteral("broken.mp3"));

    QStringList seen;
    ForEachFile(Path(QStringLiteral("*.mp3")), [&](const QString& path, const TFindRecord& f) {
        EXPECT_EQ(path, Path(f.Name));
        EXPECT_FALSE(f.IsDirectory);
        if (f.Name == QLatin1String("a.mp3")) {
            EXPECT_EQ(f.Size, 5);
            EXPECT_FALSE(f.IsSymLink);
            EXPECT_TRUE(f.LastWriteTime.isValid());
            EXPECT_TRUE(f.CreationTime.isValid());
        }
        if (f.Name == QLatin1String("link.mp3")) {
            EXPECT_TRUE(f.IsSymLink);
        }
        seen << f.Name;
    });
    // Listing order: by name without regard to case.
    EXPECT_EQ(seen, QStringList({"a.mp3", "B.MP3", "link.mp3"}));

    int count = 0;
    ForEachFile(Path(QStringLiteral("missing/*")),
                [&](const QString&, const TFindRecord&) { ++count; });
    EXPECT_EQ(count, 0);
}

TEST_F(ToolsTest, ForEachFolderGivesSubFoldersThenShortcutsToFolders) {
    MakeDir(QStringLiteral("root/A"));
    MakeDir(QStringLiteral("root/B"));
    MakeDir(QStringLiteral("root/.hidden"));
    MakeDir(QStringLiteral("T"));
    Write(QStringLiteral("root/song.mp3"));
    Write(QStringLiteral("file.txt"));
    Link(Path(QStringLiteral("T")), QStringLiteral("root/S.lnk"));
    Link(QStringLiteral("../T"), QStringLiteral("root/Rel"));
    Link(Path(QStringLiteral("file.txt")), QStringLiteral("root/ToFile.lnk"));
    Link(Path(QStringLiteral("Missing")), QStringLiteral("root/Missing.lnk"));
    TLnkContent windows;
    windows.LocalBasePath = "D:\\Elsewhere\\T";
    windows.RelativePath = QStringLiteral("..\\T");
    Write(QStringLiteral("root/W.LNK"), BuildLnk(windows));
    TLnkContent toFile;
    toFile.RelativePath = QStringLiteral("..\\file.txt");
    Write(QStringLiteral("root/WFile.lnk"), BuildLnk(toFile));
    Write(QStringLiteral("root/Corrupt.lnk"), "not a shell link at all");

    struct Seen {
        QString path, name, shortcut;
    };
    std::vector<Seen> seen;
    ForEachFolder(Path(QStringLiteral("root/*.*")),
                  [&](const QString& path, const TFindRecord& f, const QString& shortcut) {
                      seen.push_back({path, f.Name, shortcut});
                  });
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ((QStringList{seen[0].name, seen[1].name}), QStringList({"A", "B"}));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(seen[i].path, Path(QStringLiteral("root/") + seen[i].name));
        EXPECT_TRUE(seen[i].shortcut.isEmpty());
    }
    QStringList shortcuts;
    for (size_t i = 2; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].path, Path(QStringLiteral("T")));
        EXPECT_EQ(seen[i].shortcut, Path(QStringLiteral("root/") + seen[i].name));
        shortcuts << seen[i].name;
    }
    EXPECT_EQ(shortcuts, QStringList({"Rel", "S.lnk", "W.LNK"}));
}

TEST_F(ToolsTest, FilesDateRangeSpansTheFilesEarlierTimes) {
    MakeDir(QStringLiteral("rec/sub"));
    const auto setWritten = [&](const QString& rel, const QDateTime& t) {
        Write(rel);
        QFile f(Path(rel));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(t, QFileDevice::FileModificationTime));
    };
    // Written long before they were created here: the write time counts.
    setWritten(QStringLiteral("rec/1.mp3"), Local(2001, 5, 1, 10, 0, 1));
    setWritten(QStringLiteral("rec/2.mp3"), Local(2003, 5, 3, 12));
    setWritten(QStringLiteral("rec/.hidden"), Local(1999, 1, 1));
    setWritten(QStringLiteral("rec/sub/3.mp3"), Local(1998, 1, 1));
    const auto [earliest, latest] = FilesDateRange(Path(QStringLiteral("rec")));
    EXPECT_EQ(QDateTimeFromDateTime(earliest), Local(2001, 5, 1, 10));
    EXPECT_EQ(QDateTimeFromDateTime(latest), Local(2003, 5, 3, 12));

    const auto empty = FilesDateRange(Path(QStringLiteral("rec/sub/none")));
    EXPECT_EQ(empty.first, 0);
    EXPECT_EQ(empty.second, 0);

    const TDateTime folder = FolderDate(Path(QStringLiteral("rec")));
    EXPECT_GT(folder, DateTimeFromQDateTime(Local(2020, 1, 1)));
    EXPECT_EQ(FolderDate(Path(QStringLiteral("nothing"))), 0);
}

// --- shell --------------------------------------------------------------------

class RecordingShell : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override {
        urls.push_back(url);
        return openResult;
    }
    qint64 StartDetached(const QString& program, const QStringList& arguments) override {
        started.push_back(QStringList{program} + arguments);
        return 4242;
    }
    int RunAndWait(const QString& program, const QStringList& arguments) override {
        waited.push_back(QStringList{program} + arguments);
        return 7;
    }
    bool MoveToTrash(const QString& path) override {
        trashed.push_back(path);
        return true;
    }
    bool openResult = true;
    std::vector<QUrl> urls;
    std::vector<QStringList> started, waited;
    std::vector<QString> trashed;
};

TEST(ShellErrorText, GivesTheTableTextOrNothing) {
    const std::pair<int, const char*> table[] = {
        {0, "The operating system is out of memory or resources."},
        {2, "The specified file was not found."},
        {3, "The specified path was not found."},
        {5, "The operating system denied access to the specified file."},
        {8, "There was not enough memory to complete the operation."},
        {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
        {26, "A sharing violation occurred."},
        {27, "The filename association is incomplete or invalid."},
        {28, "The DDE transaction could not be completed because the request timed out."},
        {29, "The DDE transaction failed."},
        {30, "The DDE transaction could not be completed because other DDE transactions were "
             "being processed."},
        {31, "There is no application associated with the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {1, ""},
        {4, ""},
        {33, ""},
        {-1, ""},
    };
    for (const auto& [code, text] : table)
        EXPECT_EQ(ShellErrorText(code), QString::fromUtf8(text)) << code;
}

TEST_F(ToolsTest, ShellOpenRaisesTheShellTexts) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    const auto messageOf = [](const QString& path) {
        try {
            ShellOpen(path);
        } catch (const EToolsError& e) {
            EXPECT_EQ(QString::fromStdString(e.what()), e.Message);
            return e.Message;
        }
        return QStringLiteral("<no error>");
    };
    EXPECT_EQ(messageOf(Path(QStringLiteral("missing.txt"))), ShellErrorText(2));
    EXPECT_EQ(messageOf(QString()), ShellErrorText(2));
    EXPECT_TRUE(shell.urls.empty());

    Write(QStringLiteral("odd $name \"q\".txt"));
    EXPECT_EQ(messageOf(Path(QStringLiteral("odd $name \"q\".txt"))), QStringLiteral("<no error>"));
    ASSERT_EQ(shell.urls.size(), 1u);
    EXPECT_EQ(shell.urls[0], QUrl::fromLocalFile(Path(QStringLiteral("odd $name \"q\".txt"))));

    EXPECT_EQ(messageOf(QStringLiteral("https://example.org/a?b=c d")),
              QStringLiteral("<no error>"));
    EXPECT_EQ(shell.urls.back().scheme(), QStringLiteral("https"));

    Write(QStringLiteral("search.url"),
          "[InternetShortcut]\r\nURL=https://images.example.org/?q=a%20b\r\n");
    EXPECT_EQ(messageOf(Path(QStringLiteral("search.url"))), QStringLiteral("<no error>"));
    EXPECT_EQ(shell.urls.back(), QUrl(QStringLiteral("https://images.example.org/?q=a%20b")));

    shell.openResult = false;
    EXPECT_EQ(messageOf(Path(QStringLiteral("search.url"))), ShellErrorText(31));
}

TEST(RunCommand, ArgumentTextIsOneArgument) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    struct Case {
        const char* command;
        const char* arguments;
        QStringList argv; // empty: cannot start
    } cases[] = {
        {"\"/opt/My Player/player\"",
         "\"/m/A/Artist - Record\"",
         {"/opt/My Player/player", "/m/A/Artist - Record"}},
        {"\"/opt/My Player/player\" --enqueue",
         "\"/m/it's $(rm -rf ~) `x` \"q\".mp3\"",
         {"/opt/My Player/player", "--enqueue", "/m/it's $(rm -rf ~) `x` \"q\".mp3"}},
        {"player", "  /m/-rf; ls  ", {"player", "/m/-rf; ls"}},
        {"player", "\"/m/line\nbreak \"", {"player", "/m/line\nbreak "}},
        {"player", "", {"player"}},
        {"player", " \t\r\n", {"player"}},
        {"  player  \"--a b\" ", "x", {"player", "--a b", "x"}},
        {"", "x", {}},
        {"   ", "x", {}},
    };
    for (const auto& c : cases) {
        shell.started.clear();
        const int pid =
            RunCommand(QString::fromUtf8(c.command), QString::fromUtf8(c.arguments), false);
        if (c.argv.isEmpty()) {
            EXPECT_EQ(pid, -1) << c.command;
            EXPECT_TRUE(shell.started.empty());
            continue;
        }
        EXPECT_EQ(pid, 4242) << c.command;
        ASSERT_EQ(shell.started.size(), 1u) << c.command;
        EXPECT_EQ(shell.started[0], c.argv) << c.command << " / " << c.arguments;
    }
    EXPECT_EQ(RunCommand(QStringLiteral("player"), QStringLiteral("a"), true), 7);
    ASSERT_EQ(shell.waited.size(), 1u);
    EXPECT_EQ(shell.waited[0], QStringList({"player", "a"}));
}

class RunCommandProcess : public ToolsTest {
protected:
    // The recorder, copied into a folder whose name needs quoting.
    QString Recorder() {
        const QString folder = Path(QStringLiteral("my 'player' dir"));
        QDir().mkpath(folder);
        const QString copy = folder + QStringLiteral("/rec order");
        QFile::copy(QStringLiteral(TRALU_ARGV_RECORDER), copy);
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return copy;
    }
    QStringList ReadArgv(const QString& out) {
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(out) && clock.elapsed() < 30000)
            QThread::msleep(20);
        QFile f(out);
        if (!f.open(QIODevice::ReadOnly))
            return {QStringLiteral("<nothing recorded>")};
        QStringList args;
        for (const QByteArray& a : f.readAll().split('\0'))
            args << QFile::decodeName(a);
        args.removeLast(); // after the last terminator
        return args;
    }
};

TEST_F(RunCommandProcess, StartedProgramGetsExactlyOneArgument) {
    const QString recorder = Recorder();
    const QString command = QLatin1Char('"') + recorder + QStringLiteral("\" --fixed");
    const QString odd = Path(QStringLiteral("-lead $(touch pwned) `touch pwned` \"q\" 'a'\nb"));
    const QString out = Path(QStringLiteral("argv1"));
    qputenv("TRALU_ARGV_FILE", QFile::encodeName(out));
    const int pid = RunCommand(command, QLatin1Char('"') + odd + QLatin1Char('"'), false);
    EXPECT_GT(pid, 0);
    EXPECT_EQ(ReadArgv(out), QStringList({"--fixed", odd}));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("pwned"))));
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("pwned")));

    const QString out2 = Path(QStringLiteral("argv2"));
    qputenv("TRALU_ARGV_FILE", QFile::encodeName(out2));
    EXPECT_GT(RunCommand(QLatin1Char('"') + recorder + QLatin1Char('"'), QString(), false), 0);
    EXPECT_EQ(ReadArgv(out2), QStringList());

    // Waiting gives the exit code: the recorder's is its argument count.
    const QString out3 = Path(QStringLiteral("argv3"));
    qputenv("TRALU_ARGV_FILE", QFile::encodeName(out3));
    EXPECT_EQ(RunCommand(command, QStringLiteral("-x"), true), 2);
    EXPECT_EQ(ReadArgv(out3), QStringList({"--fixed", "-x"}));
    qunsetenv("TRALU_ARGV_FILE");

    EXPECT_EQ(RunCommand(Path(QStringLiteral("no such program")), QStringLiteral("a"), false), -1);
    EXPECT_EQ(RunCommand(Path(QStringLiteral("no such program")), QStringLiteral("a"), true), -1);
}

TEST_F(ToolsTest, ShellRecycleMovesToTheTrash) {
    const QString trash =
        QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME")) + QStringLiteral("/Trash/files/");
    MakeDir(QStringLiteral("rec \"1\""));
    Write(QStringLiteral("rec \"1\"/song.mp3"));
    ASSERT_TRUE(ShellRecycle(Path(QStringLiteral("rec \"1\"/")), false, false));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("rec \"1\""))));
    EXPECT_TRUE(QFileInfo::exists(trash + QStringLiteral("rec \"1\"/song.mp3")));
    EXPECT_FALSE(ShellRecycle(Path(QStringLiteral("rec \"1\"")), false, false));

    // Confirmation asked and refused: nothing moves.
    Write(QStringLiteral("keep.txt"));
    QString asked;
    SetShellConfirmation([&](const QString& message) {
        asked = message;
        return false;
    });
    EXPECT_FALSE(ShellRecycle(Path(QStringLiteral("keep.txt")), true, true));
    EXPECT_TRUE(asked.contains(QLatin1String("keep.txt")));
    EXPECT_TRUE(QFileInfo::exists(Path(QStringLiteral("keep.txt"))));
    // Not asked when confirm is false.
    asked.clear();
    EXPECT_TRUE(ShellRecycle(Path(QStringLiteral("keep.txt")), false, false));
    EXPECT_TRUE(asked.isEmpty());
    SetShellConfirmation({});
}

TEST_F(ToolsTest, ShellDeleteRemovesLinksNotTheirTargets) {
    MakeDir(QStringLiteral("outside"));
    Write(QStringLiteral("outside/precious.mp3"));
    MakeDir(QStringLiteral("victim/sub"));
    Write(QStringLiteral("victim/sub/a.mp3"));
    Link(Path(QStringLiteral("outside")), QStringLiteral("victim/sub/to-outside"));
    Link(Path(QStringLiteral("outside")), QStringLiteral("top-link"));

    EXPECT_TRUE(ShellDelete(Path(QStringLiteral("victim"))));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("victim"))));
    EXPECT_TRUE(ShellDelete(Path(QStringLiteral("top-link"))));
    EXPECT_FALSE(QFileInfo(Path(QStringLiteral("top-link"))).isSymLink());
    EXPECT_EQ(Read(QStringLiteral("outside/precious.mp3")), QByteArray("x"));
    EXPECT_FALSE(ShellDelete(Path(QStringLiteral("victim"))));
    EXPECT_FALSE(ShellDelete(QStringLiteral("/")));
    EXPECT_FALSE(ShellDelete(QString()));
}

TEST_F(ToolsTest, ShellCopyCreatesFoldersAndReplacesTargets) {
    Write(QStringLiteral("CaptionList.txt"), "new");
    // Missing folders on the way are made.
    EXPECT_TRUE(ShellCopy(Path(QStringLiteral("CaptionList.txt")),
                          Path(QStringLiteral("Languages/Klingon/CaptionList.txt"))));
    EXPECT_EQ(Read(QStringLiteral("Languages/Klingon/CaptionList.txt")), QByteArray("new"));
    // An existing folder receives the copy under the source's name.
    MakeDir(QStringLiteral("into"));
    EXPECT_TRUE(ShellCopy(Path(QStringLiteral("CaptionList.txt")), Path(QStringLiteral("into"))));
    EXPECT_EQ(Read(QStringLiteral("into/CaptionList.txt")), QByteArray("new"));
    // An existing file is replaced without a question...
    Write(QStringLiteral("old.txt"), "old");
    EXPECT_TRUE(
        ShellCopy(Path(QStringLiteral("CaptionList.txt")), Path(QStringLiteral("old.txt"))));
    EXPECT_EQ(Read(QStringLiteral("old.txt")), QByteArray("new"));
    // ...unless confirmation is asked and refused.
    Write(QStringLiteral("old.txt"), "old");
    SetShellConfirmation([](const QString&) { return false; });
    EXPECT_FALSE(ShellCopy(Path(QStringLiteral("CaptionList.txt")), Path(QStringLiteral("old.txt")),
                           false, true));
    SetShellConfirmation({});
    EXPECT_EQ(Read(QStringLiteral("old.txt")), QByteArray("old"));
    EXPECT_FALSE(ShellCopy(Path(QStringLiteral("none.txt")), Path(QStringLiteral("x.txt"))));
    // A folder copies with its content.
    EXPECT_TRUE(ShellCopy(Path(QStringLiteral("Languages")), Path(QStringLiteral("backup/L2"))));
    EXPECT_EQ(Read(QStringLiteral("backup/L2/Klingon/CaptionList.txt")), QByteArray("new"));
}

// --- paths and characters -------------------------------------------------------

TEST(Paths, BackslashHelpersWorkOnSlashes) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // path, AddBackslash, RemoveBackslash
        {"/music/Rock", "/music/Rock/", "/music/Rock"},
        {"/music/Rock/", "/music/Rock/", "/music/Rock"},
        {"/music/Rock//", "/music/Rock//", "/music/Rock/"},
        {"/", "/", "/"},
        {"", "/", ""},
        {"a", "a/", "a"},
    };
    for (const auto& [path, added, removed] : cases) {
        EXPECT_EQ(AddBackslash(QString::fromUtf8(path)), QString::fromUtf8(added)) << path;
        EXPECT_EQ(RemoveBackslash(QString::fromUtf8(path)), QString::fromUtf8(removed)) << path;
    }
}

TEST(Paths, ApplicationAndTemporaryFolders) {
    EXPECT_TRUE(ApplicationFolder().endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(ApplicationFolder() + QStringLiteral("test_tools")).isExecutable());
    EXPECT_EQ(ApplicationDataPath(QStringLiteral("no/such.file")),
              ApplicationFolder() + QStringLiteral("no/such.file"));
    EXPECT_EQ(ApplicationDataPath(QStringLiteral("test_tools")),
              ApplicationFolder() + QStringLiteral("test_tools"));
    EXPECT_EQ(TempFolder(), QDir::tempPath() + QLatin1Char('/'));
}

TEST(Characters, UpCaseAsciiTouchesOnlyAToZ) {
    const std::pair<char16_t, char16_t> cases[] = {
        {u'a', u'A'}, {u'z', u'Z'}, {u'm', u'M'},           {u'A', u'A'},           {u'{', u'{'},
        {u'`', u'`'}, {u'1', u'1'}, {u'\u00e9', u'\u00e9'}, {u'\u00ff', u'\u00ff'},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(UpCaseAscii(QChar(in)), QChar(out)) << int(in);
        if (in < 0x80) {
            EXPECT_EQ(UpCaseAscii(char(in)), char(out));
        }
    }
    EXPECT_EQ(UpCaseAscii(char(0xE9)), char(0xE9));
    EXPECT_EQ(Min(2, 3), 2);
    EXPECT_EQ(Max(-2, -3), -2);
}

} // namespace
