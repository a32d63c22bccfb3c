// SPDX-License-Identifier: GPL-3.0-or-later
// Soak of the audio engine: plays a list-loop of short songs through the real
// GstPlayer for N song changes and prints how resident memory and open file
// descriptors grew per song after a warm-up. A player left in the tray for
// weeks changes song tens of thousands of times, so anything kept per song
// shows here long before it shows on a desktop.
//
//   engine_soak [changes=1000] [warm-up=100] [--timed]
//
// Untimed (the default) decodes as fast as it can into the silent output;
// --timed plays each song in real time like LIRAVO_AO=null does.
#include "engine/gstplayer.h"
#include "support/mp3gen.h"

#include <QCoreApplication>
#include <functional>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

namespace {

double residentKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : 0;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System | QDir::NoDotAndDotDot).size());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool timed = args.removeAll(QStringLiteral("--timed")) > 0;
    const int changes = args.size() > 0 ? args[0].toInt() : 1000;
    const int warmUp = args.size() > 1 ? args[1].toInt() : 100;

    // Five songs of a second, with tags, so each change also reads tags.
    QTemporaryDir dir;
    QStringList songs;
    for (int i = 0; i < 5; ++i) {
        const QString path = dir.filePath(QStringLiteral("song%1.mp3").arg(i));
        Mp3Recipe r;
        r.seconds = 1.0;
        r.title = QStringLiteral("歌曲 %1").arg(i);
        r.artist = QStringLiteral("歌手 %1").arg(i);
        if (!writeMp3(path, r)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 2;
        }
        songs << path;
    }

    GstPlayer::Options o;
    o.audioOutput = QStringLiteral("null");
    o.untimed = !timed;
    GstPlayer player(o);

    int played = 0;
    int failed = 0;
    double rssWarm = 0;
    int fdsWarm = 0;
    QElapsedTimer clock;
    auto next = [&] {
        player.setUrl(songs[played % songs.size()]);
        ++played;
    };
    // The engine reports each end to its observer, as it does to the player.
    struct Ends : MediaPlayerObserver {
        std::function<void(PlayState)> ended;
        void engineStateChanged(PlayState s) override { ended(s); }
        void engineTagsChanged() override {}
        void engineAdvanced(const QString &) override {}
        void engineDecoderMissing(const QString &, const QStringList &) override {}
    } ends;
    ends.ended = [&](PlayState s) {
        if (s != MediaPlayer::Stopped)
            return;
        // The list loops: each end starts the next song, as the tick does.
        if (player.title().isEmpty())
            ++failed;
        if (played == warmUp) {
            rssWarm = residentKiB();
            fdsWarm = openDescriptors();
            clock.start();
        }
        if (played % 100 == 0 && played > warmUp)
            std::printf("  after %d changes: %+.0f KiB, %+d descriptors\n", played - warmUp,
                        residentKiB() - rssWarm, openDescriptors() - fdsWarm);
        if (played >= warmUp + changes) {
            app.quit();
            return;
        }
        QMetaObject::invokeMethod(&app, next, Qt::QueuedConnection);
    };
    player.setObserver(&ends);
    next();
    app.exec();

    const double grown = residentKiB() - rssWarm;
    std::printf("engine soak: %d song changes after %d warm-up, %s, %.1f s\n", changes, warmUp,
                timed ? "timed" : "untimed", clock.elapsed() / 1000.0);
    std::printf("resident memory: %.0f KiB after warm-up, %+.0f KiB in all, %+.2f KiB per song\n",
                rssWarm, grown, grown / changes);
    std::printf("open descriptors: %d after warm-up, %+d in all\n", fdsWarm, openDescriptors() - fdsWarm);
    std::printf("songs without tags: %d\n", failed);
    return 0;
}
