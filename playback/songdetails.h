// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QObject>
#include <QString>

class Player;

// What the song that is the current entry says about itself beyond its name:
// the album in its tags and its cover (the embedded picture or one beside
// the file). Read on a worker thread each time the current entry changes, so
// the window never waits for a file; details() is empty until then.
class SongDetails : public QObject {
    Q_OBJECT
public:
    struct Details {
        QString key;       // which entry: "<number>\n<address>"
        QString title;     // from the tags; empty when none
        QString artist;
        QString album;
        QString coverPath; // the cached cover file, empty for none
        QImage cover;      // at most 256 px on its longer side
    };

    explicit SongDetails(Player &player, QObject *parent = nullptr);

    // The current entry's details, once read; ready() says whether they are.
    const Details &details() const { return details_; }
    bool ready() const { return ready_; }
    // The key of the current entry, known as soon as it changes.
    QString currentKey() const;

Q_SIGNALS:
    // The details of the current entry were read (or cleared for a new one).
    void changed();

private:
    void currentMayHaveChanged();

    Player &player_;
    Details details_;
    bool ready_ = false;
    // Answers from workers for an entry that is no longer current are dropped.
    quint64 asked_ = 0;
};
