// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>
#include <QVariantMap>

// What the desktop's media controls read from the player, in their terms.
struct MprisValues {
    QString playbackStatus = QStringLiteral("Stopped"); // "Playing", "Paused" or "Stopped"
    QString loopStatus = QStringLiteral("None");        // "None", "Track" or "Playlist"
    bool shuffle = false;
    QVariantMap metadata;
    double volume = 0.0;                                // 0.0 .. 1.0
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;

    bool operator==(const MprisValues &) const = default;
};

// The player behind the media-control interfaces: the D-Bus side reads its
// values and hands it every command. Times are in microseconds, as on the bus.
class MprisHandler {
public:
    virtual ~MprisHandler() = default;

    virtual MprisValues values() const = 0;
    virtual qint64 positionUs() const = 0;
    virtual QStringList supportedMimeTypes() const = 0;

    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void seekBy(qint64 offsetUs) = 0;
    virtual void setPosition(const QString &trackId, qint64 positionUs) = 0;
    // False for an address the player cannot open (unknown scheme, no file).
    virtual bool openUri(const QString &uri) = 0;
    virtual void setVolume(double volume) = 0;
    virtual void setLoopStatus(const QString &status) = 0;
    virtual void setShuffle(bool shuffle) = 0;
};
