#include "app/playercontroller.h"

#include "app/playbackadvance.h"
#include "app/statustexts.h"
#include "collection/playentry.h"

#include "collection/audioformats.h"
#include "collection/fileexists.h"
#include "collection/playlistfile.h"
#include "collection/yyufile.h"
#include "platform/appcontext.h"
#include "base/colors.h"
#include "base/makerhosts.h"
#include "base/handoff.h"
#include "base/settings.h"
#include "base/settingskeys.h"
#include "platform/dialogs.h"
#include "platform/httpclient.h"
#include "platform/mediaplayer.h"
#include "platform/trayicon.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace {
const QString kPlayText = QStringLiteral("播放");
const QString kPauseText = QStringLiteral("暂停");
} // namespace

QColor PlayerController::defaultGreyText()
{
    return QGuiApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}


PlayerController::PlayerController(AppContext &ctx, QColor greyText, QObject *parent)
    : QObject(parent), ctx_(ctx), commands_(ctx, *this), grey_(greyText)
{
    labelText_ = {QStringLiteral("上一首"), QStringLiteral("text 歌曲名"), QStringLiteral("text 歌手"),
                  kPlayText, QStringLiteral("停止"), QStringLiteral("下一首"),
                  QStringLiteral("text 专辑")};
    labelColor_.fill(Qt::black);
    caption_ = designCaption();
    backColor_ = QColor(128, 128, 128);
}

void PlayerController::load(const QIcon &windowIcon)
{
    Settings &s = ctx_.services.settings;
    for (int i : {SongName, Singer, Album})
        labelText_[i].clear();

    playMode_ = PlayMode::fromText(s.value(SettingKeys::playMode));
    applyPlayMode();

    topCaption_ = s.value(SettingKeys::topCaption);
    setFontColor(qint32(s.number(SettingKeys::fontColor)));
    setBackColor(qint32(s.number(SettingKeys::backColor)));

    const qint64 volume = s.number(SettingKeys::volume);
    ctx_.services.player.setVolume(int(qBound(qint64(0), volume, qint64(100))));
    const QString gain = s.value(SettingKeys::replayGain);
    const ReplayGainMode gainMode = gain == QStringLiteral("单曲")   ? ReplayGainMode::Track
                                    : gain == QStringLiteral("专辑") ? ReplayGainMode::Album
                                                                    : ReplayGainMode::Off;
    const auto decibels = [&s](const SettingKey &key) {
        bool ok = false;
        const double db = s.value(key).trimmed().toDouble(&ok);
        return ok && std::isfinite(db) ? db : 0.0;
    };
    ctx_.services.player.setReplayGain(gainMode, decibels(SettingKeys::replayGainPreamp),
                                       decibels(SettingKeys::replayGainFallback));
    // The site shown in the tooltip cannot change while the program runs, so
    // the tick does not read it again ten times a second.
    siteUrl_ = makerSiteUrl(s);
    ctx_.services.tray.add(windowIcon, caption_);
    Q_EMIT stateChanged();
}

void PlayerController::setLabelEnabled(int index, bool enabled)
{
    labelColor_[index] = enabled ? labelColor_[PlayPause] : grey_;
}

void PlayerController::playFile(const QString &given)
{
    if (given.isEmpty())
        return;
    QString path = given;
    if (path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    // A command line with several paths, a handed-over file deleted meanwhile
    // or a typo must not replace the collection or stop what is playing.
    if (!fileExists(path))
        return;
    Q_EMIT activateRequested();

    const int dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return;
    const QString type = path.mid(dot);
    if (QFileInfo(path).size() == 0)
        return;

    SongCollection &c = ctx_.session.current;
    if (type == QLatin1String(".yyu")) {
        loadCollection(c, path, ctx_.services.settings, &ctx_.services.dialogs);
        ctx_.windows().refreshSongList();
    } else if (isPlaylistFile(path)) {
        if (PlaylistFile::load(c, path, ctx_.services.settings, ctx_.services.dialogs))
            ctx_.windows().refreshSongList();
    } else if (isAudioFile(path)) {
        // .m4a has always kept the texts of the song before it.
        if (fileExtension(path) != QLatin1String(".m4a")) {
            for (int i : {SongName, Singer, Album})
                labelText_[i].clear();
        }
        playLoneSong(path);
    }
    Q_EMIT stateChanged();
}

QString PlayerController::playerStateText() const
{
    return StatusTexts::stateText(ctx_.services.player.playState());
}

void PlayerController::playIfInRange(int n)
{
    // Previous and next have no target outside the list; their buttons are
    // greyed there, and a command that arrives anyway does nothing.
    if (n < 1 || n > ctx_.session.current.count)
        return;
    playCurrent(ctx_.services, ctx_.session, n);
    Q_EMIT stateChanged();
}

void PlayerController::clickLabel(int index)
{
    if (index < 0 || index >= kLabelCount || !labelEnabled(index))
        return;
    SongCollection &c = ctx_.session.current;
    switch (index) {
    case Previous:
        playIfInRange(c.currentIndex - 1);
        break;
    case PlayPause:
        // While a song is wanted the label only lags behind the engine by a
        // tick; it starts nothing anew.
        if (!pauseOrOpenFile() && !c.playing)
            startOrResume();
        Q_EMIT stateChanged();
        break;
    case Stop:
        ctx_.services.player.stop();
        labelText_[PlayPause] = kPlayText;
        c.playing = false;
        paused_ = false;
        Q_EMIT stateChanged();
        break;
    case Next:
        playIfInRange(c.currentIndex + 1);
        break;
    default:
        break;
    }
}

bool PlayerController::pauseOrOpenFile()
{
    SongCollection &c = ctx_.session.current;
    if (labelText_[PlayPause] == kPauseText) {
        pauseSong();
        return true;
    }
    if (c.count == 0) {
        commands_.openFile();
        return true;
    }
    return false;
}

void PlayerController::menuPlayPause()
{
    // A paused song goes on where it stood; otherwise the menu entry plays
    // the current entry again from its start, even while it plays.
    if (holdsPause()) {
        clickLabel(PlayPause);
        return;
    }
    if (!pauseOrOpenFile()) {
        labelText_[PlayPause] = kPauseText;
        playCurrent(ctx_.services, ctx_.session, qMax<int>(1, ctx_.session.current.currentIndex));
    }
    Q_EMIT stateChanged();
}

void PlayerController::previous()
{
    playIfInRange(ctx_.session.current.currentIndex - 1);
}

void PlayerController::next()
{
    playIfInRange(ctx_.session.current.currentIndex + 1);
}

void PlayerController::randomSong()
{
    const int n = PlaybackAdvance::drawRandomIndex(ctx_.session.current.count);
    if (ctx_.session.current.count == 0)
        return;
    playCurrent(ctx_.services, ctx_.session, n);
    Q_EMIT stateChanged();
}

void PlayerController::applyPlayMode()
{
    ctx_.services.settings.store(SettingKeys::playMode, playMode_.text());
    Q_EMIT stateChanged();
}

void PlayerController::cyclePlayMode()
{
    playMode_ = playMode_.next();
    applyPlayMode();
}

void PlayerController::setTopCaption(const QString &text)
{
    caption_ = text;
    topCaption_ = text;
    ctx_.services.settings.store(SettingKeys::topCaption, text);
    Q_EMIT stateChanged();
}

void PlayerController::setFontColor(qint32 color)
{
    const QColor c = colorFromValue(color);
    for (QColor &label : labelColor_)
        label = c;
    ctx_.services.settings.store(SettingKeys::fontColor, QString::number(color));
    Q_EMIT stateChanged();
}

void PlayerController::setBackColor(qint32 color)
{
    ctx_.services.settings.store(SettingKeys::backColor, QString::number(color));
    backColor_ = colorFromValue(color);
    Q_EMIT stateChanged();
}

void PlayerController::tick()
{
    if (held_ || inTick_ || ctx_.services.http.busy())
        return;
    inTick_ = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{inTick_};

    // Settings the store refused earlier are written once it takes them.
    unsavedLeft_ = !ctx_.services.settings.retryUnsaved();

    // A dialog or a window's operation holds the collection: replacing or
    // editing it now would pull it from under the user (a save would write
    // the other copy's songs). Only the show request is answered; the rest
    // runs on the first tick after.
    if (ctx_.windows().collectionInUse()) {
        pickUpHandOff();
        updateCaptionAndTooltip();
        Q_EMIT stateChanged();
        return;
    }

    SongCollection &c = ctx_.session.current;
    MediaPlayer &player = ctx_.services.player;

    // 1. Nothing wanted: keep the player stopped and the song texts empty.
    // A paused song stays where it stood, so that play resumes it.
    const bool pausedSong = holdsPause();
    paused_ = pausedSong;
    if (!c.playing && !pausedSong) {
        player.stop();
        c.currentIndex = 1;
        for (int i : {SongName, Singer, Album})
            labelText_[i].clear();
    }

    // 2. What is playing now; an entry without names takes them from the tags.
    if (player.playState() == MediaPlayer::Playing && c.currentIndex > 0
        && c.currentIndex <= SongCollection::kCapacity) {
        SongEntry &e = c.entry(c.currentIndex);
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
        labelText_[SongName] = title;
        labelText_[Singer] = author;
        labelText_[Album] = c.albumName;
        labelText_[PlayPause] = kPauseText;
        setLabelEnabled(Stop, true);
    } else {
        labelText_[PlayPause] = kPlayText;
        setLabelEnabled(Stop, pausedSong);
    }

    // 3. Previous, next and random need more than one song;
    // 4. no previous before the first song, no next after the last.
    rndEnabled_ = c.count > 1;
    preEnabled_ = rndEnabled_ && c.currentIndex != 1;
    nextEnabled_ = rndEnabled_ && c.currentIndex != c.count;
    setLabelEnabled(Previous, preEnabled_);
    setLabelEnabled(Next, nextEnabled_);

    // 5. The song ended (or never started): go on by the play mode.
    PlaybackAdvance::afterSongEnded(playMode_, ctx_, [this] { randomSong(); });

    if (listRefreshPending_ && (!c.playing || c.count < 1 || !c.entry(1).songName.isEmpty())) {
        listRefreshPending_ = false;
        Q_EMIT collectionReplaced();
    }

    // 6. A file or a show request left by a second copy.
    if (!handOffWatched_ || handOffChecksLeft_ > 0) {
        if (handOffChecksLeft_ > 0)
            --handOffChecksLeft_;
        pickUpHandOff();
    }

    // 7-8.
    updateCaptionAndTooltip();
    Q_EMIT stateChanged();
}

bool PlayerController::ticksWanted(bool engineReports) const
{
    if (held_)
        return false; // releasing the hold wakes the timer
    // Without a watch on the store a hand-off is seen only by reading it.
    if (!handOffWatched_ || handOffChecksLeft_ > 0 || listRefreshPending_ || unsavedLeft_)
        return true;
    if (!ctx_.session.current.playing)
        return false;
    const PlayState state = ctx_.services.player.playState();
    if (state == MediaPlayer::Paused)
        return false;
    return state != MediaPlayer::Playing || !engineReports;
}

void PlayerController::holdTicks(bool hold)
{
    held_ = hold;
    if (!hold) {
        // Anything handed over while held is collected now.
        handOffChecksLeft_ = qMax(handOffChecksLeft_, 1);
        Q_EMIT wakeRequested();
    }
}

void PlayerController::handOffMayHaveChanged()
{
    handOffChecksLeft_ = 3;
    Q_EMIT wakeRequested();
}

void PlayerController::pickUpHandOff()
{
    HandOff handOff(ctx_.services.settings);
    // Taken and emptied in one step: a second copy waits for the empty slot
    // before it writes, so no hand-off is overwritten or taken twice. While
    // the collection is in use the file waits in the store.
    if (!ctx_.windows().collectionInUse()) {
        if (const std::optional<QString> file = handOff.takeFile())
            playFile(*file);
    }
    if (handOff.takeShowRequest())
        Q_EMIT showNormalRequested();
}

void PlayerController::updateCaptionAndTooltip()
{
    const SongCollection &c = ctx_.session.current;
    const PlayState state = ctx_.services.player.playState();
    caption_ = StatusTexts::caption(c, state, topCaption_);
    tooltip_ = StatusTexts::tooltip(c, state, ctx_.services.settings.programAppName(), siteUrl_);
    ctx_.services.tray.modify(tooltip_);
}

void PlayerController::playLoneSong(const QString &address)
{
    SongCollection &c = ctx_.session.current;
    // The slots the old list used are emptied, so no later step can find
    // a stale song above count.
    for (int n = 2; n <= SongCollection::kCapacity; ++n)
        c.entry(n) = SongEntry{};
    c.count = 1;
    SongEntry &e = c.entry(1);
    e.songName.clear();
    e.singer.clear();
    e.address = address;
    // A song opened on its own is nothing the user would want to keep.
    c.changed = false;
    // An open song list would show the old rows; it refreshes once the
    // entry has its name, since the list's tidying drops unnamed entries.
    listRefreshPending_ = true;
    paused_ = false;
    playCurrent(ctx_.services, ctx_.session, 1);
    Q_EMIT stateChanged();
}

bool PlayerController::holdsPause() const
{
    // Only while the engine still holds the very song that was paused: a
    // collection replaced meanwhile, or an engine that moved on, ends it.
    const SongCollection &c = ctx_.session.current;
    const MediaPlayer &player = ctx_.services.player;
    return paused_ && !c.playing && player.playState() == MediaPlayer::Paused
           && c.currentIndex >= 1 && c.currentIndex <= c.count
           && c.entry(c.currentIndex).address == player.url();
}

void PlayerController::startOrResume()
{
    SongCollection &c = ctx_.session.current;
    labelText_[PlayPause] = kPauseText;
    // A paused song goes on where it stood. Anything else plays the current
    // entry: the engine may hold nothing yet (a collection just loaded) or a
    // song the idle rule has moved away from.
    if (holdsPause()) {
        ctx_.services.player.play();
        c.playing = true;
    } else {
        playCurrent(ctx_.services, ctx_.session, qMax<int>(1, c.currentIndex));
    }
    paused_ = false;
}

void PlayerController::pauseSong()
{
    labelText_[PlayPause] = kPlayText;
    ctx_.services.player.pause();
    ctx_.session.current.playing = false;
    paused_ = ctx_.services.player.playState() == MediaPlayer::Paused;
}

// Play and pause go by what is wanted, not by label 3's text, which the
// next tick may still have to bring up to date.
void PlayerController::play()
{
    if (ctx_.session.current.playing || ctx_.session.current.count == 0)
        return;
    startOrResume();
    Q_EMIT stateChanged();
}

void PlayerController::pause()
{
    if (!ctx_.session.current.playing)
        return;
    pauseSong();
    Q_EMIT stateChanged();
}

void PlayerController::stopPlayback()
{
    clickLabel(Stop);
}

void PlayerController::seek(qint64 ms)
{
    MediaPlayer &player = ctx_.services.player;
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

void PlayerController::seekBy(qint64 deltaMs)
{
    const qint64 now = ctx_.services.player.position();
    if (now >= 0)
        seek(now + deltaMs);
}

int PlayerController::volume() const
{
    return ctx_.services.player.volume();
}

void PlayerController::setVolume(int volume)
{
    volume = qBound(0, volume, 100);
    ctx_.services.player.setVolume(volume);
    ctx_.services.settings.store(SettingKeys::volume, QString::number(volume));
    Q_EMIT volumeChanged(volume);
    Q_EMIT stateChanged();
}

void PlayerController::choosePlayMode(const QString &mode)
{
    const PlayMode chosen = PlayMode::fromText(mode);
    if (chosen.kind() == PlayMode::Kind::Other)
        return;
    playMode_ = chosen;
    applyPlayMode();
}
