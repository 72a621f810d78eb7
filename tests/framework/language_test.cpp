// Caption lists and the language manager: reading the files, translating a
// window, choosing, adding and editing languages in temporary folders.
#include "framework/qv_captionlist.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "framework/qv_tools.h"
#include "platform/shell_services.h"

#include <QAction>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

class RecordingShell : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override {
        opened << url.toLocalFile();
        return true;
    }
    qint64 StartDetached(const QString&, const QStringList&) override { return -1; }
    int RunAndWait(const QString&, const QStringList&) override { return -1; }
    bool MoveToTrash(const QString&) override { return false; }
    QStringList opened;
};

} // namespace

// A small window with one component of each kind the manager translates.
class TFrmSample : public TqvForm {
    Q_OBJECT
public:
    TFrmSample() {
        menu = new QMenu(QStringLiteral("Tools"), this);
        menu->setObjectName(QStringLiteral("cmTools"));
        cmAbout = menu->addAction(QStringLiteral("About"));
        cmAbout->setObjectName(QStringLiteral("cmAbout"));
        auto* separator = menu->addSeparator();
        separator->setObjectName(QStringLiteral("_N1"));
        auto* central = new QWidget(this);
        central->setObjectName(QStringLiteral("_pnMain"));
        setCentralWidget(central);
        auto* layout = new QVBoxLayout(central);
        tabs = new QTabWidget(central);
        tabs->setObjectName(QStringLiteral("PageControl"));
        layout->addWidget(tabs);
        tsMusic = new QWidget(tabs);
        tsMusic->setObjectName(QStringLiteral("tsMusic"));
        tabs->addTab(tsMusic, QStringLiteral("Music"));
        lbRelease = new QLabel(QStringLiteral("Release"), tsMusic);
        lbRelease->setObjectName(QStringLiteral("lbRelease"));
        btPlay = new QPushButton(QStringLiteral("Play"), tsMusic);
        btPlay->setObjectName(QStringLiteral("btPlay"));
        btPlay->setToolTip(QStringLiteral("Play the record"));
        gbNews = new QGroupBox(QStringLiteral("News"), tsMusic);
        gbNews->setObjectName(QStringLiteral("gbNews"));
        _cbID3V1 = new QCheckBox(QStringLiteral("ID3V1"), gbNews);
        _cbID3V1->setObjectName(QStringLiteral("_cbID3V1"));
        _cbID3V1->setToolTip(QStringLiteral("First tag"));
        sbTool = new QToolButton(tsMusic);
        sbTool->setObjectName(QStringLiteral("sbTool"));
        sbTool->setText(QStringLiteral("Tool"));
        auto* unnamed = new QPushButton(QStringLiteral("Nameless"), tsMusic);
        Q_UNUSED(unnamed);
        OnTranslated = [this](TqvForm*) { ++translated; };
    }
    QMenu* menu;
    QAction* cmAbout;
    QTabWidget* tabs;
    QWidget* tsMusic;
    QLabel* lbRelease;
    QPushButton* btPlay;
    QGroupBox* gbNews;
    QCheckBox* _cbID3V1;
    QToolButton* sbTool;
    int translated = 0;
};

namespace {

TEST(CaptionList, ReadsKeysWithoutCaseFirstLineWinsValuesUnchanged) {
    TCaptionList list;
    list.Load("FrmMain.cmAbout.Caption=A=B\r\n"
              "frmmain.CMABOUT.caption=second\n"
              "a comment without equals sign\r"
              "strings.20=  < %d jours\r\n"
              "strings.22=\n"
              "=no key\n"
              "last=no line end");
    EXPECT_EQ(list.Value("FRMMAIN.cmabout.Caption"), "A=B");
    EXPECT_EQ(list.Value("strings.20"), "  < %d jours");
    EXPECT_TRUE(list.Contains("strings.22"));
    EXPECT_EQ(list.Value("strings.22"), "");
    EXPECT_EQ(list.Value(""), "no key");
    EXPECT_EQ(list.Value("last"), "no line end");
    EXPECT_EQ(list.Value("missing"), "");
    EXPECT_EQ(list.Keys(),
              (QStringList{"FrmMain.cmAbout.Caption", "strings.20", "strings.22", "", "last"}));

    // A byte-order mark that an editor put in front does not hide the first key.
    list.Load("\xEF\xBB\xBFstrings.1=Nom :\r\n");
    EXPECT_EQ(list.Value("strings.1"), "Nom :");
}

TEST(CaptionList, BadBytesAndHugeLinesLoadWhatTheyCan) {
    QByteArray bytes = "strings.2=\xC0\xAF\xFF propos\r\n";
    bytes += "strings.3=" + QByteArray(1 << 20, 'x') + "\r\n";
    bytes += QByteArray(1 << 20, '=') + "\n";
    bytes += "strings.4=OK\r\n";
    TCaptionList list;
    list.Load(bytes);
    EXPECT_TRUE(list.Value("strings.2").endsWith(" propos"));
    EXPECT_EQ(list.Value("strings.3").size(), 1 << 20);
    EXPECT_EQ(list.Value("strings.4"), "OK");
}

TEST(CaptionList, WrittenLinesEndWithCrLfAndReadBack) {
    const QByteArray bytes =
        CaptionListBytes({CaptionLine("a.b.Caption", "x=y"), CaptionLine("strings.0", "é")});
    EXPECT_EQ(bytes, QByteArray("a.b.Caption=x=y\r\nstrings.0=\xC3\xA9\r\n"));
    TCaptionList list;
    list.Load(bytes);
    EXPECT_EQ(list.Value("strings.0"), QString::fromUtf8("é"));
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (StringList().Count() == 0)
            qv_str::AppendFrameworkTexts();
        for (int i = 0; i < StringList().Count(); ++i)
            original << StringList().Get(i);
        ASSERT_TRUE(root.isValid());
        shipped = root.filePath("shipped");
        user = root.filePath("user");
        QDir().mkpath(shipped);
    }
    void TearDown() override {
        for (int i = 0; i < original.size(); ++i)
            StringList().Put(i, original[i]);
    }
    std::unique_ptr<TqvLanguage> Make(const QString& userLanguage = "English") {
        auto manager = std::make_unique<TqvLanguage>(userLanguage);
        manager->SetFolders(shipped, user);
        return manager;
    }
    static void Write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Every file below a folder with a digest of its bytes.
    static QStringList Snapshot(const QString& folder) {
        QStringList entries;
        QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            entries << path + " " +
                           QCryptographicHash::hash(Read(path), QCryptographicHash::Md5).toHex();
        }
        entries.sort();
        return entries;
    }

    QTemporaryDir root;
    QString shipped, user;
    QStringList original;
};

TEST_F(LanguageTest, TranslatesEveryKindOfComponentAndFiresOnTranslated) {
    Write(shipped + "/French/CaptionList.txt",
          "frmsample.cmabout.caption=A propos\r\n" // other letter case
          "FrmSample.cmAbout.Caption=second line ignored\r\n"
          "FrmSample.cmTools.Caption=Outils\r\n"
          "FrmSample.tsMusic.Caption=Musique\r\n"
          "FrmSample.lbRelease.Caption=Sortie=Date\r\n"
          "FrmSample.btPlay.Caption=\r\n" // empty: keeps the text
          "FrmSample.btPlay.Hint=Jouer le disque\r\n"
          "FrmSample.gbNews.Caption=Nouveautés\r\n"
          "FrmSample._cbID3V1.Caption=Étiquette 1\r\n" // hand-written line for a "_" name
          "FrmSample.sbTool.Caption=Outil\r\n"
          "FrmSample.nothing.Caption=ignored\r\n"
          "strings.2=  A propos\r\n"
          "strings.3=\r\n"
          "strings.99=out of range\r\n");
    auto manager = Make();
    TFrmSample window;
    manager->EnsureLanguageList();
    ASSERT_EQ(manager->Languages(), (QStringList{"English", "French"}));
    manager->SetLanguage(1);
    EXPECT_EQ(window.cmAbout->text(), "A propos");
    EXPECT_EQ(window.menu->title(), "Outils");
    EXPECT_EQ(window.tabs->tabText(0), "Musique");
    EXPECT_EQ(window.lbRelease->text(), "Sortie=Date");
    EXPECT_EQ(window.btPlay->text(), "Play");
    EXPECT_EQ(window.btPlay->toolTip(), "Jouer le disque");
    EXPECT_EQ(window.gbNews->title(), QString::fromUtf8("Nouveautés"));
    EXPECT_EQ(window._cbID3V1->text(), QString::fromUtf8("Étiquette 1"));
    EXPECT_EQ(window.sbTool->text(), "Outil");
    EXPECT_EQ(StringList().Get(qv_str::About), "  A propos");
    EXPECT_EQ(StringList().Get(qv_str::EditAboutFile), "Edit about file");
    EXPECT_EQ(window.translated, 1);
    EXPECT_EQ(window.windowTitle(), ""); // the window's own title is not translated
}

TEST_F(LanguageTest, WritesNamedCaptionsThenHintsThenNumberedTexts) {
    auto manager = Make();
    TFrmSample window;
    const QString path = root.filePath("out.txt");
    manager->WriteCaptionList(path);
    const QByteArray bytes = Read(path);
    ASSERT_TRUE(bytes.endsWith("\r\n"));
    const QStringList lines = QString::fromUtf8(bytes).split("\r\n", Qt::SkipEmptyParts);
    QStringList expected = {
        "FrmSample.cmTools.Caption=Tools",   "FrmSample.cmAbout.Caption=About",
        "FrmSample.tsMusic.Caption=Music",   "FrmSample.lbRelease.Caption=Release",
        "FrmSample.btPlay.Caption=Play",     "FrmSample.btPlay.Hint=Play the record",
        "FrmSample.gbNews.Caption=News",
        "FrmSample._cbID3V1.Hint=First tag", // no caption line for "_"
        "FrmSample.sbTool.Caption=Tool"};
    for (int i = 0; i < StringList().Count(); ++i)
        expected << QStringLiteral("strings.%1=%2").arg(i).arg(StringList().Get(i));
    EXPECT_EQ(lines, expected);

    // A file that cannot be written is an error with the path in it.
    try {
        manager->WriteCaptionList(root.filePath("missing/folder/out.txt"));
        ADD_FAILURE() << "no error";
    } catch (const EToolsError& e) {
        EXPECT_TRUE(e.Message.contains("missing/folder/out.txt"));
    }
}

TEST_F(LanguageTest, FrenchSpeakingUserStartsInFrenchWhenThereIsOne) {
    struct Case {
        QStringList folders;
        QString userLanguage;
        QString expected;
    };
    const Case cases[] = {
        {{"French", "German"}, "French", "French"},
        {{"Breton", "French"}, "French", "French"}, // not the first folder found
        {{"german"}, "French", "English"},
        {{}, "French", "English"},
        {{"French", "German"}, "German", "English"}, // only French has a default
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folders.join(",").toStdString() + " " + c.userLanguage.toStdString());
        QDir(shipped).removeRecursively();
        for (const QString& f : c.folders)
            QDir().mkpath(shipped + "/" + f);
        auto manager = Make(c.userLanguage);
        manager->EnsureLanguageList();
        EXPECT_EQ(manager->Languages().value(manager->CurrentIndex()), c.expected);
    }
}

TEST_F(LanguageTest, ListsBothFoldersInNameOrderAndReadsTheUsersFirst) {
    Write(shipped + "/French/CaptionList.txt", "strings.2=A propos (livré)\r\n");
    Write(shipped + "/german/CaptionList.txt", "strings.2=Über\r\n");
    Write(user + "/French/CaptionList.txt", "strings.2=A propos (à moi)\r\n");
    Write(user + "/Breton/CaptionList.txt", "strings.2=Diwar-benn\r\n");
    QDir().mkpath(user + "/.hidden");
    auto manager = Make();
    manager->EnsureLanguageList();
    EXPECT_EQ(manager->Languages(), (QStringList{"English", "Breton", "French", "german"}));
    manager->SetLanguage(2);
    EXPECT_EQ(StringList().Get(qv_str::About), QString::fromUtf8("A propos (à moi)"));
    manager->SetLanguage(3);
    EXPECT_EQ(StringList().Get(qv_str::About), QString::fromUtf8("Über"));
}

TEST_F(LanguageTest, OutOfRangeIndexGivesEnglishWithoutLoading) {
    Write(shipped + "/CaptionList.txt", "strings.2=Master\r\n");
    QDir().mkpath(shipped + "/French");
    QDir().mkpath(shipped + "/German");
    auto manager = Make();
    TFrmSample window;
    manager->EnsureLanguageList();
    manager->ForceReload();
    manager->SetLanguage(7);
    EXPECT_EQ(manager->CurrentIndex(), 0);
    EXPECT_EQ(StringList().Get(qv_str::About), "About");
    EXPECT_EQ(window.translated, 0);
    // The reload flag stays: English itself then loads the master.
    manager->SetLanguage(0);
    EXPECT_EQ(StringList().Get(qv_str::About), "Master");
}

TEST_F(LanguageTest, SwitchingToALanguageWithoutListKeepsTheTextsOnScreen) {
    Write(shipped + "/French/CaptionList.txt", "FrmSample.btPlay.Caption=Jouer\r\n");
    QDir().mkpath(shipped + "/German");
    auto manager = Make();
    TFrmSample window;
    manager->EnsureLanguageList();
    manager->SetLanguage(1);
    manager->SetLanguage(2);
    EXPECT_EQ(window.btPlay->text(), "Jouer");
    manager->SetLanguage(0); // no master either
    EXPECT_EQ(window.btPlay->text(), "Jouer");
}

TEST_F(LanguageTest, EditingEnglishWithoutMasterWritesItToTheUsersFolderAndOpensIt) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    const QStringList before = Snapshot(shipped);
    auto manager = Make();
    TFrmSample window;
    manager->EnsureLanguageList();
    manager->EditLanguage();
    const QString master = user + "/CaptionList.txt";
    EXPECT_EQ(shell.opened, QStringList{master});
    const QStringList lines = QString::fromUtf8(Read(master)).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "FrmSample.cmTools.Caption=Tools");
    EXPECT_EQ(lines.last(), QStringLiteral("strings.%1=%2")
                                .arg(StringList().Count() - 1)
                                .arg(StringList().Get(StringList().Count() - 1)));
    // Editing again opens the same file, unchanged.
    Write(master, "strings.2=Mine\r\n");
    manager->EditLanguage();
    EXPECT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(Read(master), "strings.2=Mine\r\n");
    EXPECT_EQ(Snapshot(shipped), before);
}

TEST_F(LanguageTest, EditingAShippedLanguageOpensACopyInTheUsersFolder) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    Write(shipped + "/French/CaptionList.txt", "strings.2=A propos\r\n");
    Write(shipped + "/CaptionList.txt", "strings.2=About\r\n");
    QDir().mkpath(shipped + "/German");
    const QStringList before = Snapshot(shipped);
    auto manager = Make();
    manager->EnsureLanguageList();
    manager->SetLanguage(1);
    manager->EditLanguage();
    EXPECT_EQ(shell.opened, QStringList{user + "/French/CaptionList.txt"});
    EXPECT_EQ(Read(user + "/French/CaptionList.txt"), "strings.2=A propos\r\n");
    // A language without its list starts from the master.
    manager->SetLanguage(2);
    manager->EditLanguage();
    EXPECT_EQ(shell.opened.last(), user + "/German/CaptionList.txt");
    EXPECT_EQ(Read(user + "/German/CaptionList.txt"), "strings.2=About\r\n");
    EXPECT_EQ(Snapshot(shipped), before);
}

TEST_F(LanguageTest, AddingALanguageCopiesTheMasterAndKeepsTheCurrentOneByName) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    Write(shipped + "/CaptionList.txt", "strings.2=About\r\n");
    QDir().mkpath(shipped + "/French");
    const QStringList before = Snapshot(shipped);
    auto manager = Make("French");
    manager->EnsureLanguageList();
    ASSERT_EQ(manager->CurrentIndex(), 1);
    manager->AddLanguage("Breton"); // listed before French
    EXPECT_EQ(Read(user + "/Breton/CaptionList.txt"), "strings.2=About\r\n");
    EXPECT_EQ(shell.opened, QStringList{user + "/Breton/CaptionList.txt"});
    EXPECT_EQ(manager->Languages(), (QStringList{"English", "Breton", "French"}));
    EXPECT_EQ(manager->CurrentLanguageName(), "French");

    manager->AddLanguage("");
    EXPECT_EQ(shell.opened.size(), 1);
    for (const char* bad : {"../escape", "a/b", ".hidden"})
        EXPECT_THROW(manager->AddLanguage(bad), EToolsError) << bad;
    EXPECT_FALSE(QFileInfo::exists(root.filePath("escape")));
    EXPECT_EQ(Snapshot(shipped), before);
}

TEST_F(LanguageTest, AboutFilesFallBackToEnglishAndEditingMakesTheLanguagesOwn) {
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    Write(shipped + "/About.txt", "Tralu\r\n");
    QDir().mkpath(shipped + "/French");
    auto manager = Make("French");
    manager->EnsureLanguageList();
    EXPECT_EQ(manager->AboutFileForShowing(), shipped + "/About.txt");
    const QString edited = manager->AboutFileForEditing();
    EXPECT_EQ(edited, user + "/French/About.txt");
    EXPECT_TRUE(QFileInfo::exists(edited));
    EXPECT_EQ(Read(edited), "");
    EXPECT_EQ(manager->AboutFileForShowing(), edited);

    // A shipped about text of the language is copied for editing.
    Write(shipped + "/French/About.txt", "Bonjour\r\n");
    QFile::remove(edited);
    EXPECT_EQ(Read(manager->AboutFileForEditing()), "Bonjour\r\n");
}

} // namespace

#include "language_test.moc"
