// SPDX-License-Identifier: GPL-3.0-or-later
// The real player on a private session bus, driven with gdbus as a desktop
// script would drive it.
#include "base/songcollection.h"
#include "collection/yyufile.h"
#include "support/mp3gen.h"
#include "support/notificationserver.h"
#include "support/playerhome.h"
#include "support/privatebus.h"
#include "support/processoutput.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace {
class MprisProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
        home.env.insert("QT_LOGGING_RULES", "liravo.window.debug=true");
        home.env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    }
    void TearDown() override { stopProcesses({&running}); }

    QString mp3(const QString &name, const QString &title)
    {
        const QString path = home.filePath(name);
        EXPECT_TRUE(writeMp3(path, {.seconds = 30, .title = title}));
        return path;
    }

    // A saved collection "三首" of the songs "一", "二" and "三"; its path.
    QString threeSongs(int seconds)
    {
        SongCollection three;
        const QStringList titles = {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")};
        for (int i = 1; i <= 3; ++i) {
            const QString path = home.filePath(QStringLiteral("%1.mp3").arg(i));
            EXPECT_TRUE(writeMp3(path, {.seconds = seconds, .title = titles[i - 1]}));
            three.entry(i) = {titles[i - 1], path, {}, true};
        }
        three.count = 3;
        three.albumName = QStringLiteral("三首");
        QFile out(home.filePath("three.yyu"));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(serializeCollection(three));
        return out.fileName();
    }

    // gdbus's printed answer, e.g. "(<'Playing'>,)".
    QString gdbus(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral("gdbus"), QStringList{"call", "--address", bus.address()} + args);
        if (!p.waitForFinished(10000))
            return QStringLiteral("<gdbus hung>");
        return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    }
    QStringList player(const QString &method, const QStringList &args = {})
    {
        return QStringList{"--dest", "org.mpris.MediaPlayer2.liravo", "--object-path",
                           "/org/mpris/MediaPlayer2", "--method", method} + args;
    }
    QString get(const QString &property)
    {
        return gdbus(player("org.freedesktop.DBus.Properties.Get",
                            {"org.mpris.MediaPlayer2.Player", property}));
    }
    QString call(const QString &method, const QStringList &args = {})
    {
        return gdbus(player("org.mpris.MediaPlayer2.Player." + method, args));
    }
    qint64 position()
    {
        const auto m = QRegularExpression(QStringLiteral("int64 (-?\\d+)")).match(get("Position"));
        return m.hasMatch() ? m.captured(1).toLongLong() : -1;
    }
    bool waitFor(const QString &property, const QString &part, int ms = 10000)
    {
        return QTest::qWaitFor([&] { return get(property).contains(part); }, ms);
    }
    QString stored(const QString &section, const QString &key) { return home.stored(section, key); }

    PlayerHome home{QStringLiteral(LIRAVO_BINARY)};
    PrivateBus bus;
    QProcess running;
    ProcessOutput output{running};
};
} // namespace

TEST_F(MprisProcess, ADesktopScriptControlsThePlayer)
{
    ASSERT_TRUE(home.start(running, {mp3("song.mp3", QStringLiteral("开场曲"))}));

    ASSERT_TRUE(waitFor("PlaybackStatus", "'Playing'")) << get("PlaybackStatus").toStdString();
    EXPECT_TRUE(waitFor("Metadata", "'xesam:title': <'开场曲'>")) << get("Metadata").toStdString();
    // The name belongs to this copy; a second copy hands over and leaves it so.
    const QStringList owner = {"--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                               "--method", "org.freedesktop.DBus.GetConnectionUnixProcessID",
                               "org.mpris.MediaPlayer2.liravo"};
    const QString ownerPid = QStringLiteral("(uint32 %1,)").arg(running.processId());
    EXPECT_EQ(gdbus(owner), ownerPid);
    QProcess second;
    ASSERT_TRUE(home.start(second, {}));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(gdbus(owner), ownerPid);

    // A pause holds the position; play goes on from there.
    ASSERT_TRUE(QTest::qWaitFor([&] { return position() > 200000; }, 5000)); // under way
    call("Pause");
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Paused'"))
        << get("PlaybackStatus").toStdString() << output.seen();
    QTest::qWait(200);
    const qint64 stood = position();
    ASSERT_GT(stood, 0);
    QTest::qWait(1000);
    EXPECT_EQ(position(), stood);
    call("Play");
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Playing'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return position() > stood + 300000; }, 5000));
    EXPECT_LT(position(), stood + 4000000);

    gdbus(player("org.freedesktop.DBus.Properties.Set",
                 {"org.mpris.MediaPlayer2.Player", "Volume", "<0.5>"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return stored("设置", "音量") == "50"; }, 5000))
        << stored("设置", "音量").toStdString();

    // Three songs: Next goes from the first to the second.
    const QString yyu = threeSongs(30);
    EXPECT_EQ(call("OpenUri", {QUrl::fromLocalFile(yyu).toString()}), "()");
    // A collection opened from outside starts with its first song.
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Playing'"));
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'一'>"))
        << get("Metadata").toStdString() << output.seen();
    ASSERT_TRUE(waitFor("CanGoNext", "true"));
    call("Next");
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'二'>")) << get("Metadata").toStdString();
    EXPECT_TRUE(waitFor("PlaybackStatus", "'Playing'"));
    EXPECT_TRUE(get("Metadata").contains("2.mp3"));
}

TEST_F(MprisProcess, ComesBackWhereTheUserLeftOffAndTellsEachNewSongOnce)
{
    // The desktop's notification server, on the same private bus.
    QDBusConnection server = QDBusConnection::connectToBus(bus.address(), QStringLiteral("notify-server"));
    NotificationServer notices;
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notices,
                                      QDBusConnection::ExportAllSlots));
    home.store("设置", "歌曲通知", "总是");

    const QString yyu = threeSongs(60);

    ASSERT_TRUE(home.start(running, {}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return get("PlaybackStatus").contains("Stopped"); }, 10000));
    EXPECT_EQ(call("OpenUri", {QUrl::fromLocalFile(yyu).toString()}), "()");
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'一'>")) << output.seen();
    ASSERT_TRUE(waitFor("CanGoNext", "true"));
    call("Next");
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'二'>"));
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Playing'"));
    call("Pause");
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Paused'"));
    call("Seek", {QString::number(30000000 - position())});
    ASSERT_TRUE(QTest::qWaitFor([&] { return qAbs(position() - 30000000) < 1000000; }, 5000))
        << position();
    // One bubble per new song, each replacing the one before.
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices.calls.size() >= 2; }, 5000)) << output.seen();
    EXPECT_EQ(notices.calls.size(), 2);
    EXPECT_EQ(notices.calls[0].summary, "一");
    EXPECT_EQ(notices.calls[1].summary, "二");
    EXPECT_EQ(notices.calls[0].replaces, 0u);
    EXPECT_EQ(notices.calls[1].replaces, 41u);
    EXPECT_EQ(notices.calls[1].app, "Liravo");

    gdbus({"--dest", "org.mpris.MediaPlayer2.liravo", "--object-path", "/org/mpris/MediaPlayer2",
           "--method", "org.mpris.MediaPlayer2.Quit"});
    ASSERT_TRUE(running.waitForFinished(10000)) << output.seen();

    // A start without a file: the same song at the same place, paused.
    ASSERT_TRUE(home.start(running, {}));
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'二'>")) << get("Metadata").toStdString() << output.seen();
    EXPECT_TRUE(waitFor("PlaybackStatus", "'Paused'"));
    EXPECT_LT(qAbs(position() - 30000000), 1000000) << position();
    QTest::qWait(500);
    EXPECT_EQ(notices.calls.size(), 2); // nothing new started
    // Play goes on from there.
    call("Play");
    ASSERT_TRUE(waitFor("PlaybackStatus", "'Playing'"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return position() > 30500000; }, 5000)) << position();
    EXPECT_LT(position(), 35000000);

    // The desktop ending the session ends the player cleanly, keeping where it was.
    call("Next");
    ASSERT_TRUE(waitFor("Metadata", "'xesam:title': <'三'>"));
    running.terminate();
    ASSERT_TRUE(running.waitForFinished(10000));
    EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(output.seen().find("termination signal"), std::string::npos);
    QFile session(home.filePath("state/liravo/session"));
    ASSERT_TRUE(session.open(QIODevice::ReadOnly));
    EXPECT_TRUE(session.readAll().contains("\"current\": 3"));
    QDBusConnection::disconnectFromBus(QStringLiteral("notify-server"));
}
