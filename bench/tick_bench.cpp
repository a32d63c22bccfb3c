// SPDX-License-Identifier: GPL-3.0-or-later
// The cost of one playback tick (ten a second, for as long as the player
// runs): the player alone, and the main window mirroring it into its
// widgets, both on the real SQLite settings store.
#include "support/fakeservices.h"
#include "windows/mainwindow.h"
#include "mpris/mprisbridge.h"
#include "playback/player.h"
#include "base/settings.h"
#include "engine/mediaplayer.h"
#include "mpris/mprisservice.h"
#include "store/sqlitesettingsbackend.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// A player that is always in the middle of a song with tags.
class PlayingPlayer : public MediaPlayer {
public:
    void setUrl(const QString &u) override { url_ = u; }
    QString url() const override { return url_; }
    void play() override {}
    void pause() override {}
    void stop() override {}
    PlayState playState() const override { return Playing; }
    QString title() const override { return QStringLiteral("稻香"); }
    QString author() const override { return QStringLiteral("周杰伦"); }
    void setVolume(int v) override { volume_ = v; }
    int volume() const override { return volume_; }
    qint64 position() const override { return 61000; }
    qint64 duration() const override { return 245000; }
    void seek(qint64) override {}
    void setObserver(MediaPlayerObserver *) override {}
    void setNextUrl(const QString &) override {}
    void setReplayGain(ReplayGainMode, double, double) override {}

private:
    QString url_;
    int volume_ = 0;
};

struct Fixture {
    QTemporaryDir dir;
    std::unique_ptr<SettingsBackend> backend =
        SqliteSettingsBackend::open(dir.filePath(QStringLiteral("settings.sqlite3")));
    Settings settings{*backend, QStringLiteral("Liravo")};
    PlayingPlayer player;
    FakeServices services{{.settings = &settings, .player = &player}};
    AppContext &ctx = services.ctx;

    Fixture()
    {
        for (int i = 1; i <= 20; ++i) {
            SongEntry &e = heldCollection(ctx.player).entry(i);
            e.songName = QStringLiteral("歌曲%1").arg(i);
            e.singer = QStringLiteral("歌手");
            e.address = QStringLiteral("/music/%1.mp3").arg(i);
            e.isLocal = true;
        }
        heldCollection(ctx.player).count = 20;
        heldCollection(ctx.player).albumName = QStringLiteral("夜晚的歌");
        heldCollection(ctx.player).playing = true;
        heldCollection(ctx.player).currentIndex = 5;
    }
};

void BM_TickPlayer(benchmark::State &state)
{
    Fixture f;
    f.ctx.player.load();
    for (auto _ : state)
        f.ctx.player.tick();
}
BENCHMARK(BM_TickPlayer);

void BM_TickMainWindow(benchmark::State &state)
{
    Fixture f;
    MainWindow w(f.ctx);
    w.show();
    for (auto _ : state)
        f.ctx.player.tick();
}
BENCHMARK(BM_TickMainWindow);

// As the program runs it: the store is watched, so a tick reads the hand-off
// only after the store's file changed.
void BM_TickMainWindowStoreWatched(benchmark::State &state)
{
    Fixture f;
    MainWindow w(f.ctx);
    f.ctx.player.setHandOffWatched(true);
    w.show();
    for (auto _ : state)
        f.ctx.player.tick();
}
BENCHMARK(BM_TickMainWindowStoreWatched);

// Takes the announcements a bus would carry, and counts them.
class CountingMpris : public MprisService {
public:
    bool publish(MprisHandler &) override { return true; }
    void propertiesChanged(const QVariantMap &) override { ++changes; }
    void seeked(qint64) override {}
    int changes = 0;
};

// The window's tick with the desktop media controls published: each tick
// compares the values they show with those last announced.
void BM_TickMainWindowWithMpris(benchmark::State &state)
{
    Fixture f;
    MainWindow w(f.ctx);
    w.show();
    CountingMpris service;
    MprisBridge bridge(f.ctx.player, service, f.services.http);
    bridge.publish();
    for (auto _ : state)
        f.ctx.player.tick();
    state.counters["announced"] = service.changes;
}
BENCHMARK(BM_TickMainWindowWithMpris);

} // namespace
