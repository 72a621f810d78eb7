// The Player tab and the play commands of the Music and Records tabs,
// driven offscreen on a temporary music root.  The built-in player plays
// through recording fake graphs; a recording program stands in for the
// external player.
#include "../player/audio_files.h"
#include "../player/fake_graph.h"
#include "app/cx_fmain.h"
#include "app/cx_mpris.h"
#include "app/cx_records_grid.h"
#include "framework/qv_application.h"
#include "framework/qv_tools.h"
#include "gui_fixture.h"
#include "player/cx_player.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class PlayerTabTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        root = dir.filePath("Music");
        QDir().mkpath(root);
        contexte->WriteString("MusicRoot", root);
        CollectErrors();
    }

    // The window with the built-in player on, playing through fake graphs.
    TFrmCrateboxMain& Open(bool internal = true) {
        contexte->WriteBool("UseInternalPlayer", internal);
        TFrmCrateboxMain& w = OpenWindow(QSize(1000, 700));
        w.MediaGraphFactory = [this](int number) {
            auto graph = std::make_unique<TFakeGraph>(number, log);
            (number == 1 ? graph1 : graph2) = graph.get();
            return graph;
        };
        return w;
    }
    QString Record(const QString& relative, const QStringList& songs) {
        const QString folder = root + "/" + relative;
        for (const QString& song : songs)
            WriteFile(folder + "/" + song);
        return folder;
    }
    void ShowOnMusicTab(const QString& folder) {
        window->PathOverride = folder;
        if (window->PageControl->currentWidget() != window->tsMusic)
            window->PageControl->setCurrentWidget(window->tsMusic);
        else
            window->ShowRecord(false);
    }
    QStringList Rows() const {
        QStringList rows;
        const QAbstractItemModel* model = window->sgSongList->model();
        for (int i = 0; i < model->rowCount(); ++i)
            rows << model->index(i, 0).data().toString();
        return rows;
    }
    // The rows drawn in italics.
    QList<int> ItalicRows() const {
        QList<int> rows;
        const QAbstractItemModel* model = window->sgSongList->model();
        for (int i = 0; i < model->rowCount(); ++i)
            if (model->index(i, 0).data(Qt::FontRole).value<QFont>().italic())
                rows << i;
        return rows;
    }
    QStringList Playlist() {
        return window->PlayerIfMade() ? window->Player().Playlist : QStringList();
    }
    QStringList Logged(const QString& what) const { return log.filter(what); }

    QString root;
    QStringList log;
    TFakeGraph* graph1 = nullptr;
    TFakeGraph* graph2 = nullptr;
};

TEST_F(PlayerTabTest, StartsStoppedWithOneEmptyRow) {
    TFrmCrateboxMain& w = Open();
    EXPECT_TRUE(w.PageControl->isTabVisible(TFrmCrateboxMain::tiPlayer));
    w.PageControl->setCurrentWidget(w.tsPlayer);
    EXPECT_TRUE(w._sbStop->isChecked());
    EXPECT_FALSE(w._sbPlay->isChecked());
    EXPECT_TRUE(w.PlayerButtons->exclusive());
    EXPECT_EQ(w._sbPlay->size(), QSize(26, 26));
    EXPECT_TRUE(w.DSTrackBar1->isVisible());
    EXPECT_FALSE(w.DSTrackBar2->isVisible());
    EXPECT_TRUE(w._lbPlaying->text().isEmpty());
    EXPECT_EQ(Rows(), QStringList{""});
    EXPECT_EQ(w.sgSongList->verticalHeader()->defaultSectionSize(), 17);
    // Nothing is made until something plays: no audio output is opened.
    EXPECT_EQ(w.PlayerIfMade(), nullptr);
    // Without a session bus the media controls stay off it; the player
    // works all the same (the other tests here play without a bus).
    ASSERT_NE(w.MediaControls(), nullptr);
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        EXPECT_TRUE(w.MediaControls()->RegisteredName().isEmpty());
    }
    // A double click and Delete on the empty row do nothing.
    w.sgSongListDblClick();
    QTest::keyClick(w.sgSongList, Qt::Key_Delete);
    EXPECT_EQ(Rows(), QStringList{""});
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, PlaysARecordPreloadsAndSwapsAtTheEndOfASong) {
    const QString record = Record("A/Artist/Record", {"01 One.mp3", "02 Two.mp3", "03 Three.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    ASSERT_TRUE(w.btPlayDir->isEnabled());
    QTest::mouseClick(w.btPlayDir, Qt::LeftButton);
    w.PageControl->setCurrentWidget(w.tsPlayer);
    EXPECT_EQ(Rows(), (QStringList{"Artist/Record/01 One.mp3", "Artist/Record/02 Two.mp3",
                                   "Artist/Record/03 Three.mp3"}));
    EXPECT_TRUE(w._sbPlay->isChecked());
    EXPECT_EQ(ItalicRows(), QList<int>{0});
    EXPECT_EQ(w._lbPlaying->text(), record + "/01 One.mp3");
    ASSERT_NE(graph1, nullptr);
    EXPECT_TRUE(graph1->IsPlaying);
    EXPECT_EQ(graph1->File, record + "/01 One.mp3");

    // The tick at 56.8 s of a one-minute song moves the bar and loads nothing;
    // the one at 57.2 s loads the next song into the other graph.
    graph1->Position = 56800;
    w.Player().Tick();
    EXPECT_EQ(w.DSTrackBar1->maximum(), 150);
    EXPECT_EQ(w.DSTrackBar1->value(), 142);
    EXPECT_TRUE(graph2->File.isEmpty());
    graph1->Position = 57200;
    w.Player().Tick();
    EXPECT_EQ(graph2->File, record + "/02 Two.mp3");
    EXPECT_FALSE(graph2->IsPlaying);

    // The end of the song: graph 2 plays, its bar shows, row 1 is current.
    graph1->OnComplete();
    EXPECT_TRUE(graph2->IsPlaying);
    EXPECT_TRUE(graph1->File.isEmpty());
    EXPECT_TRUE(w.DSTrackBar2->isVisible());
    EXPECT_FALSE(w.DSTrackBar1->isVisible());
    EXPECT_EQ(w.sgSongList->currentIndex().row(), 1);
    EXPECT_EQ(ItalicRows(), QList<int>{1});
    EXPECT_EQ(w._lbPlaying->text(), record + "/02 Two.mp3");

    const QByteArray shots = qgetenv("TRALU_SCREENSHOT_DIR");
    QTest::qWait(20); // the bars' layout after the swap
    if (!shots.isEmpty())
        w.grab().save(QString::fromUtf8(shots) + "/player_tab.png");

    // A narrow label shows the path shortened from the left.
    w._lbPlaying->setMaximumWidth(160);
    QTest::qWait(50);
    EXPECT_TRUE(w._lbPlaying->text().endsWith("02 Two.mp3"));
    EXPECT_TRUE(w._lbPlaying->text().contains("...")) << w._lbPlaying->text().toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, ButtonsPauseResumeStopAndTheThumbSeeks) {
    const QString record = Record("A/Artist/Record", {"a.mp3", "b.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    QTest::mouseClick(w.btPlayDir, Qt::LeftButton);
    w.PageControl->setCurrentWidget(w.tsPlayer);
    log.clear();

    QTest::mouseClick(w._sbPause, Qt::LeftButton);
    EXPECT_TRUE(w._sbPause->isChecked());
    EXPECT_FALSE(w._sbPlay->isChecked());
    EXPECT_EQ(w.Player().Status(), TPlayerCore::psPaused);
    // Play after Pause resumes the same song without loading it again.
    QTest::mouseClick(w._sbPlay, Qt::LeftButton);
    EXPECT_TRUE(w._sbPlay->isChecked());
    EXPECT_EQ(log, (QStringList{"1:Pause", "1:Play"}));
    EXPECT_EQ(w.Player().Status(), TPlayerCore::psPlaying);

    // The thumb held: ticks leave the bar alone; released at 75 of 150, the
    // graph goes to the middle of the song.
    graph1->Position = 6000;
    w.Player().Tick();
    ASSERT_EQ(w.DSTrackBar1->maximum(), 150);
    w.DSTrackBar1->setSliderDown(true);
    w.DSTrackBar1->setSliderPosition(75);
    graph1->Position = 12000;
    w.Player().Tick();
    EXPECT_EQ(w.DSTrackBar1->sliderPosition(), 75);
    log.clear();
    w.DSTrackBar1->setSliderDown(false);
    EXPECT_EQ(log, QStringList{"1:Seek 30000"});
    // A click beside the thumb moves it a page (10 of 150) and seeks there.
    log.clear();
    w.DSTrackBar1->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList{"1:Seek 34000"});

    log.clear();
    QTest::mouseClick(w._sbStop, Qt::LeftButton);
    EXPECT_TRUE(w._sbStop->isChecked());
    EXPECT_EQ(log, (QStringList{"1:Stop", "1:SeekToStart"}));
    EXPECT_EQ(w.DSTrackBar1->value(), 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, DeleteKeyAndDoubleClickInThePlaylist) {
    const QString record = Record("A/Artist/Record", {"0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3",
                                                      "5.mp3", "6.mp3", "7.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    QTest::mouseClick(w.btPlayDir, Qt::LeftButton);
    w.PageControl->setCurrentWidget(w.tsPlayer);

    // A double click plays that entry at once.
    const QRect row6 = w.sgSongList->visualRect(w.sgSongList->model()->index(6, 0));
    QTest::mouseClick(w.sgSongList->viewport(), Qt::LeftButton, {}, row6.center());
    QTest::mouseDClick(w.sgSongList->viewport(), Qt::LeftButton, {}, row6.center());
    EXPECT_EQ(w.Player().CurrentIndex, 6);
    EXPECT_EQ(graph1->File, record + "/6.mp3");
    EXPECT_EQ(ItalicRows(), QList<int>{6});

    // Rows 2..4 deleted while entry 6 plays: the same song is entry 3.
    w.sgSongList->clearSelection();
    w.sgSongList->selectionModel()->select(
        QItemSelection(w.sgSongList->model()->index(2, 0), w.sgSongList->model()->index(4, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(w.sgSongList, Qt::Key_Delete);
    EXPECT_EQ(w.Player().CurrentIndex, 3);
    EXPECT_EQ(Rows().size(), 5);
    EXPECT_EQ(Rows().at(3), "Artist/Record/6.mp3");
    EXPECT_EQ(ItalicRows(), QList<int>{3});
    // Other keys do nothing.
    QTest::keyClick(w.sgSongList, Qt::Key_A);
    EXPECT_EQ(Rows().size(), 5);

    // Every row deleted: one empty row; the song plays on.
    w.sgSongList->selectAll();
    QTest::keyClick(w.sgSongList, Qt::Key_Delete);
    EXPECT_EQ(Rows(), QStringList{""});
    EXPECT_TRUE(ItalicRows().isEmpty());
    EXPECT_TRUE(graph1->IsPlaying);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, BuiltInCommandsQueueInNameOrderAndStartOnlyWhereTheyShould) {
    const QString first = Record("A/Artist/First", {"c.mp3", "a.mp3", "B.mp3", "Song.MP3",
                                                    "Song.mp3.txt", "noext", ".hidden.mp3"});
    const QString second = Record("A/Artist/Second", {"x.mp3", "y.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(first);
    EXPECT_EQ(w.Songs, (QStringList{"a.mp3", "B.mp3", "c.mp3", "Song.MP3"}));

    // A double click on a song appends it and never starts playback.
    w.DrawGridMusic->setCurrentIndex(w.DrawGridMusic->model()->index(1, 0));
    w.DrawGridMusicDblClick();
    EXPECT_EQ(Playlist(), QStringList{first + "/B.mp3"});
    EXPECT_TRUE(Logged("Play").isEmpty());

    // "Enqueue record" on a non-empty playlist only appends.
    QTest::mouseClick(w.btEnqueue, Qt::LeftButton);
    EXPECT_EQ(Playlist(), (QStringList{first + "/B.mp3", first + "/a.mp3", first + "/B.mp3",
                                       first + "/c.mp3", first + "/Song.MP3"}));
    EXPECT_TRUE(Logged("Play").isEmpty());

    // "Play record" replaces the playlist and plays its first song.
    ShowOnMusicTab(second);
    QTest::mouseClick(w.btPlayDir, Qt::LeftButton);
    EXPECT_EQ(Playlist(), (QStringList{second + "/x.mp3", second + "/y.mp3"}));
    EXPECT_EQ(graph1->File, second + "/x.mp3");
    EXPECT_TRUE(graph1->IsPlaying);

    // "Play song" on rows 0..1: the first one plays, the second is queued.
    w.DrawGridMusic->selectAll();
    QTest::mouseClick(w.btPlaySong, Qt::LeftButton);
    EXPECT_EQ(Playlist(), (QStringList{second + "/x.mp3", second + "/y.mp3"}));
    EXPECT_EQ(w.Player().CurrentIndex, 0);
    // "Enqueue song" appends the selected ones.
    w.DrawGridMusic->clearSelection();
    w.DrawGridMusic->selectRow(1);
    QTest::mouseClick(w.btEnqueueSong, Qt::LeftButton);
    EXPECT_EQ(Playlist().size(), 3);
    EXPECT_EQ(Playlist().last(), second + "/y.mp3");

    // "Enqueue record" on an empty playlist starts its first song.
    w.Player().ClearPlaylist();
    w._sbStopClick();
    ShowOnMusicTab(first);
    QTest::mouseClick(w.btEnqueue, Qt::LeftButton);
    EXPECT_EQ(w.Player().CurrentIndex, 0);
    EXPECT_EQ(w.Player().CurrentGraph().Playing(), true);
    EXPECT_EQ(w.Player().CurrentFile, first + "/a.mp3");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, RecordsTabCommandsTakeTheCurrentCellsRecord) {
    const QString one = Record("A/One", {"1.mp3"});
    const QString two = Record("A/Two", {"2b.mp3", "2a.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(one); // the Music tab shows another record
    w.PathOverride = root + "/A";
    w.PageControl->setCurrentWidget(w.tsRecords);
    ASSERT_EQ(w.RecordEntries.size(), 2);
    EXPECT_TRUE(w.cmPlay->isEnabled());
    EXPECT_TRUE(w.cmEnqueue->isEnabled());

    // A cell past the last record does nothing.
    w.DrawGridRecord->SetCurrentCell(3, 0);
    w.cmPlay->trigger();
    EXPECT_EQ(w.PlayerIfMade(), nullptr);

    w.DrawGridRecord->SetCurrentCell(1, 0);
    w.cmPlay->trigger();
    EXPECT_EQ(Playlist(), (QStringList{two + "/2a.mp3", two + "/2b.mp3"}));
    EXPECT_EQ(graph1->File, two + "/2a.mp3");
    // Enqueue and the double click append the cell's record.
    w.DrawGridRecord->SetCurrentCell(0, 0);
    w.cmEnqueue->trigger();
    w.DrawGridRecordDblClick();
    EXPECT_EQ(Playlist(),
              (QStringList{two + "/2a.mp3", two + "/2b.mp3", one + "/1.mp3", one + "/1.mp3"}));
    EXPECT_EQ(w.Player().CurrentIndex, 0);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(PlayerTabTest, ASongThatCannotBeLoadedIsReportedAndTheLabelShowsIt) {
    const QString record = Record("A/Artist/Record", {"bad.mp3", "good.mp3"});
    TFrmCrateboxMain& w = Open();
    ShowOnMusicTab(record);
    w.PageControl->setCurrentWidget(w.tsPlayer);
    RunGuarded([&] { w.btPlayDirClick(); });
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors.first(), "Cannot decode ($7).");
    EXPECT_EQ(w._lbPlaying->text(), record + "/bad.mp3");
    EXPECT_FALSE(graph1->IsPlaying);
    // The player stays usable.
    w.PlayIndex(1);
    EXPECT_TRUE(graph1->IsPlaying);
    EXPECT_EQ(graph1->File, record + "/good.mp3");
}

// The window's own GStreamer graphs, with TRALU_AUDIO_SINK set to a fake
// sink that keeps time: a record of three short songs plays to its end, the
// view following each song.
TEST_F(PlayerTabTest, TheWindowsOwnGraphsPlayARecordThrough) {
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("TRALU_AUDIO_SINK"));
    const QString record = root + "/A/Artist/Tones";
    QDir().mkpath(record);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(tralu::test::WriteToneWav(
            record + QStringLiteral("/%1.wav").arg(QChar('a' + (i == 2 ? 3 : i))), i * 22050,
            22050));
    WriteFile(record + "/c broken.wav", "RIFF not really");
    contexte->WriteBool("UseInternalPlayer", true);
    TFrmCrateboxMain& w = OpenWindow(QSize(1000, 700));
    ShowOnMusicTab(record);
    w.PageControl->setCurrentWidget(w.tsPlayer);
    QTest::mouseClick(window->btPlayDir, Qt::LeftButton);
    ASSERT_NE(w.PlayerIfMade(), nullptr);
    TPlayerCore& player = w.Player();
    EXPECT_EQ(player.Playlist.size(), 4);
    QStringList heard{player.CurrentFile};
    const auto ended = [&] {
        if (heard.last() != player.CurrentFile)
            heard << player.CurrentFile;
        return player.Status() == TPlayerCore::psStopped;
    };
    EXPECT_TRUE(QTest::qWaitFor(ended, 15000));
    // The broken song is reported and skipped; the last one plays.
    EXPECT_EQ(heard, (QStringList{record + "/a.wav", record + "/b.wav", record + "/d.wav"}));
    EXPECT_EQ(player.CurrentIndex, 3);
    EXPECT_EQ(ItalicRows(), QList<int>{3});
    QTest::qWait(50);
    ASSERT_EQ(errors.size(), 1) << errors.join('\n').toStdString();
    EXPECT_TRUE(errors.first().endsWith(").")) << errors.first().toStdString();
}

// --- the external player -----------------------------------------------------

class ExternalPlayerTest : public PlayerTabTest {
protected:
    // A program that writes its arguments, one per line, to a file named
    // after its first free number.
    QString RecordingProgram() {
        const QString program = dir.filePath("bin dir/rec player");
        WriteFile(program,
                  QStringLiteral("#!/bin/sh\n"
                                 "out=\"%1/call.$$\"\n"
                                 "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\"\n"
                                 "mv \"$out.tmp\" \"$out.txt\"\n")
                      .arg(dir.path())
                      .toUtf8());
        QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
        return program;
    }
    // The arguments of the calls made so far, waiting for count calls.
    QList<QStringList> Calls(int count) {
        QList<QStringList> calls;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            const QStringList files = QDir(dir.path()).entryList({"call.*.txt"}, QDir::Files);
            if (files.size() >= count) {
                for (const QString& file : files) {
                    QString text = QString::fromUtf8(ReadFile(dir.filePath(file)));
                    text.chop(1);
                    calls << text.split('\n');
                }
                return calls;
            }
            QTest::qWait(20);
        }
        return calls;
    }
};

TEST_F(ExternalPlayerTest, PlayRecordPassesTheFolderAsExactlyOneArgument) {
    const QString program = RecordingProgram();
    const QString record = Record("A/Art $(touch pwned) `id`/It's \"Live\" ; rm -rf x", {"a.mp3"});
    contexte->WriteString("PlaySong", "  \"" + program + "\"  ");
    TFrmCrateboxMain& w = Open(false);
    ShowOnMusicTab(record + "/");
    ASSERT_TRUE(w.btPlayDir->isEnabled());
    QTest::mouseClick(w.btPlayDir, Qt::LeftButton);
    const QList<QStringList> calls = Calls(1);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first(), QStringList{record});
    EXPECT_FALSE(QFile::exists("pwned"));
    EXPECT_FALSE(QFile::exists(dir.filePath("pwned")));
    // The built-in player was not used.
    EXPECT_EQ(w.PlayerIfMade(), nullptr);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(ExternalPlayerTest, EnqueueSongGivesTheOptionThenTheSong) {
    const QString program = RecordingProgram();
    const QString record = Record("A/Artist/Record", {"01 -x.mp3", "02 two.mp3"});
    contexte->WriteString("EnqueueSong", "\"" + program + "\" --enqueue");
    TFrmCrateboxMain& w = Open(false);
    ShowOnMusicTab(record);
    w.DrawGridMusic->selectRow(0);
    QTest::mouseClick(w.btEnqueueSong, Qt::LeftButton);
    const QList<QStringList> calls = Calls(1);
    ASSERT_EQ(calls.size(), 1);
    EXPECT_EQ(calls.first(), (QStringList{"--enqueue", record + "/01 -x.mp3"}));
}

TEST_F(ExternalPlayerTest, AProgramThatCannotStartHasNoEffect) {
    // An empty setting never runs the path itself, not even a song file
    // that happens to be an executable script.
    const QString record = dir.filePath("Music/A/Artist/Record");
    const QString marker = dir.filePath("ran");
    WriteFile(record + "/evil.mp3", ("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    QFile::setPermissions(record + "/evil.mp3",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    contexte->WriteString("PlaySong", "\"" + dir.filePath("missing") + "\"");
    contexte->WriteString("EnqueueSong", "");
    TFrmCrateboxMain& w = Open(false);
    ShowOnMusicTab(record);
    w.DrawGridMusic->selectRow(0);
    for (QPushButton* button : {w.btPlayDir, w.btEnqueue, w.btPlaySong, w.btEnqueueSong})
        QTest::mouseClick(button, Qt::LeftButton);
    w.DrawGridMusicDblClick();
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(w.PlayerIfMade(), nullptr);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

} // namespace
