// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QByteArray>
#include <QString>

// Short, valid MP3 files made without external tools: silent MPEG-1 Layer III
// frames (128 kbit/s, 44.1 kHz), optionally wrapped in ID3 tags.
struct Mp3Recipe {
    double seconds = 2.0;
    // ID3v2.3 TIT2/TPE1 frames in UTF-16 with a byte-order mark.
    QString title;
    QString artist;
    // ID3v2.3 TIT2/TPE1 frames marked ISO-8859-1 but carrying these bytes as
    // they are: how old Chinese taggers stored GBK text.
    QByteArray latin1Title;
    QByteArray latin1Artist;
    // An ID3v1 tag at the end with these bytes as they are (none when both are empty).
    QByteArray v1Title;
    QByteArray v1Artist;
};

QByteArray makeMp3(const Mp3Recipe &recipe);
bool writeMp3(const QString &path, const Mp3Recipe &recipe);
