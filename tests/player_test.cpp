// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's logic against a fake engine: load, file opening, label
// buttons, pop-up commands, the playback tick and the play modes.
#include "playback/player.h"
#include "ui/appcontext.h"
#include "playback/playentry.h"
#include "collection/songlistlogic.h"
#include "collection/yyufile.h"
#include "ui/colors.h"
#include "base/playmode.h"
#include "playback/playbackadvance.h"
#include "windows/mainviewmodel.h"
#include "playback/statustexts.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"
#include "support/fakeservices.h"
#include "support/mp3gen.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <optional>

void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {
const QColor kGrey(120, 120, 120);

// Like a real engine, stopping with nothing open leaves nothing open.
class EnginePlayer : public FakeMediaPlayer {
public:
    void stop() override
    {
        const bool nothingOpen = state == Undefined && url().isEmpty();
        FakeMediaPlayer::stop();
        if (nothingOpen)
            state = Undefined;
    }
};

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ctx.services.resolver = [this](const QString &name, const QString &singer, bool) {
            resolved << name + QLatin1Char('/') + singer;
            return QString();
        };
        ctx.navigator = &nav;
        nav.onExitProgram = [this] { ++exits; };
        QObject::connect(&ctx.player, &Player::collectionChanged, [this] { ++refreshes; });
    }

    // Loads the window's state the way the window does when it is made.
    MainViewModel &loaded()
    {
        pc = std::make_unique<MainViewModel>(ctx, kGrey);
        pc->load(QIcon());
        return *pc;
    }

    QString get(const QString &app, const QString &section, const QString &key)
    {
        return backend.read(app, section, key).value_or(QStringLiteral("<missing>"));
    }
    QString handOff(const QString &key)
    {
        return get(QStringLiteral("Liravo"), QStringLiteral("程序多开"), key);
    }

    // A short song that passes the playable check, of the type name says.
    QString file(const QString &name) { return writeSong(dir.filePath(name)); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        return writeTestFile(dir.filePath(name), bytes);
    }

    // A collection of n local songs "S1".."Sn" by "A1".."An".
    void collectionOf(int n, bool saved = true)
    {
        SongCollection c;
        for (int i = 1; i <= n; ++i) {
            c.entry(i) = {QStringLiteral("S%1").arg(i), QStringLiteral("/music/%1.mp3").arg(i),
                          QStringLiteral("A%1").arg(i), true};
        }
        c.count = qint16(n);
        c.albumName = QStringLiteral("专辑");
        c.saved = saved;
        c.changed = !saved; // an unsaved list stands for one the user made
        heldCollection(ctx.player) = c;
    }

    // Playing entry n as playEntry leaves it, then the engine reaching state.
    void playing(int n, PlayState state = MediaPlayer::Playing)
    {
        ctx.player.play(n);
        // A song that ended or stopped had played before.
        player.report(MediaPlayer::Playing);
        player.report(state);
    }

    QTemporaryDir dir;
    EnginePlayer player;
    FakeServices services{{.player = &player}};
    MemorySettingsBackend &backend = services.backend;
    Settings &settings = services.settings;
    FakeDialogs &dialogs = services.dialogs;
    FakeTrayIcon &tray = services.tray;
    AppContext &ctx = services.ctx;
    FakeNavigator nav;
    std::unique_ptr<MainViewModel> pc;
    QStringList resolved;
    int exits = 0;
    int refreshes = 0;
};
} // namespace

TEST_F(Playback, LoadOnAnEmptyStore)
{
    MainViewModel &c = loaded();
    EXPECT_EQ(c.labelText(1), "");
    EXPECT_EQ(c.labelText(2), "");
    EXPECT_EQ(c.labelText(6), "");
    EXPECT_EQ(c.labelText(0), "上一首");
    EXPECT_EQ(c.labelText(3), "播放");
    EXPECT_EQ(c.playMode(), "列表播放");
    EXPECT_EQ(get("Liravo", "设置", "播放模式"), "列表播放");
    EXPECT_EQ(get("Liravo", "设置", "字体颜色"), "255");
    EXPECT_EQ(get("Liravo", "设置", "背景颜色"), "0");
    for (int i = 0; i < MainViewModel::kLabelCount; ++i)
        EXPECT_EQ(c.labelColor(i), QColor(255, 0, 0)) << i;
    EXPECT_EQ(c.backColor(), QColor(0, 0, 0));
    EXPECT_EQ(c.caption(), "Liravo");
    // The engine is told nothing but its volume and loudness, so it can stay unloaded.
    EXPECT_EQ(player.calls, (QStringList{"volume 80", "gain 0 0 0"}));
    EXPECT_EQ(tray.adds, 1);
    EXPECT_EQ(tray.tooltip(), "Liravo");
}

TEST_F(Playback, LoadTakesStoredChoicesUnderTheirApplicationNames)
{
    backend.write("Liravo", "设置", "播放模式", "单曲循环");
    backend.write("Liravo", "设置", "顶部标题", "我的播放器");
    backend.write("Liravo", "设置", "字体颜色", "16777215");
    backend.write("Liravo", "设置", "背景颜色", "65280");
    // Entries of another executable name are not ours.
    backend.write("Other", "设置", "字体颜色", "0");
    MainViewModel &c = loaded();
    EXPECT_EQ(c.playMode(), "单曲循环");
    EXPECT_EQ(c.labelColor(4), QColor(255, 255, 255));
    EXPECT_EQ(c.backColor(), QColor(0, 255, 0));
    ctx.player.tick();
    EXPECT_EQ(c.caption(), "[][我的播放器]");
}

TEST_F(Playback, FirstTickWithNothingLoaded)
{
    MainViewModel &c = loaded();
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_EQ(c.caption(), "[][Liravo]");
    EXPECT_FALSE(c.previousEnabled());
    EXPECT_FALSE(c.nextEnabled());
    EXPECT_FALSE(c.randomEnabled());
    EXPECT_EQ(c.tooltip(), "Liravo提醒你：播放器没有播放音乐");
    EXPECT_EQ(tray.tooltip(), c.tooltip());
    for (int i : {0, 4, 5}) {
        EXPECT_EQ(c.labelColor(i), kGrey) << i;
        EXPECT_FALSE(c.labelEnabled(i)) << i;
    }
    EXPECT_TRUE(c.labelEnabled(3));
}

TEST_F(Playback, PlayerStateTexts)
{
    MainViewModel &c = loaded();
    const QList<QPair<int, QString>> table = {
        {1, "停止"}, {2, "暂停"}, {3, "播放中..."}, {6, "正在缓冲..."},
        {9, "正在连接..."}, {10, "准备就绪"}, {0, ""}, {7, ""}, {42, ""}};
    for (const auto &[state, text] : table) {
        player.state = PlayState(state);
        EXPECT_EQ(StatusTexts::stateText(ctx.player.state()), text) << state;
    }
}

TEST_F(Playback, PlayFileOpensAnMp3AsALoneSong)
{
    MainViewModel &c = loaded();
    collectionOf(20, true);
    const QString mp3 = file("music.old/a.mp3");
    int activations = 0;
    QObject::connect(&ctx.player, &Player::activateRequested, [&] { ++activations; });

    ctx.player.playFile(QLatin1Char('"') + mp3 + QLatin1Char('"'));
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(heldCollection(ctx.player).count, 1);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).address, mp3);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "");
    EXPECT_EQ(heldCollection(ctx.player).albumName, "专辑");
    EXPECT_TRUE(heldCollection(ctx.player).saved);
    EXPECT_TRUE(heldCollection(ctx.player).playing);
    EXPECT_EQ(player.urls, QStringList{mp3});
    EXPECT_EQ(heldCollection(ctx.player).entry(2), SongEntry{});
    EXPECT_EQ(refreshes, 0);

    player.report(MediaPlayer::Playing);
    ctx.player.tick();
    EXPECT_FALSE(c.previousEnabled());
    EXPECT_FALSE(c.nextEnabled());
    EXPECT_FALSE(c.randomEnabled());
}

TEST_F(Playback, PlayFileOpensNothingItCannotPlay)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    const SongCollection before = heldCollection(ctx.player);
    int activations = 0;
    QObject::connect(&ctx.player, &Player::activateRequested, [&] { ++activations; });

    ctx.player.playFile(QString());
    EXPECT_EQ(dialogs.asked.size(), 0);
    ctx.player.playFile(file("list.txt", "一行字\n"));
    ctx.player.playFile(file("music.mp3/notes", "一行字\n"));
    ctx.player.playFile(file("empty.mp3", QByteArray()));
    ctx.player.playFile(dir.filePath("missing.mp3"));
    // Two paths on one command line name no file.
    ctx.player.playFile(file("x.mp3") + QLatin1Char(' ') + file("y.mp3"));
    ctx.player.playFile(QStringLiteral("relative.mp3"));
    // Lists that are not there are no songs either, and say nothing.
    ctx.player.playFile(dir.filePath("missing.m3u"));
    ctx.player.playFile(dir.filePath("missing.yyu"));

    EXPECT_EQ(heldCollection(ctx.player), before);
    EXPECT_TRUE(player.urls.isEmpty());
    // Each would-be song says why it does not play; none asks a question.
    EXPECT_EQ(dialogs.count("message"), 6);
    for (const FakeDialogs::Asked &a : dialogs.asked)
        EXPECT_EQ(a.buttons, Dialogs::Buttons::Ok) << a.text.toStdString();
    // Only the files that exist bring the window forward.
    EXPECT_EQ(activations, 3);
}

// A file that would replace the collection as a lone song but cannot play
// changes nothing: not the collection (though unsaved), not the entry that
// plays, not the texts, and no question about the unsaved list first; the
// user reads the check's reason once.
TEST_F(Playback, UnplayableLoneSongKeepsTheCollection)
{
    MainViewModel &c = loaded();
    const QByteArray mp3 = makeMp3({.seconds = 1.0});
    QDir().mkpath(dir.filePath("专辑.mp3"));
    QDir().mkpath(dir.filePath("文件夹"));
    const QString text = QStringLiteral("这是一段文字，不是歌曲。\n").repeated(40);
    const struct {
        const char *what;
        QString name;
        std::optional<QByteArray> bytes; // none: whatever is (or is not) there
        const char *says;                // part of the message
    } cases[] = {
        {"cut off", "截断.mp3", mp3.left(60), "没有可以解码的音频"},
        {"corrupt frames", "损坏.mp3", QByteArray(4000, '\x55'), "没有可以解码的音频"},
        {"empty", "空.mp3", QByteArray(), "空文件"},
        {"missing", "没有.mp3", std::nullopt, "找不到文件"},
        {"folder named like a song", "专辑.mp3", std::nullopt, "是文件夹"},
        {"plain folder", "文件夹", std::nullopt, "是文件夹"},
        {"text renamed .mp3", "文本.mp3", text.toUtf8(), "没有可以解码的音频"},
        {"text renamed .flac", "文本.flac", text.toUtf8(), "没有可以解码的音频"},
        {"text renamed .ogg", "文本.ogg", text.toUtf8(), "没有可以解码的音频"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        collectionOf(3, false);
        playing(2);
        ctx.player.tick();
        const SongCollection before = heldCollection(ctx.player);
        const QString label = c.labelText(1), album = ctx.player.album();
        ASSERT_EQ(label, "S2");
        const QStringList urls = player.urls;
        dialogs.asked.clear();

        const QString path = k.bytes ? file(k.name, *k.bytes) : dir.filePath(k.name);
        ctx.player.playFile(path);
        ctx.player.tick();

        EXPECT_EQ(heldCollection(ctx.player), before);
        EXPECT_EQ(ctx.player.currentIndex(), 2);
        EXPECT_EQ(player.urls, urls);
        EXPECT_EQ(c.labelText(1), label);
        EXPECT_EQ(ctx.player.album(), album);
        ASSERT_EQ(dialogs.asked.size(), 1);
        EXPECT_EQ(dialogs.asked[0].kind, "message");
        EXPECT_EQ(dialogs.asked[0].title, "无法播放");
        EXPECT_TRUE(dialogs.asked[0].text.contains(k.name)) << dialogs.asked[0].text.toStdString();
        EXPECT_TRUE(dialogs.asked[0].text.contains(QString::fromUtf8(k.says)))
            << dialogs.asked[0].text.toStdString();
    }
    // The same list takes a song that plays, after the question.
    dialogs.asked.clear();
    dialogs.messageAnswers.enqueue(Dialogs::Answer::Yes);
    const QString good = file("好歌.mp3");
    ctx.player.playFile(good);
    ASSERT_EQ(dialogs.asked.size(), 1);
    EXPECT_EQ(dialogs.asked[0].title, "未保存");
    EXPECT_EQ(heldCollection(ctx.player).count, 1);
    EXPECT_EQ(player.urls.last(), good);
}

TEST_F(Playback, PlayFileByType)
{
    MainViewModel &c = loaded();
    // A playlist replaces the collection like a .yyu, without playing.
    ctx.player.playFile(file("歌单.m3u8", "#EXTINF:3,歌手 - 第一首\nsub/1.flac\n2.ogg\n"));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(heldCollection(ctx.player).albumName, "歌单");
    ASSERT_EQ(heldCollection(ctx.player).count, 2);
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "第一首");
    EXPECT_EQ(heldCollection(ctx.player).entry(2).address, dir.filePath("2.ogg"));
    EXPECT_TRUE(player.urls.isEmpty());
    EXPECT_EQ(dialogs.asked.size(), 0);

    SongCollection stored;
    stored.albumName = QStringLiteral("我的歌集");
    stored.count = 1;
    stored.entry(1) = {QStringLiteral("歌名"), QString(), QStringLiteral("歌手"), false};
    const QString yyu = file("歌集.yyu", serializeCollection(stored));
    ctx.player.playFile(yyu);
    EXPECT_EQ(refreshes, 2);
    EXPECT_EQ(heldCollection(ctx.player).albumName, "我的歌集");
    EXPECT_EQ(heldCollection(ctx.player).count, 1);
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    EXPECT_TRUE(player.urls.isEmpty());

    // .m4a plays like .mp3 but leaves the song texts as they were.
    player.report(MediaPlayer::Playing);
    player.titleTag = QStringLiteral("旧歌");
    heldCollection(ctx.player).playing = true;
    ctx.player.tick();
    ASSERT_EQ(c.labelText(1), "旧歌");
    ctx.player.playFile(file("b.m4a"));
    EXPECT_EQ(c.labelText(1), "旧歌");
    ctx.player.playFile(file("c.mp3"));
    EXPECT_EQ(c.labelText(1), "");
    EXPECT_EQ(player.urls.size(), 2);

    // Every accepted type in any letter case plays alone and empties the texts.
    for (const char *name : {"d.FLAC", "e.ogg", "f.Opus", "g.MP3", "h.wma"}) {
        player.report(MediaPlayer::Playing);
        ctx.player.tick();
        ASSERT_EQ(c.labelText(1), "旧歌");
        ctx.player.playFile(file(name));
        EXPECT_EQ(player.urls.last(), dir.filePath(name)) << name;
        EXPECT_EQ(heldCollection(ctx.player).count, 1) << name;
        EXPECT_EQ(c.labelText(1), "") << name;
    }
}

TEST_F(Playback, TickShowsWhatPlaysAndNamesUntitledEntries)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    heldCollection(ctx.player).entry(2).songName.clear();
    heldCollection(ctx.player).entry(2).singer.clear();
    player.titleTag = QStringLiteral("月亮代表我的心");
    player.authorTag = QStringLiteral("邓丽君");

    playing(2, MediaPlayer::Transitioning);
    ctx.player.tick();
    EXPECT_EQ(c.labelText(3), "播放");
    EXPECT_FALSE(c.labelEnabled(4));
    EXPECT_EQ(c.caption(), "[正在连接...][Liravo]");
    // Opening counts as playing for the tooltip; an untitled song shows its
    // file, or the maker's site where one is configured.
    EXPECT_EQ(c.tooltip(), "正在播放歌曲：2.mp3");
    backend.write("Liravo", "网站", "主页", "site.test");
    MainViewModel withSite(ctx, kGrey);
    withSite.load(QIcon());
    ctx.player.tick();
    EXPECT_EQ(withSite.tooltip(), "http://site.test/");

    player.report(MediaPlayer::Playing);
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).entry(2).songName, "月亮代表我的心");
    EXPECT_EQ(heldCollection(ctx.player).entry(2).singer, "邓丽君");
    EXPECT_EQ(c.labelText(1), "月亮代表我的心");
    EXPECT_EQ(c.labelText(2), "邓丽君");
    EXPECT_EQ(c.labelText(6), "专辑");
    EXPECT_EQ(c.labelText(3), "暂停");
    EXPECT_TRUE(c.labelEnabled(4));
    EXPECT_EQ(c.caption(), "月亮代表我的心[播放中...][Liravo]");
    EXPECT_EQ(c.tooltip(), "正在播放歌曲：邓丽君-月亮代表我的心");

    // Names already set stay; the labels show what the engine reports.
    playing(3);
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).entry(3).songName, "S3");
    EXPECT_EQ(c.labelText(1), "月亮代表我的心");
    EXPECT_EQ(c.caption(), "S3[播放中...][Liravo]");
    EXPECT_EQ(c.tooltip(), "正在播放歌曲：A3-S3");

    player.report(MediaPlayer::Paused);
    ctx.player.tick();
    EXPECT_EQ(c.tooltip(), "Liravo提醒你：播放器没有播放音乐");
}

TEST_F(Playback, TickEnablesNeighboursByPosition)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    playing(1);
    ctx.player.tick();
    EXPECT_FALSE(c.previousEnabled());
    EXPECT_FALSE(c.labelEnabled(0));
    EXPECT_TRUE(c.nextEnabled());
    EXPECT_TRUE(c.labelEnabled(5));
    EXPECT_TRUE(c.randomEnabled());

    playing(2);
    ctx.player.tick();
    EXPECT_TRUE(c.previousEnabled());
    EXPECT_TRUE(c.nextEnabled());

    playing(3);
    ctx.player.tick();
    EXPECT_TRUE(c.previousEnabled());
    EXPECT_TRUE(c.labelEnabled(0));
    EXPECT_FALSE(c.nextEnabled());
    EXPECT_FALSE(c.labelEnabled(5));
    EXPECT_TRUE(c.randomEnabled());

    // A click on a greyed button does nothing, as does the menu command.
    player.urls.clear();
    c.clickLabel(MainViewModel::Next);
    ctx.player.next();
    EXPECT_TRUE(player.urls.isEmpty());
    c.clickLabel(MainViewModel::Previous);
    EXPECT_EQ(player.urls, QStringList{"/music/2.mp3"});
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 2);
}

TEST_F(Playback, ListPlayAdvancesAndStopsAfterTheLast)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    playing(1, MediaPlayer::Stopped); // ended
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 2);
    EXPECT_EQ(player.urls.last(), "/music/2.mp3");

    playing(3, MediaPlayer::Ready);
    player.urls.clear();
    ctx.player.tick();
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    EXPECT_TRUE(player.urls.isEmpty());
    EXPECT_EQ(player.calls.last(), "stop");
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_EQ(c.labelText(1), "");
    EXPECT_EQ(c.labelText(6), "");
}

TEST_F(Playback, OtherModesAtTheEndOfASong)
{
    MainViewModel &c = loaded();
    collectionOf(3);

    ctx.player.setMode(PlayMode::fromText("列表循环"));
    playing(3, MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_EQ(player.urls.last(), "/music/1.mp3");

    ctx.player.setMode(PlayMode::fromText("单曲循环"));
    playing(2, MediaPlayer::Ready);
    const int urls = player.urls.size();
    const int plays = player.plays;
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 2);
    EXPECT_EQ(player.urls.size(), urls);
    EXPECT_EQ(player.plays, plays + 1);
    EXPECT_TRUE(heldCollection(ctx.player).playing);

    ctx.player.setMode(PlayMode::fromText("单曲播放"));
    playing(2, MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);

    // An unknown stored mode plays one song at a time.
    ctx.player.setMode(PlayMode::fromText("乱序"));
    playing(1, MediaPlayer::Stopped);
    const QStringList before = player.calls;
    ctx.player.tick();
    EXPECT_EQ(player.calls, before);
    EXPECT_TRUE(heldCollection(ctx.player).playing);
}

TEST_F(Playback, RandomModeDrawsAlsoFromOneSong)
{
    MainViewModel &c = loaded();
    collectionOf(1);
    ctx.player.setMode(PlayMode::fromText("随机播放"));
    playing(1, MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_EQ(player.urls, (QStringList{"/music/1.mp3", "/music/1.mp3"}));
    EXPECT_FALSE(c.randomEnabled()); // disabled in the menu, still run by the tick

    collectionOf(3);
    playing(2, MediaPlayer::Stopped);
    ctx.player.tick();
    EXPECT_EQ(player.urls.size(), 4);
    EXPECT_GE(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_LE(heldCollection(ctx.player).currentIndex, 3);
}

TEST_F(Playback, RandomDrawRoundsHalvesToEven)
{
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.0f, 3), 1);
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.25f, 3), 2); // 1.5 -> 2
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.75f, 3), 2); // 2.5 -> 2
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.76f, 3), 3);
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.999999f, 3), 3);
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.125f, 5), 2);  // 1.5 -> 2
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.375f, 5), 2);  // 2.5 -> 2
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.625f, 5), 4);  // 3.5 -> 4
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.99f, 1), 1);
    EXPECT_EQ(PlaybackAdvance::randomIndexFor(0.999999f, 100), 100);
}

TEST_F(Playback, RandomSongFavoursTheMiddle)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    std::array<int, 4> hits{};
    constexpr int kDraws = 12000;
    for (int i = 0; i < kDraws; ++i) {
        ctx.player.random();
        ASSERT_GE(heldCollection(ctx.player).currentIndex, 1);
        ASSERT_LE(heldCollection(ctx.player).currentIndex, 3);
        ++hits[heldCollection(ctx.player).currentIndex];
    }
    EXPECT_NEAR(hits[1] / double(kDraws), 0.25, 0.03);
    EXPECT_NEAR(hits[2] / double(kDraws), 0.50, 0.03);
    EXPECT_NEAR(hits[3] / double(kDraws), 0.25, 0.03);

    heldCollection(ctx.player) = SongCollection{};
    player.urls.clear();
    ctx.player.random();
    EXPECT_TRUE(player.urls.isEmpty());
}

// Each stored name maps to its mode and back, steps to the next in the cycle,
// and an unknown text is kept as it is and never steps.
TEST(PlayModes, NamesKindsAndSuccessors)
{
    const struct {
        const char *text;
        PlayMode::Kind kind;
        const char *next;
    } cases[] = {
        {"列表播放", PlayMode::Kind::ListOnce, "列表循环"},
        {"列表循环", PlayMode::Kind::ListLoop, "随机播放"},
        {"随机播放", PlayMode::Kind::Shuffle, "单曲播放"},
        {"单曲播放", PlayMode::Kind::SongOnce, "单曲循环"},
        {"单曲循环", PlayMode::Kind::SongLoop, "列表播放"},
        {"乱序", PlayMode::Kind::Other, "乱序"},
        {"", PlayMode::Kind::Other, ""},
    };
    for (const auto &c : cases) {
        const PlayMode m = PlayMode::fromText(QString::fromUtf8(c.text));
        EXPECT_EQ(m.kind(), c.kind) << c.text;
        EXPECT_EQ(m.text(), QString::fromUtf8(c.text));
        EXPECT_EQ(m.next().text(), QString::fromUtf8(c.next)) << c.text;
    }
    EXPECT_EQ(PlayMode().kind(), PlayMode::Kind::ListOnce);
    EXPECT_EQ(PlayMode().text(), QStringLiteral("列表播放"));
}

TEST_F(Playback, PlayModeCycleIsStoredAtEachStep)
{
    backend.write("Liravo", "设置", "播放模式", "单曲循环");
    MainViewModel &c = loaded();
    c.cyclePlayMode();
    EXPECT_EQ(c.playMode(), "列表播放");
    const QStringList expected = {"列表循环", "随机播放", "单曲播放", "单曲循环", "列表播放"};
    for (const QString &mode : expected) {
        c.cyclePlayMode();
        EXPECT_EQ(c.playMode(), mode);
        EXPECT_EQ(get("Liravo", "设置", "播放模式"), mode);
    }
    ctx.player.setMode(PlayMode::fromText("乱序"));
    c.cyclePlayMode();
    EXPECT_EQ(c.playMode(), "乱序");
    EXPECT_EQ(get("Liravo", "设置", "播放模式"), "乱序");
}

TEST_F(Playback, PausedSongStaysWhereItStoodAndPlayResumesIt)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    player.titleTag = QStringLiteral("T3");
    playing(3);
    ctx.player.tick();
    ASSERT_EQ(c.labelText(3), "暂停");

    c.clickLabel(MainViewModel::PlayPause);
    EXPECT_EQ(player.calls.last(), "pause");
    EXPECT_FALSE(heldCollection(ctx.player).playing);
    for (int i = 0; i < 3; ++i)
        ctx.player.tick();
    // The idle rule leaves a paused song alone: no stop, same entry, its
    // names still shown, and stop still offered.
    EXPECT_EQ(player.calls.last(), "pause");
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 3);
    EXPECT_EQ(c.labelText(MainViewModel::SongName), "T3");
    EXPECT_EQ(c.labelText(3), "播放");
    EXPECT_EQ(c.caption(), "S3[暂停][Liravo]");
    EXPECT_TRUE(c.labelEnabled(MainViewModel::Stop));
    EXPECT_TRUE(ctx.player.holdsPause());

    // "播放" resumes the same source; nothing is opened again.
    const int urls = player.urls.size();
    player.stateAfterPlay = MediaPlayer::Playing;
    c.clickLabel(MainViewModel::PlayPause);
    EXPECT_EQ(player.calls.last(), "play");
    EXPECT_EQ(player.urls.size(), urls);
    EXPECT_TRUE(heldCollection(ctx.player).playing);
    ctx.player.tick();
    EXPECT_EQ(c.caption(), "S3[播放中...][Liravo]");

    // The menu's play/pause resumes too.
    c.menuPlayPause();
    ctx.player.tick();
    c.menuPlayPause();
    EXPECT_EQ(player.calls.mid(player.calls.size() - 2), (QStringList{"pause", "play"}));
    EXPECT_EQ(player.urls.size(), urls);

    // Stop still stops, and the idle rule takes over again.
    ctx.player.tick();
    ctx.player.pause();
    ctx.player.tick();
    c.clickLabel(MainViewModel::Stop);
    EXPECT_EQ(player.calls.last(), "stop");
    ctx.player.tick();
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
    EXPECT_FALSE(ctx.player.holdsPause());

    // A pause whose collection was replaced meanwhile is not kept.
    playing(2);
    ctx.player.tick();
    ctx.player.pause();
    collectionOf(3);
    ctx.player.tick();
    EXPECT_EQ(player.calls.last(), "stop");
    EXPECT_EQ(heldCollection(ctx.player).currentIndex, 1);
}

TEST_F(Playback, MenuPlayPlaysTheCurrentEntryFromItsStart)
{
    MainViewModel &c = loaded();
    collectionOf(3);
    ctx.player.tick(); // idle: index 1
    c.menuPlayPause();
    EXPECT_EQ(player.urls, QStringList{"/music/1.mp3"});
    EXPECT_EQ(c.labelText(3), "暂停");
    EXPECT_TRUE(heldCollection(ctx.player).playing);
    c.menuPlayPause();
    EXPECT_EQ(player.calls.last(), "pause");
    EXPECT_FALSE(heldCollection(ctx.player).playing);
}

TEST_F(Playback, PlayWithAnEmptyCollectionAsksForAFile)
{
    MainViewModel &c = loaded();
    ctx.player.tick();
    const QString mp3 = file("歌.mp3");
    dialogs.openManyAnswers.enqueue({mp3});
    c.clickLabel(MainViewModel::PlayPause);
    ASSERT_EQ(dialogs.count("open"), 1);
    EXPECT_EQ(dialogs.asked[0].text, "音频文件|*.mp3;*.m4a;*.flac;*.ogg;*.oga;*.opus;*.wav;*.aac;*.wma;*.ape;"
                                     "*.yyu;*.m3u;*.m3u8;*.pls");
    EXPECT_EQ(player.urls, QStringList{mp3});

    // Cancel or a vanished file opens nothing.
    heldCollection(ctx.player) = SongCollection{};
    dialogs.openManyAnswers.enqueue({dir.filePath("gone.mp3")});
    c.menuPlayPause();
    c.menuPlayPause();
    EXPECT_EQ(dialogs.count("open"), 3);
    EXPECT_EQ(player.urls.size(), 1);
}

TEST_F(Playback, HandOffIsPickedUpOnTheTick)
{
    MainViewModel &c = loaded();
    collectionOf(5);
    int shows = 0;
    QObject::connect(&ctx.player, &Player::showRequested, [&] { ++shows; });

    const QString mp3 = file("handed.mp3");
    backend.write("Liravo", "程序多开", "歌曲文件", mp3);
    backend.write("Liravo", "程序多开", "show", "true");
    ctx.player.tick();
    EXPECT_EQ(player.urls, QStringList{mp3});
    EXPECT_EQ(heldCollection(ctx.player).count, 1);
    EXPECT_EQ(handOff("歌曲文件"), "");
    EXPECT_EQ(handOff("show"), "false");
    EXPECT_EQ(shows, 1);

    // Only the exact lower-case word asks to come forward.
    backend.write("Liravo", "程序多开", "show", "True");
    ctx.player.tick();
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(handOff("show"), "True");

    // A request without a file leaves playback alone; a vanished file is dropped.
    backend.write("Liravo", "程序多开", "歌曲文件", dir.filePath("vanished.mp3"));
    backend.write("Liravo", "程序多开", "show", "true");
    ctx.player.tick();
    EXPECT_EQ(player.urls.size(), 1);
    EXPECT_EQ(handOff("歌曲文件"), "");
    EXPECT_EQ(shows, 2);
}

// A hand-off that arrives while the user names the collection to save must
// not swap the collection under the dialog: the file saved is the user's, and
// the handed file opens on the first tick after.
TEST_F(Playback, HandOffWaitsWhileTheCollectionIsInUse)
{
    MainViewModel &c = loaded();
    collectionOf(3, false);
    bool dialogOpen = false;
    ctx.player.setCollectionInUse([&] { return dialogOpen; });
    const QString other = file("other.yyu", "Other\r\nA|B\r\n");
    const QString mine = dir.filePath("mine.yyu");
    dialogs.inputAnswers << "我的";
    dialogs.onAsk = [&](const FakeDialogs::Asked &a) {
        if (a.kind != "input")
            return;
        dialogOpen = true;
        backend.write("Liravo", "程序多开", "歌曲文件", other);
        backend.write("Liravo", "程序多开", "show", "true");
        heldCollection(ctx.player).playing = true;
        ctx.player.tick();
        dialogOpen = false;
    };
    saveCollection(heldCollection(ctx.player), mine, dialogs);
    EXPECT_EQ(handOff("歌曲文件"), other);
    EXPECT_EQ(handOff("show"), "false"); // coming forward does not touch the collection
    EXPECT_TRUE(heldCollection(ctx.player).playing);
    EXPECT_EQ(player.urls.size(), 0);
    SongCollection saved;
    ASSERT_TRUE(loadCollection(saved, mine, settings));
    ASSERT_EQ(saved.count, 3);
    EXPECT_EQ(saved.entry(1).songName, "S1");

    ctx.player.tick();
    EXPECT_EQ(handOff("歌曲文件"), "");
    EXPECT_EQ(heldCollection(ctx.player).filePath, other);
    EXPECT_EQ(heldCollection(ctx.player).albumName, "Other");
}

TEST_F(Playback, ATickNeverRunsInsideAnother)
{
    MainViewModel &c = loaded();
    // A playlist past 100 entries opens a message while the tick runs.
    QByteArray lines;
    for (int i = 0; i <= SongCollection::kCapacity; ++i)
        lines += QByteArray::number(i) + ".mp3\n";
    backend.write("Liravo", "程序多开", "歌曲文件", file("list.m3u", lines));
    int nestedStops = -1;
    dialogs.onAsk = [&](const FakeDialogs::Asked &) {
        // The timer fires while the message is open.
        const int stops = player.stops;
        EXPECT_TRUE(ctx.player.tickRunning());
        ctx.player.tick();
        nestedStops = player.stops - stops;
    };
    ctx.player.tick();
    EXPECT_EQ(nestedStops, 0);
    EXPECT_FALSE(ctx.player.tickRunning());
    EXPECT_EQ(dialogs.count("message"), 1);
    EXPECT_EQ(handOff("歌曲文件"), "");

    // Held ticks (start-up before the single-copy rule) do nothing.
    backend.write("Liravo", "程序多开", "show", "true");
    ctx.player.holdTicks(true);
    const int heldStops = player.stops;
    ctx.player.tick();
    EXPECT_EQ(player.stops, heldStops);
    EXPECT_EQ(handOff("show"), "true");
    ctx.player.holdTicks(false);
    ctx.player.tick();
    EXPECT_EQ(handOff("show"), "false");

    // While a page is fetched the tick is skipped altogether.
    services.http.isBusy = true;
    const int stops = player.stops;
    ctx.player.tick();
    EXPECT_EQ(player.stops, stops);
    services.http.isBusy = false;
    ctx.player.tick();
    EXPECT_EQ(player.stops, stops + 1);
}

TEST_F(Playback, ExitAsksOnlyForAnUnsavedCollectionWithSongs)
{
    MainViewModel &c = loaded();
    collectionOf(2, false);
    dialogs.messageAnswers.enqueue(Dialogs::Answer::No);
    EXPECT_FALSE(c.commands().exit());
    ASSERT_EQ(dialogs.count("message"), 1);
    EXPECT_EQ(dialogs.asked[0].text, "当前歌集尚未保存，是否舍去当前歌集？");
    EXPECT_EQ(dialogs.asked[0].title, "未保存");
    EXPECT_EQ(dialogs.asked[0].buttons, Dialogs::Buttons::YesNo);
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(tray.visible());

    dialogs.messageAnswers.enqueue(Dialogs::Answer::Yes);
    EXPECT_TRUE(c.commands().exit());
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(tray.visible());

    for (bool saved : {true, false}) {
        collectionOf(saved ? 4 : 0, saved);
        const int asked = dialogs.count("message");
        EXPECT_TRUE(c.commands().exit());
        EXPECT_EQ(dialogs.count("message"), asked);
    }
    EXPECT_EQ(exits, 3);
}

TEST_F(Playback, ExitAsksOnlyAfterTheUserChangedTheCollection)
{
    MainViewModel &c = loaded();
    SongCollection yyu;
    yyu.albumName = QStringLiteral("歌集");
    for (int i = 1; i <= 2; ++i)
        addEntry(yyu, QStringLiteral("S%1").arg(i), QString(), QString());
    const QString yyuPath = file("loaded.yyu", serializeCollection(yyu));
    const QString mp3 = file("one.mp3");
    struct Case {
        const char *what;
        std::function<void()> steps;
        bool asks;
    };
    const std::vector<Case> cases = {
        {"one opened song", [&] { ctx.player.playFile(mp3); }, false},
        {"a loaded file", [&] { ctx.player.playFile(yyuPath); }, false},
        {"one song over a list the user made, which the user let go",
         [&] {
             collectionOf(3, false);
             dialogs.messageAnswers.enqueue(Dialogs::Answer::Yes);
             ctx.player.playFile(mp3);
         },
         false},
        {"one song over a list the user made and kept",
         [&] {
             collectionOf(3, false);
             dialogs.messageAnswers.enqueue(Dialogs::Answer::No);
             ctx.player.playFile(mp3);
         },
         true},
        {"an entry added", [&] { ctx.player.playFile(yyuPath); addEntry(heldCollection(ctx.player), "x", "", ""); }, true},
        {"an entry removed", [&] { ctx.player.playFile(yyuPath); removeEntry(heldCollection(ctx.player), 1); }, true},
        {"an entry renamed",
         [&] { ctx.player.playFile(yyuPath); renameEntry(heldCollection(ctx.player), 1, "y", ""); }, true},
        {"a song added to a lone song",
         [&] { ctx.player.playFile(mp3); addEntry(heldCollection(ctx.player), "x", "", ""); }, true},
        {"an addition then saved",
         [&] { ctx.player.playFile(yyuPath); addEntry(heldCollection(ctx.player), "x", "", ""); heldCollection(ctx.player).saved = true; },
         false},
    };
    for (const Case &k : cases) {
        heldCollection(ctx.player) = SongCollection{};
        k.steps();
        const int before = dialogs.count("message");
        dialogs.messageAnswers.enqueue(Dialogs::Answer::No);
        EXPECT_EQ(!c.commands().exit(), k.asks) << k.what;
        EXPECT_EQ(dialogs.count("message") - before, k.asks ? 1 : 0) << k.what;
        dialogs.messageAnswers.clear();
    }
}

TEST_F(Playback, UntaggedSongGoesByItsFileName)
{
    MainViewModel &c = loaded();
    ctx.player.playFile(file("夜曲.live.mp3"));
    player.report(MediaPlayer::Playing);
    ctx.player.tick();
    EXPECT_EQ(c.labelText(1), "夜曲.live");
    EXPECT_EQ(c.caption(), "夜曲.live[播放中...][Liravo]");
    EXPECT_EQ(heldCollection(ctx.player).entry(1).songName, "夜曲.live");

    // A named entry without a title tag keeps showing its name.
    collectionOf(2);
    playing(2);
    ctx.player.tick();
    EXPECT_EQ(c.labelText(1), "S2");

    const struct {
        const char *address, *base;
    } names[] = {{"/m/a.mp3", "a"}, {"http://h.test/p/b.mp3?x=1", "b"}, {"/m/.hidden", ".hidden"},
                 {"/m/noext", "noext"}, {"", ""}};
    for (const auto &n : names)
        EXPECT_EQ(StatusTexts::fileBaseName(n.address), n.base) << n.address;
}

TEST_F(Playback, TopCaptionCommand)
{
    MainViewModel &c = loaded();
    c.commands().topCaption(); // cancelled
    ASSERT_EQ(dialogs.count("input"), 1);
    EXPECT_EQ(dialogs.asked[0].text, "输入你需要显示的文字");
    EXPECT_EQ(dialogs.asked[0].title, "文字更换");
    EXPECT_EQ(dialogs.asked[0].extra, "Liravo");
    EXPECT_EQ(get("Liravo", "设置", "顶部标题"), "<missing>");

    dialogs.inputAnswers.enqueue("  ");
    c.commands().topCaption();
    EXPECT_EQ(c.caption(), "  ");
    EXPECT_EQ(get("Liravo", "设置", "顶部标题"), "  ");
    ctx.player.tick();
    EXPECT_EQ(c.caption(), "[][  ]");

    // The same text again is still written.
    backend.write("Liravo", "设置", "顶部标题", "changed elsewhere");
    dialogs.inputAnswers.enqueue("  ");
    c.commands().topCaption();
    EXPECT_EQ(dialogs.asked.last().extra, "  ");
    EXPECT_EQ(get("Liravo", "设置", "顶部标题"), "  ");
}

TEST_F(Playback, ColourCommands)
{
    MainViewModel &c = loaded();
    dialogs.colorAnswers.enqueue(std::nullopt);
    dialogs.colorAnswers.enqueue(0);
    c.commands().fontColor();
    c.commands().backColor();
    EXPECT_EQ(c.labelColor(3), QColor(255, 0, 0));
    EXPECT_EQ(c.backColor(), QColor(0, 0, 0));

    ctx.player.tick(); // grey the disabled buttons first
    dialogs.colorAnswers.enqueue(0xFF0000); // blue in this layout
    c.commands().fontColor();
    EXPECT_EQ(get("Liravo", "设置", "字体颜色"), "16711680");
    // Enabled labels take the colour; disabled ones stay grey, whatever the
    // chosen colour is.
    for (int i = 0; i < MainViewModel::kLabelCount; ++i)
        EXPECT_EQ(c.labelColor(i), c.labelEnabled(i) ? QColor(0, 0, 255) : kGrey) << i;
    EXPECT_FALSE(c.labelEnabled(MainViewModel::Previous));

    dialogs.colorAnswers.enqueue(0x00FFFF);
    c.commands().backColor();
    EXPECT_EQ(get("Liravo", "设置", "背景颜色"), "65535");
    EXPECT_EQ(c.backColor(), QColor(255, 255, 0));
    EXPECT_EQ(c.labelColor(3), QColor(0, 0, 255));
}

TEST_F(Playback, VolumeComesFromTheStoreAndIsStoredOnEveryChange)
{
    const struct {
        const char *stored;
        int volume;
    } cases[] = {{nullptr, 80}, {"50", 50}, {"0", 0}, {"250", 100}, {"-4", 0}, {"响", 80}};
    for (const auto &k : cases) {
        backend.clear();
        if (k.stored)
            storeEntry(settings, "Liravo", "设置", "音量", QString::fromUtf8(k.stored));
        loaded();
        EXPECT_EQ(player.volume(), k.volume) << (k.stored ? k.stored : "none");
    }

    MainViewModel &c = loaded();
    QList<int> announced;
    QObject::connect(&ctx.player, &Player::volumeChanged, [&](int v) { announced << v; });
    ctx.player.setVolume(97);
    ctx.player.setVolume(ctx.player.volume() + (5));
    ctx.player.setVolume(ctx.player.volume() + (-5));
    ctx.player.setVolume(-20);
    ctx.player.setVolume(ctx.player.volume() + (5));
    EXPECT_EQ(announced, (QList<int>{97, 100, 95, 0, 5}));
    EXPECT_EQ(player.volume(), 5);
    EXPECT_EQ(get("Liravo", "设置", "音量"), "5");
}

TEST_F(Playback, ReplayGainSettingsReachTheEngine)
{
    const struct {
        const char *mode, *preamp, *fallback;
        const char *call;
    } cases[] = {
        {nullptr, nullptr, nullptr, "gain 0 0 0"}, // off unless chosen
        {"单曲", "-3.5", "2", "gain 1 -3.5 2"},
        {"专辑", " 6 ", "-6", "gain 2 6 -6"},
        {"关闭", "4", "4", "gain 0 4 4"},
        {"响亮", "很大", "inf", "gain 0 0 0"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.call);
        backend.clear();
        player.calls.clear();
        const std::pair<const char *, const char *> stored[] = {
            {"音量均衡", k.mode}, {"均衡前置增益", k.preamp}, {"均衡默认增益", k.fallback}};
        for (const auto &[key, value] : stored)
            if (value)
                storeEntry(settings, "Liravo", "设置", key, QString::fromUtf8(value));
        loaded();
        EXPECT_EQ(player.calls.filter("gain "), QStringList{k.call});
    }
}

TEST_F(Playback, SeeksOnlyWithinAnOpenSong)
{
    MainViewModel &c = loaded();
    QList<qint64> announced;
    QObject::connect(&ctx.player, &Player::seeked, [&](qint64 ms) { announced << ms; });
    ctx.player.seekBy(5000); // nothing open: no position to move from
    ctx.player.seek(1000);
    EXPECT_TRUE(player.seeks.isEmpty());

    collectionOf(1);
    playing(1);
    player.positionMs = 3000;
    player.durationMs = 30000;
    ctx.player.seekBy(-5000);
    ctx.player.seekBy(12000);
    ctx.player.seek(40000);
    EXPECT_EQ(player.seeks, (QList<qint64>{0, 12000, 30000}));
    EXPECT_EQ(announced, (QList<qint64>{0, 12000, 30000}));
}
