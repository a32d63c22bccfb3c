// SPDX-License-Identifier: GPL-3.0-or-later
// The start-up procedure, the first activation, the single-copy rule and its
// lock, and the engine that is only loaded when the first song is set.
#include "playback/player.h"
#include "ui/appcontext.h"
#include "engine/lazymediaplayer.h"
#include "base/settings.h"
#include "app/startup.h"
#include "collection/sessionfile.h"
#include "store/memorysettingsbackend.h"
#include "store/qtinstancelock.h"
#include "store/sqlitesettingsbackend.h"
#include "support/fakeservices.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <type_traits>

// Services are given all at once: none can be left out, so no code checks for one.
static_assert(!std::is_default_constructible_v<Services>);

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {
class Startup : public ::testing::Test, protected FakeServices {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ctx.navigator = &nav;
        nav.onShowSongList = [this] { ++songListShows; };
        nav.onExitProgram = [this] { ++exits; };
        tray.add(QIcon(), QStringLiteral("Liravo"));
    }

    QString stored(const QString &section, const QString &key)
    {
        return backend.read("Liravo", section, key).value_or(QStringLiteral("<missing>"));
    }
    QString touch(const QString &name)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        return f.fileName();
    }
    // A saved collection of two songs.
    QString yyuFile(const QString &name)
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Night\r\nA|a\r\nB|b\r\n");
        return f.fileName();
    }

    QTemporaryDir dir;
    int songListShows = 0;
    int exits = 0;
};
} // namespace

TEST_F(Startup, FirstRunOpensTheBlogOnceAndRecordsTheVersion)
{
    backend.write("Liravo", "版本更新", "当前版本", "20000101");
    backend.write("Liravo", "网站", "博客", "127.0.0.1:8765");
    StartupProcedure first(ctx);
    first.run();
    EXPECT_EQ(stored("版本更新", "当前版本"), "20140529");
    EXPECT_EQ(browser.opened, QStringList{"http://127.0.0.1:8765/?post=105"});
    EXPECT_EQ(stored("设置", "firstRun"), "False");

    StartupProcedure second(ctx);
    second.run();
    EXPECT_EQ(browser.opened.size(), 1);

    // No browser at all: start-up goes on and the first run is over.
    backend.clear();
    backend.write("Liravo", "网站", "博客", "127.0.0.1:8765");
    browser.succeed = false;
    StartupProcedure third(ctx);
    third.run();
    EXPECT_EQ(stored("设置", "firstRun"), "False");
    // Any letter case of "false" counts.
    backend.write("Liravo", "设置", "firstRun", "FALSE");
    StartupProcedure fourth(ctx);
    fourth.run();
    EXPECT_EQ(browser.opened.size(), 2);
}

TEST_F(Startup, FirstRunWithoutABlogOpensNothing)
{
    for (const char *blank : {"", "  "}) {
        backend.clear();
        if (*blank)
            backend.write("Liravo", "网站", "博客", blank);
        StartupProcedure(ctx).run();
        EXPECT_TRUE(browser.opened.isEmpty());
        EXPECT_EQ(stored("设置", "firstRun"), "False");
    }
}

TEST_F(Startup, LastCollectionIsReopenedOnlyWhenItExistsAndNothingIsLoaded)
{
    backend.write("Liravo", "设置", "firstRun", "False");
    backend.write("Liravo", "歌集", "最后的歌集地址", dir.filePath("deleted.yyu"));
    StartupProcedure gone(ctx);
    gone.run();
    EXPECT_EQ(stored("歌集", "最后的歌集地址"), dir.filePath("deleted.yyu"));
    gone.firstActivation(7);
    EXPECT_EQ(ctx.player.collection().count, 0);
    EXPECT_EQ(songListShows, 1);

    const QString yyu = yyuFile("last.yyu");
    backend.write("Liravo", "歌集", "最后的歌集地址", yyu);
    StartupProcedure kept(ctx);
    kept.run();
    kept.firstActivation(7);
    EXPECT_EQ(ctx.player.collection().count, 2);
    EXPECT_EQ(ctx.player.collection().filePath, yyu);
    EXPECT_FALSE(ctx.player.collection().playing);
    EXPECT_EQ(ctx.player.collection().currentIndex, 1);
    EXPECT_TRUE(player.urls.isEmpty());
    // Later activations (restoring from the tray) repeat nothing.
    heldCollection(ctx.player) = SongCollection{};
    kept.firstActivation(7);
    EXPECT_EQ(ctx.player.collection().count, 0);
    EXPECT_EQ(songListShows, 2);
}

TEST_F(Startup, SoleCopyStartedWithAFile)
{
    const QString yyu = yyuFile("last.yyu");
    backend.write("Liravo", "歌集", "最后的歌集地址", yyu);
    // A hand-off nobody took yet stays for the playback tick.
    backend.write("Liravo", "程序多开", "歌曲文件", "/music/waiting.mp3");
    const QString song = touch("a.mp3");
    ctx.session.commandLine = QLatin1Char('"') + song + QLatin1Char('"');
    int shownBeforePlaying = -1;
    QObject::connect(&ctx.player, &Player::currentChanged, [&] { shownBeforePlaying = songListShows; });
    StartupProcedure s(ctx);
    EXPECT_FALSE(s.handOverToRunningCopy(ctx.session.commandLine));
    s.run();
    s.firstActivation(0x4a0001);
    EXPECT_TRUE(lock.held);
    EXPECT_EQ(stored("程序多开", "句柄"), QString::number(0x4a0001));
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "/music/waiting.mp3");
    // The song fills the collection, so the last collection stays closed.
    EXPECT_EQ(player.urls, QStringList{song});
    EXPECT_EQ(ctx.player.collection().count, 1);
    EXPECT_TRUE(ctx.player.collection().playing);
    EXPECT_EQ(exits, 0);
    // The song list is on the screen before the untitled song is added.
    EXPECT_EQ(shownBeforePlaying, 1);
}

TEST_F(Startup, SoleCopyTakesOverAnUncollectedHandOff)
{
    const QString left = touch("left.mp3");
    backend.write("Liravo", "程序多开", "歌曲文件", left);
    StartupProcedure s(ctx);
    s.run();
    s.firstActivation(5);
    EXPECT_EQ(player.urls, QStringList{left});
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "");
}

TEST_F(Startup, SecondCopyHandsItsFileOverAndEnds)
{
    lock.otherCopyRunning = true;
    backend.write("Liravo", "程序多开", "句柄", "1234");
    backend.write("Liravo", "程序多开", "歌曲文件", "");
    ctx.session.commandLine = QStringLiteral("/music/new.mp3");
    StartupProcedure s(ctx);
    EXPECT_TRUE(s.handOverToRunningCopy(ctx.session.commandLine));
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "/music/new.mp3");
    EXPECT_EQ(stored("程序多开", "show"), "true");
    EXPECT_EQ(stored("程序多开", "句柄"), "1234");
    EXPECT_TRUE(player.urls.isEmpty());
    EXPECT_EQ(songListShows, 0);
    EXPECT_EQ(dialogs.count("message"), 0);

    // Without a file a waiting hand-off is left alone; with no handle stored
    // it asks nobody to come forward.
    backend.clear();
    ctx.session.commandLine.clear();
    backend.write("Liravo", "程序多开", "歌曲文件", "/music/old.mp3");
    StartupProcedure t(ctx);
    EXPECT_TRUE(t.handOverToRunningCopy(ctx.session.commandLine));
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "/music/old.mp3");
    EXPECT_EQ(stored("程序多开", "show"), "<missing>");
}

// The slot holds one file: a second hand-off waits until the running copy has
// taken the first, and says so when that does not happen in time.
TEST_F(Startup, SecondHandOffWaitsForTheSlotAndReportsWhenItStaysFull)
{
    lock.otherCopyRunning = true;
    backend.write("Liravo", "程序多开", "歌曲文件", "/music/b.yyu");
    ctx.session.commandLine = QStringLiteral("/music/c.yyu");
    StartupProcedure s(ctx);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(s.handOverToRunningCopy(ctx.session.commandLine));
    // It waits, but never longer than a user would wait for a copy that
    // only hands a file over.
    EXPECT_GE(clock.elapsed(), 3000);
    EXPECT_LE(clock.elapsed(), 5000);
    EXPECT_EQ(stored("程序多开", "歌曲文件"), "/music/b.yyu");
    ASSERT_EQ(dialogs.count("message"), 1);
    EXPECT_TRUE(dialogs.asked[0].text.contains("/music/c.yyu"));

    // Taken meanwhile by the running copy (another connection to the real
    // store): written, nothing to say.
    const QString db = dir.filePath("settings.sqlite3");
    SqliteSettingsBackend store(db);
    Settings real{store, QStringLiteral("Liravo")};
    FakeServices withRealStore{{.settings = &real, .dialogs = &dialogs}};
    withRealStore.lock.otherCopyRunning = true;
    withRealStore.ctx.session.commandLine = ctx.session.commandLine;
    store.write("Liravo", "程序多开", "歌曲文件", "/music/b.yyu");
    dialogs.asked.clear();
    StartupProcedure t(withRealStore.ctx);
    std::optional<QString> taken;
    QThread *runningCopy = QThread::create([&] {
        SqliteSettingsBackend other(db);
        QThread::msleep(100);
        taken = other.take("Liravo", "程序多开", "歌曲文件");
    });
    runningCopy->start();
    EXPECT_TRUE(t.handOverToRunningCopy(withRealStore.ctx.session.commandLine));
    runningCopy->wait();
    delete runningCopy;
    EXPECT_EQ(taken.value_or("<none>"), "/music/b.yyu");
    EXPECT_EQ(store.read("Liravo", "程序多开", "歌曲文件").value_or("<none>"), "/music/c.yyu");
    EXPECT_EQ(dialogs.count("message"), 0);
}

TEST(InstanceLock, OneHolderPerNameAndDeadHoldersDoNotCount)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                              | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    EXPECT_EQ(QtInstanceLock::lockFolder(), runtime.path());

    {
        QtInstanceLock a(QStringLiteral("LiravoTest"));
        QtInstanceLock b(QStringLiteral("LiravoTest"));
        QtInstanceLock other(QStringLiteral("OtherName"));
        EXPECT_TRUE(a.tryLock());
        EXPECT_TRUE(a.tryLock());
        EXPECT_FALSE(b.tryLock());
        EXPECT_TRUE(other.tryLock());
        a.unlock();
        EXPECT_TRUE(b.tryLock());
    }

    // A lock left by a process that has ended (a crash) is taken over.
    QProcess gone;
    gone.start(QStringLiteral("/bin/true"));
    ASSERT_TRUE(gone.waitForFinished());
    const qint64 deadPid = gone.processId() ? gone.processId() : 999999;
    QFile stale(runtime.filePath(QStringLiteral("LiravoTest.lock")));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write(QByteArray::number(deadPid) + "\nLiravo\n" + QSysInfo::machineHostName().toUtf8()
                + "\n");
    stale.close();
    QtInstanceLock next(QStringLiteral("LiravoTest"));
    EXPECT_TRUE(next.tryLock());

    // Without a runtime folder a per-user temporary folder serves.
    qunsetenv("XDG_RUNTIME_DIR");
    const QString fallback = QtInstanceLock::lockFolder();
    EXPECT_TRUE(fallback.startsWith(QDir::tempPath()));
    EXPECT_TRUE(QFileInfo(fallback).isDir());
}

TEST(LazyEngine, MadeWhenTheFirstSourceIsSet)
{
    int made = 0;
    FakeMediaPlayer *engine = nullptr;
    LazyMediaPlayer lazy([&]() -> std::unique_ptr<MediaPlayer> {
        ++made;
        auto p = std::make_unique<FakeMediaPlayer>();
        engine = p.get();
        return p;
    });
    lazy.setVolume(80);
    lazy.stop();
    lazy.play();
    lazy.pause();
    EXPECT_EQ(lazy.playState(), MediaPlayer::Undefined);
    EXPECT_EQ(lazy.volume(), 80);
    EXPECT_EQ(made, 0);

    lazy.setUrl(QStringLiteral("/music/a.mp3"));
    ASSERT_EQ(made, 1);
    EXPECT_EQ(engine->calls, (QStringList{"volume 80", "gain 0 0 0", "setUrl /music/a.mp3"}));
    engine->report(MediaPlayer::Playing);
    engine->titleTag = QStringLiteral("歌");
    EXPECT_EQ(lazy.playState(), MediaPlayer::Playing);
    EXPECT_EQ(lazy.title(), "歌");
    lazy.setUrl(QString());
    EXPECT_EQ(made, 1);
}

TEST_F(Startup, AStartWithoutAFileComesBackWhereTheUserLeftOff)
{
    const QString yyu = yyuFile("last.yyu");
    SessionState left;
    for (int i = 1; i <= 3; ++i)
        left.collection.entry(i) = {QStringLiteral("S%1").arg(i), touch(QStringLiteral("%1.mp3").arg(i)), {}, true};
    left.collection.count = 3;
    left.collection.currentIndex = 2;
    left.positionMs = 30000;
    const QString session = dir.filePath("state/session");
    const QString song = touch("given.mp3");
    const struct {
        const char *setting; // "" leaves it unset
        bool withFile;
        const char *sessionBytes; // nullptr: the session written above
        int count;                // what the collection holds after the start
        QStringList urls;         // what the engine was given
        bool told;                // a message about the session file
    } cases[] = {
        {"", false, nullptr, 3, {}, false},
        {"暂停", false, nullptr, 3, {}, false},
        {"播放", false, nullptr, 3, {left.collection.entry(2).address}, false},
        {"不恢复", false, nullptr, 2, {}, false}, // the last collection, as before
        {"暂停", true, nullptr, 1, {song}, false},
        {"暂停", false, "{ not json", 2, {}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.setting) + (c.withFile ? " with a file" : "")
                     + (c.sessionBytes ? " damaged" : ""));
        QDir(dir.filePath("state")).removeRecursively();
        QString why;
        ASSERT_TRUE(writeSessionFile(left, &why, session)) << why.toStdString();
        if (c.sessionBytes) {
            QFile f(session);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.sessionBytes);
        }
        backend.clear();
        backend.write("Liravo", "设置", "firstRun", "False");
        backend.write("Liravo", "歌集", "最后的歌集地址", yyu);
        if (*c.setting)
            backend.write("Liravo", "设置", "启动时", QString::fromUtf8(c.setting));
        heldCollection(ctx.player) = SongCollection{};
        player.urls.clear();
        dialogs.asked.clear();
        ctx.session.commandLine = c.withFile ? song : QString();

        StartupProcedure s(ctx);
        s.run(session);
        s.firstActivation(7);
        EXPECT_EQ(ctx.player.collection().count, c.count);
        EXPECT_EQ(player.urls, c.urls);
        EXPECT_EQ(dialogs.count("message"), c.told ? 1 : 0);
        if (c.count == 3 && c.urls.isEmpty()) {
            EXPECT_EQ(ctx.player.position(), 30000); // waiting, paused, where it was left
        }
        // A damaged file is put aside, never deleted; one not read stays.
        EXPECT_EQ(QFile::exists(session), !c.told);
        EXPECT_EQ(QDir(dir.filePath("state")).entryList(QDir::Files).size(), 1);
    }
}
