// SPDX-License-Identifier: GPL-3.0-or-later
// Local song scan timing: a folder of 200 MP3 files against one of 100,000
// files. The scan stops listing once 100 entries are held, so the big folder
// must cost about as much as the small one; a folder of 100,000 files none of
// which matches is the worst case, where every name has to be looked at.
#include "base/songcollection.h"
#include "system/localscan.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Empty files are enough: the scan never opens them.
void makeFiles(const QString &dir, int count, const char *suffix)
{
    const QByteArray base = QFile::encodeName(dir);
    char name[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "/song%06d%s", i, suffix);
        const QByteArray path = base + name;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

struct Folders {
    QTemporaryDir root;
    QString small, bigMp3, bigOther;
    Folders()
    {
        small = root.path() + "/small";
        bigMp3 = root.path() + "/big-mp3";
        bigOther = root.path() + "/big-other";
        for (const QString &d : {small, bigMp3, bigOther})
            QDir().mkpath(d);
        makeFiles(small, 200, ".mp3");
        makeFiles(bigMp3, 100000, ".mp3");
        makeFiles(bigOther, 100000, ".txt");
    }
};

Folders &folders()
{
    static Folders f;
    return f;
}

void scan(benchmark::State &state, const QString &folder)
{
    for (auto _ : state) {
        SongCollection list;
        scanFolder(list, folder);
        nameLocalEntries(list);
        benchmark::DoNotOptimize(list.count);
    }
}

void BM_Scan200Mp3(benchmark::State &state) { scan(state, folders().small); }
void BM_Scan100kMp3(benchmark::State &state) { scan(state, folders().bigMp3); }
void BM_Scan100kNoMatch(benchmark::State &state) { scan(state, folders().bigOther); }

} // namespace

BENCHMARK(BM_Scan200Mp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan100kMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scan100kNoMatch)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
