// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/sessionkeeper.h"

#include "playback/player.h"

namespace {
// A crash or a power cut loses at most this much of the place in a song.
constexpr int kWhilePlayingMs = 5000;
} // namespace

SessionKeeper::SessionKeeper(Player &player, QString path, QObject *parent)
    : QObject(parent), player_(player), saver_([this] { return state(); }, std::move(path))
{
    connect(&saver_, &SessionSaver::saveFailed, this, &SessionKeeper::saveFailed);
    playing_.setInterval(kWhilePlayingMs);
    connect(&playing_, &QTimer::timeout, &saver_, &SessionSaver::changed);
    for (auto signal : {&Player::collectionChanged, &Player::currentChanged, &Player::modeChanged})
        connect(&player_, signal, &saver_, &SessionSaver::changed);
    connect(&player_, &Player::seeked, &saver_, &SessionSaver::changed);
    // A pause or a stop is kept a moment later with its place.
    connect(&player_, &Player::stateChanged, &saver_, &SessionSaver::changed);
    connect(&player_, &Player::stateChanged, this, &SessionKeeper::followPlayback);
    // Only to start or stop the timer: the tick itself writes nothing.
    connect(&player_, &Player::changed, this, &SessionKeeper::followPlayback);
}

void SessionKeeper::followPlayback()
{
    // The timer runs only while the place moves.
    if (player_.wanted() && !playing_.isActive())
        playing_.start();
    else if (!player_.wanted())
        playing_.stop();
}

SessionState SessionKeeper::state() const
{
    SessionState s;
    s.collection = player_.collection();
    s.collection.playing = false;
    s.mode = player_.mode();
    const bool current = s.collection.currentIndex >= 1 && s.collection.currentIndex <= s.collection.count;
    s.positionMs = current ? qMax<qint64>(0, player_.position()) : 0;
    return s;
}
