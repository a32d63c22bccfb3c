// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "collection/sessionfile.h"

#include <QObject>
#include <QTimer>

class Player;

// Keeps where the user is (the collection in use, its current entry, the
// place in the song, the play mode) in the session file: a moment after each
// change, every few seconds while a song plays, and at once on request (at
// exit). Never on the playback tick.
class SessionKeeper : public QObject {
    Q_OBJECT
public:
    explicit SessionKeeper(Player &player, QString path = sessionFilePath(), QObject *parent = nullptr);

    // What would be written now.
    SessionState state() const;
    bool saveNow() { return saver_.saveNow(); }

Q_SIGNALS:
    // In Chinese, once per run of failed writes.
    void saveFailed(const QString &why);

private:
    void followPlayback();

    Player &player_;
    SessionSaver saver_;
    // While a song plays its place moves on by itself: it is kept this often.
    QTimer playing_;
};
