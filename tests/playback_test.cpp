// SPDX-License-Identifier: GPL-3.0-or-later
// The Player on its own, without a window: what replaces a collection asks
// first when the user would lose changes, songs that cannot play are marked
// and said so, and a collection where nothing plays stops once.
#include "base/playmode.h"
#include "playback/filedrops.h"
#include "playback/player.h"
#include "playback/sessionkeeper.h"
#include "support/fakeservices.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {
class PlayerAlone : public ::testing::Test, public FakeServices {
public:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ctx.player.load();
    }
    QString file(const QString &name, const QByteArray &bytes = "ID3 not empty")
    {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    // A collection the user made and has not saved.
    void unsavedCollectionOf(int n)
    {
        SongCollection c;
        for (int i = 1; i <= n; ++i)
            c.entry(i) = {QStringLiteral("S%1").arg(i), dir.filePath(QStringLiteral("%1.mp3").arg(i)), {}, true};
        c.count = qint16(n);
        c.changed = true;
        heldCollection(ctx.player) = c;
    }
    QString yyu() { return file(QStringLiteral("list.yyu"), "Night\r\nA|a\r\n"); }

    QTemporaryDir dir;
};
} // namespace

TEST_F(PlayerAlone, EveryWayOfReplacingAnUnsavedCollectionAsksFirst)
{
    const struct {
        const char *what;
        std::function<void(PlayerAlone &)> replace;
    } ways[] = {
        {"a lone song", [](PlayerAlone &t) { t.ctx.player.playFile(t.file("new.mp3")); }},
        {"a .yyu", [](PlayerAlone &t) { t.ctx.player.playFile(t.yyu()); }},
        {"a playlist",
         [](PlayerAlone &t) { t.ctx.player.playFile(t.file("new.m3u", t.file("x.mp3").toUtf8() + "\n")); }},
        {"a drop of several songs",
         [](PlayerAlone &t) {
             dropOnMainWindow(t.dialogs, t.ctx.player, {t.file("a.mp3"), t.file("b.mp3")});
         }},
        {"a hand-off from a second copy",
         [](PlayerAlone &t) {
             t.backend.write(QStringLiteral("Liravo"), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"),
                             t.file("handed.mp3"));
             t.ctx.player.pickUpHandOff();
         }},
    };
    for (const auto &way : ways) {
        for (const Dialogs::Answer answer : {Dialogs::Answer::No, Dialogs::Answer::Yes}) {
            unsavedCollectionOf(3);
            dialogs.asked.clear();
            dialogs.messageAnswers.clear();
            dialogs.messageAnswers.enqueue(answer);
            way.replace(*this);
            ASSERT_EQ(dialogs.count("message"), 1) << way.what;
            EXPECT_EQ(dialogs.asked[0].text, "当前歌集尚未保存，是否舍去当前歌集？") << way.what;
            EXPECT_EQ(dialogs.asked[0].title, "未保存") << way.what;
            const bool kept = ctx.player.collection().count == 3 && ctx.player.collection().changed;
            EXPECT_EQ(kept, answer == Dialogs::Answer::No) << way.what;
        }
        // Nothing to lose: replaced without a question.
        heldCollection(ctx.player) = SongCollection{};
        dialogs.asked.clear();
        way.replace(*this);
        EXPECT_EQ(dialogs.count("message"), 0) << way.what;
        EXPECT_GT(ctx.player.collection().count, 0) << way.what;
    }
}

TEST_F(PlayerAlone, ASongThatNeverPlaysIsMarkedWithItsReason)
{
    const QString broken = file("broken.mp3", "not audio");
    SongCollection c;
    c.entry(1) = {QStringLiteral("坏"), broken, {}, true};
    c.entry(2) = {QStringLiteral("没了"), dir.filePath(QStringLiteral("gone.mp3")), {}, true};
    c.entry(3) = {QStringLiteral("网上"), {}, QStringLiteral("某人"), false};
    c.entry(4) = {QStringLiteral("好"), file("good.mp3"), {}, true};
    c.count = 4;
    ctx.player.replaceCollection(c);
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表播放")));
    QSignalSpy marked(&ctx.player, &Player::unplayableChanged);

    ctx.player.play(1);
    player.report(MediaPlayer::Stopped); // never reached Playing
    EXPECT_EQ(ctx.player.currentUnplayableReason(), "");
    ctx.player.tick(); // skips to entry 2
    EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(1)), "无法解码");
    EXPECT_EQ(ctx.player.currentIndex(), 2);
    player.report(MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(2)), "文件不存在");
    player.report(MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(3)), "找不到歌曲地址");
    EXPECT_EQ(ctx.player.currentIndex(), 4);
    EXPECT_EQ(marked.size(), 3);

    // One that plays carries no mark, and playing a marked one again clears it.
    player.report(MediaPlayer::Playing);
    EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(4)), "");
    QFile::resize(broken, 0);
    QFile(broken).open(QIODevice::WriteOnly);
    ctx.player.play(1);
    player.report(MediaPlayer::Playing);
    EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(1)), "");
    EXPECT_EQ(dialogs.count("message"), 0);
}

TEST_F(PlayerAlone, ACollectionWhereNothingPlaysStopsOnceWithAWord)
{
    for (const char *mode : {"列表循环", "随机播放", "单曲循环"}) {
        SongCollection c;
        for (int i = 1; i <= 3; ++i)
            c.entry(i) = {QStringLiteral("S%1").arg(i), dir.filePath(QStringLiteral("missing%1.mp3").arg(i)), {}, true};
        c.count = 3;
        ctx.player.replaceCollection(c);
        ctx.player.setMode(PlayMode::fromText(QString::fromUtf8(mode)));
        dialogs.asked.clear();
        ctx.player.play(1);
        int changes = 0;
        for (int round = 0; round < 20 && ctx.player.wanted(); ++round) {
            player.report(MediaPlayer::Stopped);
            ctx.player.tick();
            ++changes;
        }
        EXPECT_FALSE(ctx.player.wanted()) << mode;
        EXPECT_LE(changes, 12) << mode; // each song tried a few times at most, then a stop
        EXPECT_LE(dialogs.count("message"), 1) << mode;
        // Ticks after the stop start nothing again.
        const int urls = int(player.urls.size());
        ctx.player.tick();
        ctx.player.tick();
        EXPECT_EQ(player.urls.size(), urls) << mode;
    }
}

TEST_F(PlayerAlone, ASongWithoutItsDecoderSaysWhichPackageToInstall)
{
    const struct {
        const char *what;
        std::function<void(FakeMediaPlayer &)> end; // how the engine ends entry 1
        QString reason;
    } cases[] = {
        {"AAC", [](FakeMediaPlayer &p) { p.reportDecoderMissing({"gstreamer1.0-libav"}); },
         "缺少解码器，请安装 gstreamer1.0-libav"},
        {"WMA without its demuxer",
         [](FakeMediaPlayer &p) { p.reportDecoderMissing({"gstreamer1.0-plugins-ugly", "gstreamer1.0-libav"}); },
         "缺少解码器，请安装 gstreamer1.0-plugins-ugly 和 gstreamer1.0-libav"},
        {"a kind no package is known for", [](FakeMediaPlayer &p) { p.reportDecoderMissing({}); },
         "缺少解码器"},
        {"a broken file", [](FakeMediaPlayer &p) { p.report(MediaPlayer::Stopped); }, "无法解码"},
        // The engine named the previous source: this one is only broken.
        {"a report about another source",
         [](FakeMediaPlayer &p) {
             const QString url = p.url();
             p.setUrl(QStringLiteral("/elsewhere/other.m4a"));
             p.reportDecoderMissing({"gstreamer1.0-libav"});
             p.setUrl(url);
             p.report(MediaPlayer::Stopped);
         },
         "无法解码"},
    };
    for (const auto &k : cases) {
        SongCollection c;
        c.entry(1) = {QStringLiteral("没有解码器"), file("song.m4a"), {}, true};
        c.entry(2) = {QStringLiteral("好"), file("good.mp3"), {}, true};
        c.count = 2;
        ctx.player.replaceCollection(c);
        ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表播放")));
        ctx.player.play(1);
        k.end(player);
        ctx.player.tick();
        EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(1)), k.reason) << k.what;
        EXPECT_EQ(ctx.player.currentIndex(), 2) << k.what; // skipped to the next song
        player.report(MediaPlayer::Playing);
        EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(2)), "") << k.what;
    }
}

TEST_F(PlayerAlone, WhenNothingPlaysForWantOfDecodersTheWordNamesThePackages)
{
    SongCollection c;
    c.entry(1) = {QStringLiteral("甲"), file("a.m4a"), {}, true};
    c.entry(2) = {QStringLiteral("乙"), file("b.wma"), {}, true};
    c.entry(3) = {QStringLiteral("丙"), file("c.ape"), {}, true};
    c.entry(4) = {QStringLiteral("丁"), file("d.mp3", "broken"), {}, true};
    c.count = 4;
    ctx.player.replaceCollection(c);
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表循环")));
    dialogs.asked.clear();
    ctx.player.play(1);
    for (int round = 0; round < 12 && ctx.player.wanted(); ++round) {
        const QString url = player.url();
        if (url.endsWith(".wma"))
            player.reportDecoderMissing({"gstreamer1.0-plugins-ugly", "gstreamer1.0-libav"});
        else if (url.endsWith(".mp3"))
            player.report(MediaPlayer::Stopped);
        else
            player.reportDecoderMissing({"gstreamer1.0-libav"});
        ctx.player.tick();
    }
    EXPECT_FALSE(ctx.player.wanted());
    ASSERT_EQ(dialogs.count("message"), 1);
    // Each package list once, in the collection's order; the broken file adds nothing.
    EXPECT_EQ(dialogs.asked[0].text, "当前歌集中没有可以播放的歌曲。\n"
                                     "缺少解码器，请安装 gstreamer1.0-libav\n"
                                     "缺少解码器，请安装 gstreamer1.0-plugins-ugly 和 gstreamer1.0-libav");
}

TEST_F(PlayerAlone, TheNextLocalSongIsHandedToTheEngineForAGaplessJoin)
{
    SongCollection c;
    for (int i = 1; i <= 3; ++i)
        c.entry(i) = {QStringLiteral("S%1").arg(i), file(QStringLiteral("%1.mp3").arg(i)), {}, true};
    c.entry(4) = {QStringLiteral("网上"), QStringLiteral("http://music.test/4.mp3"), {}, false};
    c.count = 4;
    ctx.player.replaceCollection(c);
    const auto at = [&](int n) { return ctx.player.collection().entry(n).address; };
    const struct {
        const char *mode;
        int playing;
        int next; // 0: none, the end goes the usual way
    } cases[] = {
        {"列表播放", 1, 2}, {"列表播放", 2, 3}, {"列表播放", 4, 0}, // an online song is never joined
        {"列表循环", 3, 0}, {"单曲循环", 2, 2}, {"单曲播放", 1, 0},
    };
    for (const auto &k : cases) {
        ctx.player.setMode(PlayMode::fromText(QString::fromUtf8(k.mode)));
        ctx.player.play(k.playing);
        EXPECT_EQ(player.nextUrl, k.next ? at(k.next) : QString()) << k.mode << " " << k.playing;
    }

    // The engine's advance makes the joined song the current one, and the
    // one after it is aimed at in turn; no stop, no new source in between.
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表循环")));
    ctx.player.play(2);
    player.report(MediaPlayer::Playing);
    QSignalSpy current(&ctx.player, &Player::currentChanged);
    const int stops = player.stops;
    player.finish();
    EXPECT_EQ(ctx.player.currentIndex(), 3);
    EXPECT_EQ(current.size(), 1);
    EXPECT_EQ(player.stops, stops);
    EXPECT_TRUE(ctx.player.wanted());
    EXPECT_EQ(player.nextUrl, QString()); // entry 4 is online
    // An edit aims again: without the online song the loop goes back to the first.
    ctx.player.editCollection([](SongCollection &list) { list.count = 3; });
    EXPECT_EQ(player.nextUrl, at(1));
}

TEST_F(PlayerAlone, MuteSilencesAndUnmuteReturnsToTheVolumeBefore)
{
    ctx.player.setVolume(70);
    QSignalSpy muted(&ctx.player, &Player::mutedChanged);
    const struct {
        const char *what;
        std::function<void()> step;
        bool muted;
        int heard;  // the engine's volume
        int volume; // what the player reports and keeps
    } steps[] = {
        {"mute", [&] { ctx.player.setMuted(true); }, true, 0, 70},
        {"mute again", [&] { ctx.player.setMuted(true); }, true, 0, 70},
        {"unmute", [&] { ctx.player.setMuted(false); }, false, 70, 70},
        {"mute, then a new volume", [&] { ctx.player.setMuted(true); ctx.player.setVolume(40); }, false, 40, 40},
    };
    for (const auto &k : steps) {
        k.step();
        EXPECT_EQ(ctx.player.muted(), k.muted) << k.what;
        EXPECT_EQ(player.volume(), k.heard) << k.what;
        EXPECT_EQ(ctx.player.volume(), k.volume) << k.what;
    }
    EXPECT_EQ(muted.size(), 4); // on, off, on, off: repeats say nothing
    // Muting is not a volume the user chose: the stored one stays.
    ctx.player.setMuted(true);
    EXPECT_EQ(backend.read(QStringLiteral("Liravo"), QStringLiteral("设置"), QStringLiteral("音量")).value_or(""), "40");
}

TEST_F(PlayerAlone, ARestoredSessionWaitsPausedWhereTheUserLeftOff)
{
    SessionState s;
    for (int i = 1; i <= 3; ++i)
        s.collection.entry(i) = {QStringLiteral("S%1").arg(i), dir.filePath(QStringLiteral("%1.mp3").arg(i)), {}, true};
    s.collection.count = 3;
    s.collection.currentIndex = 2;
    s.collection.changed = true; // never saved: the questions still protect it
    s.positionMs = 30000;
    s.mode = PlayMode::fromText(QStringLiteral("单曲循环"));
    const struct {
        bool play;
        QList<int> missing;
    } cases[] = {{false, {}}, {false, {3}}, {true, {}}};
    for (const auto &c : cases) {
        heldCollection(ctx.player) = SongCollection{};
        player.calls.clear();
        player.seeks.clear();
        ctx.player.restoreSession(s, c.missing, c.play);
        EXPECT_EQ(ctx.player.currentIndex(), 2);
        EXPECT_TRUE(ctx.player.collection().changed);
        EXPECT_EQ(ctx.player.mode().text(), "单曲循环");
        EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(3)),
                  c.missing.isEmpty() ? "" : "文件不存在");
        if (c.play) {
            EXPECT_EQ(player.urls.last(), s.collection.entry(2).address);
            EXPECT_EQ(player.seeks, QList<qint64>{30000});
            continue;
        }
        // Nothing is opened until the user plays, and the tick leaves the
        // entry where it was.
        ctx.player.tick();
        ctx.player.tick();
        EXPECT_FALSE(player.calls.contains("play")) << player.calls.join(",").toStdString();
        EXPECT_EQ(ctx.player.currentIndex(), 2);
        EXPECT_EQ(ctx.player.state(), MediaPlayer::Paused);
        EXPECT_TRUE(ctx.player.holdsPause());
        EXPECT_EQ(ctx.player.position(), 30000);
        // A seek before playing moves the place the song will start from.
        ctx.player.seekBy(5000);
        EXPECT_EQ(ctx.player.position(), 35000);
        ctx.player.playPause();
        EXPECT_EQ(player.urls.last(), s.collection.entry(2).address);
        EXPECT_EQ(player.seeks, QList<qint64>{35000});
        EXPECT_TRUE(ctx.player.wanted());
        // Once played, a pause is the engine's again.
        player.report(MediaPlayer::Playing);
        player.positionMs = 36000;
        ctx.player.pause();
        EXPECT_EQ(ctx.player.position(), 36000);
    }
}

TEST_F(PlayerAlone, TheSessionIsKeptAMomentAfterEachChangeAndNeverOnTheTick)
{
    const QString path = dir.filePath(QStringLiteral("state/session"));
    SessionKeeper keeper(ctx.player, path);
    unsavedCollectionOf(3);
    ctx.player.play(2);
    player.report(MediaPlayer::Playing);
    player.positionMs = 12000;
    ctx.player.seek(12000);
    ASSERT_FALSE(QFile::exists(path)); // not at once: a moment later
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(path); }, 5000));

    const SessionLoad load = readSessionFile(path);
    ASSERT_TRUE(load.state.has_value()) << load.error.toStdString();
    EXPECT_EQ(load.state->collection.currentIndex, 2);
    EXPECT_EQ(load.state->positionMs, 12000);
    EXPECT_TRUE(load.state->collection.changed);
    EXPECT_FALSE(load.state->collection.playing);

    // Ticks alone write nothing.
    QFile::remove(path);
    player.report(MediaPlayer::Paused);
    ctx.player.pause();
    QTest::qWait(2500);
    ASSERT_TRUE(QFile::remove(path)); // the pause was kept
    for (int i = 0; i < 30; ++i)
        ctx.player.tick();
    QTest::qWait(2500);
    EXPECT_FALSE(QFile::exists(path));
    // At exit it is written at once.
    EXPECT_TRUE(keeper.saveNow());
    EXPECT_TRUE(QFile::exists(path));
}
