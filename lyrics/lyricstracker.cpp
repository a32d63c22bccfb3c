// SPDX-License-Identifier: GPL-3.0-or-later
#include "lyrics/lyricstracker.h"

#include "lyrics/lyricsfinder.h"

#include <algorithm>

LyricsTracker::LyricsTracker(std::function<qint64()> position, QObject *parent)
    : QObject(parent), position_(std::move(position)), loader_(new LyricsLoader(this)), timer_(this)
{
    timer_.setSingleShot(true);
    // A line that changes 5% late over a long gap would be seen.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { follow(position_()); });
    connect(loader_, &LyricsLoader::loaded, this, &LyricsTracker::onLoaded);
}

LyricsTracker::~LyricsTracker() = default;

void LyricsTracker::setSong(const QString &path)
{
    // The same song again (one song on repeat): its lyrics are already here.
    if (path == song_ && !path.isEmpty()) {
        follow(position_());
        return;
    }
    song_ = path;
    loader_->cancel();
    loading_ = !path.isEmpty();
    setDocument({});
    if (loading_)
        loader_->load(path);
}

void LyricsTracker::onLoaded(const QString &path, const LyricsDocument &document)
{
    if (path != song_)
        return;
    loading_ = false;
    setDocument(document);
}

void LyricsTracker::setDocument(const LyricsDocument &document)
{
    document_ = document;
    current_ = -1;
    timer_.stop();
    Q_EMIT documentChanged();
    Q_EMIT currentLineChanged(-1);
    follow(position_());
}

void LyricsTracker::setPlaying(bool playing)
{
    const bool changed = playing != playing_;
    playing_ = playing;
    follow(position_());
    if (changed)
        Q_EMIT playingChanged(playing);
}

void LyricsTracker::setPosition(qint64 ms)
{
    follow(ms);
}

void LyricsTracker::follow(qint64 positionMs)
{
    positionMs = qMax<qint64>(0, positionMs);
    const int line = document_.lineAt(positionMs);
    if (line != current_) {
        current_ = line;
        if (line >= 0) {
            const LyricsLine &l = document_.lines[line];
            qCDebug(lcLyrics).noquote() << "line" << l.timeMs << l.text;
        }
        Q_EMIT currentLineChanged(line);
    }
    const qsizetype next = line + 1;
    if (!playing_ || !document_.synced || next >= document_.lines.size()) {
        timer_.stop();
        return;
    }
    // Aimed at the next line's start as the engine's clock sees it now; when
    // the timer fires early (the clock lagged), follow() aims again.
    timer_.start(int(std::clamp<qint64>(document_.lines[next].timeMs - positionMs, 1, 24 * 3600 * 1000)));
}
