// SPDX-License-Identifier: GPL-3.0-or-later
// get-setting and save-setting on the real SQLite store in a temporary folder.
// The playback timer reads two entries ten times a second, so a read must stay
// in the microseconds.
#include "base/settings.h"
#include "base/settingskeys.h"
#include "store/sqlitesettingsbackend.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Store {
    QTemporaryDir dir;
    SqliteSettingsBackend backend{dir.path() + "/settings.sqlite3"};
    Settings settings{backend, QStringLiteral("Liravo")};

    Store()
    {
        // A store the size a real one reaches, so lookups walk a real index.
        for (int i = 0; i < 200; ++i)
            backend.write(QStringLiteral("Liravo"), QStringLiteral("填充"), QString::number(i),
                          QStringLiteral("值%1").arg(i));
        backend.write(Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"),
                      QStringLiteral("/home/user/音乐/晴天.mp3"));
    }
};

Store &store()
{
    static Store s;
    return s;
}

// A stored entry, and one that falls back to its default.
void BM_Get(benchmark::State &state, const SettingKey *key)
{
    Settings &s = store().settings;
    for (auto _ : state)
        benchmark::DoNotOptimize(s.value(*key));
}
BENCHMARK_CAPTURE(BM_Get, Existing, &SettingKeys::handOffFile);
BENCHMARK_CAPTURE(BM_Get, Missing, &SettingKeys::handOffShow);

void BM_Save(benchmark::State &state)
{
    Settings &s = store().settings;
    int n = 0;
    for (auto _ : state)
        s.store(SettingKeys::lastPlayPosition, QString::number(++n % 100 + 1));
}
BENCHMARK(BM_Save);

} // namespace

BENCHMARK_MAIN();
