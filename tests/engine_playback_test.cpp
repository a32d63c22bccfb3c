// SPDX-License-Identifier: GPL-3.0-or-later
// The playback tick driving the real audio engine (null output, real time)
// through a collection of generated songs: tags fill the entries, finished
// songs advance by the play mode, and entries that cannot play are skipped.
#include "playback/player.h"
#include "base/playmode.h"
#include "ui/appcontext.h"
#include "playback/playentry.h"
#include "windows/mainviewmodel.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "engine/gstplayer.h"
#include "support/fakeservices.h"
#include "support/mp3gen.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

class EnginePlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        controller = std::make_unique<MainViewModel>(ctx);
        controller->load(QIcon());
        player->setObserver(&starts);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ctx.player.tick();
            captions << controller->caption();
        });
    }

    void addLocal(const QString &path)
    {
        SongEntry &e = heldCollection(ctx.player).entry(++heldCollection(ctx.player).count);
        e.address = path;
        e.isLocal = true;
    }

    QString song(const QString &name, const Mp3Recipe &recipe)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeMp3(path, recipe));
        return path;
    }

    // Runs the 100 ms tick until done() or the time is up.
    bool tickUntil(const std::function<bool()> &done, int ms)
    {
        timer.start(100);
        QDeadlineTimer deadline(ms);
        while (!done() && !deadline.hasExpired())
            QTest::qWait(20);
        timer.stop();
        return done();
    }

    QTemporaryDir dir;
    std::unique_ptr<GstPlayer> player =
        std::make_unique<GstPlayer>(GstPlayer::Options{.audioOutput = QStringLiteral("null")});
    FakeServices services{{.player = player.get()}};
    AppContext &ctx = services.ctx;
    std::unique_ptr<MainViewModel> controller;
    QTimer timer;
    // Every source that reached the playing state.
    struct Starts : MediaPlayerObserver {
        // Records, then hands every report on to the player, whose own
        // observer this stands in for.
        Starts(MediaPlayer &p, MediaPlayerObserver &o) : player(p), next(o) {}
        void engineStateChanged(PlayState s) override
        {
            if (s == MediaPlayer::Playing)
                urls << player.url();
            next.engineStateChanged(s);
        }
        void engineTagsChanged() override { next.engineTagsChanged(); }
        void engineAdvanced(const QString &url) override
        {
            urls << url;
            next.engineAdvanced(url);
        }
        void engineDecoderMissing(const QString &url, const QStringList &packages) override
        {
            next.engineDecoderMissing(url, packages);
        }
        MediaPlayer &player;
        MediaPlayerObserver &next;
        QStringList urls;
    } starts{*player, ctx.player};
    QStringList &started = starts.urls;
    QStringList captions; // the caption after each tick
};

TEST_F(EnginePlayback, ListPlayRunsThroughTheCollectionSkippingWhatCannotPlay)
{
    const QString first = song("first.mp3", {.seconds = 0.6, .title = "童话", .artist = "光良"});
    QFile garbage(dir.filePath("garbage.mp3"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(5000, '\x5a'));
    garbage.close();
    const QString last = song("last.mp3", {.seconds = 0.6,
                                           .v1Title = QByteArray::fromHex("baf3c0b4"),
                                           .v1Artist = QByteArray::fromHex("c1f5c8f4d3a2")});
    addLocal(first);
    addLocal(dir.filePath("missing.mp3"));
    addLocal(garbage.fileName());
    addLocal(last);
    heldCollection(ctx.player).albumName = QStringLiteral("测试歌集");
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表播放")));

    ctx.player.play(1);
    ASSERT_TRUE(tickUntil([&] { return !heldCollection(ctx.player).playing; }, 15000))
        << "stuck at entry " << heldCollection(ctx.player).currentIndex;
    EXPECT_EQ(started, (QStringList{first, last}));
    // Tags reached the untitled entries, GBK ones included.
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, QStringLiteral("童话"));
    EXPECT_EQ(heldCollection(ctx.player).entry(1).singer, QStringLiteral("光良"));
    EXPECT_EQ(heldCollection(ctx.player).entry(4).songName, QStringLiteral("后来"));
    EXPECT_EQ(heldCollection(ctx.player).entry(4).singer, QStringLiteral("刘若英"));
    EXPECT_TRUE(captions.contains(QStringLiteral("童话[播放中...][Liravo]")));
    EXPECT_TRUE(captions.contains(QStringLiteral("后来[播放中...][Liravo]")));

    // After the last entry: idle, back at entry 1 and the engine stopped.
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_EQ(player->playState(), MediaPlayer::Stopped);
    EXPECT_TRUE(controller->labelText(MainViewModel::SongName).isEmpty());
}

TEST_F(EnginePlayback, SingleRepeatPlaysTheSameSongAgain)
{
    const QString only = song("only.mp3", {.seconds = 0.4, .title = "循环"});
    addLocal(only);
    addLocal(song("other.mp3", {.seconds = 0.4}));
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("单曲循环")));
    ctx.player.play(1);
    ASSERT_TRUE(tickUntil([&] { return started.size() >= 3; }, 15000));
    EXPECT_EQ(started, QStringList(started.size(), only));
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_TRUE(heldCollection(ctx.player).playing);
}

TEST_F(EnginePlayback, PausedSongResumesWhereItStoodAndSeeks)
{
    addLocal(song("long.mp3", {.seconds = 30}));
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表播放")));
    ctx.player.play(1);
    ASSERT_TRUE(tickUntil([&] { return player->position() > 500; }, 10000));
    // A plain MP3 has no length field: it is known once enough frames are read.
    ASSERT_TRUE(tickUntil([&] { return player->duration() > 0; }, 5000));
    EXPECT_NEAR(double(player->duration()), 30000.0, 100.0);
    controller->clickLabel(MainViewModel::PlayPause); // 暂停
    QTest::qWait(150); // the engine takes the pause on its own thread
    const qint64 stood = player->position();
    for (int i = 0; i < 5; ++i) {
        ctx.player.tick();
        QTest::qWait(60);
    }
    EXPECT_EQ(player->playState(), MediaPlayer::Paused);
    EXPECT_EQ(player->position(), stood);
    EXPECT_TRUE(controller->caption().contains(QStringLiteral("[暂停]")));

    controller->clickLabel(MainViewModel::PlayPause); // 播放
    ASSERT_TRUE(tickUntil([&] { return player->position() > stood + 200; }, 10000));
    EXPECT_LT(player->position(), stood + 5000);
    EXPECT_EQ(controller->labelText(MainViewModel::PlayPause), QStringLiteral("暂停"));

    player->seek(20000);
    ASSERT_TRUE(tickUntil([&] { return player->position() >= 20000; }, 5000));
    EXPECT_LT(player->position(), 22000);
    player->seek(99000); // clamped to the end: the song is over
    ASSERT_TRUE(tickUntil([&] { return !heldCollection(ctx.player).playing; }, 5000));
    EXPECT_EQ(player->position(), -1);
}

} // namespace
