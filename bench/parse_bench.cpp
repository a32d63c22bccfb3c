// SPDX-License-Identifier: GPL-3.0-or-later
// Parse time of a lookup reply and of a result page at 10 KB, 1 MB and 8 MB.
// Both are walked once from left to right, so the time per byte should stay
// flat as the input grows. The inputs are the hard shapes: a reply whose
// candidates are none of them MP3s (the walk visits them all), and a page
// whose results never end (the walk runs to its 51st piece).
#include "base/songcollection.h"
#include "online/addressresolver.h"
#include "online/songsearch.h"

#include <benchmark/benchmark.h>

#include <QString>

namespace {

QString lookupReply(qsizetype bytes)
{
    QString s = QStringLiteral("<?xml version=\"1.0\"?><result><count>9</count>");
    // Long addresses keep an 8 MB reply under the 32,767 candidates the walk
    // numbers, so every size is walked to its end.
    const QString dir(160, QLatin1Char('p'));
    for (int i = 0; s.size() * 2 < bytes; ++i)
        s += QStringLiteral("<url><encode><![CDATA[http://h.test/%2/d%1/x.wma]]></encode>"
                            "<decode><![CDATA[s%1.wma]]></decode></url>")
                 .arg(i)
                 .arg(dir);
    return s + QStringLiteral("</result>");
}

// Few results in a page padded with text that holds no marker end, so each
// piece reaches far: the case that was quadratic in the page size.
QString resultPage(qsizetype bytes)
{
    QString s = QStringLiteral("<html><!-- wap --><body>");
    for (int i = 0; i < 20; ++i)
        s += QStringLiteral("<a><!-- t -->歌%1</a> <a href=\"singerDetail?x\">歌手</a>\n").arg(i);
    s += QStringLiteral("<!-- -->");
    s += QString(qMax<qsizetype>(0, bytes / 2 - s.size() - 16), QLatin1Char('x'));
    return s + QStringLiteral("下一页</body></html>");
}

void BM_LookupReply(benchmark::State &state)
{
    const QString reply = lookupReply(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(addressFromLookupReply(reply));
    state.SetBytesProcessed(state.iterations() * reply.size() * 2);
}

void BM_ResultPage(benchmark::State &state)
{
    // UTF-16 code units: half as many as the page's bytes in ASCII.
    const QString page = resultPage(state.range(0));
    for (auto _ : state) {
        SongCollection songs;
        benchmark::DoNotOptimize(scrapeResultPage(page, songs));
    }
    state.SetBytesProcessed(state.iterations() * page.size() * 2);
}

} // namespace

// Sizes in bytes of UTF-16 text.
BENCHMARK(BM_LookupReply)->Arg(10 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResultPage)->Arg(10 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
