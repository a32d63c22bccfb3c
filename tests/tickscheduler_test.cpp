// SPDX-License-Identifier: GPL-3.0-or-later
// Timer1 sleeps while no tick can change anything and wakes on user input,
// engine events and a second copy's hand-off, which reaches the running copy
// through the settings file without the store being read while idle.
#include "playback/player.h"
#include "windows/mainwindow.h"
#include "playback/playentry.h"
#include "windows/mainviewmodel.h"
#include "playback/tickscheduler.h"
#include "store/memorysettingsbackend.h"
#include "store/sqlitesettingsbackend.h"
#include "store/storewatch.h"
#include "support/fakeservices.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

bool waitFor(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QTest::qWait(5);
    return done();
}

// The real store, counting the reads that reach it.
class CountingStore : public SettingsBackend {
public:
    explicit CountingStore(const QString &path) : store(path) {}
    std::optional<QString> read(const QString &a, const QString &s, const QString &k) override
    {
        ++reads;
        return store.read(a, s, k);
    }
    void write(const QString &a, const QString &s, const QString &k, const QString &v) override
    {
        store.write(a, s, k, v);
    }
    SqliteSettingsBackend store;
    int reads = 0;
};

// The engine is made before the services that use it and outlives them.
struct EngineFirst {
    FakeMediaPlayer engine;
};

class TickSleep : public ::testing::Test, protected EngineFirst, protected FakeServices {
protected:
    TickSleep() : FakeServices({.player = &engine}) {}
    void SetUp() override
    {
        window = std::make_unique<MainWindow>(ctx);
        ctx.player.setHandOffWatched(true);
        timer = ctx.player.findChild<QTimer *>(QStringLiteral("Timer1"));
        ASSERT_NE(timer, nullptr);
    }
    bool asleep() { return waitFor([&] { return !timer->isActive(); }, 2000); }
    void wantSongs(int n)
    {
        for (int i = 1; i <= n; ++i) {
            SongEntry &e = heldCollection(ctx.player).entry(++heldCollection(ctx.player).count);
            e.address = QStringLiteral("/music/%1.mp3").arg(i);
            e.isLocal = true;
        }
        ctx.player.play(1);
    }

    std::unique_ptr<MainWindow> window;
    QTimer *timer = nullptr;
};

TEST_F(TickSleep, SleepsWhenNothingIsWantedAndWakesOnInputAndEngineEvents)
{
    ASSERT_TRUE(asleep());
    // Asleep for good: nothing wakes it by itself.
    QTest::qWait(300);
    EXPECT_FALSE(timer->isActive());

    // A click anywhere in the program.
    QLabel *name = window->findChild<QLabel *>(QStringLiteral("Label1_1"));
    QTest::mouseClick(name, Qt::LeftButton);
    EXPECT_TRUE(timer->isActive());
    ASSERT_TRUE(asleep());

    // The engine changing state, e.g. a remote control starting a song.
    engine.report(MediaPlayer::Playing);
    EXPECT_TRUE(timer->isActive());
    ASSERT_TRUE(asleep()); // nothing wanted: the tick stops it again
    EXPECT_EQ(engine.state, MediaPlayer::Stopped);
}

TEST_F(TickSleep, TicksWhileASongIsWantedUnlessItIsPaused)
{
    ASSERT_TRUE(asleep());
    wantSongs(1);
    engine.report(MediaPlayer::Transitioning);
    QTest::qWait(TickScheduler::kQuietTicks * 100 + 300);
    EXPECT_TRUE(timer->isActive());

    engine.report(MediaPlayer::Paused);
    ASSERT_TRUE(asleep());
    EXPECT_TRUE(heldCollection(ctx.player).playing);

    // The song ending while paused (a stream that broke) is still seen.
    engine.report(MediaPlayer::Stopped);
    EXPECT_TRUE(timer->isActive());
}

TEST_F(TickSleep, SleepsWhileASongPlaysSteadilyAndWakesForItsTagsAndItsEnd)
{
    ASSERT_TRUE(asleep());
    wantSongs(2);
    engine.report(MediaPlayer::Transitioning);
    QTest::qWait(TickScheduler::kQuietTicks * 100 + 300);
    EXPECT_TRUE(timer->isActive()); // still opening

    engine.report(MediaPlayer::Playing);
    ASSERT_TRUE(asleep());
    engine.reportTitle(QStringLiteral("稻香"));
    EXPECT_TRUE(timer->isActive());
    QLabel *name = window->findChild<QLabel *>(QStringLiteral("Label1_1"));
    EXPECT_TRUE(waitFor([&] { return name->text() == QStringLiteral("稻香"); }, 1000));
    ASSERT_TRUE(asleep());

    // The end wakes it, and the tick goes on by the play mode.
    engine.report(MediaPlayer::Stopped);
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(waitFor([&] { return engine.url() == QStringLiteral("/music/2.mp3"); }, 1000));
}

TEST(HandOffUnwatched, AStoreThatCannotBeWatchedIsReadOnEveryTick)
{
    FakeServices services;
    MainWindow window(services.ctx);
    QTimer *timer = services.ctx.player.findChild<QTimer *>(QStringLiteral("Timer1"));
    QTest::qWait(TickScheduler::kQuietTicks * 100 + 300);
    EXPECT_TRUE(timer->isActive());
    QTemporaryDir dir;
    const QString song = writeSong(dir.filePath(QStringLiteral("b.mp3")));
    services.backend.write(Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"), song);
    EXPECT_TRUE(waitFor([&] { return services.player.urls.contains(song); }, 1000));
}

// A store that refuses writes until it has room again.
class FullStore : public MemorySettingsBackend {
public:
    void write(const QString &a, const QString &s, const QString &k, const QString &v) override
    {
        if (full)
            refused[entryKey(a, s, k)] = v;
        else
            MemorySettingsBackend::write(a, s, k, v);
    }
    bool retryUnsaved() override
    {
        if (full)
            return false;
        for (auto it = refused.cbegin(); it != refused.cend(); ++it) {
            const QStringList parts = it.key().split(QChar(1));
            MemorySettingsBackend::write(parts[0], parts[1], parts[2], it.value());
        }
        refused.clear();
        return true;
    }
    bool hasUnsaved() const override { return !refused.isEmpty(); }
    bool full = true;
    QHash<QString, QString> refused;
};

TEST(UnsavedSettings, KeepTheTickRetryingUntilTheStoreTakesThem)
{
    FullStore store;
    Settings settings(store, QStringLiteral("Liravo"));
    FakeServices services{{.settings = &settings}};
    MainWindow window(services.ctx);
    services.ctx.player.setHandOffWatched(true);
    QTimer *timer = services.ctx.player.findChild<QTimer *>(QStringLiteral("Timer1"));
    services.ctx.player.setVolume(services.ctx.player.volume() + 5);
    ASSERT_TRUE(store.hasUnsaved());
    QTest::qWait(TickScheduler::kQuietTicks * 100 + 300);
    EXPECT_TRUE(timer->isActive());
    store.full = false;
    EXPECT_TRUE(waitFor([&] { return !store.hasUnsaved() && !timer->isActive(); }, 3000));
    EXPECT_TRUE(store.read(Settings::sharedAppName(), QStringLiteral("设置"), QStringLiteral("音量")).has_value());
}

TEST(HandOffWatch, ASecondCopysWriteIsPickedUpQuicklyWithoutReadingTheStoreWhileIdle)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("settings.sqlite3"));
    CountingStore store(db);
    ASSERT_TRUE(store.store.isOpen());
    Settings settings(store, QStringLiteral("Liravo"));
    FakeServices services{{.settings = &settings}};
    MainWindow window(services.ctx);
    StoreWatch watch(db);
    ASSERT_TRUE(watch.watching());
    services.ctx.player.setHandOffWatched(true);
    QObject::connect(&watch, &StoreWatch::changed, &services.ctx.player,
                     &Player::handOffMayHaveChanged);
    QTimer *timer = services.ctx.player.findChild<QTimer *>(QStringLiteral("Timer1"));
    ASSERT_TRUE(waitFor([&] { return !timer->isActive(); }, 2000));

    const int readsBefore = store.reads;
    QTest::qWait(500);
    EXPECT_EQ(store.reads, readsBefore);

    const QString song = writeSong(dir.filePath(QStringLiteral("交给你.mp3")));
    // The second copy: its own connection to the same file.
    {
        SqliteSettingsBackend second(db);
        QElapsedTimer clock;
        clock.start();
        second.write(Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"), song);
        ASSERT_TRUE(waitFor([&] { return services.player.urls.contains(song); }, 1000));
        EXPECT_LT(clock.elapsed(), 200);
    }
    EXPECT_EQ(storedEntry(settings, Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"), "x"),
              QString());
}

} // namespace

#include "tickscheduler_test.moc"
