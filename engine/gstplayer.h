// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "engine/mediaplayer.h"

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>

class QTimer;
class StreamGates;

typedef struct _GstBus GstBus;
typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

// The media player on GStreamer: one audio-only playbin, made when the first
// source is set and made again after it broke. Bus messages are posted from
// GStreamer's threads to this object's thread, each marked with the source
// it belongs to, so a message of a replaced source is never taken for one of
// the current source. The play state is kept here and set at once by every
// operation, so the timer never reads a state left over from the previous
// source. A next local file is handed to playbin when the current one has
// been read to its end, so the two play without a gap.
class GstPlayer : public QObject, public MediaPlayer {
public:
    struct Options {
        // The output: empty for the desktop's (the audio sink autoaudiosink
        // would pick, or silence when the machine has neither a sound server
        // nor a sound card), "null"
        // for silence, a sink's name with or without "sink" ("pulse"), or a
        // GStreamer description of the output ("pulsesink device=x",
        // "audioconvert ! wavenc ! filesink location=out.wav").
        QString audioOutput;
        // With the silent output: run as fast as the decoder can (tests).
        bool untimed = false;
        // How long a source may take to start playing before it counts as
        // failed: as long as the network may stay silent.
        int openLimitMs = 15000;
    };
    // Options from LIRAVO_AO.
    static Options optionsFromEnvironment();
    // Starts GStreamer with the player's plugins, once, and loads the
    // plugins that playing `song` (a path, or nothing) will take; any thread.
    // The first source does it otherwise.
    static bool startLibraries(const QString &song = {});

    explicit GstPlayer(const Options &options, QObject *parent = nullptr);
    ~GstPlayer() override;

    void setUrl(const QString &url) override;
    QString url() const override { return url_; }
    void setNextUrl(const QString &url) override;
    void play() override;
    void pause() override;
    void stop() override;
    PlayState playState() const override { return state_; }
    QString title() const override { return title_; }
    QString author() const override { return author_; }
    void setVolume(int volume0to100) override;
    int volume() const override { return volume_; }
    void setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb) override;
    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;
    void setObserver(MediaPlayerObserver *observer) override { observer_ = observer; }

private:
    // A source on its way to playbin: the caller's text and playbin's URI.
    struct Next {
        QString url;
        QByteArray uri;
    };
    static int onBusMessage(GstBus *bus, GstMessage *msg, void *self);
    static void onAboutToFinish(GstElement *playbin, void *self);
    void clearNext();
    void advance(const QString &url);
    void takeOwnTags(const QByteArray &uri);
    void applyReplayGain();
    bool ensurePipeline();
    void dropPipeline();
    void halt();
    void startSource();
    void handle(GstMessage *msg);
    void takeTags(GstMessage *msg);
    void setState(PlayState state);
    void applySeek(qint64 ms);

    Options options_;
    std::unique_ptr<StreamGates> gates_; // outlives the pipeline
    GstElement *pipeline_ = nullptr;
    // Which source a bus message belongs to; bumped whenever the previous
    // source's threads have stopped.
    std::atomic<quint64> generation_{0};

    // Handed between this thread and the streaming thread that asks for the
    // next source (about-to-finish) and the one that reports it started.
    std::mutex nextLock_;
    Next next_;      // from setNextUrl, until playbin asks for it
    Next preloaded_; // given to playbin, until it starts playing

    QString url_;
    QString title_;
    QString author_;
    PlayState state_ = Undefined;
    int volume_ = 100;
    ReplayGainMode gainMode_ = ReplayGainMode::Off;
    double preampDb_ = 0;
    double fallbackDb_ = 0;
    GstElement *gain_ = nullptr; // rgvolume in the pipeline's filter, if any
    bool loaded_ = false;    // the current source reached playing once
    bool buffering_ = false; // a stream refills its buffer
    bool active_ = false;    // the pipeline holds the current source
    qint64 pendingSeek_ = -1;
    bool silent_ = false;    // the output failed to open: play silently
    // Packages that would bring what GStreamer lacked for the current source
    // (missing-plugin messages), until it errors or is replaced.
    QStringList missingPackages_;
    QTimer *openLimit_;      // gives up on a source that never opens
    MediaPlayerObserver *observer_ = nullptr;
};
