// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "lyrics/lyricsdocument.h"

#include <QObject>
#include <QString>

class QThread;

// Finds and parses the lyrics of a song, blocking: first a .lrc file beside
// it with the same base name (any case of the extension), then one in a
// "Lyrics" or "lyrics" folder beside it, then lyrics embedded in its tags.
// Web addresses have none. An empty document when nothing is found; one
// with `problem` set when a lyrics file was found but could not be shown.
LyricsDocument findLyrics(const QString &songPath);

// Runs findLyrics() off the calling thread, one short-lived thread per song,
// and hands the document back on the loader's own thread. Only the answer
// for the song asked for last is delivered; earlier ones are dropped.
class LyricsLoader : public QObject {
    Q_OBJECT
public:
    explicit LyricsLoader(QObject *parent = nullptr);
    ~LyricsLoader() override; // waits for the searches still running

    void load(const QString &songPath);
    // Drops the answer of any search still running.
    void cancel() { ++ticket_; }

Q_SIGNALS:
    void loaded(const QString &songPath, const LyricsDocument &document);

private:
    quint64 ticket_ = 0;
    QList<QThread *> running_;
};
