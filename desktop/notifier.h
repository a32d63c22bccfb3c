// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include <QString>

// What a desktop notification about a song shows.
struct SongNotice {
    QString summary; // the song's name
    QString body;    // singer and album
    QImage image;    // the cover, or a null image
};

// Shows a notice on the desktop. Implementations never block the caller.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void notify(const SongNotice &n) = 0;
};
