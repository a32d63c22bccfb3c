// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

// Play states; the numbers are the ones the status line has always shown.
enum class PlayState : int {
    Undefined = 0,   // nothing open
    Stopped = 1,     // stopped, or the source ended or failed
    Paused = 2,
    Playing = 3,
    Buffering = 6,
    Waiting = 7,
    Transitioning = 9, // a source was set and is being opened
    Ready = 10,
};

// What the engine tells its one listener as it happens, on the engine's own
// (the window) thread. Plain virtual calls, so the check is the compiler's
// even across the module the engine is loaded from.
class MediaPlayerObserver {
public:
    virtual ~MediaPlayerObserver() = default;
    // Every change of playState(), including the short-lived ones a poll
    // would miss.
    virtual void engineStateChanged(PlayState state) = 0;
    // title() or author() changed while the source plays.
    virtual void engineTagsChanged() = 0;
    // The source given to setNextUrl() has followed the previous one without
    // a gap: it is now url() and plays (the state stays Playing). The previous
    // source ended without a Stopped; the observer picks the next one now.
    virtual void engineAdvanced(const QString &url) = 0;
    // The source `url` cannot play because GStreamer has no decoder (or no
    // demuxer) for it. `packages` are the Debian packages that would bring
    // one and are not installed yet, empty when none is known. Comes just
    // before the Stopped that ends the source.
    virtual void engineDecoderMissing(const QString &url, const QStringList &packages) = 0;
};

// How ReplayGain tags set the loudness: not at all (no filter in the
// pipeline), by each song's own gain, or by its album's (a song without
// album gain takes its own).
enum class ReplayGainMode : int { Off = 0, Track = 1, Album = 2 };

// The audio engine as the player sees it: a source, transport, a play state
// and two tags. The real engine (GStreamer) lives in gstplayer.*; tests use
// FakeMediaPlayer.
class MediaPlayer {
public:
    using enum PlayState;

    virtual ~MediaPlayer() = default;

    // The one listener to the engine's changes, or null; it outlives the
    // engine or is reset first.
    virtual void setObserver(MediaPlayerObserver *observer) = 0;

    // Opens a source (local path or web address, possibly empty); playback
    // starts by itself once it is open. An empty, missing, directory or
    // unplayable source ends in Stopped without ever reaching Playing.
    // Clears what setNextUrl() gave.
    virtual void setUrl(const QString &url) = 0;
    virtual QString url() const = 0;
    // The source that follows the current one when it ends by itself, or
    // empty for none. A local file starts without a gap where the current one
    // ends, and engineAdvanced() reports it instead of a Stopped; anything
    // else (a web address, a missing file, none) leaves the end as it is: the
    // current source ends in Stopped and the caller sets the next one. Holds
    // until the source changes (setUrl, or the advance itself).
    virtual void setNextUrl(const QString &url) = 0;
    // Starts the current source, resumes after a pause, or restarts it from
    // the beginning after it ended or was stopped.
    virtual void play() = 0;
    virtual void pause() = 0;
    // Halts playback; the source stays open.
    virtual void stop() = 0;
    virtual PlayState playState() const = 0;
    // "Title" and "Author" tags of the current source, empty when absent.
    virtual QString title() const = 0;
    virtual QString author() const = 0;
    virtual void setVolume(int volume0to100) = 0;
    // Loudness by ReplayGain tags: `fallbackDb` is the gain of songs without
    // tags, and `preampDb` is added to every gain, that one included. A song is never raised
    // past full scale (a missing peak counts as full scale). New gains apply
    // at once; turning it on or off applies from the next source on.
    virtual void setReplayGain(ReplayGainMode mode, double preampDb, double fallbackDb) = 0;
    virtual int volume() const = 0;
    // Position and length of the current source in milliseconds; -1 when unknown.
    virtual qint64 position() const = 0;
    virtual qint64 duration() const = 0;
    // Moves the current source to ms from its start (clamped); no effect when nothing is open.
    virtual void seek(qint64 ms) = 0;
};
