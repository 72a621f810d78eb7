#include "framework/qv_Component.h"
#include "framework/qv_contexte.h"

#include "test_env.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// Windows and controls named like the application's, for the class-name rules.
class TFrmCrateboxMain : public TqvForm {
    Q_OBJECT
public:
    using TqvForm::TqvForm;
};

class TFrmParameters : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
};

namespace {

const QString kInitialKey = QStringLiteral("\\Software\\Quarnet\\Tralu\\Initial");

// Each test has a hive of its own, and a context for an executable named
// "tralu".
class ContexteTest : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        m_dir = QString::fromStdString(tralu::test::TestHome()) + QStringLiteral("/ctx-") +
                QString::fromLatin1(info->name());
        ASSERT_TRUE(QDir().mkpath(m_dir));
        m_hive = m_dir + QStringLiteral("/user.reg");
        qputenv("TRALU_SETTINGS", QFile::encodeName(m_hive));
        m_ctx = std::make_unique<TqvContexte>(QStringLiteral("/usr/bin/tralu"));
    }
    void TearDown() override { m_ctx.reset(); }

    QByteArray HiveBytes() const {
        QFile f(m_hive);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The values of a key as stored, read around the context.
    std::vector<TqvRegValue> Stored(const QString& key) const {
        const TqvRegKey root = TqvRegistry(m_hive).Load();
        const TqvRegKey* k = FindKey(root, SplitKeyPath(key));
        return k ? k->Values : std::vector<TqvRegValue>{};
    }

    QString m_dir;
    QString m_hive;
    std::unique_ptr<TqvContexte> m_ctx;
};

TEST_F(ContexteTest, ValuesReadBackWithTheirTypeOrGiveTheDefault) {
    TqvContexte& c = *m_ctx;
    c.WriteString(QStringLiteral("Empty"), QString());
    c.WriteString(QStringLiteral("Text"), QStringLiteral("a \"b\" \\c\nd é"));
    c.WriteInteger(QStringLiteral("Five"), 5);
    c.WriteInteger(QStringLiteral("Zero"), 0);
    c.WriteInteger(QStringLiteral("Min"), INT_MIN);
    c.WriteBool(QStringLiteral("Flag"), true);
    c.WriteString(QStringLiteral("Width"), QStringLiteral("77"), QStringLiteral("Settings\\Frm"));

    const QString def = QStringLiteral("default");
    EXPECT_EQ(c.ReadString(QStringLiteral("Empty"), def), QString()) << "empty is not missing";
    EXPECT_EQ(c.ReadString(QStringLiteral("TEXT"), def), QStringLiteral("a \"b\" \\c\nd é"));
    EXPECT_EQ(c.ReadString(QStringLiteral("Five"), def), def) << "an integer is not a string";
    EXPECT_EQ(c.ReadString(QStringLiteral("Missing"), def), def);
    EXPECT_EQ(c.ReadString(QStringLiteral("Text"), def, QStringLiteral("NoSuchSection")), def);
    EXPECT_EQ(c.ReadString(QStringLiteral("Missing")), QString());

    EXPECT_EQ(c.ReadInteger(QStringLiteral("Five"), -1), 5);
    EXPECT_EQ(c.ReadInteger(QStringLiteral("Min"), -1), INT_MIN);
    EXPECT_EQ(c.ReadInteger(QStringLiteral("Text"), -1), -1) << "a string is not an integer";
    EXPECT_EQ(c.ReadInteger(QStringLiteral("Missing"), -1), -1);
    EXPECT_EQ(c.ReadInteger(QStringLiteral("Width"), -1, QStringLiteral("Settings\\Frm")), -1);
    EXPECT_EQ(c.ReadString(QStringLiteral("Width"), {}, QStringLiteral("settings\\FRM")),
              QStringLiteral("77"));

    const struct {
        const char* name;
        bool expected;
    } flags[] = {{"Five", true}, {"Zero", false}, {"Min", true},
                 {"Flag", true}, {"Text", false}, {"Missing", false}};
    for (const auto& f : flags)
        EXPECT_EQ(c.ReadBool(QString::fromLatin1(f.name)), f.expected) << f.name;
    c.WriteBool(QStringLiteral("Flag"), false);
    EXPECT_FALSE(c.ReadBool(QStringLiteral("Flag")));
    EXPECT_EQ(c.ReadInteger(QStringLiteral("Flag"), -1), 0) << "flags are integers";
}

TEST_F(ContexteTest, StoreLayout) {
    m_ctx->WriteString(QStringLiteral("MusicRoot"), QStringLiteral("/music"));
    m_ctx->WriteInteger(QStringLiteral("NewDays"), 30);
    m_ctx->WriteBool(QStringLiteral("UseDirDate"), true);
    m_ctx->WriteStrings({QStringLiteral("mp3"), QStringLiteral("ogg")}, QStringLiteral("MusicExt"));
    m_ctx->WriteInteger(QStringLiteral("Left"), 295, QStringLiteral("Settings\\FrmCrateboxMain"));
    EXPECT_EQ(HiveBytes().toStdString(),
              "REGEDIT4\n"
              "\n[HKEY_CURRENT_USER\\Software]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu\\Initial]\n"
              "\"MusicRoot\"=\"/music\"\n"
              "\"NewDays\"=dword:0000001e\n"
              "\"UseDirDate\"=dword:00000001\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu\\Initial\\MusicExt]\n"
              "\"0\"=\"mp3\"\n"
              "\"1\"=\"ogg\"\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu\\Settings]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Quarnet\\Tralu\\Settings\\FrmCrateboxMain]\n"
              "\"Left\"=dword:00000127\n");

    m_ctx->DeleteSection(QStringLiteral("Settings"));
    EXPECT_EQ(
        m_ctx->ReadInteger(QStringLiteral("Left"), -1, QStringLiteral("Settings\\FrmCrateboxMain")),
        -1);
    EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("NewDays"), -1), 30);
}

TEST_F(ContexteTest, ApplicationNameAndKeyPath) {
    const struct {
        const char* executable;
        const char* name;
        const char* key;
    } cases[] = {
        {"/usr/bin/tralu", "tralu", "\\Software\\Quarnet\\Tralu"},
        {"/opt/x/tralu.exe", "tralu", "\\Software\\Quarnet\\Tralu"},
        {"/opt/x/TRALU.EXE", "TRALU", "\\Software\\Quarnet\\Tralu"},
        {"/opt/x/TrAlU", "TrAlU", "\\Software\\Quarnet\\Tralu"},
        {"/opt/x/my.app.exe", "my.app", "\\Software\\Quarnet\\My.app"},
        {"/opt/x/2TRALU", "2TRALU", "\\Software\\Quarnet\\2tralu"},
        {"/opt/x/\xC3\x89"
         "COLE",
         "\xC3\x89"
         "COLE",
         "\\Software\\Quarnet\\\xC3\x89"
         "cole"},
        {"/opt/x/_ABC-D", "_ABC-D", "\\Software\\Quarnet\\_abc-d"},
    };
    for (const auto& c : cases) {
        TqvContexte ctx(QString::fromUtf8(c.executable));
        EXPECT_EQ(ctx.ApplicationName(), QString::fromUtf8(c.name)) << c.executable;
        EXPECT_EQ(ctx.KeyPath(), QString::fromUtf8(c.key)) << c.executable;
    }
    // The running program: its file name, case as on disk.
    TqvContexte running;
    EXPECT_EQ(running.ApplicationName(), QStringLiteral("test_contexte"));
    EXPECT_EQ(running.KeyPath(), QStringLiteral("\\Software\\Quarnet\\Test_contexte"));
}

TEST_F(ContexteTest, OnlyTheFirstInstanceIsTheGlobalOne) {
    EXPECT_EQ(Contexte, m_ctx.get());
    {
        TqvContexte second;
        EXPECT_EQ(Contexte, m_ctx.get());
    }
    EXPECT_EQ(Contexte, nullptr) << "destroying any instance empties it";
    m_ctx.reset();
    TqvContexte again;
    EXPECT_EQ(Contexte, &again);
}

TEST_F(ContexteTest, StringLists) {
    TqvContexte& c = *m_ctx;
    const QString section = QStringLiteral("Settings\\FrmParameters");
    c.WriteStrings({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                   QStringLiteral("Tags"), section);
    c.WriteStrings({QStringLiteral("only")}, QStringLiteral("Tags"), section);
    const auto stored = Stored(kInitialKey.chopped(7) + section + QStringLiteral("\\Tags"));
    ASSERT_EQ(stored.size(), 1u) << "the old items 1 and 2 went with the old key";
    EXPECT_EQ(stored[0].Name, QStringLiteral("0"));

    QStringList target{QStringLiteral("kept")};
    c.ReadStrings(target, QStringLiteral("TAGS"), section);
    EXPECT_EQ(target, (QStringList{QStringLiteral("kept"), QStringLiteral("only")}));

    // A gap ends the list.
    c.WriteString(QStringLiteral("0"), QStringLiteral("x0"), QStringLiteral("Initial\\Gap"));
    c.WriteString(QStringLiteral("1"), QStringLiteral("x1"), QStringLiteral("Initial\\Gap"));
    c.WriteString(QStringLiteral("3"), QStringLiteral("x3"), QStringLiteral("Initial\\Gap"));
    target.clear();
    c.ReadStrings(target, QStringLiteral("Gap"));
    EXPECT_EQ(target, (QStringList{QStringLiteral("x0"), QStringLiteral("x1")}));

    // At most items "0" to "1000".
    QStringList many;
    for (int i = 0; i < 1010; ++i)
        many << QStringLiteral("item %1").arg(i);
    c.WriteStrings(many, QStringLiteral("Many"));
    target.clear();
    c.ReadStrings(target, QStringLiteral("Many"));
    EXPECT_EQ(target, many.mid(0, 1001));

    // An empty list leaves an empty key; a missing list adds nothing.
    c.WriteStrings({}, QStringLiteral("Many"));
    EXPECT_TRUE(TqvRegistry(m_hive).KeyExists(kInitialKey + QStringLiteral("\\Many")));
    EXPECT_TRUE(Stored(kInitialKey + QStringLiteral("\\Many")).empty());
    target = QStringList{QStringLiteral("kept")};
    c.ReadStrings(target, QStringLiteral("Many"));
    c.ReadStrings(target, QStringLiteral("NoSuchList"));
    EXPECT_EQ(target, QStringList{QStringLiteral("kept")});

    // An item of the other type is an error for the caller.
    c.WriteInteger(QStringLiteral("1"), 7, QStringLiteral("Initial\\Gap"));
    target.clear();
    EXPECT_THROW(c.ReadStrings(target, QStringLiteral("Gap")), ERegistryError);
}

TEST_F(ContexteTest, BadHiveGivesDefaultsAndIsKeptAside) {
    m_ctx->WriteString(QStringLiteral("MusicRoot"), QStringLiteral("/music/with a long name"));
    m_ctx->WriteInteger(QStringLiteral("NewDays"), 12);
    const QByteArray good = HiveBytes();
    const QByteArray cases[] = {good.left(good.size() - 7), QByteArray(4000, '\xff')};
    int expectedAside = 0;
    for (const QByteArray& bad : cases) {
        {
            QFile f(m_hive);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bad);
        }
        EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("NewDays"), 30), 30);
        EXPECT_EQ(m_ctx->ReadString(QStringLiteral("MusicRoot")), QString());
        const QStringList aside =
            QDir(m_dir).entryList({QStringLiteral("user.reg.bad-*")}, QDir::Files, QDir::Name);
        ASSERT_EQ(aside.size(), ++expectedAside);
        bool found = false;
        for (const QString& name : aside) {
            QFile f(m_dir + QLatin1Char('/') + name);
            found = found || (f.open(QIODevice::ReadOnly) && f.readAll() == bad);
        }
        EXPECT_TRUE(found) << "the bad file is kept as it was";
        m_ctx->WriteInteger(QStringLiteral("NewDays"), 40);
        EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("NewDays"), 30), 40);
    }
}

TEST_F(ContexteTest, WriteFailuresReachTheCaller) {
    // The hive's folder is a file: nothing can be written there.
    const QString blocker = m_dir + QStringLiteral("/blocker");
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    qputenv("TRALU_SETTINGS", QFile::encodeName(blocker + QStringLiteral("/user.reg")));
    TqvContexte c(QStringLiteral("tralu"));
    EXPECT_THROW(c.WriteString(QStringLiteral("x"), QStringLiteral("y")), ERegistryError);
    EXPECT_THROW(c.WriteInteger(QStringLiteral("x"), 1), ERegistryError);
    EXPECT_THROW(c.WriteStrings({QStringLiteral("a")}, QStringLiteral("L")), ERegistryError);
    EXPECT_EQ(c.ReadString(QStringLiteral("x"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_NO_THROW(c.DeleteSection(QStringLiteral("Initial")));
    // A section name that cannot exist is skipped without a word.
    EXPECT_NO_THROW(
        m_ctx->WriteString(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("bad\nname")));
}

// --- windows -------------------------------------------------------------------

TEST_F(ContexteTest, FormAndImageSections) {
    TFrmCrateboxMain main;
    TFrmParameters dialog;
    QWidget plain;
    EXPECT_EQ(TqvContexte::FormSection(&main, {}), QStringLiteral("Settings\\FrmCrateboxMain"));
    EXPECT_EQ(TqvContexte::FormSection(&dialog, {}), QStringLiteral("Settings\\FrmParameters"));
    EXPECT_EQ(TqvContexte::FormSection(&plain, {}), QStringLiteral("Settings\\Widget"));
    EXPECT_EQ(TqvContexte::FormSection(&main, QStringLiteral("Mine")), QStringLiteral("Mine"));
    main.SettingsName = QStringLiteral("Other");
    EXPECT_EQ(TqvContexte::FormSection(&main, {}), QStringLiteral("Settings\\Other"));
    main.SettingsName.clear();

    auto* named = new TqvImage(&main);
    named->setObjectName(QStringLiteral("ImageCover"));
    auto* unnamed = new TqvImage(new QWidget(&dialog));
    QString cache;
    EXPECT_EQ(TqvContexte::ImageSection(named, cache),
              QStringLiteral("Settings\\FrmCrateboxMain\\ImageCover"));
    EXPECT_EQ(cache, QStringLiteral("Settings\\FrmCrateboxMain\\ImageCover"));
    main.SettingsName = QStringLiteral("Changed");
    EXPECT_EQ(TqvContexte::ImageSection(named, cache),
              QStringLiteral("Settings\\FrmCrateboxMain\\ImageCover"))
        << "computed once per control";
    QString cache2;
    EXPECT_EQ(TqvContexte::ImageSection(unnamed, cache2),
              QStringLiteral("Settings\\FrmParameters\\qvImage"));
    TqvImage alone;
    QString cache3;
    EXPECT_EQ(TqvContexte::ImageSection(&alone, cache3), QString()) << "no owner window";
    EXPECT_EQ(cache3, QString());
}

TEST_F(ContexteTest, GeometryOfANormalWindowRoundTrips) {
    TFrmCrateboxMain saved;
    saved.move(123, 45);
    saved.resize(640, 480);
    saved.show();
    const QRect before = saved.geometry();
    const QPoint pos = saved.pos();
    m_ctx->SaveFormGeometry(&saved);
    const QString s = QStringLiteral("Settings\\FrmCrateboxMain");
    EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Left"), -1, s), pos.x());
    EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Top"), -1, s), pos.y());
    EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Width"), -1, s), 640);
    EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Height"), -1, s), 480);

    TFrmCrateboxMain loaded;
    loaded.resize(300, 200);
    loaded.show();
    m_ctx->LoadFormGeometry(&loaded);
    EXPECT_EQ(loaded.geometry(), before);
    EXPECT_EQ(loaded.pos(), pos);

    // Nothing stored yet: the window keeps its own geometry.
    TFrmParameters fresh;
    fresh.move(7, 8);
    fresh.resize(210, 110);
    m_ctx->LoadFormGeometry(&fresh);
    EXPECT_EQ(fresh.pos(), QPoint(7, 8));
    EXPECT_EQ(fresh.size(), QSize(210, 110));
}

TEST_F(ContexteTest, MinimisedOrMaximisedWindowsNeitherLoadNorSave) {
    const QString s = QStringLiteral("Settings\\FrmCrateboxMain");
    for (const Qt::WindowState state :
         {Qt::WindowMaximized, Qt::WindowMinimized, Qt::WindowFullScreen}) {
        m_ctx->WriteInteger(QStringLiteral("Left"), 11, s);
        m_ctx->WriteInteger(QStringLiteral("Top"), 12, s);
        m_ctx->WriteInteger(QStringLiteral("Height"), 313, s);
        m_ctx->WriteInteger(QStringLiteral("Width"), 414, s);
        const QByteArray stored = HiveBytes();

        TFrmCrateboxMain w;
        w.move(50, 60);
        w.resize(500, 400);
        w.setWindowState(state);
        const QRect before = w.geometry();
        m_ctx->LoadFormGeometry(&w);
        EXPECT_EQ(w.geometry(), before) << state;
        m_ctx->SaveFormGeometry(&w); // its geometry differs from the stored one
        EXPECT_EQ(HiveBytes(), stored) << state;
    }
}

TEST_F(ContexteTest, FixedBorderRestoresOnlyThePosition) {
    const QString s = QStringLiteral("Settings\\FrmParameters");
    for (const bool byProperty : {true, false}) {
        m_ctx->WriteInteger(QStringLiteral("Left"), 21, s);
        m_ctx->WriteInteger(QStringLiteral("Top"), 22, s);
        m_ctx->WriteInteger(QStringLiteral("Height"), 999, s);
        m_ctx->WriteInteger(QStringLiteral("Width"), 888, s);

        TFrmParameters dialog;
        dialog.resize(300, 200);
        if (byProperty)
            dialog.setProperty("qvFixedBorder", true);
        else
            dialog.setFixedSize(300, 200);
        EXPECT_FALSE(HasSizeableBorder(&dialog));
        m_ctx->LoadFormGeometry(&dialog);
        EXPECT_EQ(dialog.pos(), QPoint(21, 22)) << byProperty;
        EXPECT_EQ(dialog.size(), QSize(300, 200)) << byProperty;

        m_ctx->SaveFormGeometry(&dialog);
        EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Height"), -1, s), 200);
        EXPECT_EQ(m_ctx->ReadInteger(QStringLiteral("Width"), -1, s), 300);
    }
    TFrmParameters sizeable;
    EXPECT_TRUE(HasSizeableBorder(&sizeable));
}

// --- two processes --------------------------------------------------------------

constexpr int kKeysPerProcess = 200;

// Run by ProcessesWritingAtOnceLoseNothing in a child process of its own.
TEST(ContexteChild, DISABLED_WriteKeys) {
    const QByteArray hive = qgetenv("TRALU_TEST_HIVE");
    const QString role = QString::fromLatin1(qgetenv("TRALU_TEST_ROLE"));
    ASSERT_FALSE(hive.isEmpty());
    qputenv("TRALU_SETTINGS", hive);
    TqvContexte c(QStringLiteral("tralu"));
    for (int i = 0; i < kKeysPerProcess; ++i) {
        c.WriteInteger(role + QString::number(i), i);
        if (i % 50 == 0)
            c.WriteStrings({role, QString::number(i)}, role + QStringLiteral("List"),
                           QStringLiteral("Settings\\") + role);
    }
}

TEST_F(ContexteTest, ProcessesWritingAtOnceLoseNothing) {
    m_ctx->WriteString(QStringLiteral("Before"), QStringLiteral("kept"));
    std::vector<std::unique_ptr<QProcess>> children;
    for (const QString& role : {QStringLiteral("A"), QStringLiteral("B")}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TRALU_TEST_HIVE"), m_hive);
        env.insert(QStringLiteral("TRALU_TEST_ROLE"), role);
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_also_run_disabled_tests"),
                  QStringLiteral("--gtest_filter=ContexteChild.DISABLED_WriteKeys")});
        children.push_back(std::move(p));
    }
    for (auto& p : children) {
        ASSERT_TRUE(p->waitForFinished(180000));
        EXPECT_EQ(p->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    int missing = 0;
    for (const QString& role : {QStringLiteral("A"), QStringLiteral("B")}) {
        for (int i = 0; i < kKeysPerProcess; ++i)
            missing += m_ctx->ReadInteger(role + QString::number(i), -1) != i;
        QStringList list;
        m_ctx->ReadStrings(list, role + QStringLiteral("List"),
                           QStringLiteral("Settings\\") + role);
        EXPECT_EQ(list, (QStringList{role, QStringLiteral("150")}));
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(m_ctx->ReadString(QStringLiteral("Before")), QStringLiteral("kept"));
    EXPECT_TRUE(ParseHive(HiveBytes()).Ok);
    EXPECT_FALSE(QFileInfo::exists(m_hive + QStringLiteral(".bad"))) << "nothing set aside";
    EXPECT_TRUE(QDir(m_dir).entryList({QStringLiteral("user.reg.bad-*")}).isEmpty());
}

} // namespace

#include "contexte_test.moc"
