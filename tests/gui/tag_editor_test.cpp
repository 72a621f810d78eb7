// The Tag infos and Rename tabs of the main window, driven offscreen on
// temporary record folders.
#include "app/Cratebox_str.h"
#include "app/cx_fmain.h"
#include "app/cx_textgrid.h"
#include "framework/qv_application.h"
#include "framework/qv_confirm.h"
#include "framework/qv_contexte.h"
#include "framework/qv_language.h"
#include "framework/qv_str.h"
#include "gui_fixture.h"
#include "songs/cx_songfiles.h"
#include "tags/id3v1.h"
#include "tags/id3v2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <sys/stat.h>

namespace {

const QByteArray kAudio(3000, '\xF7');

class TagTabsTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        CollectErrors();
    }

    // A record folder "Artist/Record" below the temporary folder.
    QString MakeRecord(const QString& artist, const QString& record) {
        const QString path = dir.filePath(artist + QLatin1Char('/') + record);
        EXPECT_TRUE(QDir().mkpath(path));
        return path;
    }
    static QString MakeSong(const QString& folder, const QString& name,
                            const QByteArray& bytes = kAudio) {
        const QString path = folder + QLatin1Char('/') + name;
        WriteFile(path, bytes);
        return path;
    }
    static QByteArray Content(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static QStringList Names(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // Opens the window on a record whose songs are those of the folder.
    TFrmCrateboxMain& Open(const QString& record) {
        OpenWindow();
        window->PathOverride = record;
        window->Songs = ListSongs(record, window->MusicExtensions);
        return *window;
    }
    void ShowTab(QWidget* tab) {
        window->PageControl->setCurrentWidget(tab);
        QApplication::processEvents();
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // A click on the button (on a check box: on its box).
    void Click(QAbstractButton* button) {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        const bool box = qobject_cast<QCheckBox*>(button) != nullptr;
        QTest::mouseClick(button, Qt::LeftButton, {},
                          box ? QPoint(8, button->height() / 2) : button->rect().center());
        QApplication::processEvents();
    }
    void SelectSong(int row) {
        window->DrawGridTags->selectRow(row);
        QApplication::processEvents();
    }
    QString RenameCell(int row, int column) {
        return window->DrawGrid->model()->index(row, column).data().toString();
    }
    static void SetAge(const QString& path, int secondsAgo) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo),
                                  QFileDevice::FileModificationTime));
    }
};

TEST_F(TagTabsTest, TheEditorGroupsFollowTheSelectedSong) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString plain = MakeSong(record, QStringLiteral("a plain.mp3"));
    const QString old = MakeSong(record, QStringLiteral("b old.mp3"));
    const QString v24 = MakeSong(record, QStringLiteral("c v24.mp3"));
    {
        TID3v1 v1; // version 1.0: no track; a genre index beyond the table
        v1.SetTitle("Old");
        v1.SetGenreIndex(200);
        ASSERT_TRUE(v1.WriteTag(LocalPath(old)));
        TID3v2 v2;
        v2.SetTitle("Old two");
        v2.SetGenre("Jazz");
        ASSERT_TRUE(v2.WriteTag(LocalPath(old)));
        // An ID3v2.4 header with an empty body.
        QFile f(v24);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("ID3\x04\x00\x00\x00\x00\x00\x0A", 10) + QByteArray(10, '\0') + kAudio);
    }
    TFrmCrateboxMain& w = Open(record);
    ASSERT_EQ(w.Songs.size(), 3);
    ShowTab(w.tsTag);
    EXPECT_EQ(w.DrawGridTags->model()->rowCount(), 3);
    EXPECT_EQ(w.DrawGridTags->model()->index(1, 0).data().toString(), "b old");
    EXPECT_EQ(w.ID3V1_GenreComboBox->count(), 149);
    EXPECT_EQ(w.ID3V1_GenreComboBox->objectName(), "ID3V1_GenreComboBox");
    EXPECT_EQ(w.ID3V1_GenreComboBox->itemText(18), "Rock");

    // A song without tags: both groups empty and disabled, the buttons enabled.
    EXPECT_FALSE(w._cbID3V1->isChecked());
    EXPECT_FALSE(w._cbID3V2->isChecked());
    EXPECT_FALSE(w.ID3V1_TitleEdit->isEnabled());
    EXPECT_FALSE(w.ID3V2_CommentEdit->isEnabled());
    EXPECT_TRUE(w.btSaveTags->isEnabled());
    EXPECT_TRUE(w.btNormalizeTags->isEnabled());
    // Saving with both boxes unchecked writes and removes nothing.
    Click(w.btSaveTags);
    EXPECT_EQ(Content(plain), kAudio);

    SelectSong(1);
    EXPECT_TRUE(w._cbID3V1->isChecked());
    EXPECT_TRUE(w.ID3V1_TitleEdit->isEnabled());
    EXPECT_EQ(w.ID3V1_TagVersionValue->text(), "1.0");
    EXPECT_EQ(w.ID3V1_TitleEdit->text(), "Old");
    EXPECT_EQ(w.ID3V1_TrackEdit->text(), "0");
    EXPECT_EQ(w.ID3V1_GenreComboBox->currentIndex(), 0);
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.3");
    EXPECT_EQ(w.ID3V2_TitleEdit->text(), "Old two");
    EXPECT_EQ(w.ID3V2_GenreEdit->text(), "Jazz");
    EXPECT_EQ(w.ID3V2_TrackEdit->text(), "");
    EXPECT_GT(w.ID3V2_SizeValue->text().toInt(), 10);
    // Saved back: track 0 keeps version 1.0, the unknown genre becomes 255;
    // letters in the v2 track edit give no track.
    Type(w.ID3V2_TrackEdit, QStringLiteral("x"));
    Click(w.btSaveTags);
    TID3v1 v1;
    ASSERT_TRUE(v1.ReadTag(LocalPath(old)));
    EXPECT_EQ(v1.Version(), 1);
    EXPECT_EQ(v1.Track(), 0);
    EXPECT_EQ(v1.GenreIndex(), 255);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadTag(LocalPath(old)));
    EXPECT_EQ(v2.Title(), "Old two");
    EXPECT_EQ(v2.Track(), 0);

    SelectSong(2);
    EXPECT_TRUE(w._cbID3V2->isChecked());
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.4");
    EXPECT_EQ(w.ID3V2_SizeValue->text(), "20");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    // Another record becomes the current one while the tab is shown: one
    // without songs.
    w.PathOverride = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Empty"));
    w.RefreshViews();
    EXPECT_EQ(w.DrawGridTags->model()->rowCount(), 1);
    EXPECT_FALSE(w._cbID3V2->isChecked());
    EXPECT_FALSE(w.ID3V2_TitleEdit->isEnabled());
    EXPECT_FALSE(w.btSaveTags->isEnabled());
    EXPECT_FALSE(w.btNormalizeTags->isEnabled());
}

TEST_F(TagTabsTest, CheckingID3v1OnAnUntaggedSongWritesAVersion11Tag) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString song = MakeSong(record, QStringLiteral("song.mp3"));
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    Click(w._cbID3V1);
    EXPECT_TRUE(w.ID3V1_TitleEdit->isEnabled());
    Type(w.ID3V1_TitleEdit, QStringLiteral("A title longer than thirty characters"));
    EXPECT_EQ(w.ID3V1_TitleEdit->text().size(), 30);
    Type(w.ID3V1_TrackEdit, QStringLiteral("7"));
    Click(w.btSaveTags);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    TID3v1 v1;
    ASSERT_TRUE(v1.ReadTag(LocalPath(song)));
    EXPECT_TRUE(v1.HasTag());
    EXPECT_EQ(v1.Version(), 2);
    EXPECT_EQ(v1.Title(), "A title longer than thirty cha");
    EXPECT_EQ(v1.Track(), 7);
    EXPECT_EQ(v1.GenreIndex(), 255);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadTag(LocalPath(song)));
    EXPECT_FALSE(v2.HasTag());
    EXPECT_EQ(Content(song).left(kAudio.size()), kAudio);
}

TEST_F(TagTabsTest, UnreadableCorruptAndUnwritableSongsLoseNothing) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString tiny = MakeSong(record, QStringLiteral("a tiny.mp3"), "12345");
    const QString pipe = MakeSong(record, QStringLiteral("b pipe.mp3"));
    // An ID3v2.3 header whose size reaches far past the end of the file.
    const QByteArray corruptBytes = QByteArray("ID3\x03\x00\x00\x00\x00\x7F\x7F", 10) + kAudio;
    const QString corrupt = MakeSong(record, QStringLiteral("c corrupt.mp3"), corruptBytes);
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Can not read tag from the file: " + tiny + ".");
    // Nothing was loaded, and saving now writes nothing either.
    EXPECT_FALSE(w._cbID3V1->isChecked());
    Click(w.btSaveTags);
    EXPECT_EQ(Content(tiny), "12345");
    // Tags to filenames stops at it; reloading the same song after the run
    // fails again, but the run reports once and gives its button back.
    errors.clear();
    Click(w.btTagToFilename);
    EXPECT_EQ(errors, QStringList{"Can not read tag from the file: " + tiny + "."});
    EXPECT_TRUE(w.btTagToFilename->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Names(record), (QStringList{"a tiny.mp3", "b pipe.mp3", "c corrupt.mp3"}));

    // A tag whose end is unknown cannot be removed without cutting audio:
    // the removal fails silently; a new tag goes in front of everything.
    errors.clear();
    SelectSong(2);
    ASSERT_TRUE(w._cbID3V2->isChecked());
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.3");
    EXPECT_EQ(w.ID3V2_SizeValue->text(), "0");
    Click(w._cbID3V2);
    Click(w.btSaveTags);
    EXPECT_EQ(Content(corrupt), corruptBytes);
    Click(w._cbID3V2);
    Type(w.ID3V2_TitleEdit, QStringLiteral("New"));
    Click(w.btSaveTags);
    EXPECT_TRUE(Content(corrupt).endsWith(corruptBytes));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadTag(LocalPath(corrupt)));
    EXPECT_EQ(v2.Title(), "New");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();

    SelectSong(1);
    ASSERT_TRUE(errors.isEmpty());
    // Once loaded, the song becomes something no tag can be written to.
    ASSERT_TRUE(QFile::remove(pipe));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    Click(w._cbID3V1);
    Click(w._cbID3V2);
    Click(w.btSaveTags);
    // The ID3v1 failure ends the save: the ID3v2 tag is not tried.
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Can not save tag to the file: " + pipe + ".");
}

TEST_F(TagTabsTest, NormalizeDerivesTagsFromNamesAndOrder) {
    const QString record = MakeRecord(QStringLiteral("The Artist"), QStringLiteral("1999 - Album"));
    const QString first = MakeSong(record, QStringLiteral("01 - First.mp3"));
    const QString second = MakeSong(record, QStringLiteral("02_Second.mp3"));
    {
        TID3v1 v1;
        v1.SetTitle("Whatever");
        ASSERT_TRUE(v1.WriteTag(LocalPath(first)));
        TID3v2 v2;
        v2.SetTitle("Whatever");
        v2.SetComment("keep");
        ASSERT_TRUE(v2.WriteTag(LocalPath(first)));
        ASSERT_TRUE(v2.WriteTag(LocalPath(second))); // has an ID3v2 tag only
    }
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    ASSERT_TRUE(w._cbID3V1->isChecked());
    ASSERT_TRUE(w._cbID3V2->isChecked());
    Type(w.ID3V1_YearEdit, QStringLiteral("1999"));
    w.ID3V1_GenreComboBox->setCurrentIndex(18);
    Type(w.ID3V1_CommentEdit, QStringLiteral("one"));
    Type(w.ID3V2_YearEdit, QStringLiteral("2000"));
    Type(w.ID3V2_GenreEdit, QStringLiteral("Art Rock"));
    Click(w.btNormalizeTags);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(w.StatusPanel->text(), "Saving ... 2/2 - 02_Second.mp3");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.btNormalizeTags->isEnabled());

    const std::pair<QString, std::pair<const char*, int>> songs[] = {{first, {"First", 1}},
                                                                     {second, {"Second", 2}}};
    for (const auto& [path, expected] : songs) {
        SCOPED_TRACE(path.toStdString());
        TID3v1 v1;
        ASSERT_TRUE(v1.ReadTag(LocalPath(path)));
        EXPECT_TRUE(v1.HasTag());
        EXPECT_EQ(v1.Title(), expected.first);
        EXPECT_EQ(v1.Artist(), "The Artist");
        EXPECT_EQ(v1.Album(), "Album");
        EXPECT_EQ(v1.Track(), expected.second);
        EXPECT_EQ(v1.Year(), "1999");
        EXPECT_EQ(v1.GenreIndex(), 17);
        EXPECT_EQ(v1.Comment(), "one");
        TID3v2 v2;
        ASSERT_TRUE(v2.ReadTag(LocalPath(path)));
        EXPECT_EQ(v2.Title(), expected.first);
        EXPECT_EQ(v2.Artist(), "The Artist");
        EXPECT_EQ(v2.Album(), "Album");
        EXPECT_EQ(v2.Track(), expected.second);
        EXPECT_EQ(v2.Year(), "2000");
        EXPECT_EQ(v2.Genre(), "Art Rock");
        EXPECT_EQ(v2.Comment(), "keep");
    }
    // The groups show the selected song as written.
    EXPECT_EQ(w.ID3V1_TitleEdit->text(), "First");
    EXPECT_EQ(w.ID3V2_TrackEdit->text(), "1");

    // With the ID3v2 box unchecked, every song loses its ID3v2 tag.
    Click(w._cbID3V2);
    ASSERT_FALSE(w._cbID3V2->isChecked());
    Click(w.btNormalizeTags);
    for (const QString& path : {first, second}) {
        TID3v2 v2;
        ASSERT_TRUE(v2.ReadTag(LocalPath(path)));
        EXPECT_FALSE(v2.HasTag()) << path.toStdString();
        TID3v1 v1;
        ASSERT_TRUE(v1.ReadTag(LocalPath(path)));
        EXPECT_TRUE(v1.HasTag()) << path.toStdString();
    }
}

TEST_F(TagTabsTest, SongsOtherThanMpegAudioNeverGetID3Tags) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString mp3 = MakeSong(record, QStringLiteral("1 - a.mp3"));
    // Ends in a block an ID3v1 reader takes for a tag: removing that tag
    // would cut the file.
    const QByteArray oggBytes = "OggS" + QByteArray(500, '\x01') + "TAG" + QByteArray(125, 'x');
    const QString ogg = MakeSong(record, QStringLiteral("2 - b.ogg"), oggBytes);
    const QString upper = MakeSong(record, QStringLiteral("3 - c.MP3"));
    const QString wma = MakeSong(record, QStringLiteral("4 - d.wma"));
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    ASSERT_EQ(w.Songs.size(), 4);
    Click(w._cbID3V1);
    Click(w._cbID3V2);
    Type(w.ID3V2_YearEdit, QStringLiteral("2001"));
    Click(w.btNormalizeTags);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(w.StatusPanel->text(), "Saving ... 4/4 - 4 - d.wma");
    EXPECT_EQ(Content(ogg), oggBytes);
    EXPECT_EQ(Content(wma), kAudio);
    for (const auto& [path, track] : {std::pair{mp3, 1}, std::pair{upper, 3}}) {
        TID3v2 v2;
        ASSERT_TRUE(v2.ReadTag(LocalPath(path)) && v2.HasTag()) << path.toStdString();
        EXPECT_EQ(v2.Track(), track);
        EXPECT_EQ(v2.Year(), "2001");
        TID3v1 v1;
        ASSERT_TRUE(v1.ReadTag(LocalPath(path)) && v1.HasTag()) << path.toStdString();
    }

    // The Ogg and WMA songs: their tag groups are empty and disabled, the
    // status line says why, and Save is disabled; Normalize stays.
    for (const int row : {1, 3}) {
        SCOPED_TRACE(row);
        SelectSong(row);
        EXPECT_FALSE(w._cbID3V1->isEnabled());
        EXPECT_FALSE(w._cbID3V2->isEnabled());
        EXPECT_FALSE(w._cbID3V1->isChecked());
        EXPECT_FALSE(w.ID3V1_TitleEdit->isEnabled());
        EXPECT_FALSE(w.ID3V2_TitleEdit->isEnabled());
        EXPECT_FALSE(w.btSaveTags->isEnabled());
        EXPECT_TRUE(w.btNormalizeTags->isEnabled());
        EXPECT_EQ(w.StatusPanel->text(), "ID3 tags are kept in MPEG audio files only");
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(Content(ogg), oggBytes);
    // Back on an MP3 song, everything is live again.
    SelectSong(2);
    EXPECT_TRUE(w._cbID3V1->isEnabled());
    EXPECT_TRUE(w._cbID3V1->isChecked());
    EXPECT_TRUE(w.btSaveTags->isEnabled());
}

// Three-digit tracks are shown and saved whole; a track no tag can hold is
// refused and nothing is written.
TEST_F(TagTabsTest, TrackNumbersUpTo255) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString song = MakeSong(record, QStringLiteral("song.mp3"));
    {
        TID3v1 v1;
        v1.SetTitle("One");
        v1.SetTrack(123);
        ASSERT_TRUE(v1.WriteTag(LocalPath(song)));
        TID3v2 v2;
        v2.SetTitle("Two");
        v2.SetTrack(123);
        ASSERT_TRUE(v2.WriteTag(LocalPath(song)));
    }
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    EXPECT_EQ(w.ID3V1_TrackEdit->text(), "123");
    EXPECT_EQ(w.ID3V2_TrackEdit->text(), "123");
    Type(w.ID3V1_TitleEdit, QStringLiteral("Uno"));
    Click(w.btSaveTags);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    TID3v1 v1;
    TID3v2 v2;
    ASSERT_TRUE(v1.ReadTag(LocalPath(song)) && v2.ReadTag(LocalPath(song)));
    EXPECT_EQ(v1.Title(), "Uno");
    EXPECT_EQ(v1.Track(), 123);
    EXPECT_EQ(v2.Track(), 123);

    const QByteArray before = Content(song);
    for (QLineEdit* edit : {w.ID3V1_TrackEdit, w.ID3V2_TrackEdit}) {
        SCOPED_TRACE(edit->objectName().toStdString());
        Type(w.ID3V1_TrackEdit, QStringLiteral("12"));
        Type(w.ID3V2_TrackEdit, QStringLiteral("12"));
        Type(edit, QStringLiteral("3000")); // the edit takes three digits
        EXPECT_EQ(edit->text(), "300");
        errors.clear();
        Click(w.btSaveTags);
        EXPECT_EQ(errors, QStringList{"Can not save tag to the file: " + song +
                                      ": track 300 is above 255."});
        EXPECT_EQ(Content(song), before);
    }
}

TEST_F(TagTabsTest, TagsToFilenamesRenamesWithoutReplacing) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const auto withV2 = [&](const QString& name, const char* title, int track) {
        const QString path = MakeSong(record, name);
        TID3v2 v2;
        v2.SetTitle(title);
        v2.SetTrack(static_cast<std::uint8_t>(track));
        EXPECT_TRUE(v2.WriteTag(LocalPath(path)));
        return Content(path);
    };
    const QByteArray a = withV2(QStringLiteral("a.mp3"), "Same", 1);
    const QByteArray b = withV2(QStringLiteral("b.mp3"), "Same", 1);
    withV2(QStringLiteral("c.mp3"), "Intro", 0);
    withV2(QStringLiteral("d.mp3"), "", 4);
    MakeSong(record, QStringLiteral("e.mp3")); // no tag at all: the run stops
    withV2(QStringLiteral("f.mp3"), "After", 6);
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    Click(w.btTagToFilename);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0], "Can not read tag from the file: " + record + "/e.mp3.");
    EXPECT_EQ(Names(record),
              (QStringList{"01 - Same.mp3", "03 - Intro.mp3", "b.mp3", "d.mp3", "e.mp3", "f.mp3"}));
    EXPECT_EQ(Content(record + "/01 - Same.mp3"), a);
    EXPECT_EQ(Content(record + "/b.mp3"), b);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.btTagToFilename->isEnabled());
}

// A song of another format is left alone, and keeps its place: "b.mp3"
// without a track is the second song of the list.
TEST_F(TagTabsTest, TagsToFilenamesCountsEverySongOfTheList) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Mixed"));
    const QByteArray ogg = "OggS" + QByteArray(500, '\x01');
    MakeSong(record, QStringLiteral("a.ogg"), ogg);
    const QString b = MakeSong(record, QStringLiteral("b.mp3"));
    TID3v2 v2;
    v2.SetTitle("Bee");
    ASSERT_TRUE(v2.WriteTag(LocalPath(b)));
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    ASSERT_EQ(w.Songs, (QStringList{"a.ogg", "b.mp3"}));
    Click(w.btTagToFilename);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    EXPECT_EQ(Names(record), (QStringList{"02 - Bee.mp3", "a.ogg"}));
    EXPECT_EQ(Content(record + "/a.ogg"), ogg);
}

TEST_F(TagTabsTest, RenamePreviewAndRenameWithTheDefaults) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    const QString title = MakeSong(record, QStringLiteral("Artist - Title.mp3"), "title");
    const QString other = MakeSong(record, QStringLiteral("Artist - Other.mp3"), "other");
    MakeSong(record, QStringLiteral("cover.jpg"));
    SetAge(title, 1000);
    SetAge(other, 100000);
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsRename);
    EXPECT_EQ(w.edFiles->text(), "*.mp3");
    EXPECT_TRUE(w.cbSortByDate->isChecked());
    EXPECT_EQ(w.edSep->text(), "-");
    EXPECT_EQ(w.edNsep->value(), 1);
    EXPECT_EQ(w.edEndSep->value(), 0);
    EXPECT_EQ(w.DrawGrid->model()->headerData(0, Qt::Horizontal).toString(), "Current name");
    EXPECT_EQ(w.DrawGrid->model()->headerData(1, Qt::Horizontal).toString(), "New name");
    ASSERT_EQ(w.DrawGrid->model()->rowCount(), 2);
    EXPECT_EQ(RenameCell(0, 0), "Artist - Other.mp3");
    EXPECT_EQ(RenameCell(0, 1), "01 - Other.mp3");
    EXPECT_EQ(RenameCell(1, 0), "Artist - Title.mp3");
    EXPECT_EQ(RenameCell(1, 1), "02 - Title.mp3");

    // The preview follows the controls.
    SetAge(title, 1000000);
    Type(w.edFiles, QStringLiteral("*.MP3"));
    EXPECT_EQ(RenameCell(0, 1), "01 - Title.mp3");
    Click(w.cbSortByDate);
    EXPECT_EQ(RenameCell(0, 1), "01 - Other.mp3");
    w.edNsep->setValue(0);
    EXPECT_EQ(RenameCell(0, 1), "01 - Artist - Other.mp3");
    w.edNsep->setValue(1);
    Type(w.edSep, QStringLiteral("x"));
    EXPECT_EQ(RenameCell(0, 1), "01 - Artist - Other.mp3");
    Type(w.edSep, QStringLiteral("-"));

    QString asked;
    SetConfirmHook([&](const QString& message) {
        asked = message;
        return false;
    });
    Click(w.sbRename);
    EXPECT_EQ(asked, "Rename 2 files ?");
    EXPECT_TRUE(QFile::exists(title));
    SetConfirmHook([](const QString&) { return true; });
    Click(w.sbRename);
    EXPECT_EQ(Names(record), (QStringList{"01 - Other.mp3", "02 - Title.mp3", "cover.jpg"}));
    EXPECT_EQ(Content(record + "/01 - Other.mp3"), "other");
    EXPECT_EQ(RenameCell(0, 0), "01 - Other.mp3");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(TagTabsTest, RenameOntoAnExistingNameKeepsBothFiles) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Record"));
    MakeSong(record, QStringLiteral("A - b.mp3"), "listed");
    MakeSong(record, QStringLiteral("01 - B.mp3"), "existing");
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsRename);
    Type(w.edFiles, QStringLiteral("A*"));
    ASSERT_EQ(RenameCell(0, 1), "01 - B.mp3");
    SetConfirmHook([](const QString&) { return true; });
    Click(w.sbRename);
    EXPECT_EQ(Names(record), (QStringList{"01 - B.mp3", "A - b.mp3"}));
    EXPECT_EQ(Content(record + "/01 - B.mp3"), "existing");
    EXPECT_EQ(Content(record + "/A - b.mp3"), "listed");
    EXPECT_TRUE(errors.isEmpty());

    // No current folder lists nothing; the question is still asked.
    w.PathOverride.clear();
    w.RefreshRenameList(true);
    EXPECT_EQ(w.DrawGrid->model()->rowCount(), 1);
    EXPECT_EQ(RenameCell(0, 0), "");
    QString asked;
    SetConfirmHook([&](const QString& message) {
        asked = message;
        return true;
    });
    Click(w.sbRename);
    EXPECT_EQ(asked, "Rename 0 files ?");
}

// Pictures of both tabs on the first record of a demo collection, when
// asked: TRALU_DEMO_ROOT names its music root, TRALU_SCREENSHOT_DIR the
// output folder.
TEST_F(TagTabsTest, Screenshots) {
    const QString demo = qEnvironmentVariable("TRALU_DEMO_ROOT");
    const QString shots = qEnvironmentVariable("TRALU_SCREENSHOT_DIR");
    if (demo.isEmpty() || shots.isEmpty())
        GTEST_SKIP() << "set TRALU_DEMO_ROOT and TRALU_SCREENSHOT_DIR";
    QStringList records;
    QDirIterator it(demo, {QStringLiteral("*.mp3")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        records << QFileInfo(it.next()).path();
    records.sort();
    ASSERT_FALSE(records.isEmpty());
    contexte->WriteString(QStringLiteral("MusicRoot"), demo);
    TFrmCrateboxMain& w = Open(records.constFirst());
    w.resize(1000, 640);
    ShowTab(w.tsTag);
    SelectSong(1);
    QTest::qWait(50);
    EXPECT_TRUE(w.grab().save(shots + QStringLiteral("/tag_infos.png")));
    ShowTab(w.tsRename);
    QTest::qWait(50);
    EXPECT_TRUE(w.grab().save(shots + QStringLiteral("/rename.png")));
}

// Frames of ID3v2.4 (sync-safe sizes) and 2.2, built by hand.
QByteArray Frame24(const char* id, const QByteArray& data) {
    const auto n = static_cast<unsigned>(data.size());
    QByteArray out(id);
    for (int shift : {21, 14, 7, 0})
        out += char((n >> shift) & 0x7F);
    return out + QByteArray(2, '\0') + data;
}
QByteArray Frame22(const char* id, const QByteArray& data) {
    const auto n = static_cast<unsigned>(data.size());
    return QByteArray(id) + char(n >> 16) + char(n >> 8) + char(n) + data;
}
QByteArray Id3Tag(int version, const QByteArray& frames) {
    const auto n = static_cast<unsigned>(frames.size());
    QByteArray out = QByteArray("ID3") + char(version) + QByteArray(2, '\0');
    for (int shift : {21, 14, 7, 0})
        out += char((n >> shift) & 0x7F);
    return out + frames;
}
QByteArray Latin1Text(const char* text) {
    return QByteArray(1, '\0') + text;
}

TEST_F(TagTabsTest, SavingKeepsWhatWasNotEditedAndShowsTheTagWritten) {
    const QString record = MakeRecord(QStringLiteral("Artist"), QStringLiteral("Kept"));
    const QByteArray picture("\xFF\xD8\xFF\xE0\x00\x10\xFF\xD9", 8);
    const QByteArray apic24 = Frame24("APIC", QByteArray("\0image/jpeg\0\x03\0", 14) + picture);
    const QByteArray date = Frame24("TDRC", Latin1Text("2001-05-06"));
    const QString four = MakeSong(record, QStringLiteral("a four.mp3"),
                                  Id3Tag(4, Frame24("TIT2", Latin1Text("Four")) +
                                                Frame24("TRCK", Latin1Text("03/12")) + date +
                                                Frame24("TCON", Latin1Text("(17)(18)")) + apic24) +
                                      kAudio);
    const QString two =
        MakeSong(record, QStringLiteral("b two.mp3"),
                 Id3Tag(2, Frame22("TT2", Latin1Text("Two")) +
                               Frame22("PIC", QByteArray("\0JPG\x03\0", 6) + picture)) +
                     kAudio);
    TFrmCrateboxMain& w = Open(record);
    ShowTab(w.tsTag);
    SelectSong(0);
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.4");
    EXPECT_EQ(w.ID3V2_TrackEdit->text(), "3");
    EXPECT_EQ(w.ID3V2_YearEdit->text(), "2001");
    EXPECT_EQ(w.ID3V2_GenreEdit->text(), "Rock");

    // A comment and a track edit: the other frames stay as they were, the
    // track keeps its total and zeros, the tag stays 2.4.
    Type(w.ID3V2_CommentEdit, QStringLiteral("Nice"));
    Type(w.ID3V2_TrackEdit, QStringLiteral("4"));
    Click(w.btSaveTags);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    const QByteArray comment = Frame24("COMM", QByteArray("\0eng\0Nice", 9));
    const QByteArray written = Id3Tag(4, comment + Frame24("TIT2", Latin1Text("Four")) +
                                             Frame24("TRCK", Latin1Text("04/12")) + date +
                                             Frame24("TCON", Latin1Text("(17)(18)")) + apic24);
    EXPECT_EQ(Content(four), written + kAudio);
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.4");
    EXPECT_EQ(w.ID3V2_SizeValue->text(), QString::number(written.size()));

    // A 2.2 tag saved as it is: a 2.3 tag with the cover as APIC.
    SelectSong(1);
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.2");
    Click(w.btSaveTags);
    ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
    TID3v2 back;
    ASSERT_TRUE(back.ReadTag(LocalPath(two)));
    EXPECT_EQ(back.Version(), 3);
    EXPECT_EQ(back.Title(), "Two");
    EXPECT_TRUE(Content(two).contains(QByteArray("APIC")));
    EXPECT_TRUE(Content(two).contains(QByteArray("image/jpeg\0\x03\0", 13) + picture));
    EXPECT_EQ(w.ID3V2_TagVersionValue->text(), "2.3");
    EXPECT_EQ(w.ID3V2_SizeValue->text(), QString::number(back.TagSize()));
}

} // namespace
