#pragma once
#include "platform/mprishandler.h"

#include <QObject>
#include <functional>

class HttpClient;
class MediaPlayer;
class MprisService;
class PlayerController;
struct Session;

// The player as the desktop's media controls see it: turns the controller's
// state into their values, announces only the values that changed, and runs
// their commands through the controller's own operations, so the labels,
// caption, tray and stored settings follow as after a click.
class MprisBridge : public QObject, public MprisHandler {
    Q_OBJECT
public:
    static QString busName() { return QStringLiteral("org.mpris.MediaPlayer2.liravo"); }
    static QString noTrack() { return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"); }
    static QString trackIdFor(int index);

    MprisBridge(PlayerController &controller, MprisService &service, MediaPlayer &player,
                HttpClient &http, const Session &session, QObject *parent = nullptr);

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

private:
    void announceChanges();
    // Runs a command now, or once the tick, a web request or a modal dialog
    // that holds the program is over, so no command lands in the middle of one.
    void perform(std::function<void()> command);

    PlayerController &controller_;
    MprisService &service_;
    MediaPlayer &player_;
    HttpClient &http_;
    const Session &session_;
    MprisValues sent_;
    bool published_ = false;
};
