// SPDX-License-Identifier: GPL-3.0-or-later
// get-setting and save-setting on the real SQLite store in a temporary folder.
// The playback timer reads two entries ten times a second, so a read must stay
// in the microseconds.
#include "base/settings.h"
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
            settings.save(QStringLiteral("Liravo"), QStringLiteral("填充"), QString::number(i),
                          QStringLiteral("值%1").arg(i));
        settings.save(Settings::sharedAppName(), QStringLiteral("程序多开"), QStringLiteral("歌曲文件"),
                      QStringLiteral("/home/user/音乐/晴天.mp3"));
    }
};

Store &store()
{
    static Store s;
    return s;
}

// A stored entry, and one that falls back to its default.
void BM_Get(benchmark::State &state, const char *key, const char *fallback)
{
    Settings &s = store().settings;
    const QString app = Settings::sharedAppName();
    const QString section = QStringLiteral("程序多开");
    const QString name = QString::fromUtf8(key);
    const QString def = QString::fromUtf8(fallback);
    for (auto _ : state)
        benchmark::DoNotOptimize(s.get(app, section, name, def));
}
BENCHMARK_CAPTURE(BM_Get, Existing, "歌曲文件", "");
BENCHMARK_CAPTURE(BM_Get, Missing, "show", "false");

void BM_Save(benchmark::State &state)
{
    Settings &s = store().settings;
    const QString app = Settings::sharedAppName();
    const QString section = QStringLiteral("歌集");
    const QString key = QStringLiteral("最后的播放位置");
    int n = 0;
    for (auto _ : state)
        s.save(app, section, key, QString::number(++n % 100 + 1));
}
BENCHMARK(BM_Save);

} // namespace

BENCHMARK_MAIN();
