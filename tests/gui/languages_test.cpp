// The main window's languages, the parameters dialog and the about box,
// driven offscreen with the shipped language files copied to a temporary
// folder.
#include "app/Cratebox_str.h"
#include "app/cx_fParameters.h"
#include "app/cx_record_panel.h"
#include "framework/qv_Component.h"
#include "framework/qv_fBaseAPropos.h"
#include "gui_fixture.h"
#include "platform/shell_services.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>

namespace {

class RecordingShell : public IShellServices {
public:
    bool OpenUrl(const QUrl& url) override {
        opened << (url.isLocalFile() ? url.toLocalFile() : url.toString());
        return true;
    }
    qint64 StartDetached(const QString&, const QStringList&) override { return -1; }
    int RunAndWait(const QString&, const QStringList&) override { return -1; }
    bool MoveToTrash(const QString&) override { return false; }
    QStringList opened;
};

const QString kShippedLanguages = QStringLiteral(TRALU_SOURCE_DIR "/data/Languages");

QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

// The placeholders of a numbered text, in order ("%d%s").
QString Placeholders(const QString& text) {
    QString result;
    for (const QRegularExpressionMatch& m : QRegularExpression("%[ds]").globalMatch(text))
        result += m.captured();
    return result;
}

class LanguagesWindowTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        shipped = dir.filePath("shipped");
        user = dir.filePath("user");
        language->SetFolders(shipped, user);
        for (int i = 0; i < StringList().Count(); ++i)
            original << StringList().Get(i);
    }
    void TearDown() override {
        parameters.reset();
        GuiFixture::TearDown();
        for (int i = 0; i < original.size(); ++i)
            StringList().Put(i, original[i]);
    }
    // The shipped language files in the temporary shipped folder.
    void CopyShippedLanguages() {
        QDirIterator it(kShippedLanguages, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString from = it.next();
            const QString to = shipped + from.mid(kShippedLanguages.size());
            QDir().mkpath(QFileInfo(to).path());
            ASSERT_TRUE(QFile::copy(from, to)) << to.toStdString();
        }
    }
    // The window and the parameters dialog, as the program makes them.
    TFrmCrateboxMain& OpenBoth() {
        TFrmCrateboxMain& w = OpenWindow();
        parameters = std::make_unique<TFrmParameters>();
        return w;
    }
    QStringList LanguageMenu() const {
        QStringList items;
        for (QAction* a : window->cmLanguageList->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return items;
    }
    // Runs the parameters dialog: edit changes the fields, then OK (or
    // Cancel) is pressed; refused tells whether OK left the dialog open.
    void RunParameters(const std::function<void(TFrmParameters&)>& edit, bool ok,
                       bool* refused = nullptr) {
        QTimer::singleShot(0, [&] {
            TFrmParameters& d = *FrmParameters;
            edit(d);
            if (ok) {
                d.BtOK->click();
                if (refused)
                    *refused = d.isVisible();
            }
            if (d.isVisible())
                d.BtCancel->click();
        });
        window->cmParametersClick();
    }

    QString shipped, user;
    QStringList original;
    std::unique_ptr<TFrmParameters> parameters;
};

TEST_F(LanguagesWindowTest, CaptionListFilesMatchTheWindows) {
    OpenBoth();
    // The master is what the windows show as designed: run
    // tools/update-caption-list after adding a component with a caption.
    const QStringList lines = TqvLanguage::CaptionListLines();
    const QStringList master = FileLines(kShippedLanguages + "/CaptionList.txt");
    EXPECT_EQ(lines, master) << "data/Languages/CaptionList.txt is out of date: run "
                                "tools/update-caption-list";
    ASSERT_EQ(lines.filter(QRegularExpression("^strings\\.")).size(), 32);

    TCaptionList french;
    QFile file(kShippedLanguages + "/French/CaptionList.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    french.Load(file.readAll());
    for (const QString& line : lines) {
        const QString key = line.section('=', 0, 0);
        const QString english = line.section('=', 1);
        EXPECT_FALSE(french.Value(key).isEmpty()) << "French lacks " << key.toStdString();
        EXPECT_EQ(Placeholders(french.Value(key)), Placeholders(english)) << key.toStdString();
    }
}

TEST_F(LanguagesWindowTest, StoredFrenchTranslatesEveryWindowAndTheMenuSwitchesBack) {
    CopyShippedLanguages();
    contexte->WriteInteger("Language", 1);
    TFrmCrateboxMain& w = OpenBoth();
    EXPECT_EQ(w.tbAll->text(), "Tout"); // numbered text 22, set again after translation
    EXPECT_EQ(w.cmAbout->text(), "A propos");
    EXPECT_EQ(w.PageControl->tabText(TFrmCrateboxMain::tiMusic), "Musique");
    EXPECT_EQ(w.LV->model()->headerData(1, Qt::Horizontal).toString(), "Disque");
    EXPECT_EQ(parameters->cbInternalPlayer->text(),
              QString::fromUtf8("Utiliser le lecteur intégré"));
    EXPECT_EQ(LanguageMenu(),
              (QStringList{"Ajouter une langue", "Modifier la langue", "-", "English", "French"}));
    w.ShowPopupMenu(w.mapToGlobal(QPoint(10, 10)));
    const QList<QAction*> items = w.cmLanguageList->actions();
    EXPECT_FALSE(items[3]->isChecked());
    EXPECT_TRUE(items[4]->isChecked());
    EXPECT_FALSE(w.cmOnlineHelp->isVisible());
    EXPECT_TRUE(w.cmNewLanguage->isEnabled());
    EXPECT_TRUE(w.cmEditLanguage->isEnabled());
    w.PopupMenu->hide();

    items[3]->trigger(); // English: the master sets the English texts again
    EXPECT_EQ(w.tbAll->text(), "All");
    EXPECT_EQ(parameters->cbInternalPlayer->text(), "Use internal player");
    items[4]->trigger();
    w.close();
    QApplication::processEvents();
    EXPECT_EQ(TqvContexte().ReadInteger("Language", -1), 1);
    Contexte = contexte.get();
}

TEST_F(LanguagesWindowTest, AddingALanguageFromTheMenuListsItAndOpensItsCopy) {
    CopyShippedLanguages();
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    TFrmCrateboxMain& w = OpenWindow();
    QString asked;
    w.AskLanguageName = [&](const QString& caption, const QString& prompt, QString& name) {
        asked = caption + "|" + prompt;
        name = "German";
        return true;
    };
    w.cmNewLanguage->trigger();
    EXPECT_EQ(asked, "Language to add|Name :");
    EXPECT_EQ(shell.opened, QStringList{user + "/German/CaptionList.txt"});
    EXPECT_EQ(ReadFile(user + "/German/CaptionList.txt"), ReadFile(shipped + "/CaptionList.txt"));
    EXPECT_EQ(LanguageMenu(), (QStringList{"Add a new language", "Edit the language", "-",
                                           "English", "French", "German"}));
    // Cancelling asks and does nothing more.
    w.AskLanguageName = [](const QString&, const QString&, QString&) { return false; };
    w.cmNewLanguage->trigger();
    EXPECT_EQ(shell.opened.size(), 1);
}

TEST_F(LanguagesWindowTest, PlaceholderOfTheWrongKindInATranslationIsAClearError) {
    QDir().mkpath(shipped + "/Test");
    WriteFile(shipped + "/Test/CaptionList.txt", "strings.13=Renommer %s fichiers ?\r\n"
                                                 "strings.20=  < %d jours\r\n");
    contexte->WriteInteger("Language", 1);
    OpenWindow();
    EXPECT_EQ(StringList().Get(Cratebox_str::DaysLimit), "  < %d jours");
    try {
        FormatText(StringList().Get(Cratebox_str::RenameFiles), {3});
        ADD_FAILURE() << "no error";
    } catch (const EFormatError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains("Renommer %s fichiers ?"));
    }
}

TEST_F(LanguagesWindowTest, ParametersCancelChangesNothingAndOkTakesEveryValueBack) {
    TFrmCrateboxMain& w = OpenBoth();
    w.cbTagsList->addItems({"rock", "jazz"});
    RunParameters(
        [](TFrmParameters& d) {
            EXPECT_EQ(d.windowTitle(), "Tralu Parameters");
            EXPECT_EQ(d._edPlay->text(), "\"audacious\"");
            d._edPlay->setText("mpv");
            d.pcParams->setCurrentIndex(1);
        },
        false);
    EXPECT_EQ(w.PlaySong, "\"audacious\"");
    // Closing, even with Cancel, stores the dialog's place.
    EXPECT_NE(contexte->ReadInteger("Left", -99999, "Settings\\FrmParameters"), -99999);

    w.UseInternalPlayer = true;
    w.PageControl->setTabVisible(TFrmCrateboxMain::tiPlayer, true);
    RunParameters(
        [](TFrmParameters& d) {
            EXPECT_EQ(d.pcParams->currentIndex(), 0); // opens on Options again
            EXPECT_TRUE(d.cbInternalPlayer->isChecked());
            EXPECT_EQ(d.moTagsList->toPlainText(), "rock\njazz");
            d.cbInternalPlayer->setChecked(false);
            d._edPlay->setText("mpv --no-video");
            d._edEnqueue->setText("");
            d.edSearchImage->setText("https://example.org/?q=");
            d.moMusicExtension->setPlainText("MP3\nflac");
            d.edNewMusic->setValue(12);
            d.edNewMusicDir->setText("Nouveautés");
            d.edBookmark->setText("Marks");
            d.cbAutoNew->setChecked(true);
            d.cbUseDirDate->setChecked(true);
            d.moTagsList->setPlainText("pop\nblues\nrock");
        },
        true);
    EXPECT_FALSE(w.UseInternalPlayer);
    EXPECT_FALSE(w.PageControl->isTabVisible(TFrmCrateboxMain::tiPlayer));
    EXPECT_EQ(w.PlaySong, "mpv --no-video");
    EXPECT_EQ(w.EnqueueSong, "");
    EXPECT_EQ(w.SearchImage, "https://example.org/?q=");
    EXPECT_EQ(w.MusicExtensions, (QStringList{"MP3", "flac"}));
    EXPECT_EQ(ClassifyFolderFile("Song.FLAC", w.MusicExtensions), TFolderFileKind::Song);
    EXPECT_EQ(ClassifyFolderFile("song.mp3", w.MusicExtensions), TFolderFileKind::Song);
    EXPECT_EQ(w.NewDays, 12);
    EXPECT_EQ(w.NewMusicDir, QString::fromUtf8("Nouveautés"));
    EXPECT_EQ(w.BookmarkDir, "Marks");
    EXPECT_TRUE(w.NewsUpdateOnStart);
    EXPECT_TRUE(w.UseDirDate);
    EXPECT_EQ(w.cbTagsList->count(), 3);
    EXPECT_EQ(w.cbTagsFilter->itemText(0), "blues");
    EXPECT_EQ(w.cbTagsFilter2->count(), 3);
    // The tag list is stored at once, the other values only at close.
    QStringList stored;
    TqvContexte reader;
    reader.ReadStrings(stored, "TagsList");
    EXPECT_EQ(stored, (QStringList{"pop", "blues", "rock"}));
    EXPECT_EQ(reader.ReadString("PlaySong", "<none>"), "<none>");
    Contexte = contexte.get();
}

TEST_F(LanguagesWindowTest, ValuesThatCannotWorkAreRefusedAndTheDialogStaysOpen) {
    TFrmCrateboxMain& w = OpenBoth();
    CollectErrors();
    struct Case {
        const char* what;
        std::function<void(TFrmParameters&)> edit;
        const char* message;
    };
    const Case cases[] = {
        {"0 days", [](TFrmParameters& d) { d.edNewMusic->setValue(0); }, "1 to 999 days"},
        {"1000 days", [](TFrmParameters& d) { d.edNewMusic->setValue(1000); }, "1 to 999 days"},
        {"empty news", [](TFrmParameters& d) { d.edNewMusicDir->setText(""); }, "needs a name"},
        {"news path", [](TFrmParameters& d) { d.edNewMusicDir->setText("a/b"); }, "\"/\""},
        {"bookmark", [](TFrmParameters& d) { d.edBookmark->setText(" "); }, "needs a name"},
        {"bookmark path", [](TFrmParameters& d) { d.edBookmark->setText("/tmp"); }, "\"/\""},
        {"no extension", [](TFrmParameters& d) { d.moMusicExtension->setPlainText("\n \n"); },
         "music extension"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        errors.clear();
        bool refused = false;
        RunParameters(
            [&](TFrmParameters& d) {
                d._edPlay->setText("changed");
                c.edit(d);
            },
            true, &refused);
        EXPECT_TRUE(refused);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_TRUE(errors[0].contains(QLatin1String(c.message))) << errors[0].toStdString();
        EXPECT_EQ(w.PlaySong, "\"audacious\"");
        EXPECT_EQ(w.NewDays, 30);
    }
}

TEST_F(LanguagesWindowTest, AboutBoxShowsNameVersionAndTheLanguagesText) {
    CopyShippedLanguages();
    QFile::remove(shipped + "/French/About.txt");
    contexte->WriteInteger("Language", 1);
    RecordingShell shell;
    TScopedShellServices scoped(shell);
    TFrmCrateboxMain& w = OpenWindow();
    int shown = 0;
    w.ShowAboutBox = [&](TfrmBaseAboutBox& box) {
        ++shown;
        EXPECT_EQ(box.windowTitle(), "A propos");
        EXPECT_EQ(box.cmEdit->text(), "Modifier le fichier A propos");
        EXPECT_EQ(box._ProductName->Caption(), contexte->ApplicationName());
        EXPECT_EQ(box._lbNoVersion->text(), "1.0.0.0");
        EXPECT_EQ(box.minimumWidth(), 380);
        if (shown == 1) {
            // No French text: the English one, until the French one is edited.
            EXPECT_TRUE(box.moAPropos->toPlainText().startsWith("Tralu organizes"));
            box.cmEdit->trigger();
            box._LbMailTo->Execute();
        } else {
            EXPECT_EQ(box.moAPropos->toPlainText(), "");
        }
    };
    w.cmAbout->trigger();
    w.cmAbout->trigger();
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(shell.opened, (QStringList{user + "/French/About.txt", "mailto:" + kMakerMail}));
}

TEST_F(LanguagesWindowTest, Screenshots) {
    CopyShippedLanguages();
    contexte->WriteInteger("Language", 1);
    TFrmCrateboxMain& w = OpenBoth();
    const QString folder = QStringLiteral(TRALU_BINARY_DIR "/screenshots");
    QDir().mkpath(folder);
    parameters->Fill({"\"audacious\"",
                      "\"audacious\" --enqueue",
                      "https://www.google.com/images?q=",
                      {"mp3", "ogg", "flac"},
                      30,
                      "News",
                      "Bookmark",
                      true,
                      false,
                      true,
                      {"rock", "jazz"}});
    parameters->setWindowTitle(StringList().Get(Cratebox_str::ParametersCaption));
    parameters->show();
    QApplication::processEvents();
    EXPECT_TRUE(parameters->grab().save(folder + "/parameters-fr.png"));
    parameters->hide();
    w.ShowAboutBox = [&](TfrmBaseAboutBox& box) {
        box.show();
        QApplication::processEvents();
        EXPECT_TRUE(box.grab().save(folder + "/about-fr.png"));
    };
    w.cmAbout->trigger();
}

} // namespace
