// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QList>
#include <QString>

// Songs whose tags name them in each way a local file can be named: title
// and artist, a title alone, no tags, GBK bytes in ID3v1 and in ID3v2 fields
// marked Latin-1, and Vorbis comments in FLAC. The file names differ from
// the titles, so a test sees which one named the entry.
struct TaggedSong {
    const char *what;
    QString fileName;
    QString songName; // what the entry must be called
    QString singer;
};

// Writes the songs into folder (names in the table's order, which is also
// their pinyin order) and returns the table; a song that cannot be written
// fails the test.
QList<TaggedSong> writeTaggedSongs(const QString &folder);
