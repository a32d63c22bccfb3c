// SPDX-License-Identifier: GPL-3.0-or-later
#include "playback/player.h"

#include "base/handoff.h"
#include "base/services.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "collection/audioformats.h"
#include "collection/songlistlogic.h"
#include "desktop/dialogs.h"
#include "collection/fileexists.h"
#include "collection/playablecheck.h"
#include "collection/playlistfile.h"
#include "collection/sessionfile.h"
#include "collection/tagreader.h"
#include "collection/yyufile.h"
#include "net/httpclient.h"
#include "playback/filedrops.h"
#include "playback/playbackadvance.h"
#include "playback/playentry.h"
#include "playback/statustexts.h"
#include "playback/tickscheduler.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <cmath>
#include <utility>

Q_LOGGING_CATEGORY(lcPlayer, "liravo.player", QtInfoMsg)

namespace {
QString unplayableKey(const SongEntry &e)
{
    return e.address.isEmpty() ? e.songName + QLatin1Char('\n') + e.singer : e.address;
}
} // namespace

Player::Player(Services &services, QObject *parent)
    : QObject(parent), services_(services), timer_(new QTimer(this))
{
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(100);
    services_.player.setObserver(this);
}

Player::~Player()
{
    services_.player.setObserver(nullptr);
}

void Player::load()
{
    // Again here: an engine made after this player forgot it.
    services_.player.setObserver(this);
    Settings &s = services_.settings;
    mode_ = PlayMode::fromText(s.value(SettingKeys::playMode));
    s.store(SettingKeys::playMode, mode_.text());
    const qint64 volume = s.number(SettingKeys::volume);
    services_.player.setVolume(int(qBound(qint64(0), volume, qint64(100))));
    applyReplayGain();
    // Ticks run while they can change something and sleep otherwise.
    if (!scheduler_)
        scheduler_ = new TickScheduler(*this, *timer_, this);
    Q_EMIT changed();
}

void Player::applyReplayGain()
{
    Settings &s = services_.settings;
    const QString gain = s.value(SettingKeys::replayGain);
    const ReplayGainMode gainMode = gain == QStringLiteral("单曲")   ? ReplayGainMode::Track
                                    : gain == QStringLiteral("专辑") ? ReplayGainMode::Album
                                                                    : ReplayGainMode::Off;
    const auto decibels = [&s](const SettingKey &key) {
        bool ok = false;
        const double db = s.value(key).trimmed().toDouble(&ok);
        return ok && std::isfinite(db) ? db : 0.0;
    };
    services_.player.setReplayGain(gainMode, decibels(SettingKeys::replayGainPreamp),
                                   decibels(SettingKeys::replayGainFallback));
}

void Player::setReplayGainMode(const QString &mode)
{
    services_.settings.store(SettingKeys::replayGain, mode);
    applyReplayGain();
    Q_EMIT changed();
}

PlayState Player::state() const
{
    if (resumePending())
        return MediaPlayer::Paused;
    return services_.player.playState();
}

QString Player::currentEntryKey() const
{
    const int n = current_.currentIndex;
    if (n < 1 || n > current_.count)
        return {};
    return QString::number(n) + QLatin1Char('\n') + current_.entry(n).address;
}

bool Player::resumePending() const
{
    const SongCollection &c = current_;
    return resumeAtMs_ >= 0 && !c.playing && c.currentIndex >= 1 && c.currentIndex <= c.count
           && c.entry(c.currentIndex).address == resumeAddress_;
}

int Player::volume() const
{
    return muted_ ? volumeBeforeMute_ : services_.player.volume();
}

qint64 Player::position() const
{
    if (resumePending())
        return resumeAtMs_;
    return services_.player.position();
}

qint64 Player::duration() const
{
    if (resumePending())
        return resumeLengthMs_;
    return services_.player.duration();
}

void Player::engineStateChanged(PlayState state)
{
    if (state == MediaPlayer::Transitioning) // a new try: an older report is not about it
        decoderMissingFor_.clear();
    if (state == MediaPlayer::Playing && !reachedPlaying_) {
        reachedPlaying_ = true;
        const int n = current_.currentIndex;
        if (n >= 1 && n <= current_.count && unplayable_.remove(unplayableKey(current_.entry(n))) > 0)
            Q_EMIT unplayableChanged();
    }
    Q_EMIT stateChanged(state);
}

QString Player::currentUnplayableReason() const
{
    const int n = current_.currentIndex;
    if (reachedPlaying_ || n < 1 || n > current_.count)
        return {};
    return unplayableReason(current_.entry(n));
}

QString Player::unplayableReason(const SongEntry &e) const
{
    return unplayable_.value(unplayableKey(e));
}

bool Player::mayReplaceCollection()
{
    if (!wouldLoseUserChanges(current_))
        return true;
    return services_.dialogs.messageBox(QStringLiteral("当前歌集尚未保存，是否舍去当前歌集？"),
                                        QStringLiteral("未保存"), Dialogs::Buttons::YesNo,
                                        Dialogs::Icon::Question)
           == Dialogs::Answer::Yes;
}

void Player::noteUnplayable()
{
    const int n = current_.currentIndex;
    if (n < 1 || n > current_.count)
        return;
    const SongEntry &e = current_.entry(n);
    QString why;
    if (e.address.isEmpty())
        why = QStringLiteral("找不到歌曲地址");
    else if (e.isLocal && !fileExists(e.address))
        why = QStringLiteral("文件不存在");
    else if (e.address == decoderMissingFor_)
        why = decoderMissingWhy_;
    else
        why = QStringLiteral("无法解码");
    qCInfo(lcPlayer) << "cannot play" << e.address << why;
    if (unplayableReason(e) != why) {
        unplayable_.insert(unplayableKey(e), why);
        Q_EMIT unplayableChanged();
    }
}

bool Player::nothingPlayable() const
{
    for (int n = 1; n <= current_.count; ++n) {
        if (!unplayable_.contains(unplayableKey(current_.entry(n))))
            return false;
    }
    return current_.count > 0;
}

void Player::engineDecoderMissing(const QString &url, const QStringList &packages)
{
    decoderMissingFor_ = url;
    decoderMissingWhy_ = QStringLiteral("缺少解码器");
    if (!packages.isEmpty())
        decoderMissingWhy_ += QStringLiteral("，请安装 ") + packages.join(QStringLiteral(" 和 "));
}

void Player::engineTagsChanged()
{
    Q_EMIT tagsChanged();
}

void Player::engineAdvanced(const QString &url)
{
    // The entry aimed at has followed without a gap: it is the current one
    // now, as if the play mode had moved on at the end of the song.
    const int n = nextIndex_;
    nextIndex_ = 0;
    if (n < 1 || n > current_.count || current_.entry(n).address != url) {
        // The collection changed under the engine: nothing known plays.
        Q_EMIT wakeRequested();
        return;
    }
    current_.currentIndex = qint16(n);
    current_.playing = true;
    reachedPlaying_ = true;
    services_.settings.store(SettingKeys::lastPlayPosition, QString::number(n));
    aimNext();
    Q_EMIT currentChanged();
    Q_EMIT changed();
    Q_EMIT wakeRequested();
}

void Player::aimNext()
{
    const SongCollection &c = current_;
    int next = 0;
    if (c.playing && c.currentIndex >= 1 && c.currentIndex <= c.count) {
        switch (mode_.kind()) {
        case PlayMode::Kind::ListOnce:
            next = c.currentIndex < c.count ? c.currentIndex + 1 : 0;
            break;
        case PlayMode::Kind::ListLoop:
            next = c.currentIndex < c.count ? c.currentIndex + 1 : 1;
            break;
        case PlayMode::Kind::SongLoop:
            next = c.currentIndex;
            break;
        case PlayMode::Kind::Shuffle:
            // Drawn now, as the end of the song would draw it.
            next = c.count > 1 ? PlaybackAdvance::drawRandomIndex(c.count) : c.currentIndex;
            break;
        case PlayMode::Kind::SongOnce:
        case PlayMode::Kind::Other:
            break;
        }
    }
    // Only local files are joined; anything else takes the usual way at the
    // end of the song, and so does a song known not to play.
    if (next > 0 && !(c.entry(next).isLocal && !c.entry(next).address.isEmpty()
                      && !unplayable_.contains(unplayableKey(c.entry(next)))))
        next = 0;
    nextIndex_ = next;
    services_.player.setNextUrl(next > 0 ? c.entry(next).address : QString());
}

void Player::clearSongTexts()
{
    title_.clear();
    singer_.clear();
    album_.clear();
}

void Player::playFile(const QString &given)
{
    if (given.isEmpty())
        return;
    QString path = given;
    if (path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    // A command line with several paths, a handed-over file deleted meanwhile
    // or a typo must not replace the collection or stop what is playing.
    const bool exists = fileExists(path);
    if (exists)
        Q_EMIT activateRequested();
    // Anything that is not a list would become a lone song: one that cannot
    // play leaves the collection as it is, and the user is told why (asked
    // before the question about unsaved changes, which would be for nothing).
    if (fileExtension(path) != QLatin1String(".yyu") && !isPlaylistFile(path)) {
        const PlayableCheck check = checkPlayable(path);
        if (!check.ok()) {
            qCInfo(lcPlayer) << "not opened" << path << check.message;
            services_.dialogs.messageBox(check.message, QStringLiteral("无法播放"),
                                         Dialogs::Buttons::Ok, Dialogs::Icon::Warning);
            return;
        }
    }
    if (!exists)
        return;

    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return;
    const QString type = path.mid(dot);
    if (QFileInfo(path).size() == 0)
        return;

    const bool known = type == QLatin1String(".yyu") || isPlaylistFile(path) || isAudioFile(path);
    if (!known || !mayReplaceCollection())
        return;
    if (type == QLatin1String(".yyu")) {
        loadCollection(current_, path, services_.settings, &services_.dialogs);
        Q_EMIT collectionChanged();
    } else if (isPlaylistFile(path)) {
        QStringList nameLater;
        if (PlaylistFile::load(current_, path, services_.settings, services_.dialogs, &nameLater)) {
            Q_EMIT collectionChanged();
            nameByTagsLater(*this, nameLater);
        }
    } else if (isAudioFile(path)) {
        // .m4a has always kept the texts of the song before it.
        if (fileExtension(path) != QLatin1String(".m4a"))
            clearSongTexts();
        playLoneSong(path);
    }
    Q_EMIT changed();
}

void Player::playLoneSong(const QString &address)
{
    SongCollection &c = current_;
    // The slots the old list used are emptied, so no later step can find
    // a stale song above count.
    for (int n = 2; n <= SongCollection::kCapacity; ++n)
        c.entry(n) = SongEntry{};
    c.count = 1;
    SongEntry &e = c.entry(1);
    e.songName.clear();
    e.singer.clear();
    e.address = address;
    e.isLocal = address.startsWith(QLatin1Char('/'));
    // A song opened on its own is nothing the user would want to keep.
    c.changed = false;
    // An open song list would show the old rows; it is told once the entry
    // has its name, since the list's tidying drops unnamed entries.
    listRefreshPending_ = true;
    paused_ = false;
    playEntry(1);
    Q_EMIT changed();
}

void Player::playEntry(int n)
{
    resumeAtMs_ = -1;
    reachedPlaying_ = false;
    ::playEntry(current_, n, services_.player, services_.resolver, services_.settings);
    aimNext();
    Q_EMIT currentChanged();
    Q_EMIT wakeRequested();
}

void Player::restoreSession(const SessionState &session, const QList<int> &missing, bool play)
{
    SongCollection c = session.collection;
    c.playing = false;
    if (c.count <= 0)
        return;
    if (c.currentIndex < 1 || c.currentIndex > c.count)
        c.currentIndex = 1;
    current_ = c;
    mode_ = session.mode;
    services_.settings.store(SettingKeys::playMode, mode_.text());
    unplayable_.clear();
    for (int n : missing) {
        if (n >= 1 && n <= current_.count)
            unplayable_.insert(unplayableKey(current_.entry(n)), QStringLiteral("文件不存在"));
    }
    const SongEntry &e = current_.entry(current_.currentIndex);
    resumeAddress_ = e.address;
    resumeAtMs_ = qMax<qint64>(0, session.positionMs);
    // The length shows beside the place before the song is opened; one
    // file's headers are quick to read.
    resumeLengthMs_ = -1;
    if (e.isLocal && !e.address.isEmpty()) {
        const qint64 length = readFileTags(e.address, TagPart::Duration).durationMs;
        if (length > 0)
            resumeLengthMs_ = length;
    }
    title_ = e.songName;
    singer_ = e.singer;
    album_ = current_.albumName;
    paused_ = true;
    offersPause_ = false;
    canStop_ = true;
    toldNothingPlays_ = false;
    Q_EMIT modeChanged();
    Q_EMIT collectionChanged();
    if (!missing.isEmpty())
        Q_EMIT unplayableChanged();
    Q_EMIT currentChanged();
    if (play)
        startOrResume();
    Q_EMIT changed();
    Q_EMIT wakeRequested();
}

void Player::play(int n)
{
    // Previous and next have no target outside the list; a command that
    // arrives anyway does nothing.
    if (n < 1 || n > current_.count)
        return;
    offersPause_ = true;
    paused_ = false;
    playEntry(n);
    Q_EMIT changed();
}

void Player::next()
{
    play(current_.currentIndex + 1);
}

void Player::previous()
{
    play(current_.currentIndex - 1);
}

void Player::random()
{
    if (current_.count == 0)
        return;
    // Songs known not to play are left out of the draw, so random play
    // does not keep landing on them; with none marked the draw is the
    // usual one over the whole collection.
    QList<int> candidates;
    for (int n = 1; n <= current_.count; ++n) {
        if (!unplayable_.contains(unplayableKey(current_.entry(n))))
            candidates << n;
    }
    if (candidates.isEmpty() || candidates.size() == current_.count)
        playEntry(PlaybackAdvance::drawRandomIndex(current_.count));
    else
        playEntry(candidates.at(PlaybackAdvance::drawRandomIndex(int(candidates.size())) - 1));
    Q_EMIT changed();
}

bool Player::holdsPause() const
{
    if (resumePending())
        return true;
    // Only while the engine still holds the very song that was paused: a
    // collection replaced meanwhile, or an engine that moved on, ends it.
    const SongCollection &c = current_;
    const MediaPlayer &player = services_.player;
    return paused_ && !c.playing && player.playState() == MediaPlayer::Paused
           && c.currentIndex >= 1 && c.currentIndex <= c.count
           && c.entry(c.currentIndex).address == player.url();
}

void Player::startOrResume()
{
    offersPause_ = true;
    // A paused song goes on where it stood. Anything else plays the current
    // entry: the engine may hold nothing yet (a collection just loaded) or a
    // song the idle rule has moved away from.
    if (resumePending()) {
        // A restored song opens now, at the place it was left.
        const qint64 at = std::exchange(resumeAtMs_, -1);
        playEntry(current_.currentIndex);
        if (at > 0)
            services_.player.seek(at);
    } else if (holdsPause()) {
        services_.player.play();
        current_.playing = true;
        Q_EMIT wakeRequested();
    } else {
        playEntry(qMax<int>(1, current_.currentIndex));
    }
    paused_ = false;
}

void Player::pauseSong()
{
    offersPause_ = false;
    services_.player.pause();
    current_.playing = false;
    paused_ = services_.player.playState() == MediaPlayer::Paused;
}

// Play and pause go by what is wanted, not by what the window shows, which
// the next tick may still have to bring up to date.
void Player::resume()
{
    if (current_.playing || current_.count == 0)
        return;
    startOrResume();
    Q_EMIT changed();
}

void Player::pause()
{
    if (!current_.playing)
        return;
    pauseSong();
    Q_EMIT changed();
}

void Player::playPause()
{
    if (offersPause_)
        pauseSong();
    else if (!current_.playing && current_.count > 0)
        startOrResume();
    Q_EMIT changed();
}

void Player::stop()
{
    resumeAtMs_ = -1;
    services_.player.stop();
    offersPause_ = false;
    current_.playing = false;
    paused_ = false;
    Q_EMIT changed();
}

void Player::seek(qint64 ms)
{
    if (resumePending()) {
        resumeAtMs_ = qMax<qint64>(0, resumeLengthMs_ > 0 ? qMin(ms, resumeLengthMs_) : ms);
        Q_EMIT seeked(resumeAtMs_);
        Q_EMIT changed();
        return;
    }
    MediaPlayer &player = services_.player;
    if (player.position() < 0)
        return;
    // The engine moves on its own thread; the place announced is the one
    // asked for, within the song.
    qint64 target = qMax<qint64>(0, ms);
    if (const qint64 length = player.duration(); length > 0)
        target = qMin(target, length);
    player.seek(target);
    Q_EMIT seeked(target);
}

void Player::seekBy(qint64 deltaMs)
{
    const qint64 now = position();
    if (now >= 0)
        seek(now + deltaMs);
}

void Player::setMuted(bool muted)
{
    if (muted == muted_)
        return;
    if (muted)
        volumeBeforeMute_ = services_.player.volume();
    muted_ = muted;
    services_.player.setVolume(muted ? 0 : volumeBeforeMute_);
    Q_EMIT mutedChanged(muted);
    Q_EMIT changed();
}

void Player::setVolume(int volume)
{
    if (muted_) {
        muted_ = false;
        Q_EMIT mutedChanged(false);
    }
    volume = qBound(0, volume, 100);
    services_.player.setVolume(volume);
    services_.settings.store(SettingKeys::volume, QString::number(volume));
    Q_EMIT volumeChanged(volume);
    Q_EMIT changed();
}

void Player::setMode(const PlayMode &mode)
{
    mode_ = mode;
    services_.settings.store(SettingKeys::playMode, mode_.text());
    aimNext();
    Q_EMIT modeChanged();
    Q_EMIT changed();
}

void Player::replaceCollection(const SongCollection &c)
{
    resumeAtMs_ = -1;
    current_ = c;
    toldNothingPlays_ = false;
    aimNext();
    Q_EMIT collectionChanged();
    Q_EMIT changed();
    Q_EMIT wakeRequested();
}

void Player::editCollection(const std::function<void(SongCollection &)> &edit)
{
    edit(current_);
    toldNothingPlays_ = false;
    aimNext();
    Q_EMIT collectionChanged();
    Q_EMIT changed();
    Q_EMIT wakeRequested();
}

void Player::afterSongEnded()
{
    SongCollection &c = current_;
    MediaPlayer &player = services_.player;
    const PlayState state = player.playState();
    if (!(c.count >= c.currentIndex && c.playing
          && (state == MediaPlayer::Ready || state == MediaPlayer::Stopped)))
        return;

    // A song that never played is marked and skipped; when no entry of the
    // collection plays, playback stops once with a word instead of cycling.
    if (!reachedPlaying_) {
        noteUnplayable();
        if (nothingPlayable() && mode_.kind() != PlayMode::Kind::SongOnce) {
            player.stop();
            c.playing = false;
            offersPause_ = false;
            if (!toldNothingPlays_) {
                toldNothingPlays_ = true;
                // With what to install when the decoders are what is missing.
                QStringList lines{QStringLiteral("当前歌集中没有可以播放的歌曲。")};
                for (int n = 1; n <= c.count; ++n) {
                    const QString why = unplayableReason(c.entry(n));
                    if (why.startsWith(QStringLiteral("缺少解码器")) && !lines.contains(why))
                        lines << why;
                }
                services_.dialogs.messageBox(lines.join(u'\n'),
                                             QStringLiteral("播放"), Dialogs::Buttons::Ok,
                                             Dialogs::Icon::Warning);
            }
            return;
        }
        // Looping one song that cannot play would retry it for ever.
        if (mode_.kind() == PlayMode::Kind::SongLoop) {
            player.stop();
            c.playing = false;
            return;
        }
    }

    switch (mode_.kind()) {
    case PlayMode::Kind::SongOnce:
        player.stop();
        c.playing = false;
        break;
    case PlayMode::Kind::SongLoop:
        player.play();
        aimNext();
        Q_EMIT currentChanged();
        break;
    case PlayMode::Kind::ListOnce:
        if (c.count > c.currentIndex) {
            playEntry(c.currentIndex + 1);
        } else {
            player.stop();
            c.playing = false;
        }
        break;
    case PlayMode::Kind::ListLoop:
        playEntry(c.currentIndex == c.count ? 1 : c.currentIndex + 1);
        break;
    case PlayMode::Kind::Shuffle:
        random();
        break;
    case PlayMode::Kind::Other: // shown, but plays one song at a time
        break;
    }
}

void Player::tick()
{
    if (held_ || inTick_ || services_.http.busy())
        return;
    inTick_ = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{inTick_};

    // Settings the store refused earlier are written once it takes them.
    unsavedLeft_ = !services_.settings.retryUnsaved();

    // A dialog or a window's operation holds the collection: replacing or
    // editing it now would pull it from under the user (a save would write
    // the other copy's songs). Only the show request is answered; the rest
    // runs on the first tick after.
    if (inUse()) {
        pickUpHandOff();
        Q_EMIT changed();
        return;
    }

    SongCollection &c = current_;
    MediaPlayer &player = services_.player;

    // 1. Nothing wanted: keep the player stopped and the song texts empty.
    // A paused song stays where it stood, so that play resumes it.
    const bool pausedSong = holdsPause();
    paused_ = pausedSong;
    if (!c.playing && !pausedSong) {
        player.stop();
        c.currentIndex = 1;
        clearSongTexts();
    }

    // 2. What is playing now; an entry without names takes them from the tags.
    if (player.playState() == MediaPlayer::Playing && c.currentIndex > 0
        && c.currentIndex <= SongCollection::kCapacity) {
        SongEntry &e = c.entry(c.currentIndex);
        if (!reachedPlaying_) {
            reachedPlaying_ = true;
            if (unplayable_.remove(unplayableKey(e)) > 0)
                Q_EMIT unplayableChanged();
        }
        // A song without a title tag goes by its name in the list, or else
        // by its file's name.
        QString title = player.title();
        if (title.isEmpty())
            title = e.songName.isEmpty() ? StatusTexts::fileBaseName(e.address) : e.songName;
        const QString author = player.author();
        if (e.singer.isEmpty())
            e.singer = author;
        if (e.songName.isEmpty())
            e.songName = title;
        title_ = title;
        singer_ = author;
        album_ = c.albumName;
        offersPause_ = true;
        canStop_ = true;
    } else {
        offersPause_ = false;
        canStop_ = pausedSong;
    }

    // 3. Previous, next and random need more than one song;
    // 4. no previous before the first song, no next after the last.
    canRandom_ = c.count > 1;
    canPrevious_ = canRandom_ && c.currentIndex != 1;
    canNext_ = canRandom_ && c.currentIndex != c.count;

    // 5. The song ended (or never started): go on by the play mode.
    afterSongEnded();

    if (listRefreshPending_ && (!c.playing || c.count < 1 || !c.entry(1).songName.isEmpty())) {
        listRefreshPending_ = false;
        Q_EMIT collectionChanged();
    }

    // 6. A file or a show request left by a second copy.
    if (!handOffWatched_ || handOffChecksLeft_ > 0) {
        if (handOffChecksLeft_ > 0)
            --handOffChecksLeft_;
        pickUpHandOff();
    }
    Q_EMIT changed();
}

bool Player::ticksWanted() const
{
    if (held_)
        return false; // releasing the hold wakes the timer
    // Without a watch on the store a hand-off is seen only by reading it.
    if (!handOffWatched_ || handOffChecksLeft_ > 0 || listRefreshPending_ || unsavedLeft_)
        return true;
    if (!current_.playing)
        return false;
    // The engine reports its changes, so a song that plays steadily needs
    // no ticks: its end and its tags wake the timer.
    const PlayState state = services_.player.playState();
    return state != MediaPlayer::Paused && state != MediaPlayer::Playing;
}

void Player::holdTicks(bool hold)
{
    held_ = hold;
    if (!hold) {
        // Anything handed over while held is collected now.
        handOffChecksLeft_ = qMax(handOffChecksLeft_, 1);
        Q_EMIT wakeRequested();
    }
}

void Player::handOffMayHaveChanged()
{
    handOffChecksLeft_ = 3;
    Q_EMIT wakeRequested();
}

void Player::pickUpHandOff()
{
    HandOff handOff(services_.settings);
    // Taken and emptied in one step: a second copy waits for the empty slot
    // before it writes, so no hand-off is overwritten or taken twice. While
    // the collection is in use the file waits in the store.
    if (!inUse()) {
        if (const std::optional<QString> file = handOff.takeFile())
            playFile(*file);
    }
    if (handOff.takeShowRequest())
        Q_EMIT showRequested();
}
