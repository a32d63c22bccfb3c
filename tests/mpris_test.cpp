// SPDX-License-Identifier: GPL-3.0-or-later
// The media-player interfaces on a private bus, spoken to from a second
// connection the way a desktop panel or playerctl would.
#include "playback/player.h"
#include "mpris/mprisbridge.h"
#include "playback/playentry.h"
#include "windows/mainviewmodel.h"
#include "mpris/qtmprisservice.h"
#include "support/fakeservices.h"
#include "support/privatebus.h"

#include <gtest/gtest.h>
#include <limits>
#include <vector>
#include <cmath>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QTemporaryDir>
#include <QSet>
#include <QTest>

namespace {
const QString kBus = QStringLiteral("org.mpris.MediaPlayer2.liravo");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProps = QStringLiteral("org.freedesktop.DBus.Properties");

class SignalLog : public QObject {
    Q_OBJECT
public:
    QList<QDBusMessage> messages;
public Q_SLOTS:
    void take(const QDBusMessage &m) { messages << m; }
};

class Mpris : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        fs.ctx.navigator = &fs.nav;
        fs.nav.onExitProgram = [this] { ++exits; };
        controller.load(QIcon());
        // As in the program: quitting asks the main window's exit command.
        QObject::connect(&bridge, &MprisBridge::quitRequested, [this] { controller.commands().exit(); });
        ASSERT_TRUE(bridge.publish());
        for (const char *signal : {"PropertiesChanged", "Seeked"})
            client.connect(kBus, kPath, QString(),
                           QString::fromLatin1(signal), &log, SLOT(take(QDBusMessage)));
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-client"));
    }

    QDBusMessage call(const QString &method, const QVariantList &args = {},
                      const QString &iface = kPlayer)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kBus, kPath, iface, method);
        m.setArguments(args);
        // The service answers on this thread, so the wait must keep it running.
        return client.call(m, QDBus::BlockWithGui, 5000);
    }
    QVariant prop(const QString &name, const QString &iface = kPlayer)
    {
        const QDBusMessage r = call(QStringLiteral("Get"), {iface, name}, kProps);
        EXPECT_EQ(r.type(), QDBusMessage::ReplyMessage) << name.toStdString() << " "
                                                        << r.errorMessage().toStdString();
        return r.arguments().value(0).value<QDBusVariant>().variant();
    }
    QVariantMap metadata()
    {
        return qdbus_cast<QVariantMap>(prop(QStringLiteral("Metadata")).value<QDBusArgument>());
    }
    void set(const QString &name, const QVariant &value)
    {
        call(QStringLiteral("Set"), {kPlayer, name, QVariant::fromValue(QDBusVariant(value))}, kProps);
    }
    // A collection of n local songs "S1".."Sn", entry `index` playing.
    void playingOf(int n, int index, bool saved = true)
    {
        SongCollection c;
        for (int i = 1; i <= n; ++i)
            c.entry(i) = {QStringLiteral("S%1").arg(i), QStringLiteral("/music/%1.mp3").arg(i),
                          QStringLiteral("A%1").arg(i), true};
        c.count = qint16(n);
        c.albumName = QStringLiteral("专辑");
        c.saved = saved;
        c.changed = !saved;
        heldCollection(fs.ctx.player) = c;
        fs.player.stateAfterPlay = MediaPlayer::Playing;
        fs.ctx.player.play(index);
        fs.player.durationMs = 30000;
        fs.player.positionMs = 12000;
        fs.ctx.player.tick();
    }
    QStringList changedNames(const QDBusMessage &m)
    {
        return qdbus_cast<QVariantMap>(m.arguments().value(1).value<QDBusArgument>()).keys();
    }

    PrivateBus bus;
    QDBusConnection service = QDBusConnection::connectToBus(bus.address(), QStringLiteral("mpris-service"));
    QDBusConnection client = QDBusConnection::connectToBus(bus.address(), QStringLiteral("mpris-client"));
    FakeServices fs;
    MainViewModel controller{fs.ctx, QColor(120, 120, 120)};
    QtMprisService mprisService{service};
    MprisBridge bridge{fs.ctx.player, mprisService, fs.http};
    SignalLog log;
    int exits = 0;
};
} // namespace

TEST_F(Mpris, PropertiesFollowThePlayer)
{
    EXPECT_EQ(prop("Identity", kRoot).toString(), "Liravo");
    EXPECT_EQ(prop("DesktopEntry", kRoot).toString(), "Liravo");
    EXPECT_TRUE(prop("CanRaise", kRoot).toBool());
    EXPECT_TRUE(prop("CanQuit", kRoot).toBool());
    EXPECT_EQ(prop("SupportedUriSchemes", kRoot).toStringList(),
              (QStringList{"file", "http", "https"}));
    EXPECT_TRUE(prop("SupportedMimeTypes", kRoot).toStringList().contains("audio/mpeg"));
    EXPECT_EQ(prop("PlaybackStatus").toString(), "Stopped");
    EXPECT_FALSE(prop("CanPlay").toBool());
    EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(), MprisBridge::noTrack());

    playingOf(3, 2);
    EXPECT_EQ(prop("PlaybackStatus").toString(), "Playing");
    const QVariantMap m = metadata();
    const QString second = m.value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_TRUE(second.startsWith("/org/mpris/MediaPlayer2/liravo/track/")) << second.toStdString();
    EXPECT_EQ(m.value("xesam:title").toString(), "S2");
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"A2"});
    EXPECT_EQ(m.value("xesam:album").toString(), "专辑");
    EXPECT_EQ(m.value("xesam:url").toString(), "file:///music/2.mp3");
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 30000000);
    EXPECT_EQ(prop("Position").toLongLong(), 12000000);
    EXPECT_DOUBLE_EQ(prop("Volume").toDouble(), 0.8);
    EXPECT_DOUBLE_EQ(prop("Rate").toDouble(), 1.0);
    for (const char *yes : {"CanGoNext", "CanGoPrevious", "CanPlay", "CanPause", "CanSeek", "CanControl"})
        EXPECT_TRUE(prop(QString::fromLatin1(yes)).toBool()) << yes;

    // At the end of the list there is no next, exactly as label 5 says.
    fs.ctx.player.play(3);
    fs.ctx.player.tick();
    EXPECT_FALSE(prop("CanGoNext").toBool());
    EXPECT_EQ(prop("CanGoNext").toBool(), fs.ctx.player.canNext());
    // The song's own album and cover, once read, stand for it alone.
    bridge.setSongDetails(QStringLiteral("魔杰座"), QStringLiteral("/cache/covers/ab 1.jpg"));
    EXPECT_EQ(metadata().value("xesam:album").toString(), "魔杰座");
    EXPECT_EQ(metadata().value("mpris:artUrl").toString(), "file:///cache/covers/ab%201.jpg");
    // Each entry made current gets an id of its own, also when it comes back.
    const QString third = metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
    fs.ctx.player.play(2);
    fs.ctx.player.tick();
    const QString secondAgain = metadata().value("mpris:trackid").value<QDBusObjectPath>().path();
    EXPECT_EQ(QSet<QString>({second, third, secondAgain}).size(), 3);
    EXPECT_EQ(metadata().value("xesam:album").toString(), "专辑");
    EXPECT_FALSE(metadata().contains("mpris:artUrl"));
}

TEST_F(Mpris, MethodsGoThroughTheControllersOperations)
{
    playingOf(3, 2);
    call("Pause");
    EXPECT_EQ(fs.player.calls.last(), "pause");
    fs.ctx.player.tick();
    EXPECT_EQ(prop("PlaybackStatus").toString(), "Paused");
    EXPECT_EQ(controller.labelText(MainViewModel::PlayPause), "播放");
    call("Play");
    EXPECT_EQ(fs.player.calls.last(), "play");
    fs.ctx.player.tick();
    EXPECT_EQ(prop("PlaybackStatus").toString(), "Playing");
    call("PlayPause");
    EXPECT_EQ(fs.player.calls.last(), "pause");
    call("PlayPause");
    EXPECT_EQ(fs.player.calls.last(), "play");

    fs.ctx.player.tick();
    call("Next");
    EXPECT_EQ(fs.player.urls.last(), "/music/3.mp3");
    fs.ctx.player.tick();
    call("Previous");
    EXPECT_EQ(fs.player.urls.last(), "/music/2.mp3");

    fs.ctx.player.tick();
    fs.player.positionMs = 12000;
    call("Seek", {qlonglong(5000000)});
    const QVariant current = metadata().value("mpris:trackid");
    const QVariant stale = QVariant::fromValue(QDBusObjectPath(MprisBridge::trackIdFor(999)));
    call("SetPosition", {current, qlonglong(20000000)});
    call("SetPosition", {stale, qlonglong(1000000)});
    call("SetPosition", {current, qlonglong(99000000)});
    EXPECT_EQ(fs.player.seeks, (QList<qint64>{17000, 20000}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.messages.size() >= 2 && log.messages.last().member() == "Seeked"; }));
    EXPECT_EQ(log.messages.last().arguments().value(0).toLongLong(), 20000000);

    call("Stop");
    EXPECT_EQ(fs.player.calls.last(), "stop");
    EXPECT_FALSE(heldCollection(fs.ctx.player).playing);

    int shown = 0;
    QObject::connect(&bridge, &MprisBridge::raiseRequested, [&] { ++shown; });
    call("Raise", {}, kRoot);
    EXPECT_EQ(shown, 1);
}

TEST_F(Mpris, LoopStatusAndShuffleMapOntoThePlayModes)
{
    const struct {
        const char *mode, *loop;
        bool shuffle;
    } reads[] = {{"列表播放", "None", false}, {"列表循环", "Playlist", false},
                 {"单曲循环", "Track", false}, {"随机播放", "Playlist", true},
                 {"单曲播放", "None", false}};
    for (const auto &r : reads) {
        controller.choosePlayMode(QString::fromUtf8(r.mode));
        EXPECT_EQ(prop("LoopStatus").toString(), r.loop) << r.mode;
        EXPECT_EQ(prop("Shuffle").toBool(), r.shuffle) << r.mode;
    }

    const struct {
        const char *from, *property;
        QVariant value;
        const char *to;
    } writes[] = {
        {"列表循环", "LoopStatus", "None", "列表播放"},
        {"列表播放", "LoopStatus", "Playlist", "列表循环"},
        {"列表播放", "LoopStatus", "Track", "单曲循环"},
        {"单曲播放", "LoopStatus", "None", "单曲播放"},
        {"单曲播放", "LoopStatus", "Track", "单曲循环"},
        {"随机播放", "LoopStatus", "Playlist", "随机播放"},
        {"列表播放", "LoopStatus", "Sometimes", "列表播放"},
        {"列表播放", "Shuffle", true, "随机播放"},
        {"单曲循环", "Shuffle", false, "单曲循环"},
        {"随机播放", "Shuffle", false, "列表循环"},
    };
    for (const auto &w : writes) {
        controller.choosePlayMode(QString::fromUtf8(w.from));
        set(QString::fromLatin1(w.property), w.value);
        EXPECT_EQ(controller.playMode(), QString::fromUtf8(w.to)) << w.from << " " << w.property;
        // Stored exactly as the menu stores it.
        EXPECT_EQ(fs.backend.read("Liravo", "设置", "播放模式").value_or(""), QString::fromUtf8(w.to));
    }
}

TEST_F(Mpris, ShuffleOffGoesBackToTheModeItLeft)
{
    for (const char *before : {"列表播放", "单曲循环", "列表循环"}) {
        controller.choosePlayMode(QString::fromUtf8(before));
        const QString loop = prop("LoopStatus").toString();
        set("Shuffle", true);
        EXPECT_EQ(controller.playMode(), "随机播放") << before;
        set("Shuffle", false);
        EXPECT_EQ(controller.playMode(), QString::fromUtf8(before));
        EXPECT_EQ(prop("LoopStatus").toString(), loop) << before;
    }
}

TEST_F(Mpris, DetailsPanelsRelyOn)
{
    // A rate the player cannot play at is ignored, not refused.
    const QDBusMessage rate = call(QStringLiteral("Set"),
                                   {kPlayer, QStringLiteral("Rate"), QVariant::fromValue(QDBusVariant(2.0))}, kProps);
    EXPECT_EQ(rate.type(), QDBusMessage::ReplyMessage) << rate.errorMessage().toStdString();
    EXPECT_DOUBLE_EQ(prop("Rate").toDouble(), 1.0);

    // Paused and stopped, the current song is still described.
    playingOf(3, 2);
    call("Pause");
    fs.ctx.player.tick();
    EXPECT_EQ(metadata().value("xesam:title").toString(), "S2");
    call("Stop");
    fs.ctx.player.tick();
    EXPECT_EQ(prop("PlaybackStatus").toString(), "Stopped");
    EXPECT_FALSE(metadata().value("xesam:title").toString().isEmpty());

    // Lyrics go out whole, once, with the song's other details.
    bridge.setLyricsText(QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(metadata().value("xesam:asText").toString(), "第一行\n第二行");

    // A playlist opened from outside plays its first song.
    QTemporaryDir dir;
    QFile song(dir.filePath("一.mp3"));
    ASSERT_TRUE(song.open(QIODevice::WriteOnly));
    song.write("ID3 not empty");
    song.close();
    QFile list(dir.filePath("list.m3u8"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(song.fileName().toUtf8() + "\n");
    list.close();
    call("OpenUri", {QUrl::fromLocalFile(list.fileName()).toString(QUrl::FullyEncoded)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs.player.urls.last() == song.fileName(); }, 2000));
}

TEST_F(Mpris, VolumeIsReadAndWrittenOnTheEnginesScale)
{
    set("Volume", 0.5);
    EXPECT_EQ(fs.player.volume(), 50);
    EXPECT_EQ(fs.backend.read("Liravo", "设置", "音量").value_or(""), "50");
    set("Volume", 1.7);
    EXPECT_DOUBLE_EQ(prop("Volume").toDouble(), 1.0);
    set("Volume", -1.0);
    EXPECT_EQ(fs.player.volume(), 0);
}

TEST_F(Mpris, WritesOutsideAnyRangeAreIgnoredOrKeptWithinTheSong)
{
    // Volume: what is not a number leaves the volume as it was.
    set("Volume", 0.5);
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity()}) {
        set("Volume", bad);
        EXPECT_EQ(fs.player.volume(), 50) << bad;
    }
    EXPECT_EQ(fs.backend.read("Liravo", "设置", "音量").value_or(""), "50");

    // Seeks by the largest offsets end at the song's ends; places outside
    // the song are refused.
    playingOf(3, 2);
    const QVariant track = metadata().value("mpris:trackid");
    const qlonglong most = std::numeric_limits<qlonglong>::max();
    const qlonglong least = std::numeric_limits<qlonglong>::min();
    const struct {
        const char *method;
        QVariantList args;
        QList<qint64> seeks;
    } cases[] = {
        {"Seek", {most}, {30000}},
        {"Seek", {least}, {0}},
        {"SetPosition", {track, most}, {}},
        {"SetPosition", {track, least}, {}},
        {"SetPosition", {track, qlonglong(-1)}, {}},
    };
    for (const auto &c : cases) {
        fs.player.seeks.clear();
        EXPECT_EQ(call(c.method, c.args).type(), QDBusMessage::ReplyMessage) << c.method;
        // As vectors: Qt 6.4 compares an empty list with a null one through memcmp(nullptr).
        EXPECT_EQ(std::vector<qint64>(fs.player.seeks.begin(), fs.player.seeks.end()),
                  std::vector<qint64>(c.seeks.begin(), c.seeks.end()))
            << c.method << " " << c.args.last().toLongLong();
    }
}

TEST_F(Mpris, OpenUriPlaysFilesAndWebAddressesAndRefusesTheRest)
{
    QTemporaryDir dir;
    const QString mp3 = dir.filePath("歌 一.mp3");
    QFile f(mp3);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("ID3 not empty");
    f.close();

    EXPECT_EQ(call("OpenUri", {QUrl::fromLocalFile(mp3).toString(QUrl::FullyEncoded)}).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_EQ(fs.player.urls.last(), mp3);
    EXPECT_EQ(heldCollection(fs.ctx.player).count, 1);

    EXPECT_EQ(call("OpenUri", {"https://music.example/a.mp3"}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(fs.player.urls.last(), "https://music.example/a.mp3");

    for (const char *bad : {"ftp://music.example/a.mp3", "file:///no/such/file.mp3", "歌.mp3"})
        EXPECT_EQ(call("OpenUri", {QString::fromUtf8(bad)}).type(), QDBusMessage::ErrorMessage) << bad;
    EXPECT_EQ(fs.player.urls.size(), 2);
}

TEST_F(Mpris, PropertiesChangedOnlyWhenSomethingChanged)
{
    playingOf(3, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.messages.isEmpty(); }));
    // Everything starting the song announced has arrived, however loaded the
    // machine and the bus are.
    QTest::qWait(300);
    log.messages.clear();
    for (int i = 0; i < 3; ++i)
        fs.ctx.player.tick();
    QTest::qWait(100);
    EXPECT_TRUE(log.messages.isEmpty());

    call("Next");
    fs.ctx.player.tick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.messages.isEmpty(); }));
    const QDBusMessage m = log.messages.first();
    EXPECT_EQ(m.member(), "PropertiesChanged");
    EXPECT_EQ(m.arguments().value(0).toString(), kPlayer);
    const QVariantMap changed = qdbus_cast<QVariantMap>(m.arguments().value(1).value<QDBusArgument>());
    const QVariantMap meta = qdbus_cast<QVariantMap>(changed.value("Metadata").value<QDBusArgument>());
    EXPECT_EQ(meta.value("xesam:title").toString(), "S2");
    EXPECT_FALSE(changed.contains("PlaybackStatus"));
    EXPECT_FALSE(changed.contains("Volume"));
}

TEST_F(Mpris, QuitAsksFirstAboutAnUnsavedCollection)
{
    playingOf(2, 1, false);
    fs.dialogs.messageAnswers << Dialogs::Answer::No << Dialogs::Answer::Yes;
    call("Quit", {}, kRoot);
    EXPECT_EQ(fs.dialogs.count("message"), 1);
    EXPECT_EQ(fs.dialogs.asked.last().text, "当前歌集尚未保存，是否舍去当前歌集？");
    EXPECT_EQ(exits, 0);
    call("Quit", {}, kRoot);
    EXPECT_EQ(fs.dialogs.count("message"), 2);
    EXPECT_EQ(exits, 1);
}

// A web request in flight (a lookup inside a tick) holds commands until it is over.
TEST_F(Mpris, CommandsWaitWhileAWebRequestIsOut)
{
    playingOf(3, 1);
    fs.http.isBusy = true;
    call("Next");
    QTest::qWait(150);
    EXPECT_EQ(fs.player.urls.last(), "/music/1.mp3");
    fs.http.isBusy = false;
    EXPECT_TRUE(QTest::qWaitFor([&] { return fs.player.urls.last() == "/music/2.mp3"; }, 2000));
}

#include "mpris_test.moc"
