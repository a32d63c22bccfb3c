// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/lazymediaplayer.h"

LazyMediaPlayer::LazyMediaPlayer(Factory factory) : factory_(std::move(factory)) {}

LazyMediaPlayer::~LazyMediaPlayer()
{
    if (warming_.joinable())
        warming_.join();
}

void LazyMediaPlayer::prepareInBackground(std::function<void()> warm)
{
    if (engine_ || factoryTried_ || warming_.joinable() || !warm)
        return;
    warming_ = std::thread(std::move(warm));
}

void LazyMediaPlayer::setUrl(const QString &url)
{
    if (!engine_ && factory_ && !factoryTried_) {
        factoryTried_ = true;
        if (warming_.joinable())
            warming_.join();
        engine_ = factory_();
        if (engine_) {
            engine_->setVolume(volume_);
            engine_->setReplayGain(gainMode_, preampDb_, fallbackDb_);
            engine_->setObserver(observer_);
        }
    }
    if (engine_) {
        engine_->setUrl(url);
        return;
    }
    url_ = url;
    if (state_ != Stopped) {
        state_ = Stopped;
        if (observer_)
            observer_->engineStateChanged(state_);
    }
}

QString LazyMediaPlayer::url() const
{
    return engine_ ? engine_->url() : url_;
}

void LazyMediaPlayer::setNextUrl(const QString &url)
{
    // Without an engine nothing plays, so nothing follows either.
    if (engine_)
        engine_->setNextUrl(url);
}

void LazyMediaPlayer::setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb)
{
    gainMode_ = mode;
    preampDb_ = preampDb;
    fallbackDb_ = fallbackDb;
    if (engine_)
        engine_->setReplayGain(mode, preampDb, fallbackDb);
}

void LazyMediaPlayer::play()
{
    if (engine_)
        engine_->play();
}

void LazyMediaPlayer::pause()
{
    if (engine_)
        engine_->pause();
}

void LazyMediaPlayer::stop()
{
    if (engine_)
        engine_->stop();
}

PlayState LazyMediaPlayer::playState() const
{
    return engine_ ? engine_->playState() : state_;
}

QString LazyMediaPlayer::title() const
{
    return engine_ ? engine_->title() : QString();
}

QString LazyMediaPlayer::author() const
{
    return engine_ ? engine_->author() : QString();
}

void LazyMediaPlayer::setVolume(int volume0to100)
{
    volume_ = qBound(0, volume0to100, 100);
    if (engine_)
        engine_->setVolume(volume_);
}

int LazyMediaPlayer::volume() const
{
    return engine_ ? engine_->volume() : volume_;
}

qint64 LazyMediaPlayer::position() const
{
    return engine_ ? engine_->position() : -1;
}

qint64 LazyMediaPlayer::duration() const
{
    return engine_ ? engine_->duration() : -1;
}

void LazyMediaPlayer::seek(qint64 ms)
{
    if (engine_)
        engine_->seek(ms);
}

void LazyMediaPlayer::setObserver(MediaPlayerObserver *observer)
{
    observer_ = observer;
    if (engine_)
        engine_->setObserver(observer);
}
