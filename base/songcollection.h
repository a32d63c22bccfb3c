// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <array>
#include <functional>


// One song: a local file (isLocal, address = path) or an online song known by
// name and singer whose address is looked up when it is first played.
struct SongEntry {
    QString songName;
    QString address;
    QString singer;
    bool isLocal = false;

    bool operator==(const SongEntry &) const = default;
};

// A named, ordered list of up to 100 songs, numbered from 1. A plain value:
// assigning one collection to another copies every field.
struct SongCollection {
    static constexpr int kCapacity = 100;

    std::array<SongEntry, kCapacity> entries; // slot n-1 holds entry n
    qint16 count = 0;
    QString albumName;
    QString filePath;
    bool saved = false;
    // The user added, edited, removed or renamed entries, or made the list by
    // a search or scan, since it was last loaded, saved or replaced by a lone
    // opened song: only then is there anything to lose on leaving it.
    bool changed = false;
    bool playing = false;
    qint16 currentIndex = 0;

    // Entry n, 1-based; n must lie in 1..100.
    SongEntry &entry(int n);
    const SongEntry &entry(int n) const;
    bool isFull() const { return count >= kCapacity; }

    bool operator==(const SongCollection &) const = default;
};

// resolveMp3Address(songName, singer, quiet) -> the real MP3 address or "".
using AddressResolver = std::function<QString(const QString &, const QString &, bool)>;

// The album name every collection made from local files (the local scan,
// files dropped on the main window) carries.
QString localAlbumName();
// Appends an online entry; on a full collection nothing is added.
// Returns whether the entry was added.
bool addEntry(SongCollection &c, const QString &songName, const QString &singer,
              const QString &address);
// Removes entry n (1..count); entries after it move up.
void removeEntry(SongCollection &c, int n);
// The last part of a path ("/" or "\\") without its extension, what a local
// file is called until its tags say otherwise: "但愿人长久.opus" -> "但愿人长久".
QString fileNameWithoutExtension(const QString &address);
// Names every local entry after its file (fileNameWithoutExtension), the
// name it carries until its tags are read.
void nameLocalEntries(SongCollection &c);
// Drops entries without a name, cleans names and singers, removes duplicates.
void tidyCollection(SongCollection &c);
