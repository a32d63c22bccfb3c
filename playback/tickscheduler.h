// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QObject>

class Player;
class QTimer;

// Runs the player's tick on the timer while another tick could come out
// differently, and lets the window thread sleep otherwise. User input
// anywhere in the program, the engine's state and tag changes and the
// player's own wake requests (a hand-off notice, the start-up releasing its
// hold) start it again; a few quiet ticks after the last want it stops.
class TickScheduler : public QObject {
    Q_OBJECT
public:
    // Ticks this many times in a row with nothing wanted before sleeping, so
    // the effects of a user action that land a moment later are seen.
    static constexpr int kQuietTicks = 5;

    TickScheduler(Player &player, QTimer &timer, QObject *parent = nullptr);

    void wake();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onTimeout();

    Player &player_;
    QTimer &timer_;
    int quietTicks_ = 0;
};
