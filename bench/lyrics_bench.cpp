// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a lyrics file of 5,000 lines (the most the reader takes) in UTF-8
// and in GBK, and one line change in the tracker: finding the new line,
// telling the windows and aiming the timer at the next one.
#include "lyrics/lyricsdocument.h"
#include "lyrics/lyricstracker.h"

#include <benchmark/benchmark.h>

#include <QStringEncoder>

namespace {

QString fiveThousandLines()
{
    QString s = QStringLiteral("[ti:童话]\n[ar:光良]\n[offset:+120]\n");
    for (int i = 0; i < 2498; ++i) {
        const QString t = QStringLiteral("[%1:%2.%3]").arg(i / 600, 2, 10, QLatin1Char('0'))
                              .arg(i / 10 % 60, 2, 10, QLatin1Char('0')).arg(i % 10 * 10, 2, 10, QLatin1Char('0'));
        s += t + QStringLiteral("<00:00.10>忽然之间 <00:00.50>天昏地暗 第%1行\n").arg(i);
        s += t + QStringLiteral("Suddenly the sky went dark, line %1\n").arg(i);
    }
    return s;
}

void BM_ParseLrc5000Utf8(benchmark::State &state)
{
    const QByteArray bytes = fiveThousandLines().toUtf8();
    for (auto _ : state) {
        LyricsDocument doc = parseLyricsBytes(bytes);
        benchmark::DoNotOptimize(doc.lines.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParseLrc5000Utf8)->Unit(benchmark::kMillisecond);

void BM_ParseLrc5000Gbk(benchmark::State &state)
{
    QStringEncoder gbk("GB18030");
    const QByteArray bytes = gbk.encode(fiveThousandLines());
    for (auto _ : state) {
        LyricsDocument doc = parseLyricsBytes(bytes);
        benchmark::DoNotOptimize(doc.lines.size());
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParseLrc5000Gbk)->Unit(benchmark::kMillisecond);

void BM_TrackerLineChange(benchmark::State &state)
{
    qint64 clock = 0;
    LyricsTracker tracker([&clock] { return clock; });
    tracker.setDocument(parseLyrics(fiveThousandLines()));
    tracker.setPlaying(true);
    int changes = 0;
    QObject::connect(&tracker, &LyricsTracker::currentLineChanged, [&changes](int) { ++changes; });
    qint64 step = 0;
    for (auto _ : state) {
        // Each position lies in the next line, so every call changes the line.
        clock = (step++ % 2400) * 100 + 50;
        tracker.setPosition(clock);
    }
    benchmark::DoNotOptimize(changes);
}
BENCHMARK(BM_TrackerLineChange);

} // namespace
