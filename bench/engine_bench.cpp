// SPDX-License-Identifier: GPL-3.0-or-later
// The audio engine's costs: what starting GStreamer adds to the process (resident
// memory and mapped libraries) when the first source is set, the CPU it takes
// while a song plays on the silent output, how long a source takes to start,
// and the price of the state poll the playback timer makes every tick.
#include "engine/gstplayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QDeadlineTimer>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Silent 128 kbit/s frames, enough for a song of `seconds`.
QString writeSilentMp3(const QString &path, double seconds)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF); frame[1] = char(0xFB); frame[2] = char(0x90); frame[3] = char(0x64);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        for (int i = 0, n = int(std::lround(seconds * 44100 / 1152)); i < n; ++i)
            f.write(frame);
    return path;
}

// Resident memory split into what came from files (libraries) and what the
// process allocated, from /proc/self/smaps_rollup.
QString residentSplit()
{
    QFile f("/proc/self/smaps_rollup");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    double rss = 0, anon = 0;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const QList<QByteArray> w = line.simplified().split(' ');
        if (w.size() >= 2 && w[0] == "Rss:")
            rss = w[1].toDouble() / 1024;
        else if (w.size() >= 2 && w[0] == "Anonymous:")
            anon = w[1].toDouble() / 1024;
    }
    return QString::asprintf("%.1f MiB from files, %.1f MiB allocated", rss - anon, anon);
}

double residentMiB()
{
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

int mappedLibraries()
{
    QFile f("/proc/self/maps");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    QSet<QByteArray> libs;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.contains(".so"))
            libs.insert(line.mid(line.lastIndexOf(' ') + 1));
    return int(libs.size());
}

// Context switches of every thread of this process so far: how often it woke.
long long contextSwitches()
{
    long long n = 0;
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &t : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks.filePath(t + QStringLiteral("/status")));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                n += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return n;
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec)
        + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

bool waitForState(GstPlayer &p, PlayState state, int ms)
{
    QDeadlineTimer deadline(ms);
    while (p.playState() != state) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

void runFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    return dir;
}

GstPlayer::Options untimed()
{
    GstPlayer::Options o;
    o.audioOutput = QStringLiteral("null");
    o.untimed = true;
    return o;
}

// Printed once before the timed benchmarks: the one-off cost of the engine.
void reportFirstUse()
{
    // LIRAVO_BENCH_SONG=<file> measures that song (an M4A, a FLAC) instead.
    const QString song = !qEnvironmentVariableIsEmpty("LIRAVO_BENCH_SONG")
                             ? qEnvironmentVariable("LIRAVO_BENCH_SONG")
                             : writeSilentMp3(workDir().filePath("first.mp3"), 30);
    const double rssBefore = residentMiB();
    const QString splitBefore = residentSplit();
    const int libsBefore = mappedLibraries();
    GstPlayer p(GstPlayer::optionsFromEnvironment()); // the desktop's output, falling back to the null one
    p.setVolume(80);
    QDeadlineTimer started(QDeadlineTimer::Forever);
    QElapsedTimer clock;
    clock.start();
    p.setUrl(song);
    const bool playing = waitForState(p, MediaPlayer::Playing, 10000);
    const qint64 firstMs = clock.elapsed();
    runFor(2000);
    const double rssPlaying = residentMiB();
    const QString splitPlaying = residentSplit();
    if (qEnvironmentVariableIsSet("LIRAVO_BENCH_SMAPS")) {
        // Where the memory went, mapping by mapping, for a closer look.
        QFile in("/proc/self/smaps"), out(qEnvironmentVariable("LIRAVO_BENCH_SMAPS"));
        if (in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly))
            out.write(in.readAll());
    }
    const double cpu0 = cpuSeconds();
    const long long switches0 = contextSwitches();
    runFor(10000);
    const double cpuShare = (cpuSeconds() - cpu0) / 10.0 * 100.0;
    // The bench's own loop wakes 50 times a second; the rest is the engine.
    const double wakeups = double(contextSwitches() - switches0) / 10.0 - 50.0;
    p.stop();
    std::printf("engine first use: %s after %lld ms\n", playing ? "playing" : "NOT PLAYING",
                static_cast<long long>(firstMs));
    std::printf("resident memory: %.1f MiB before, %.1f MiB while playing (+%.1f MiB)\n",
                rssBefore, rssPlaying, rssPlaying - rssBefore);
    std::printf("  before: %s; playing: %s\n", qPrintable(splitBefore), qPrintable(splitPlaying));
    std::printf("mapped libraries: %d before, %d after\n", libsBefore, mappedLibraries());
    std::printf("CPU while playing (real time, %s): %.2f %% of a core, %.0f engine wakeups/s\n",
                qEnvironmentVariableIsSet("PULSE_SERVER") ? "PULSE_SERVER" : "desktop output or silent",
                cpuShare, wakeups);
    std::fflush(stdout);
}

void BM_StatePoll(benchmark::State &state)
{
    GstPlayer p(untimed());
    p.setUrl(writeSilentMp3(workDir().filePath("poll.mp3"), 1));
    waitForState(p, MediaPlayer::Stopped, 10000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.playState());
        benchmark::DoNotOptimize(p.title().size());
    }
}
BENCHMARK(BM_StatePoll);

// Idle ticks stop the player ten times a second: that must cost nothing.
void BM_StopWhileStopped(benchmark::State &state)
{
    GstPlayer p(untimed());
    p.setUrl(writeSilentMp3(workDir().filePath("stop.mp3"), 1));
    waitForState(p, MediaPlayer::Stopped, 10000);
    for (auto _ : state)
        p.stop();
}
BENCHMARK(BM_StopWhileStopped);

// Setting a source until it plays, on an engine that is already running.
void BM_SourceToPlaying(benchmark::State &state)
{
    GstPlayer p(untimed());
    const QString a = writeSilentMp3(workDir().filePath("a.mp3"), 600);
    const QString b = writeSilentMp3(workDir().filePath("b.mp3"), 600);
    bool flip = false;
    for (auto _ : state) {
        p.setUrl((flip = !flip) ? a : b);
        if (!waitForState(p, MediaPlayer::Playing, 10000))
            state.SkipWithError("source did not play");
    }
}
BENCHMARK(BM_SourceToPlaying)->Unit(benchmark::kMillisecond);

// A whole engine: create, start a source, tear down (GStreamer already started).
void BM_EngineStartStop(benchmark::State &state)
{
    const QString song = writeSilentMp3(workDir().filePath("c.mp3"), 600);
    for (auto _ : state) {
        GstPlayer p(untimed());
        p.setUrl(song);
        if (!waitForState(p, MediaPlayer::Playing, 10000))
            state.SkipWithError("source did not play");
    }
}
BENCHMARK(BM_EngineStartStop)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!qEnvironmentVariableIsSet("LIRAVO_BENCH_SKIP_FIRST_USE"))
        reportFirstUse();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
