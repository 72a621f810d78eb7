// The desktop media controls on a session bus of their own (the program
// runs under dbus-run-session): a second connection of the test drives the
// window's player through the MPRIS 2 interfaces, as a desktop's sound menu
// would.  The player plays through recording fake graphs.
#include "../player/fake_graph.h"
#include "app/cx_fmain.h"
#include "app/cx_mpris.h"
#include "gui_fixture.h"
#include "player/cx_player.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Records the PropertiesChanged signals of the player's object.
class TChangeRecorder : public QObject {
    Q_OBJECT
public:
    QList<QVariantMap> Changes;
    QList<qlonglong> Seeks;
    // The value last signalled for the property; invalid when none was.
    QVariant Last(const QString& property) const {
        for (auto it = Changes.rbegin(); it != Changes.rend(); ++it)
            if (it->contains(property))
                return it->value(property);
        return {};
    }
public slots:
    void Seeked(qlonglong position) { Seeks << position; }
    void PropertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList&) {
        if (interface == kPlayer)
            Changes << changed;
    }
};

// An ID3v1 tag of 128 bytes.
QByteArray Id3v1(const QByteArray& title, const QByteArray& artist, const QByteArray& album) {
    const auto field = [](QByteArray text, int size) {
        text.resize(size, '\0');
        return text;
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field("2001", 4) +
           field("", 30) + QByteArray(1, char(255));
}

class MprisTest : public tralu::test::GuiFixture {
protected:
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure())
            return;
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            GTEST_SKIP() << "no session bus: run under dbus-run-session";
        root = dir.filePath("Music");
        QDir().mkpath(root);
        contexte->WriteString("MusicRoot", root);
        contexte->WriteBool("UseInternalPlayer", true);
        CollectErrors();
    }
    TFrmCrateboxMain& Open() {
        TFrmCrateboxMain& w = OpenWindow(QSize(900, 600));
        w.MediaGraphFactory = [this](int number) {
            auto graph = std::make_unique<TFakeGraph>(number, log);
            (number == 1 ? graph1 : graph2) = graph.get();
            return graph;
        };
        return w;
    }
    // A call through the test's own connection, answered while the window's
    // events run.
    QDBusMessage Call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(TMprisService::ServiceName, kPath, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = client.asyncCall(message, 5000);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 6000));
        QTest::qWait(10); // the signals that follow the reply
        return pending.reply();
    }
    QVariant Get(const QString& interface, const QString& property) {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {interface, property});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        if (reply.arguments().isEmpty())
            return {};
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QVariantMap Metadata() {
        return qdbus_cast<QVariantMap>(Get(kPlayer, "Metadata").value<QDBusArgument>());
    }
    bool NameOnBus() {
        return client.interface()->isServiceRegistered(TMprisService::ServiceName).value();
    }

    QString root;
    QStringList log;
    TFakeGraph* graph1 = nullptr;
    TFakeGraph* graph2 = nullptr;
    QDBusConnection client =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("mpris-client"));
};

TEST_F(MprisTest, TheSoundMenuPlaysARecordAndFollowsIt) {
    const QString record = root + "/Blue Trio/First Record";
    WriteFile(record + "/01 Intro.mp3");
    WriteFile(record + "/02 Second.mp3",
              QByteArray(500, 'x') + Id3v1("The Second", "Blue", "First"));
    TFrmCrateboxMain& w = Open();
    ASSERT_TRUE(client.isConnected());
    ASSERT_EQ(w.MediaControls()->RegisteredName(), TMprisService::ServiceName);
    EXPECT_TRUE(NameOnBus());
    TChangeRecorder recorder;
    ASSERT_TRUE(client.connect(TMprisService::ServiceName, kPath, "org.freedesktop.DBus.Properties",
                               "PropertiesChanged", &recorder,
                               SLOT(PropertiesChanged(QString, QVariantMap, QStringList))));

    ASSERT_TRUE(client.connect(TMprisService::ServiceName, kPath, kPlayer, "Seeked", &recorder,
                               SLOT(Seeked(qlonglong))));

    EXPECT_EQ(Get(kRoot, "Identity").toString(), "Tralu");
    EXPECT_EQ(Get(kRoot, "DesktopEntry").toString(), "tralu");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Stopped");
    EXPECT_FALSE(Get(kPlayer, "CanPlay").toBool());

    // OpenUri of a record folder: its songs become the playlist and play.
    QDBusMessage reply = Call(kPlayer, "OpenUri", {QUrl::fromLocalFile(record).toString()});
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    EXPECT_EQ(w.Player().Playlist,
              (QStringList{record + "/01 Intro.mp3", record + "/02 Second.mp3"}));
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(Get(kPlayer, "CanGoNext").toBool());
    EXPECT_FALSE(Get(kPlayer, "CanGoPrevious").toBool());
    // The first song has no tags: its names stand in.
    QVariantMap metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "01 Intro");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Blue Trio"});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "First Record");
    EXPECT_EQ(metadata.value("xesam:url").toString(),
              QUrl::fromLocalFile(record + "/01 Intro.mp3").toString());
    EXPECT_EQ(metadata.value("mpris:length").toLongLong(), 60000000);
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/tralu/track/0");
    EXPECT_EQ(recorder.Last("PlaybackStatus").toString(), "Playing");
    EXPECT_EQ(qdbus_cast<QVariantMap>(recorder.Last("Metadata").value<QDBusArgument>())
                  .value("xesam:title")
                  .toString(),
              "01 Intro");

    // Next: the second song, with its tags.
    Call(kPlayer, "Next");
    EXPECT_EQ(w.Player().CurrentIndex, 1);
    EXPECT_EQ(graph1->File, record + "/02 Second.mp3");
    metadata = Metadata();
    EXPECT_EQ(metadata.value("xesam:title").toString(), "The Second");
    EXPECT_EQ(metadata.value("xesam:artist").toStringList(), QStringList{"Blue"});
    EXPECT_EQ(metadata.value("xesam:album").toString(), "First");
    EXPECT_FALSE(Get(kPlayer, "CanGoNext").toBool());
    EXPECT_TRUE(Get(kPlayer, "CanGoPrevious").toBool());

    // Pause, then PlayPause resumes; the buttons of the tab follow.
    recorder.Changes.clear();
    Call(kPlayer, "Pause");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Paused");
    EXPECT_TRUE(w._sbPause->isChecked());
    EXPECT_EQ(recorder.Last("PlaybackStatus").toString(), "Paused");
    Call(kPlayer, "PlayPause");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
    EXPECT_TRUE(w._sbPlay->isChecked());

    // Seeking: relative, absolute on the current track only.
    graph1->Position = 10000;
    log.clear();
    Call(kPlayer, "Seek", {qlonglong(5000000)});
    Call(kPlayer, "SetPosition",
         {QVariant::fromValue(QDBusObjectPath("/org/tralu/track/1")), qlonglong(20000000)});
    Call(kPlayer, "SetPosition",
         {QVariant::fromValue(QDBusObjectPath("/org/tralu/track/0")), qlonglong(30000000)});
    EXPECT_EQ(log, (QStringList{"1:Seek 15000", "1:Seek 20000"}));
    EXPECT_EQ(recorder.Seeks, (QList<qlonglong>{15000000, 20000000}));
    EXPECT_EQ(Get(kPlayer, "Position").toLongLong(), 10000000);

    // Previous goes back; Stop stops.
    Call(kPlayer, "Previous");
    EXPECT_EQ(w.Player().CurrentIndex, 0);
    Call(kPlayer, "Stop");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Stopped");
    EXPECT_TRUE(w._sbStop->isChecked());

    // A URI that names nothing to play is refused; the playlist stays.
    reply = Call(kPlayer, "OpenUri", {QStringLiteral("http://example.com/x.mp3")});
    EXPECT_EQ(reply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(w.Player().Playlist.size(), 2);

    // Quit closes the window as its own close does: the settings are written.
    Call(kRoot, "Quit");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 3000));
    EXPECT_TRUE(ReadFile(settingsFile).contains("\"UseInternalPlayer\"=dword:00000001"));
    EXPECT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString();
}

TEST_F(MprisTest, RegisteredOnlyWhileTheBuiltInPlayerIsInUse) {
    contexte->WriteBool("UseInternalPlayer", false);
    TFrmCrateboxMain& w = Open();
    EXPECT_EQ(w.MediaControls(), nullptr);
    EXPECT_FALSE(NameOnBus());
    w.UseInternalPlayer = true;
    w.UpdateMediaControls();
    EXPECT_TRUE(NameOnBus());
    w.UseInternalPlayer = false;
    w.UpdateMediaControls();
    EXPECT_FALSE(NameOnBus());
}

} // namespace

#include "mpris_test.moc"
