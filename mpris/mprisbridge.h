// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "mpris/mprishandler.h"

#include <QObject>
#include <functional>

class HttpClient;
class MprisService;
class Player;

// The player as the desktop's media controls see it: turns the Player's
// state into their values, announces only the values that changed, and runs
// their commands through the Player's own operations, so the labels,
// caption, tray and stored settings follow as after a click.
class MprisBridge : public QObject, public MprisHandler {
    Q_OBJECT
public:
    static QString noTrack() { return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"); }
    // Track ids are numbered in the order entries became current, so an id
    // never names two entries, even across collections.
    static QString trackIdFor(quint64 serial);

    MprisBridge(Player &player, MprisService &service, HttpClient &http, QObject *parent = nullptr);

    // The whole lyrics text of the current song as "xesam:asText", given once
    // per song (never per line: panels would flicker).
    void setLyricsText(const QString &text);
    // What the current song's tags say beyond its name: its album (the
    // collection's name stands in without one) and its cover file.
    void setSongDetails(const QString &album, const QString &coverPath);

    // Takes the bus name; only the copy that runs on calls this.
    bool publish();
    bool published() const { return published_; }

    MprisValues values() const override;
    qint64 positionUs() const override;
    QStringList supportedMimeTypes() const override;

    void raise() override;
    void quit() override;
    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void seekBy(qint64 offsetUs) override;
    void setPosition(const QString &trackId, qint64 positionUs) override;
    bool openUri(const QString &uri) override;
    void setVolume(double volume) override;
    void setLoopStatus(const QString &status) override;
    void setShuffle(bool shuffle) override;

Q_SIGNALS:
    // The desktop asked for the main window, or for the program to end (the
    // question about an unsaved collection still comes first).
    void raiseRequested();
    void quitRequested();

private:
    void announceChanges();
    void followCurrentEntry();
    // Runs a command now, or once the tick, a web request or a modal dialog
    // that holds the program is over, so no command lands in the middle of one.
    void perform(std::function<void()> command);

    Player &player_;
    MprisService &service_;
    // The mode random play was switched on from, for switching it off.
    QString modeBeforeShuffle_;
    QString lyricsText_;
    QString album_, coverPath_;
    QString trackKey_;
    quint64 trackSerial_ = 0;
    HttpClient &http_;
    MprisValues sent_;
    bool published_ = false;
};
