// SPDX-License-Identifier: GPL-3.0-or-later
// The real engine on a GStreamer that has only what the package depends on
// (plugins-base and plugins-good, through a plugin folder and a registry of
// the test's own, set before GStreamer starts in this process): songs whose
// decoder lives in gstreamer1.0-libav or -ugly end with the engine naming
// those packages (only those still missing), and the Player marks them and
// says so in the window.
// The songs are made by gst-launch-1.0 with every installed plugin.
#include "base/playmode.h"
#include "engine/gstplayer.h"
#include "playback/player.h"
#include "support/fakeservices.h"
#include "windows/mainviewmodel.h"

#include <gtest/gtest.h>
#include <gst/gst.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// What Debian's plugins-base and plugins-good hold of what the player uses.
constexpr const char *kBaseAndGood[] = {
    "coreelements", "typefindfunctions", "playback", "audioconvert", "audioresample", "volume",
    "autodetect", "ogg", "vorbis", "opus", "audioparsers", "id3demux", "apetag", "isomp4",
    "wavparse", "flac", "mpg123", "matroska", "replaygain"};

QTemporaryDir *folder = nullptr;

QString path(const QString &name)
{
    return folder->filePath(name);
}

// Encodes with gst-launch-1.0 as the machine has it, every plugin included.
bool encode(const QString &name, const QString &chain)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"GST_PLUGIN_SYSTEM_PATH_1_0", "GST_PLUGIN_PATH_1_0", "GST_REGISTRY_1_0"})
        env.remove(QString::fromLatin1(v));
    p.setProcessEnvironment(env);
    p.start("gst-launch-1.0", QStringList{"-q", "audiotestsrc", "num-buffers=40", "!", "audioconvert", "!"}
                                  + chain.split(' ') + QStringList{"!", "filesink", "location=" + path(name)});
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
           && QFileInfo(path(name)).size() > 0;
}

bool waitFor(const std::function<bool()> &done, int ms = 10000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(5);
    }
    return true;
}

class BaseAndGoodOnly : public ::testing::Test {
public:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        ASSERT_TRUE(folder->isValid());
        ok = encode("song.m4a", "avenc_aac ! mp4mux") && encode("song.aac", "voaacenc ! aacparse ! audio/mpeg,stream-format=adts")
             && encode("song.wma", "avenc_wmav2 ! asfmux") && encode("song.flac", "flacenc");
        // Monkey's Audio has no encoder on Debian; its header is all GStreamer reads before it
        // looks for a demuxer.
        QFile ape(path("song.ape"));
        ok = ok && ape.open(QIODevice::WriteOnly) && ape.write(QByteArray("MAC \x96\x0f", 6) + QByteArray(4000, '\0')) > 0;
        ape.close();
        QFile text(path("text.mp3"));
        ok = ok && text.open(QIODevice::WriteOnly) && text.write(QByteArray(4000, 'x')) > 0;
        text.close();

        const QString plugins = path("plugins");
        QDir().mkpath(plugins);
        for (const char *name : kBaseAndGood) {
            const QString file = QStringLiteral(LIRAVO_GST_PLUGIN_DIR "/libgst%1.so").arg(QLatin1String(name));
            ASSERT_TRUE(QFile::link(file, plugins + QStringLiteral("/libgst%1.so").arg(QLatin1String(name))))
                << name;
        }
        qputenv("GST_PLUGIN_SYSTEM_PATH_1_0", QFile::encodeName(plugins));
        qunsetenv("GST_PLUGIN_PATH_1_0");
        qputenv("GST_REGISTRY_1_0", QFile::encodeName(path("registry.bin")));
    }
    static void TearDownTestSuite()
    {
        delete std::exchange(folder, nullptr);
    }
    void SetUp() override { ASSERT_TRUE(ok) << "cannot make the test songs with gst-launch-1.0"; }

    static bool ok;
};
bool BaseAndGoodOnly::ok = false;

// Every missing decoder the engine reports, and its states.
struct Recorder : MediaPlayerObserver {
    void engineStateChanged(PlayState s) override { states << s; }
    void engineTagsChanged() override {}
    void engineAdvanced(const QString &) override {}
    void engineDecoderMissing(const QString &url, const QStringList &packages) override
    {
        missing << QFileInfo(url).fileName() + ": " + packages.join(' ');
    }
    QList<PlayState> states;
    QStringList missing;
};

} // namespace

TEST_F(BaseAndGoodOnly, TheEngineNamesThePackageOfTheDecoderItLacks)
{
    const struct {
        const char *file;
        const char *missing; // what the engine reports; null: no report
        bool plays;
    } cases[] = {
        {"song.m4a", "song.m4a: gstreamer1.0-libav", false},
        {"song.aac", "song.aac: gstreamer1.0-libav", false},
        // The ASF demuxer is in plugins-ugly, the WMA decoder in libav.
        {"song.wma", "song.wma: gstreamer1.0-plugins-ugly gstreamer1.0-libav", false},
        {"song.ape", "song.ape: gstreamer1.0-libav", false},
        {"song.flac", nullptr, true},
        // Not a missing decoder: nothing to install would help.
        {"text.mp3", nullptr, false},
    };
    GstPlayer engine({.audioOutput = QStringLiteral("null"), .untimed = true});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file);
        Recorder rec;
        engine.setObserver(&rec);
        engine.setUrl(path(c.file));
        ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Stopped); }));
        EXPECT_EQ(rec.states.contains(MediaPlayer::Playing), c.plays);
        EXPECT_EQ(rec.missing, c.missing ? QStringList{c.missing} : QStringList{});
        engine.setObserver(nullptr);
    }

    // With plugins-ugly's ASF demuxer in place, WMA lacks only its decoder.
    // (No other test here plays WMA, so the order of tests does not matter.)
    GError *error = nullptr;
    GstPlugin *asf = gst_plugin_load_file(LIRAVO_GST_PLUGIN_DIR "/libgstasf.so", &error);
    ASSERT_TRUE(asf) << (error ? error->message : "");
    gst_object_unref(asf);
    Recorder rec;
    engine.setObserver(&rec);
    engine.setUrl(path("song.wma"));
    ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Stopped); }));
    EXPECT_EQ(rec.missing, QStringList{"song.wma: gstreamer1.0-libav"});
    engine.setObserver(nullptr);
}

TEST_F(BaseAndGoodOnly, ThePlayerMarksTheSongsAndSaysWhatToInstall)
{
    GstPlayer engine({.audioOutput = QStringLiteral("null"), .untimed = true});
    FakeServices services{{.player = &engine}};
    AppContext &ctx = services.ctx;
    MainViewModel view(ctx);
    view.load(QIcon());
    SongCollection c;
    const char *names[] = {"song.m4a", "song.ape", "text.mp3"};
    for (int n = 1; n <= 3; ++n)
        c.entry(n) = {QStringLiteral("歌%1").arg(n), path(names[n - 1]), {}, true};
    c.count = 3;
    ctx.player.replaceCollection(c);
    ctx.player.setMode(PlayMode::fromText(QStringLiteral("列表循环")));

    // What the window showed while each song was being skipped.
    QStringList tooltips, captions;
    QObject::connect(&view, &MainViewModel::stateChanged, [&] {
        if (view.tooltip().startsWith(QStringLiteral("无法播放")) && !tooltips.contains(view.tooltip())) {
            tooltips << view.tooltip();
            captions << view.caption();
        }
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ctx.player.tick(); });
    ctx.player.play(1);
    tick.start(20);
    ASSERT_TRUE(waitFor([&] { return services.dialogs.count("message") > 0; }, 30000));
    tick.stop();

    const QString libav = QStringLiteral("缺少解码器，请安装 gstreamer1.0-libav");
    const QString reasons[] = {libav, libav, QStringLiteral("无法解码")};
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(ctx.player.unplayableReason(ctx.player.collection().entry(n)), reasons[n - 1]) << n;
    EXPECT_EQ(tooltips, (QStringList{QStringLiteral("无法播放“歌1”：") + libav,
                                     QStringLiteral("无法播放“歌2”：") + libav,
                                     QStringLiteral("无法播放“歌3”：无法解码")}));
    EXPECT_TRUE(captions.value(0).startsWith(QStringLiteral("歌1[无法播放]"))) << captions.value(0).toStdString();
    ASSERT_EQ(services.dialogs.count("message"), 1);
    EXPECT_EQ(services.dialogs.asked[0].text,
              QStringLiteral("当前歌集中没有可以播放的歌曲。\n") + libav);
    EXPECT_FALSE(ctx.player.wanted());
}
