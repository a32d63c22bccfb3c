// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "lyrics/lyricsdocument.h"

#include <QObject>
#include <QTimer>

#include <functional>

class LyricsLoader;

// Follows the playing song through its lyrics. It loads the document once
// per song (off the window thread) and keeps the current line with one
// single-shot timer aimed at the next line's start: re-aimed on every
// position it is told, on seeks and on play/pause, stopped while paused.
// Nothing ticks in between.
class LyricsTracker : public QObject {
    Q_OBJECT
public:
    // `position` reads where playback is, in ms; the tracker asks it each
    // time it aims, so the engine's clock stays the only clock.
    explicit LyricsTracker(std::function<qint64()> position, QObject *parent = nullptr);
    ~LyricsTracker() override;

    const LyricsDocument &document() const { return document_; }
    QString songPath() const { return song_; }
    int currentLine() const { return current_; }
    bool isPlaying() const { return playing_; }
    // Between setSong() and the song's lyrics arriving.
    bool isLoading() const { return loading_; }

public Q_SLOTS:
    // A new song (local path or web address); empty for none. Clears the
    // document at once and loads the song's lyrics in the background; the
    // same path again keeps the lyrics it has.
    void setSong(const QString &path);
    // Lyrics from elsewhere for the current song (or for previews).
    void setDocument(const LyricsDocument &document);
    void setPlaying(bool playing);
    // Where playback is now; seeked() is the same after a jump.
    void setPosition(qint64 ms);
    void seeked(qint64 ms) { setPosition(ms); }

Q_SIGNALS:
    // -1: before the first line, or no synced lyrics.
    void currentLineChanged(int index);
    void documentChanged();
    void playingChanged(bool playing);

private:
    void follow(qint64 positionMs);
    void onLoaded(const QString &path, const LyricsDocument &document);

    std::function<qint64()> position_;
    LyricsLoader *loader_;
    QTimer timer_;
    LyricsDocument document_;
    QString song_;
    int current_ = -1;
    bool playing_ = false;
    bool loading_ = false;
};
