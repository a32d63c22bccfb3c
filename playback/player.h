// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/playmode.h"
#include "base/songcollection.h"
#include "engine/mediaplayer.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

struct Services;
struct SessionState;
class QTimer;

// What plays: the one owner of the current collection, its current entry,
// the play mode, the volume, seeking, the playback tick and the pick-up of a
// second copy's hand-off. Every window, the desktop's media controls and the
// start-up go through these commands and follow its notifications; nobody
// else writes the collection. It is the engine's observer, and needs no
// display.
class Player : public QObject, public MediaPlayerObserver {
    Q_OBJECT
public:
    explicit Player(Services &services, QObject *parent = nullptr);
    ~Player() override;

    // Reads the stored play mode and volume, and starts the tick.
    void load();

    // --- State ---
    const SongCollection &collection() const { return current_; }
    int currentIndex() const { return current_.currentIndex; }
    // Names the current entry by its number and address ("<n>\n<address>"),
    // so whoever follows it sees when another one becomes current; empty for none.
    QString currentEntryKey() const;
    // A song is wanted: playing, opening, or about to go on by the play mode.
    bool wanted() const { return current_.playing; }
    PlayState state() const;
    // A song paused by the user that stays where it stood.
    bool holdsPause() const;
    // Play/pause would pause: the current song plays or is about to.
    bool offersPause() const { return offersPause_; }
    const PlayMode &mode() const { return mode_; }
    int volume() const;
    qint64 position() const;
    qint64 duration() const;
    // What the song that plays is called, by whom, from which collection;
    // empty while nothing plays.
    const QString &title() const { return title_; }
    const QString &singer() const { return singer_; }
    const QString &album() const { return album_; }
    bool canPrevious() const { return canPrevious_; }
    bool canNext() const { return canNext_; }
    bool canRandom() const { return canRandom_; }
    // Stop means something: a song plays or is paused.
    bool canStop() const { return canStop_; }
    bool tickRunning() const { return inTick_; }
    // Why the entry could not be played the last time it was tried
    // ("文件不存在", "无法解码", "找不到歌曲地址", or "缺少解码器，请安装 <package>"
    // when GStreamer lacked its decoder); empty when it played or was never
    // tried.
    QString unplayableReason(const SongEntry &e) const;
    // The same for the current entry, while it is being skipped.
    QString currentUnplayableReason() const;

    // --- Commands ---
    // Opens a file by its type: an audio file plays alone, a .yyu or a
    // playlist becomes the current collection. A path without a file behind
    // it does nothing.
    void playFile(const QString &path);
    // Plays an address (a local path or a web address) as a lone song.
    void playLoneSong(const QString &address);
    // Asks the user before a collection with unsaved changes is replaced;
    // true when nothing would be lost or the user agreed. Every command that
    // replaces the collection as a whole asks this first.
    bool mayReplaceCollection();
    // Where the user left off (see collection/sessionfile.h): the collection
    // with its unsaved-changes flag, the mode, and the current entry held
    // paused at the position kept, or playing from there with `play`. The
    // engine is not touched until the song plays. Entries numbered in
    // `missing` are marked "文件不存在".
    void restoreSession(const SessionState &session, const QList<int> &missing, bool play);
    // Plays entry n (1..count) from its start.
    void play(int n);
    // Resumes a paused song or plays the current entry.
    void resume();
    void pause();
    // Pauses what plays, else resumes; nothing on an empty collection.
    void playPause();
    void stop();
    // Previous and next have no target outside the list.
    void next();
    void previous();
    void random();
    // Moves within the current song; announced through seeked().
    void seek(qint64 ms);
    void seekBy(qint64 deltaMs);
    // 0..100, stored under "设置"/"音量"; a muted player unmutes first.
    void setVolume(int volume);
    // Silence without losing the volume: unmuting returns to it. Not stored.
    void setMuted(bool muted);
    bool muted() const { return muted_; }
    void setMode(const PlayMode &mode);
    // "关闭", "单曲" or "专辑", stored under "设置"/"音量均衡" and handed to the
    // engine with the stored pre-amp and the gain for untagged songs.
    void setReplayGainMode(const QString &mode);
    // The collection becomes `c` as a whole (a list loaded, dropped, made by
    // a search or a scan); nothing plays until asked.
    void replaceCollection(const SongCollection &c);
    // Edits the collection in place (the song list's add, remove, rename,
    // save); collectionChanged() follows.
    void editCollection(const std::function<void(SongCollection &)> &edit);

    // --- The tick ---
    // One playback tick: takes the engine's tags into the entry, goes on by
    // the play mode when a song ended, collects a hand-off. Does nothing
    // while an earlier tick runs or a web request is under way.
    void tick();
    // Whether another tick could come out differently from the last one by
    // itself; when not, the timer sleeps until something wakes it.
    bool ticksWanted() const;
    // While held, ticks do nothing: the start-up holds them until the single-
    // copy rule has run.
    void holdTicks(bool hold);
    // With watched set, the hand-off is read only for a few ticks after
    // handOffMayHaveChanged(), instead of on every tick.
    void setHandOffWatched(bool watched) { handOffWatched_ = watched; }
    void handOffMayHaveChanged();
    // Takes a file a second copy handed over (unless the collection is in
    // use) and answers its request to come forward.
    void pickUpHandOff();
    // While this says so (a modal dialog works on the collection), the tick
    // leaves the collection alone.
    void setCollectionInUse(std::function<bool()> inUse) { inUse_ = std::move(inUse); }

    // MediaPlayerObserver
    void engineStateChanged(PlayState state) override;
    void engineTagsChanged() override;
    void engineAdvanced(const QString &url) override;
    void engineDecoderMissing(const QString &url, const QStringList &packages) override;

Q_SIGNALS:
    // The collection was replaced or edited.
    void collectionChanged();
    // An entry was found unplayable, or played again after it was.
    void unplayableChanged();
    // Another entry became the current one, or the same one started anew.
    void currentChanged();
    void stateChanged(PlayState state);
    void tagsChanged();
    void modeChanged();
    void volumeChanged(int volume);
    void mutedChanged(bool muted);
    // The position jumped to ms by a seek.
    void seeked(qint64 ms);
    // Anything the views mirror may have changed (texts, flags, state).
    void changed();
    // A file was opened: the main window comes forward if shown.
    void activateRequested();
    // A second copy asked the running one to come forward.
    void showRequested();
    // Something happened that the next ticks must see.
    void wakeRequested();

private:
    void playEntry(int n);
    void applyReplayGain();
    // Tells the engine which entry follows the current one when it ends by
    // itself, so that a local file follows without a gap; none when the mode
    // stops there or the next entry is not a local file.
    void aimNext();
    void startOrResume();
    void pauseSong();
    void afterSongEnded();
    // The current song ended without ever playing: remember why.
    void noteUnplayable();
    bool nothingPlayable() const;
    void clearSongTexts();
    bool inUse() const { return inUse_ && inUse_(); }
    // A restored pause the engine has not opened yet: the current entry is
    // still the one restored and nothing plays.
    bool resumePending() const;

    Services &services_;
    SongCollection current_;
    PlayMode mode_;
    QString title_, singer_, album_;
    bool canPrevious_ = true, canNext_ = true, canRandom_ = true, canStop_ = true;
    bool offersPause_ = false;
    // The user paused the current song (cleared by play and stop).
    bool paused_ = false;
    bool inTick_ = false;
    bool muted_ = false;
    int volumeBeforeMute_ = 0;
    bool held_ = false;
    bool handOffWatched_ = false;
    bool unsavedLeft_ = false; // the store refused writes the tick retries
    // Ticks left that read the hand-off after the store last changed; the
    // second copy's write may become visible a moment after the change is
    // seen, so one read is not enough.
    int handOffChecksLeft_ = 0;
    bool listRefreshPending_ = false;
    std::function<bool()> inUse_;
    // Entries that could not be played, by address (an online entry not yet
    // looked up by name and singer), with the reason.
    QHash<QString, QString> unplayable_;
    // The source the engine last found no decoder for, and the reason said.
    QString decoderMissingFor_, decoderMissingWhy_;
    // The current song reached the playing state since it was set.
    bool reachedPlaying_ = false;
    // The entry handed to the engine to follow the current one, or 0.
    int nextIndex_ = 0;
    // Told once that nothing in the collection plays, until it changes.
    bool toldNothingPlays_ = false;
    // Where a restored song starts when it plays, -1 for none; it holds
    // while resumeAddress_ is the current entry's address.
    qint64 resumeAtMs_ = -1;
    qint64 resumeLengthMs_ = -1;
    QString resumeAddress_;
    QTimer *timer_;
    class TickScheduler *scheduler_ = nullptr;
};
