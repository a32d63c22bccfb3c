#pragma once
#include "platform/mediaplayer.h"

#include <QObject>

class PlayerController;
class MediaPlayer;
class QTimer;

// Runs the controller's tick on the timer while another tick could come out
// differently, and lets the window thread sleep otherwise. User input
// anywhere in the program, the engine's state and tag changes and the controller's
// own wake requests (a hand-off notice, the start-up releasing its hold)
// start it again; a few quiet ticks after the last want it stops.
class TickScheduler : public QObject, public MediaPlayerObserver {
    Q_OBJECT
public:
    // Ticks this many times in a row with nothing wanted before sleeping, so
    // the effects of a user action that land a moment later are seen.
    static constexpr int kQuietTicks = 5;

    TickScheduler(PlayerController &controller, QTimer &timer, MediaPlayer *player,
                  QObject *parent = nullptr);
    ~TickScheduler() override;

public Q_SLOTS:
    void wake();

    void engineStateChanged(PlayState) override { wake(); }
    void engineTagsChanged() override { wake(); }
    void engineAdvanced(const QString &) override { wake(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onTimeout();

    PlayerController &controller_;
    MediaPlayer *player_;
    QTimer &timer_;
    int quietTicks_ = 0;
};
