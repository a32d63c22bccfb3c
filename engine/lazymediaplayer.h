// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "engine/mediaplayer.h"

#include <functional>
#include <memory>
#include <thread>

// Stands in for the audio engine until the first source is set, so starting
// the player loads no audio libraries and opens no device. Until then it
// reports "nothing open" and takes transport calls as no-ops; the volume and
// ReplayGain it is given are handed on when the engine is made. Without an engine every source
// ends stopped at once, so the timer moves on instead of waiting forever.
class LazyMediaPlayer : public MediaPlayer {
public:
    using Factory = std::function<std::unique_ptr<MediaPlayer>()>;
    explicit LazyMediaPlayer(Factory factory);
    ~LazyMediaPlayer() override;

    // Runs `warm` (loading the engine's libraries) on a thread of its own
    // now, when a song is about to be set; the engine is made once it is done.
    void prepareInBackground(std::function<void()> warm);

    void setUrl(const QString &url) override;
    QString url() const override;
    void setNextUrl(const QString &url) override;
    void play() override;
    void pause() override;
    void stop() override;
    PlayState playState() const override;
    QString title() const override;
    QString author() const override;
    void setVolume(int volume0to100) override;
    int volume() const override;
    // Handed on to the engine once it is made.
    void setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb) override;
    qint64 position() const override;
    qint64 duration() const override;
    void seek(qint64 ms) override;
    // Handed on to the engine once it is made.
    void setObserver(MediaPlayerObserver *observer) override;

private:
    Factory factory_;
    std::thread warming_;
    std::unique_ptr<MediaPlayer> engine_;
    bool factoryTried_ = false;
    QString url_;
    PlayState state_ = Undefined; // without an engine
    int volume_ = 100;
    ReplayGainMode gainMode_ = ReplayGainMode::Off;
    double preampDb_ = 0;
    double fallbackDb_ = 0;
    MediaPlayerObserver *observer_ = nullptr;
};
