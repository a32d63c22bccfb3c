// SPDX-License-Identifier: GPL-3.0-or-later
// The real GStreamer engine on generated MP3s, always with the silent output.
#include "playback/player.h"
#include "engine/lazymediaplayer.h"
#include "engine/engineloader.h"
#include "engine/gstplayer.h"
#include "engine/gstplugins.h"
#include "support/mp3gen.h"
#include "support/testfiles.h"
#include "support/tonefiles.h"

#include <gtest/gtest.h>
#include <gst/gst.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <QThread>
#include <atomic>
#include <clocale>
#include <deque>
#include <cmath>
#include <functional>
#include <memory>

namespace {

// The player's observer while it lives: every state the player passes
// through, however short-lived, the tag reports, the gapless advances and
// the missing decoders.
struct Recorder : MediaPlayerObserver {
    explicit Recorder(MediaPlayer &p) : player(p) { p.setObserver(this); }
    ~Recorder() override { player.setObserver(nullptr); }
    void engineStateChanged(PlayState s) override { states << s; }
    void engineTagsChanged() override { ++tagReports; }
    void engineAdvanced(const QString &url) override { advances << url; }
    void engineDecoderMissing(const QString &url, const QStringList &packages) override
    {
        missing << url + ": " + packages.join(' ');
    }
    MediaPlayer &player;
    QList<PlayState> states;
    int tagReports = 0;
    QStringList advances;
    QStringList missing; // "<url>: <packages>" for each missing decoder
};

bool waitFor(const std::function<bool()> &done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(2);
    }
    return true;
}

// Serves one MP3 at /song.mp3 on loopback and 404 for everything else.
class SongServer : public QTcpServer {
public:
    explicit SongServer(QByteArray body) : body_(std::move(body))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        listen(QHostAddress::LocalHost);
    }
    QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
    }

private:
    void answer(QTcpSocket *s)
    {
        request_ += s->readAll();
        if (!request_.contains("\r\n\r\n"))
            return;
        const bool found = request_.startsWith("GET /song.mp3 ")
            || request_.startsWith("GET /%E6%AD%8C%20%E6%9B%B2.mp3 ");
        request_.clear();
        const QByteArray body = found ? body_ : QByteArray("not here");
        s->write((found ? "HTTP/1.1 200 OK\r\nContent-Type: audio/mpeg\r\n"
                        : "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\n")
                 + QByteArray("Content-Length: ") + QByteArray::number(body.size())
                 + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }
    QByteArray body_;
    QByteArray request_;
};

class GstPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // Untimed: a two-second song ends within milliseconds.
    std::unique_ptr<GstPlayer> fastPlayer()
    {
        GstPlayer::Options o;
        o.audioOutput = "null";
        o.untimed = true;
        return std::make_unique<GstPlayer>(o);
    }
    // Timed null output: plays in real time, for the transport commands.
    std::unique_ptr<GstPlayer> realTimePlayer()
    {
        GstPlayer::Options o;
        o.audioOutput = "null";
        return std::make_unique<GstPlayer>(o);
    }
    // Writes what plays to `recording` as fast as it decodes.
    std::unique_ptr<GstPlayer> recordingPlayer()
    {
        GstPlayer::Options o;
        o.audioOutput = recordingOutput(recording);
        return std::make_unique<GstPlayer>(o);
    }
    // Plays one source to its end and returns what came out.
    QList<qint16> playThrough(GstPlayer &p, const QString &source)
    {
        Recorder rec(p);
        p.setUrl(source);
        EXPECT_TRUE(waitFor([&] { return p.playState() == MediaPlayer::Stopped; }, 10000));
        EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing)) << source.toStdString();
        return readRecording(recording);
    }

    QString song(const QString &name, const Mp3Recipe &recipe = {})
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeMp3(path, recipe));
        return path;
    }

    QTemporaryDir dir;
    QString recording = dir.filePath("out.raw");
};

TEST_F(GstPlayerTest, SongRunsThroughTransitioningPlayingAndEndsStoppedHeld)
{
    auto p = fastPlayer();
    Recorder rec(*p);
    EXPECT_EQ(p->playState(), MediaPlayer::Undefined);
    p->setUrl(song("a.mp3"));
    // Right away, before any engine event: the timer must not see a finished song.
    EXPECT_EQ(p->playState(), MediaPlayer::Transitioning);
    ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Stopped); }));
    EXPECT_EQ(rec.states, (QList<PlayState>{MediaPlayer::Transitioning, MediaPlayer::Playing,
                                      MediaPlayer::Stopped}));
    QTest::qWait(150);
    EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
    EXPECT_EQ(rec.states.size(), 3);

    // Play after the end starts the song again and it ends once more.
    rec.states.clear();
    p->play();
    EXPECT_EQ(p->playState(), MediaPlayer::Transitioning);
    ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Stopped); }));
    EXPECT_EQ(rec.states, (QList<PlayState>{MediaPlayer::Transitioning, MediaPlayer::Playing,
                                      MediaPlayer::Stopped}));
}

TEST_F(GstPlayerTest, ReportsLengthAndPositionOnlyOfAnOpenSong)
{
    auto p = realTimePlayer();
    // Nothing open: no position, no length, and a seek does nothing.
    EXPECT_EQ(p->position(), -1);
    EXPECT_EQ(p->duration(), -1);
    p->seek(1000);
    p->setUrl(song("d.mp3", {.seconds = 7.0}));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    // A plain MP3 has no length field: it is known once a few frames are read.
    ASSERT_TRUE(waitFor([&] { return p->duration() > 0; }, 2000));
    EXPECT_NEAR(double(p->duration()), 7000.0, 100.0);
    p->seek(-3000); // clamped to the start
    ASSERT_TRUE(waitFor([&] { return p->position() >= 0 && p->position() < 1000; }));
    p->stop();
    EXPECT_EQ(p->position(), -1);
}

TEST_F(GstPlayerTest, ReplacingASourceNeverShowsAStaleEnd)
{
    auto p = realTimePlayer();
    Recorder rec(*p);
    const QString a = song("a.mp3", {.seconds = 30});
    const QString b = song("b.mp3", {.seconds = 30});
    p->setUrl(a);
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));

    // The old song's own end-of-file (reason: replaced) must not count as the
    // new one ending; neither may a quick succession of sources.
    for (const QString &next : {b, a, b}) {
        rec.states.clear();
        p->setUrl(next);
        EXPECT_EQ(p->playState(), MediaPlayer::Transitioning);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
        QTest::qWait(50);
        EXPECT_FALSE(rec.states.contains(MediaPlayer::Stopped)) << rec.states.size();
        EXPECT_FALSE(rec.states.contains(MediaPlayer::Ready));
        EXPECT_EQ(p->playState(), MediaPlayer::Playing);
    }
    rec.states.clear();
    p->setUrl(a);
    p->setUrl(b);
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    QTest::qWait(50);
    EXPECT_FALSE(rec.states.contains(MediaPlayer::Stopped));
    EXPECT_EQ(p->url(), b);
}

TEST_F(GstPlayerTest, PauseResumesWhereItStoppedAndStopRestartsFromTheBeginning)
{
    auto p = realTimePlayer();
    p->setUrl(song("long.mp3", {.seconds = 30}));
    ASSERT_TRUE(waitFor([&] { return p->position() / 1000.0 > 0.4; }));
    EXPECT_EQ(p->playState(), MediaPlayer::Playing);

    p->pause();
    EXPECT_EQ(p->playState(), MediaPlayer::Paused);
    const double pausedAt = p->position() / 1000.0;
    QTest::qWait(300);
    EXPECT_EQ(p->playState(), MediaPlayer::Paused);
    EXPECT_NEAR(p->position() / 1000.0, pausedAt, 0.05);
    p->play();
    EXPECT_EQ(p->playState(), MediaPlayer::Playing);
    ASSERT_TRUE(waitFor([&] { return p->position() / 1000.0 > pausedAt + 0.2; }));
    EXPECT_GE(p->position() / 1000.0, pausedAt);

    p->stop();
    EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
    QTest::qWait(100);
    EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
    p->stop(); // the idle timer stops every tick
    EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
    p->play();
    EXPECT_EQ(p->playState(), MediaPlayer::Transitioning);
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    EXPECT_LT(p->position() / 1000.0, pausedAt);
}

TEST_F(GstPlayerTest, ASourceSetWhilePausedPlays)
{
    auto p = realTimePlayer();
    p->setUrl(song("a.mp3", {.seconds = 30}));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    p->pause();
    p->setUrl(song("b.mp3", {.seconds = 30}));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    ASSERT_TRUE(waitFor([&] { return p->position() / 1000.0 > 0.1; }));
}

TEST_F(GstPlayerTest, SourcesThatCannotPlayEndStoppedWithoutPlaying)
{
    QFile garbage(dir.filePath("garbage.mp3"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray noise;
    for (int i = 0; i < 20000; ++i)
        noise.append(char((i * 7919 + 13) % 251));
    garbage.write(noise);
    garbage.close();
    QFile text(dir.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("just some words\nand more\n");
    text.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.mp3"));
    const QString inFolder = song("folder.mp3/inside.mp3");
    QFile list(dir.filePath("list.m3u"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(inFolder.toUtf8() + "\n");
    list.close();
    const QString good = song("good.mp3", {.seconds = 30});

    const QStringList sources = {
        "",
        dir.filePath("missing.mp3"),
        dir.filePath("folder.mp3"),
        "file://" + dir.filePath("folder.mp3"),
        garbage.fileName(),
        text.fileName(),
        list.fileName(),              // a playlist would play on by itself
        "edl://" + inFolder,          // engine-internal protocols are refused
        "http://127.0.0.1:1/song.mp3", // nothing listens there
    };
    auto p = realTimePlayer();
    for (const QString &bad : sources) {
        SCOPED_TRACE(bad.toStdString());
        // Each right after a playing song, so a stale state would show.
        p->setUrl(good);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
        Recorder rec(*p);
        p->setUrl(bad);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
        QTest::qWait(100);
        EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
        EXPECT_FALSE(rec.states.contains(MediaPlayer::Playing));
        EXPECT_EQ(p->position(), -1);
        EXPECT_EQ(p->duration(), -1);
        // Play retries the same source, which still fails.
        p->play();
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
        EXPECT_FALSE(rec.states.contains(MediaPlayer::Playing));
    }
}

TEST_F(GstPlayerTest, TransportWaitsForTheFirstSourceAndTheVolumeIsHeardAsSet)
{
    auto p = recordingPlayer();
    Recorder rec(*p);
    p->setVolume(80); // before the engine has anything open
    p->stop();
    p->pause();
    p->play();
    EXPECT_EQ(p->playState(), MediaPlayer::Undefined); // nothing open: no state text
    p->setUrl(dir.filePath("missing.mp3"));
    EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
    EXPECT_EQ(rec.states, QList<PlayState>{MediaPlayer::Stopped});

    const QString tone = dir.filePath("tone.wav");
    ASSERT_TRUE(writeToneWav(tone, {.seconds = 0.5, .amplitude = 0.5}));
    const double full = 20 * std::log10(0.5 / std::sqrt(2.0));
    struct Case {
        int set, kept;
        double db; // heard, relative to full volume: the cube of the setting
    };
    const Case cases[] = {{80, 80, 60 * std::log10(0.8)}, {130, 100, 0}, {50, 50, 60 * std::log10(0.5)},
                          {-5, 0, -INFINITY}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.set);
        if (c.set != 80)
            p->setVolume(c.set);
        EXPECT_EQ(p->volume(), c.kept);
        const QList<qint16> out = playThrough(*p, tone);
        ASSERT_GT(out.size(), 20000);
        if (std::isinf(c.db))
            EXPECT_TRUE(std::isinf(levelDb(out)));
        else
            EXPECT_NEAR(levelDb(out) - full, c.db, 0.2);
    }
}

// Every element GStreamer makes while it is connected, watched until it is
// freed. The flags live as long as the test binary: an element that outlives
// the test must not write into freed memory.
struct Watched {
    struct Flag {
        QByteArray name;
        bool freed = false;
    };
    std::vector<Flag *> flags;
    static void added(GstBin *, GstBin *, GstElement *e, gpointer self)
    {
        static std::deque<Flag> all; // never moves an element, never freed
        Flag *flag = &all.emplace_back(Flag{GST_OBJECT_NAME(e)});
        static_cast<Watched *>(self)->flags.push_back(flag);
        g_object_weak_ref(G_OBJECT(e), [](gpointer f, GObject *) { static_cast<Flag *>(f)->freed = true; }, flag);
    }
    // Those alive outside the player's output, which stays for every song.
    QByteArray alive(GstElement *pipeline) const
    {
        GstElement *output = nullptr;
        g_object_get(pipeline, "audio-sink", &output, nullptr);
        QByteArrayList inside{GST_OBJECT_NAME(output)};
        if (GST_IS_BIN(output)) {
            GstIterator *it = gst_bin_iterate_recurse(GST_BIN(output));
            GValue item = G_VALUE_INIT;
            while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
                inside << GST_OBJECT_NAME(g_value_get_object(&item));
                g_value_reset(&item);
            }
            g_value_unset(&item);
            gst_iterator_free(it);
        }
        gst_object_unref(output);
        QByteArrayList names;
        for (const Flag *f : flags)
            if (!f->freed && !inside.contains(f->name))
                names << f->name;
        return names.join(' ');
    }
};

// Finds the player's pipeline the way any GStreamer code in the process
// could: the top-level bin that announces elements added deep inside it
// while a song starts. Made once GStreamer runs.
struct PipelineCatcher {
    PipelineCatcher()
        : signal(g_signal_lookup("deep-element-added", GST_TYPE_BIN)),
          hook(g_signal_add_emission_hook(signal, 0, &caught, this, nullptr))
    {
    }
    ~PipelineCatcher() { g_signal_remove_emission_hook(signal, hook); }
    static gboolean caught(GSignalInvocationHint *, guint, const GValue *params, gpointer self)
    {
        auto *bin = static_cast<GstElement *>(g_value_get_object(&params[0]));
        if (!GST_OBJECT_PARENT(bin))
            static_cast<PipelineCatcher *>(self)->pipeline = bin;
        return TRUE;
    }
    guint signal;
    gulong hook;
    GstElement *pipeline = nullptr;
};

TEST_F(GstPlayerTest, ASongsElementsAreFreedOnceTheNextSongHasPlayed)
{
    // A player left running for weeks changes songs thousands of times:
    // nothing made for one song may outlive it (bus messages held, a volume
    // element per song).
    auto p = fastPlayer();
    const QString a = song("a.mp3", {.seconds = 0.5, .title = "a"});
    const QString b = song("b.mp3", {.seconds = 0.5, .title = "b"});
    auto playToEnd = [&](const QString &path) {
        p->setUrl(path);
        return waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000);
    };
    ASSERT_TRUE(playToEnd(a));
    PipelineCatcher catcher;
    ASSERT_TRUE(playToEnd(b));
    ASSERT_NE(catcher.pipeline, nullptr);
    GstElement *pipeline = catcher.pipeline;
    Watched second;
    const gulong id = g_signal_connect(pipeline, "deep-element-added", G_CALLBACK(&Watched::added), &second);
    ASSERT_TRUE(playToEnd(a));
    g_signal_handler_disconnect(pipeline, id);
    ASSERT_GT(second.flags.size(), 3u); // a source, a demuxer, a decoder at least
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(playToEnd(round % 2 ? a : b));
    QCoreApplication::processEvents();
    EXPECT_EQ(second.alive(pipeline).toStdString(), "") << "of " << second.flags.size() << " elements";
}

TEST_F(GstPlayerTest, TheVolumeScalesTheSoundOnASinkWithoutVolume)
{
    // The silent output has no volume of its own: some element in front of
    // it must carry the player's volume, or it would go unheard on ALSA too.
    auto p = realTimePlayer();
    p->setVolume(60);
    p->setUrl(song("first.mp3", {.seconds = 0.2}));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
    PipelineCatcher catcher;
    p->setUrl(song("a.mp3", {.seconds = 10}));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }, 10000));
    ASSERT_NE(catcher.pipeline, nullptr);
    const double wanted = 0.6 * 0.6 * 0.6;
    int carrying = 0;
    GstIterator *it = gst_bin_iterate_recurse(GST_BIN(catcher.pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto *e = GST_ELEMENT(g_value_get_object(&item));
        GParamSpec *property = g_object_class_find_property(G_OBJECT_GET_CLASS(e), "volume");
        if (property && property->value_type == G_TYPE_DOUBLE && !GST_IS_BIN(e)) {
            double v = 0;
            g_object_get(e, "volume", &v, nullptr);
            carrying += std::abs(v - wanted) < 1e-6;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    EXPECT_EQ(carrying, 1);
}

TEST_F(GstPlayerTest, AnEngineThatQuitsIsReplacedByTheNextSource)
{
    // An output that breaks after a while, as a vanished sound server does.
    GstPlayer p({.audioOutput = "identity error-after=20 ! fakesink sync=true"});
    Recorder rec(p);
    const QString a = song("a.mp3", {.seconds = 30});
    for (int round = 0; round < 2; ++round) {
        rec.states.clear();
        p.setUrl(a);
        ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Playing); }));
        ASSERT_TRUE(waitFor([&] { return p.playState() == MediaPlayer::Stopped; }));
        EXPECT_EQ(p.position(), -1);
    }
}

TEST_F(GstPlayerTest, WithoutTheEngineModuleEverySourceEndsStopped)
{
    QString error;
    int asked = 0;
    bool made = false;
    LazyMediaPlayer p([&] {
        ++asked;
        auto engine = loadEngineModule({dir.filePath("libliravo-no-such-engine.so")}, &error);
        made = engine != nullptr;
        return engine;
    });
    p.setUrl(song("a.mp3"));
    EXPECT_EQ(p.playState(), MediaPlayer::Stopped);
    EXPECT_TRUE(error.contains("libliravo-no-such-engine.so")) << error.toStdString();
    p.play();
    p.setUrl(song("b.mp3"));
    EXPECT_EQ(p.playState(), MediaPlayer::Stopped);
    EXPECT_EQ(asked, 1); // the failure is reported once
    EXPECT_FALSE(made);
}

TEST_F(GstPlayerTest, TheModuleMakesAWorkingEngine)
{
    QString error;
    bool made = false;
    LazyMediaPlayer p([&] {
        auto engine = loadEngineModule({LIRAVO_ENGINE_MODULE}, &error);
        made = engine != nullptr;
        return engine;
    });
    Recorder recorder(p);
    QList<PlayState> &states = recorder.states;
    p.setVolume(40);
    EXPECT_FALSE(made);
    p.setUrl(song("a.mp3", {.seconds = 0.3}));
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_EQ(p.volume(), 40);
    ASSERT_TRUE(waitFor([&] { return states.contains(MediaPlayer::Stopped); }, 10000));
    EXPECT_TRUE(states.contains(MediaPlayer::Playing));
}

// Started ahead on a thread of its own, the engine's libraries are up before
// the first source makes the engine; a module that is not there warms nothing.
TEST_F(GstPlayerTest, TheEngineWarmedAheadIsMadeOnlyOnceWarm)
{
    EXPECT_FALSE(warmEngineModule({dir.filePath("libliravo-no-such-engine.so")}));
    std::atomic<int> warmed{-1};
    int warmedWhenMade = -2;
    QString error;
    LazyMediaPlayer p([&] {
        warmedWhenMade = warmed.load();
        return loadEngineModule({LIRAVO_ENGINE_MODULE}, &error);
    });
    p.prepareInBackground([&] {
        QThread::msleep(200); // slower than the caller
        warmed = warmEngineModule({LIRAVO_ENGINE_MODULE}) ? 1 : 0;
    });
    Recorder rec(p);
    p.setUrl(song("a.mp3", {.seconds = 0.3}));
    EXPECT_EQ(warmedWhenMade, 1) << error.toStdString();
    ASSERT_TRUE(waitFor([&] { return rec.states.contains(MediaPlayer::Stopped); }, 10000));
    EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
}

bool pluginLoaded(const char *name)
{
    GstPlugin *plugin = gst_registry_find_plugin(gst_registry_get(), name);
    const bool loaded = plugin && gst_plugin_is_loaded(plugin);
    if (plugin)
        gst_object_unref(plugin);
    return loaded;
}

bool pluginInstalled(const char *name)
{
    GstPlugin *plugin = gst_registry_find_plugin(gst_registry_get(), name);
    if (plugin)
        gst_object_unref(plugin);
    return plugin != nullptr;
}

// What is loaded ahead for a first song follows its extension in any case;
// a playlist, a name without one or nothing at all gets the common plugins
// and no decoder.
TEST_F(GstPlayerTest, ThePluginsLoadedAheadFollowTheSongsExtension)
{
    ASSERT_TRUE(GstPlayer::startLibraries());
    const QStringList decoders = {"id3demux", "audioparsers", "mpg123", "flac", "ogg", "vorbis",
                                  "opus", "wavparse", "isomp4", "asf", "libav", "faad"};
    const QString aac = pluginInstalled("faad") ? "faad" : "libav";
    struct Case {
        QString song;
        QStringList wanted;
    };
    const Case cases[] = {
        {"/music/稻香.mp3", {"id3demux", "audioparsers", "mpg123"}},
        {"/music/B.FLAC", {"audioparsers", "flac"}},
        {"/music/c.ogg", {"ogg", "vorbis"}},
        {"/music/d.opus", {"ogg", "opus"}},
        {"/music/e.Wav", {"wavparse"}},
        {"/music/f.m4a", {"isomp4", aac}},
        {"/music/g.aac", {"audioparsers", aac}},
        {"/music/h.wma", {"asf", "libav"}},
        {"/music/i.ape", {"libav"}},
        {"/music/list.m3u", {}},
        {"/music/mp3", {}},
        {"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.song.toStdString());
        const QStringList names = GstPlugins::pluginsFor(c.song);
        for (const char *common : {"coreelements", "typefindfunctions", "playback", "audioconvert",
                                   "audioresample", "volume"})
            EXPECT_TRUE(names.contains(common)) << common;
        for (const QString &decoder : decoders)
            EXPECT_EQ(names.contains(decoder), c.wanted.contains(decoder)) << decoder.toStdString();
    }
}

// Warming the engine for a song loads that song's plugins before any source
// is set, through the module as the program does it.
TEST_F(GstPlayerTest, WarmingForASongLoadsItsPluginsAhead)
{
    ASSERT_TRUE(GstPlayer::startLibraries());
    for (const char *name : {"flac", "audioparsers", "playback", "typefindfunctions"})
        ASSERT_TRUE(pluginInstalled(name)) << name;
    const QStringList loaded = GstPlugins::loadFor(dir.filePath("a.flac"));
    for (const char *name : {"flac", "audioparsers", "playback", "typefindfunctions"}) {
        EXPECT_TRUE(loaded.contains(name)) << name;
        EXPECT_TRUE(pluginLoaded(name)) << name;
    }
    EXPECT_TRUE(warmEngineModule({LIRAVO_ENGINE_MODULE}, dir.filePath("歌.mp3")));
    EXPECT_TRUE(pluginLoaded("mpg123"));
    EXPECT_TRUE(pluginLoaded("id3demux"));
}

// The desktop's output is tried in autoaudiosink's order: audio sinks only,
// the highest rank first, so PulseAudio's sink comes before ALSA's.
TEST_F(GstPlayerTest, TheDesktopSinksAreAudioSinksFromTheHighestRank)
{
    ASSERT_TRUE(GstPlayer::startLibraries());
    const QStringList sinks = GstPlugins::desktopSinks();
    guint previous = G_MAXUINT;
    for (const QString &name : sinks) {
        SCOPED_TRACE(name.toStdString());
        GstElementFactory *factory = gst_element_factory_find(name.toUtf8().constData());
        ASSERT_NE(factory, nullptr);
        const QString klass = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
        EXPECT_TRUE(klass.contains("Sink") && klass.contains("Audio")) << klass.toStdString();
        const guint rank = gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory));
        EXPECT_GE(rank, guint(GST_RANK_MARGINAL));
        EXPECT_LE(rank, previous);
        previous = rank;
        gst_object_unref(factory);
    }
    EXPECT_FALSE(sinks.contains("fakesink"));
    if (sinks.contains("pulsesink") && sinks.contains("alsasink")) {
        EXPECT_LT(sinks.indexOf("pulsesink"), sinks.indexOf("alsasink"));
    }
}

TEST_F(GstPlayerTest, DefaultOutputFallsBackToSilenceWithoutADevice)
{
    // No "ao" chosen: whatever the desktop offers, or the null output when
    // there is no sound device (as on build machines). Either way it plays.
    GstPlayer::Options o;
    GstPlayer p(o);
    Recorder rec(p);
    p.setUrl(song("a.mp3", {.seconds = 0.5}));
    ASSERT_TRUE(waitFor([&] { return p.playState() == MediaPlayer::Stopped; }, 10000));
    EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
}

TEST_F(GstPlayerTest, PlaysAWebAddressAndFailsOnAMissingOne)
{
    SongServer server(makeMp3({.seconds = 1.0, .title = "网络歌曲"}));
    ASSERT_TRUE(server.isListening());
    auto p = fastPlayer();
    Recorder rec(*p);
    p->setUrl(server.url("/song.mp3"));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
    EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
    EXPECT_EQ(p->title(), "网络歌曲");

    // Blanks and Chinese in an address as a page gave it.
    rec.states.clear();
    p->setUrl(server.url("/歌 曲.mp3"));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
    EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));

    rec.states.clear();
    p->setUrl(server.url("/gone.mp3"));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
    EXPECT_FALSE(rec.states.contains(MediaPlayer::Playing));
}

TEST_F(GstPlayerTest, GivesUpOnAWebAddressThatNeverAnswers)
{
    QTcpServer silent; // takes the connection and says nothing
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    GstPlayer::Options o;
    o.audioOutput = "null";
    o.openLimitMs = 500;
    GstPlayer p(o);
    Recorder rec(p);
    p.setUrl(QStringLiteral("http://127.0.0.1:%1/song.mp3").arg(silent.serverPort()));
    ASSERT_TRUE(waitFor([&] { return p.playState() == MediaPlayer::Stopped; }, 5000));
    EXPECT_EQ(rec.states, (QList<PlayState>{MediaPlayer::Transitioning, MediaPlayer::Stopped}));
    // The next song gets a pipeline that is not stuck.
    p.setUrl(song("after.mp3"));
    EXPECT_TRUE(waitFor([&] { return p.playState() == MediaPlayer::Playing; }));
}

TEST_F(GstPlayerTest, StartsUnderAChineseNumberLocale)
{
    // QApplication takes the user's locale; the engine refuses to start
    // unless LC_NUMERIC is "C" at that moment.
    const QByteArray previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "zh_CN.UTF-8") && !std::setlocale(LC_NUMERIC, "zh_CN.utf8"))
        GTEST_SKIP() << "no zh_CN locale here";
    auto p = fastPlayer();
    Recorder rec(*p);
    p->setUrl(song("a.mp3"));
    const bool ended = waitFor([&] { return p->playState() == MediaPlayer::Stopped; });
    std::setlocale(LC_NUMERIC, previous.constData());
    ASSERT_TRUE(ended);
    EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
}

TEST_F(GstPlayerTest, TagsComeOutAsTextIncludingLegacyChinese)
{
    struct Case {
        const char *name;
        Mp3Recipe recipe;
        QString title, author;
    };
    // "童话" / "光良" and "后来" / "刘若英" in GBK.
    const QByteArray tonghua = QByteArray::fromHex("cdafbbb0");
    const QByteArray guangliang = QByteArray::fromHex("b9e2c1bc");
    const QByteArray houlai = QByteArray::fromHex("baf3c0b4");
    const QByteArray liuruoying = QByteArray::fromHex("c1f5c8f4d3a2");
    const Case cases[] = {
        {"utf16", {.title = "童话", .artist = "光良"}, "童话", "光良"},
        {"gbk-in-latin1", {.latin1Title = tonghua, .latin1Artist = guangliang}, "童话", "光良"},
        {"gbk-v1", {.v1Title = houlai, .v1Artist = liuruoying}, "后来", "刘若英"},
        {"latin1", {.latin1Title = "Caf\xe9 Tacuba", .latin1Artist = "Mot\xf6rhead"},
         "Café Tacuba", "Motörhead"},
        {"latin1-v1", {.v1Title = "Se\xf1orita", .v1Artist = "Beyonc\xe9"}, "Señorita", "Beyoncé"},
        {"none", {}, "", ""},
    };
    auto p = fastPlayer();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec(*p);
        p->setUrl(song(QString::fromLatin1(c.name) + ".mp3", c.recipe));
        EXPECT_TRUE(p->title().isEmpty()); // never the previous song's tags
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }));
        ASSERT_TRUE(rec.states.contains(MediaPlayer::Playing));
        EXPECT_EQ(p->title(), c.title);
        EXPECT_EQ(p->author(), c.author);
        // The window sleeps through a playing song: new tags must wake it.
        EXPECT_EQ(rec.tagReports == 0, c.title.isEmpty());
    }
}

// Encodes a second of tone with tags through GStreamer itself.
bool encode(const QString &path, const char *encoderAndMuxer)
{
    const QString line = QStringLiteral(
        "audiotestsrc num-buffers=40 ! audioconvert ! taginject tags=\"title=\\\"格式\\\",artist=\\\"测试\\\"\" ! %1 ! filesink location=\"%2\"")
                             .arg(QLatin1String(encoderAndMuxer), path);
    // The player's GStreamer knows only playing plugins: add the test's.
    for (const char *name : {"audiotestsrc", "debug", "voaacenc"}) {
        if (GstPlugin *known = gst_registry_find_plugin(gst_registry_get(), name)) {
            gst_object_unref(known);
            continue;
        }
        const QByteArray file = QByteArray(LIRAVO_GST_PLUGIN_DIR "/libgst") + name + ".so";
        if (GstPlugin *loaded = gst_plugin_load_file(file.constData(), nullptr))
            gst_object_unref(loaded);
    }
    GError *error = nullptr;
    GstElement *p = gst_parse_launch(line.toUtf8().constData(), &error);
    if (!p) {
        g_clear_error(&error);
        return false;
    }
    gst_element_set_state(p, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(p);
    GstMessage *m = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND,
                                               GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = m && GST_MESSAGE_TYPE(m) == GST_MESSAGE_EOS;
    if (m)
        gst_message_unref(m);
    gst_object_unref(bus);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
    return ok;
}

TEST_F(GstPlayerTest, CommonFormatsPlayWithTagsOnNativeDecoders)
{
    struct Case {
        const char *name, *pipeline;
    };
    const Case cases[] = {
        {"a.flac", "flacenc"},
        {"a.ogg", "vorbisenc ! oggmux"},
        {"a.opus", "audioresample ! opusenc ! oggmux"},
        {"a.m4a", "voaacenc ! mp4mux"},
    };
    auto p = fastPlayer();
    p->setUrl(song("first.mp3")); // brings GStreamer up for the encoders
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        if (!encode(path, c.pipeline)) {
            ADD_FAILURE() << "cannot make a test file with " << c.pipeline;
            continue;
        }
        Recorder rec(*p);
        p->setUrl(path);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }));
        EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
        EXPECT_EQ(p->title(), "格式");
        EXPECT_EQ(p->author(), "测试");
    }
    // FFmpeg's decoders were never needed, so never loaded.
    if (GstPlugin *ffmpeg = gst_registry_find_plugin(gst_registry_get(), "libav")) {
        EXPECT_FALSE(gst_plugin_is_loaded(ffmpeg));
        gst_object_unref(ffmpeg);
    }
}

bool ffmpegLoaded()
{
    GstPlugin *ffmpeg = gst_registry_find_plugin(gst_registry_get(), "libav");
    const bool loaded = ffmpeg && gst_plugin_is_loaded(ffmpeg);
    if (ffmpeg)
        gst_object_unref(ffmpeg);
    return loaded;
}

// Songs made by gst-launch-1.0 with GStreamer's full set of plugins: one with
// a picture track beside the sound, which must not stall the demuxer's
// queue, and Apple Lossless, which only FFmpeg decodes (its decoders are
// added for it, and only then). Both play to their end.
TEST_F(GstPlayerTest, SongsNeedingFfmpegOrWithAPictureTrackPlayToTheEnd)
{
    struct Case {
        const char *name, *pipeline;
        bool needsFfmpeg;
    };
    const Case cases[] = {
        {"picture.mkv",
         "audiotestsrc num-buffers=100 ! audioconvert ! vorbisenc ! queue ! mux. videotestsrc num-buffers=40"
         " ! video/x-raw,width=64,height=48,framerate=10/1 ! jpegenc ! queue ! mux. matroskamux name=mux",
         false},
        {"alac.m4a", "audiotestsrc num-buffers=40 ! audioconvert ! avenc_alac ! mp4mux", true},
    };
    auto p = fastPlayer();
    p->setUrl(song("first.mp3"));
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }));
    EXPECT_FALSE(ffmpegLoaded());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        QProcess encoder;
        encoder.start("gst-launch-1.0", QStringList{"-q"}
                                            + QString(c.pipeline).split(' ')
                                            + QStringList{"!", "filesink", "location=" + path});
        if (!encoder.waitForFinished(30000) || encoder.exitCode() != 0 || QFileInfo(path).size() == 0) {
            ADD_FAILURE() << "gst-launch-1.0 cannot make " << c.name;
            continue;
        }
        Recorder rec(*p);
        p->setUrl(path);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped && !rec.states.isEmpty(); }));
        EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
        EXPECT_EQ(ffmpegLoaded(), c.needsFfmpeg);
    }
}

TEST_F(GstPlayerTest, SeekMovesWithinTheSongAndIsClampedAndQuick)
{
    auto p = realTimePlayer();
    p->seek(1000); // nothing open: no effect
    EXPECT_EQ(p->position(), -1);
    p->setUrl(song("long.mp3", {.seconds = 20}));
    p->seek(4000); // while opening: done once it is open
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Playing; }));
    ASSERT_TRUE(waitFor([&] { return p->position() >= 4000; }, 1000));
    EXPECT_LT(p->position(), 5000);

    QElapsedTimer clock;
    clock.start();
    p->seek(12000);
    ASSERT_TRUE(waitFor([&] { return p->position() >= 12000; }, 1000));
    EXPECT_LT(clock.elapsed(), 150);
    EXPECT_LT(p->position(), 12500);

    p->pause();
    p->seek(-300); // clamped to the start, and still paused
    ASSERT_TRUE(waitFor([&] { return p->position() >= 0 && p->position() < 100; }, 1000));
    QTest::qWait(200);
    EXPECT_LT(p->position(), 100);
    EXPECT_EQ(p->playState(), MediaPlayer::Paused);

    p->play();
    ASSERT_TRUE(waitFor([&] { return p->duration() > 0; }));
    p->seek(p->duration() + 60000); // past the end: the song ends
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 2000));
    p->seek(1000); // ended: no effect
    EXPECT_EQ(p->position(), -1);
}

// One tone cut in two at a zero crossing: the second file must follow the
// first with no silence at the joint and no sample lost or added.
TEST_F(GstPlayerTest, ANextLocalFileFollowsWithoutAGap)
{
    struct Case {
        const char *kind;
        bool flac;
    };
    for (const Case &c : {Case{"wav", false}, Case{"flac", true}}) {
        SCOPED_TRACE(c.kind);
        const QString a = dir.filePath(QStringLiteral("first.%1").arg(c.kind));
        const QString b = dir.filePath(QStringLiteral("second.%1").arg(c.kind));
        const Tone head{.seconds = 1.0}, rest{.seconds = 0.5, .startSeconds = 1.0};
        ASSERT_TRUE(c.flac ? writeToneFlac(a, head) && writeToneFlac(b, rest)
                           : writeToneWav(a, head) && writeToneWav(b, rest));
        auto p = recordingPlayer();
        Recorder rec(*p);
        p->setUrl(a);
        p->setNextUrl(b);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
        // One start, one advance, one end: the first file ended without a stop.
        EXPECT_EQ(rec.states, (QList<PlayState>{MediaPlayer::Transitioning, MediaPlayer::Playing,
                                                MediaPlayer::Stopped}));
        EXPECT_EQ(rec.advances, QStringList{b});
        EXPECT_EQ(p->url(), b);
        const QList<qint16> out = readRecording(recording);
        EXPECT_NEAR(double(out.size()), 1.5 * 44100, 1.0);
        EXPECT_LE(longestQuiet(out, 300, 441), 44100 * 5 / 1000); // no silence over 5 ms
    }
}

// Where the next source cannot follow without a gap, the current one ends
// as it always did and the caller sets the next one.
TEST_F(GstPlayerTest, WithoutAPlayableLocalNextTheSongEndsStopped)
{
    const QString a = dir.filePath("a.wav");
    ASSERT_TRUE(writeToneWav(a, {.seconds = 0.5}));
    const QString b = dir.filePath("b.wav");
    ASSERT_TRUE(writeToneWav(b, {.seconds = 0.5}));
    const QString broken = writeTestFile(dir.filePath("broken.wav"), QByteArray(8000, 'x'));
    // Long enough to play before it is read to its end, as every real song is.
    const QString longer = dir.filePath("longer.wav");
    ASSERT_TRUE(writeToneWav(longer, {.seconds = 3}));
    struct Case {
        const char *name;
        QString next;
        std::function<void(MediaPlayer &)> then; // after setting the next one
        QString first = {};
    };
    const Case cases[] = {
        {"none", "", {}},
        {"web address", "http://127.0.0.1:1/song.mp3", {}},
        {"missing file", dir.filePath("missing.wav"), {}},
        {"folder", dir.path(), {}},
        {"a file that cannot play", broken, {}, longer}, // the first one plays out
        {"cleared", b, [](MediaPlayer &p) { p.setNextUrl({}); }},
        {"source replaced", b, [&](MediaPlayer &p) { p.setUrl(a); }},
        {"stopped and restarted", b, [](MediaPlayer &p) { p.stop(); p.play(); }},
    };
    // In real time, so a song cut short shows in what came out.
    GstPlayer player({.audioOutput = recordingOutput(recording) + " sync=true"});
    GstPlayer *p = &player;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Recorder rec(*p);
        const QString first = c.first.isEmpty() ? a : c.first;
        p->setUrl(first);
        p->setNextUrl(c.next);
        if (c.then)
            c.then(*p);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
        const double seconds = first == a ? 0.5 : 3;
        EXPECT_NEAR(readRecording(recording).size(), seconds * 44100, 0.02 * 44100);
        QTest::qWait(50);
        EXPECT_TRUE(rec.advances.isEmpty());
        EXPECT_EQ(p->url(), first);
        EXPECT_EQ(p->playState(), MediaPlayer::Stopped);
        EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
        // Setting the next source by hand still plays it.
        rec.states.clear();
        p->setUrl(b);
        ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
        EXPECT_TRUE(rec.states.contains(MediaPlayer::Playing));
    }
}

// A next song of another format, rate and channel count still follows, and
// everything of both comes out; its own tags replace the first song's by the
// time the advance is reported.
TEST_F(GstPlayerTest, ANextSongOfAnotherFormatFollowsWithItsTags)
{
    const QString a = song("a.mp3", {.seconds = 0.5, .title = "第一首", .artist = "甲"});
    const QString b = dir.filePath("b.flac");
    ASSERT_TRUE(writeToneFlac(b, {.seconds = 0.5, .rate = 48000, .channels = 2},
                              {"TITLE=Second", "ARTIST=Singer"}));
    auto p = recordingPlayer();
    struct Tagged : Recorder {
        using Recorder::Recorder;
        QStringList tags;
        void engineAdvanced(const QString &url) override
        {
            Recorder::engineAdvanced(url);
            tags << player.title() + "/" + player.author();
        }
    } rec(*p);
    p->setUrl(a);
    p->setNextUrl(b);
    ASSERT_TRUE(waitFor([&] { return p->playState() == MediaPlayer::Stopped; }, 10000));
    EXPECT_EQ(rec.advances, QStringList{b});
    EXPECT_EQ(rec.tags, QStringList{"Second/Singer"});
    EXPECT_EQ(p->title(), "Second");
    EXPECT_EQ(rec.states.count(MediaPlayer::Stopped), 1);
    const double seconds = readRecording(recording).size() / 44100.0;
    EXPECT_GT(seconds, 0.95);
    EXPECT_LT(seconds, 1.1);
}

// Levels heard from songs tagged +6 dB and -6 dB, relative to the untagged
// tone, under each ReplayGain setting.
TEST_F(GstPlayerTest, ReplayGainSetsTheLevelByTheTags)
{
    const Tone tone{.seconds = 0.5, .amplitude = 0.2};
    struct File {
        const char *name;
        QStringList tags;
    };
    const File files[] = {
        {"plain", {}},
        {"up", {"REPLAYGAIN_TRACK_GAIN=+6.00 dB", "REPLAYGAIN_TRACK_PEAK=0.2",
                "REPLAYGAIN_ALBUM_GAIN=-2.00 dB", "REPLAYGAIN_ALBUM_PEAK=0.2"}},
        {"down", {"REPLAYGAIN_TRACK_GAIN=-6.00 dB", "REPLAYGAIN_TRACK_PEAK=0.2"}},
        // No peak: taken as full scale, so it cannot be raised at all.
        {"up-no-peak", {"REPLAYGAIN_TRACK_GAIN=+6.00 dB"}},
        // Raising it by 12 dB would clip: it goes up to full scale only.
        {"up-too-far", {"REPLAYGAIN_TRACK_GAIN=+12.00 dB", "REPLAYGAIN_TRACK_PEAK=0.5"}},
    };
    for (const File &f : files)
        ASSERT_TRUE(writeToneFlac(dir.filePath(QString::fromLatin1(f.name) + ".flac"), tone, f.tags));
    struct Case {
        ReplayGainMode mode;
        double preamp, fallback;
        double plain, up, down, upNoPeak, upTooFar; // dB relative to the tone as made
    };
    const double toFull = 20 * std::log10(1 / 0.2);
    const Case cases[] = {
        {ReplayGainMode::Off, 0, 0, 0, 0, 0, 0, 0},
        {ReplayGainMode::Track, 0, 0, 0, 6, -6, 0, 20 * std::log10(1 / 0.5)},
        {ReplayGainMode::Track, -3, -1, -4, 3, -9, 0, 20 * std::log10(1 / 0.5)},
        {ReplayGainMode::Album, 0, 0, 0, -2, -6, 0, 20 * std::log10(1 / 0.5)},
        {ReplayGainMode::Off, 3, 3, 0, 0, 0, 0, 0},
    };
    auto p = recordingPlayer();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.mode) << " " << c.preamp << " " << c.fallback);
        p->setReplayGain(c.mode, c.preamp, c.fallback);
        const double want[] = {c.plain, c.up, c.down, c.upNoPeak, c.upTooFar};
        for (size_t i = 0; i < std::size(files); ++i) {
            SCOPED_TRACE(files[i].name);
            const QList<qint16> out =
                playThrough(*p, dir.filePath(QString::fromLatin1(files[i].name) + ".flac"));
            ASSERT_GT(out.size(), 20000);
            const double heard = levelDb(out) + toFull + 20 * std::log10(std::sqrt(2.0));
            EXPECT_NEAR(heard, want[i], 0.3);
        }
    }
}

} // namespace
