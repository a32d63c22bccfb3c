// SPDX-License-Identifier: GPL-3.0-or-later
#include "mpris/mprisbridge.h"

#include "base/playmode.h"

#include "collection/fileexists.h"
#include "playback/player.h"
#include "net/httpclient.h"
#include "engine/mediaplayer.h"
#include "mpris/mprisservice.h"

#include <QDBusObjectPath>
#include <QGuiApplication>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <cmath>

#include <utility>

namespace {
using Kind = PlayMode::Kind;
QString textOf(Kind kind)
{
    return PlayMode::cycle().at(int(kind));
}
const QString kNone = QStringLiteral("None");
const QString kTrack = QStringLiteral("Track");
const QString kPlaylist = QStringLiteral("Playlist");

bool isLoopStatus(const QString &s)
{
    return s == kNone || s == kTrack || s == kPlaylist;
}

// The five play modes seen as loop status and shuffle, and back. Setting the
// value the current mode already reads keeps that mode.
QString loopStatusFor(const QString &mode)
{
    // Random play never runs out, so it reads as a repeating list.
    const Kind kind = PlayMode::fromText(mode).kind();
    if (kind == Kind::ListLoop || kind == Kind::Shuffle)
        return kPlaylist;
    return kind == Kind::SongLoop ? kTrack : kNone;
}

bool shuffleFor(const QString &mode)
{
    return PlayMode::fromText(mode).kind() == Kind::Shuffle;
}

QString modeForLoopStatus(const QString &current, const QString &status)
{
    if (!isLoopStatus(status) || loopStatusFor(current) == status)
        return current;
    return textOf(status == kTrack      ? Kind::SongLoop
                  : status == kPlaylist ? Kind::ListLoop
                                        : Kind::ListOnce);
}

QString modeForShuffle(const QString &current, bool shuffle)
{
    if (shuffleFor(current) == shuffle)
        return current;
    // Leaving random play keeps the loop status it read.
    return textOf(shuffle ? Kind::Shuffle : Kind::ListLoop);
}
} // namespace

QString MprisBridge::trackIdFor(quint64 serial)
{
    return QStringLiteral("/org/mpris/MediaPlayer2/liravo/track/%1").arg(serial);
}

MprisBridge::MprisBridge(Player &player, MprisService &service, HttpClient &http, QObject *parent)
    : QObject(parent), player_(player), service_(service), http_(http)
{
    connect(&player_, &Player::currentChanged, this, &MprisBridge::announceChanges);
    connect(&player_, &Player::collectionChanged, this, &MprisBridge::announceChanges);
    connect(&player_, &Player::changed, this, &MprisBridge::announceChanges);
    connect(&player_, &Player::stateChanged, this, &MprisBridge::announceChanges);
    // A mode chosen anywhere but through shuffle forgets what shuffle left.
    connect(&player_, &Player::modeChanged, this, [this] {
        if (player_.mode().kind() != PlayMode::Kind::Shuffle)
            modeBeforeShuffle_.clear();
    });
    connect(&player_, &Player::seeked, this, [this](qint64 ms) {
        if (published_)
            service_.seeked(ms * 1000);
    });
}

void MprisBridge::setLyricsText(const QString &text)
{
    if (text == lyricsText_)
        return;
    lyricsText_ = text;
    announceChanges();
}

void MprisBridge::setSongDetails(const QString &album, const QString &coverPath)
{
    if (album == album_ && coverPath == coverPath_)
        return;
    album_ = album;
    coverPath_ = coverPath;
    announceChanges();
}

void MprisBridge::followCurrentEntry()
{
    const QString key = player_.currentEntryKey();
    if (key == trackKey_)
        return;
    trackKey_ = key;
    ++trackSerial_;
    // What was known of the song before belongs to it alone.
    album_.clear();
    coverPath_.clear();
}

bool MprisBridge::publish()
{
    if (published_)
        return true;
    followCurrentEntry();
    sent_ = values();
    published_ = service_.publish(*this);
    return published_;
}

MprisValues MprisBridge::values() const
{
    const SongCollection &c = player_.collection();
    const PlayState state = player_.state();
    MprisValues v;
    if (player_.holdsPause() || state == MediaPlayer::Paused)
        v.playbackStatus = QStringLiteral("Paused");
    else if (c.playing && (state == MediaPlayer::Playing || state == MediaPlayer::Buffering
                           || state == MediaPlayer::Transitioning || state == MediaPlayer::Waiting))
        v.playbackStatus = QStringLiteral("Playing");
    v.loopStatus = loopStatusFor(player_.mode().text());
    v.shuffle = shuffleFor(player_.mode().text());
    v.volume = player_.muted() ? 0.0 : player_.volume() / 100.0;
    v.canGoNext = player_.canNext();
    v.canGoPrevious = player_.canPrevious();
    v.canPlay = c.count > 0;
    v.canPause = c.count > 0;

    const bool current = c.currentIndex >= 1 && c.currentIndex <= c.count;
    // The current entry is described while paused and stopped too.
    if (!current) {
        v.metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(noTrack())));
        return v;
    }
    const SongEntry &e = c.entry(c.currentIndex);
    const qint64 length = player_.duration();
    v.canSeek = length > 0;
    v.metadata.insert(QStringLiteral("mpris:trackid"),
                      QVariant::fromValue(QDBusObjectPath(trackIdFor(trackSerial_))));
    v.metadata.insert(QStringLiteral("xesam:title"),
                      e.songName.isEmpty() ? player_.title() : e.songName);
    const QString singer = e.singer.isEmpty() ? player_.singer() : e.singer;
    if (!singer.isEmpty())
        v.metadata.insert(QStringLiteral("xesam:artist"), QStringList{singer});
    const QString album = album_.isEmpty() ? c.albumName : album_;
    if (!album.isEmpty())
        v.metadata.insert(QStringLiteral("xesam:album"), album);
    if (!coverPath_.isEmpty())
        v.metadata.insert(QStringLiteral("mpris:artUrl"),
                          QUrl::fromLocalFile(coverPath_).toString(QUrl::FullyEncoded));
    const QString address = e.address;
    if (!address.isEmpty()) {
        const QUrl url = address.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(address)
                                                              : QUrl(address);
        v.metadata.insert(QStringLiteral("xesam:url"), url.toString(QUrl::FullyEncoded));
    }
    if (length > 0)
        v.metadata.insert(QStringLiteral("mpris:length"), length * 1000);
    if (!lyricsText_.isEmpty())
        v.metadata.insert(QStringLiteral("xesam:asText"), lyricsText_);
    return v;
}

qint64 MprisBridge::positionUs() const
{
    return qMax<qint64>(0, player_.position()) * 1000;
}

QStringList MprisBridge::supportedMimeTypes() const
{
    // The types the desktop entry offers to open with the player.
    return {QStringLiteral("audio/mpeg"), QStringLiteral("audio/mp4"), QStringLiteral("audio/x-m4a"),
            QStringLiteral("audio/flac"), QStringLiteral("audio/x-flac"), QStringLiteral("audio/ogg"),
            QStringLiteral("audio/x-vorbis+ogg"), QStringLiteral("audio/x-opus+ogg"),
            QStringLiteral("audio/x-wav"), QStringLiteral("audio/aac"), QStringLiteral("audio/x-ms-wma"),
            QStringLiteral("audio/x-ape"), QStringLiteral("audio/x-mpegurl"),
            QStringLiteral("audio/x-scpls"), QStringLiteral("application/x-liravo-collection")};
}

void MprisBridge::announceChanges()
{
    followCurrentEntry();
    if (!published_)
        return;
    const MprisValues now = values();
    if (now == sent_)
        return;
    QVariantMap changed;
    auto note = [&](const char *name, bool differs, const QVariant &value) {
        if (differs)
            changed.insert(QString::fromLatin1(name), value);
    };
    note("PlaybackStatus", now.playbackStatus != sent_.playbackStatus, now.playbackStatus);
    note("LoopStatus", now.loopStatus != sent_.loopStatus, now.loopStatus);
    note("Shuffle", now.shuffle != sent_.shuffle, now.shuffle);
    note("Metadata", now.metadata != sent_.metadata, now.metadata);
    note("Volume", now.volume != sent_.volume, now.volume);
    note("CanGoNext", now.canGoNext != sent_.canGoNext, now.canGoNext);
    note("CanGoPrevious", now.canGoPrevious != sent_.canGoPrevious, now.canGoPrevious);
    note("CanPlay", now.canPlay != sent_.canPlay, now.canPlay);
    note("CanPause", now.canPause != sent_.canPause, now.canPause);
    note("CanSeek", now.canSeek != sent_.canSeek, now.canSeek);
    sent_ = now;
    service_.propertiesChanged(changed);
}

void MprisBridge::perform(std::function<void()> command)
{
    const bool busy = player_.tickRunning() || http_.busy()
                      || QGuiApplication::modalWindow() != nullptr;
    if (!busy) {
        command();
        return;
    }
    QTimer::singleShot(100, this, [this, command = std::move(command)]() mutable {
        perform(std::move(command));
    });
}

void MprisBridge::raise()
{
    perform([this] { Q_EMIT raiseRequested(); });
}

void MprisBridge::quit()
{
    perform([this] { Q_EMIT quitRequested(); });
}

void MprisBridge::play()
{
    if (player_.collection().count > 0)
        perform([this] { player_.resume(); });
}

void MprisBridge::pause()
{
    perform([this] { player_.pause(); });
}

void MprisBridge::playPause()
{
    perform([this] {
        if (player_.wanted())
            player_.pause();
        else
            player_.resume();
    });
}

void MprisBridge::stop()
{
    perform([this] { player_.stop(); });
}

void MprisBridge::next()
{
    perform([this] {
        if (player_.canNext())
            player_.next();
    });
}

void MprisBridge::previous()
{
    perform([this] {
        if (player_.canPrevious())
            player_.previous();
    });
}

void MprisBridge::seekBy(qint64 offsetUs)
{
    perform([this, offsetUs] { player_.seekBy(offsetUs / 1000); });
}

void MprisBridge::setPosition(const QString &trackId, qint64 positionUs)
{
    perform([this, trackId, positionUs] {
        // A request for a song that is no longer current, or a place beyond
        // its end, is ignored.
        const MprisValues v = values();
        const QVariant id = v.metadata.value(QStringLiteral("mpris:trackid"));
        const qint64 length = v.metadata.value(QStringLiteral("mpris:length"), -1).toLongLong();
        if (id.value<QDBusObjectPath>().path() != trackId || positionUs < 0 || positionUs > length)
            return;
        player_.seek(positionUs / 1000);
    });
}

bool MprisBridge::openUri(const QString &uri)
{
    const QUrl url(uri);
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file")) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !fileExists(path))
            return false;
        perform([this, path] {
            player_.playFile(path);
            // A playlist or collection opened from outside starts playing,
            // as a lone song does.
            if (!player_.wanted() && player_.collection().count > 0
                && player_.collection().filePath == path)
                player_.play(1);
        });
        return true;
    }
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) {
        perform([this, uri] { player_.playLoneSong(uri); });
        return true;
    }
    return false;
}

void MprisBridge::setVolume(double volume)
{
    // NaN or an infinity is no volume at all, not silence or full volume.
    if (!std::isfinite(volume))
        return;
    const int v = int(qBound(0.0, volume, 1.0) * 100.0 + 0.5);
    // Silence from the desktop mutes: the volume before comes back with any
    // other value, or with unmuting in the window.
    perform([this, v] {
        if (v == 0)
            player_.setMuted(true);
        else
            player_.setVolume(v);
    });
}

void MprisBridge::setLoopStatus(const QString &status)
{
    perform([this, status] {
        player_.setMode(PlayMode::fromText(modeForLoopStatus(player_.mode().text(), status)));
    });
}

void MprisBridge::setShuffle(bool shuffle)
{
    perform([this, shuffle] {
        const QString now = player_.mode().text();
        if (shuffle && !shuffleFor(now))
            modeBeforeShuffle_ = now;
        QString mode = modeForShuffle(now, shuffle);
        // Leaving random play goes back to the mode it left, when it did.
        if (!shuffle && shuffleFor(now) && !modeBeforeShuffle_.isEmpty())
            mode = std::exchange(modeBeforeShuffle_, QString());
        player_.setMode(PlayMode::fromText(mode));
    });
}
