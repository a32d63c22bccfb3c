// SPDX-License-Identifier: GPL-3.0-or-later
// How long a second copy's hand-off takes to reach the running copy: from
// the moment its write to the settings store returns until the running
// window plays the handed-over song, with the window's timer asleep before
// (as it is while the player idles) and the store watched as in the program.
#include "support/fakeservices.h"
#include "windows/mainwindow.h"
#include "playback/player.h"
#include "base/settings.h"
#include "engine/mediaplayer.h"
#include "store/sqlitesettingsbackend.h"
#include "store/storewatch.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

// Records the last source; plays nothing.
class SilentPlayer : public MediaPlayer {
public:
    void setUrl(const QString &u) override { url_ = u; state_ = Transitioning; }
    QString url() const override { return url_; }
    void play() override {}
    void pause() override {}
    void stop() override { if (state_ != Undefined) state_ = Stopped; }
    PlayState playState() const override { return state_; }
    QString title() const override { return {}; }
    QString author() const override { return {}; }
    void setVolume(int v) override { volume_ = v; }
    int volume() const override { return volume_; }
    qint64 position() const override { return -1; }
    qint64 duration() const override { return -1; }
    void seek(qint64) override {}
    void setObserver(MediaPlayerObserver *) override {}
    void setNextUrl(const QString &) override {}
    void setReplayGain(ReplayGainMode, double, double) override {}

private:
    QString url_;
    PlayState state_ = Undefined;
    int volume_ = 0;
};

void BM_HandOffPickedUp(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("settings.sqlite3"));
    std::unique_ptr<SettingsBackend> backend = SqliteSettingsBackend::open(db);
    Settings settings(*backend, QStringLiteral("Liravo"));
    SilentPlayer player;
    FakeServices services{{.settings = &settings, .player = &player}};
    AppContext &ctx = services.ctx;
    MainWindow w(ctx);
    StoreWatch watch(db);
    ctx.player.setHandOffWatched(true);
    QObject::connect(&watch, &StoreWatch::changed, &ctx.player, &Player::handOffMayHaveChanged);
    auto *timer = ctx.player.findChild<QTimer *>(QStringLiteral("Timer1"));
    SqliteSettingsBackend second(db);
    const QString songs[] = {dir.filePath(QStringLiteral("a.mp3")), dir.filePath(QStringLiteral("b.mp3"))};
    for (const QString &s : songs) {
        QFile f(s);
        f.open(QIODevice::WriteOnly);
        f.write("ID3");
    }
    int n = 0;
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Idle until the timer sleeps, as between songs.
        heldCollection(ctx.player).playing = false;
        QDeadlineTimer idle(3000);
        while (timer->isActive() && !idle.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const QString song = songs[n++ % 2];
        state.ResumeTiming();
        QElapsedTimer clock;
        clock.start();
        second.write(Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"), song);
        QDeadlineTimer deadline(2000);
        while (player.url() != song && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        worst = qMax(worst, clock.nsecsElapsed() / 1e6);
        if (player.url() != song)
            state.SkipWithError("hand-off not picked up within 2 s");
    }
    state.counters["worst_ms"] = worst;
}
BENCHMARK(BM_HandOffPickedUp)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
