// SPDX-License-Identifier: GPL-3.0-or-later
// Pinyin reading, matching and sorting of a full collection (100 songs): the
// song list filters and sorts on each key typed into its search box, so all of
// it together must stay far below a frame (16 ms).
#include "base/songcollection.h"
#include "collection/pinyin.h"

#include <benchmark/benchmark.h>

namespace {

// 100 names and singers of the usual shape: two to seven characters, some
// with Latin words, many characters shared between them.
SongCollection hundredSongs(char16_t firstRare = 0)
{
    static const char16_t *const names[] = {
        u"稻香", u"晴天", u"七里香", u"夜曲", u"青花瓷", u"光辉岁月", u"海阔天空 (Live)",
        u"突然好想你", u"倔强", u"后来", u"小幸运", u"演员", u"平凡之路", u"南山南",
        u"成都", u"Let It Be", u"Yesterday", u"告白气球", u"十年", u"红豆"};
    static const char16_t *const singers[] = {
        u"周杰伦", u"Beyond", u"五月天", u"刘若英", u"田馥甄", u"薛之谦", u"朴树",
        u"马頔", u"赵雷", u"The Beatles", u"陈奕迅", u"王菲"};
    SongCollection c;
    for (int i = 0; i < SongCollection::kCapacity; ++i) {
        SongEntry &e = c.entry(i + 1);
        e.songName = QString::fromUtf16(names[i % std::size(names)]) + QString::number(i);
        if (firstRare)
            e.songName += QChar(char16_t(firstRare + i));
        e.singer = QString::fromUtf16(singers[i % std::size(singers)]);
    }
    c.count = SongCollection::kCapacity;
    return c;
}

// The first reading of names whose characters were never read: what opening
// a new list costs once. Each run uses characters of its own.
void BM_PinyinOf100NamesFirstTime(benchmark::State &state)
{
    // The transliterator is built once at start (about 135 ms of CPU, most of
    // it ICU compiling its rules; only the first build in a process pays it).
    preparePinyin();
    char16_t rare = 0x5000;
    for (auto _ : state) {
        state.PauseTiming();
        const SongCollection c = hundredSongs(rare);
        rare += SongCollection::kCapacity;
        state.ResumeTiming();
        for (int i = 1; i <= c.count; ++i)
            benchmark::DoNotOptimize(pinyinOf(c.entry(i).songName));
    }
}
BENCHMARK(BM_PinyinOf100NamesFirstTime)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_PinyinOf100Names(benchmark::State &state)
{
    const SongCollection c = hundredSongs();
    for (auto _ : state) {
        for (int i = 1; i <= c.count; ++i)
            benchmark::DoNotOptimize(pinyinOf(c.entry(i).songName));
    }
}
BENCHMARK(BM_PinyinOf100Names)->Unit(benchmark::kMicrosecond);

// One key typed: match the query against every name and singer, with the
// finder's remembered readings (the first key is the row above plus this).
void BM_Find100Entries(benchmark::State &state)
{
    const SongCollection c = hundredSongs();
    EntryFinder finder;
    finder.find(c, QStringLiteral("z"));
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.find(c, QStringLiteral("zjlqt")));
}
BENCHMARK(BM_Find100Entries)->Unit(benchmark::kMicrosecond);

void BM_Sort100Entries(benchmark::State &state)
{
    const SongCollection c = hundredSongs();
    const SortBy by = state.range(0) ? SortBy::Singer : SortBy::Name;
    for (auto _ : state)
        benchmark::DoNotOptimize(sortedEntryOrder(c, by));
}
BENCHMARK(BM_Sort100Entries)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
