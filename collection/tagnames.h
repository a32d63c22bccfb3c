// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QObject;

// What a local file is called where it becomes an entry (the scan, drops,
// the song list's add, a playlist line without a title): its title and
// artist tags, else its file name without the extension.
struct TagNames {
    QString songName;
    QString singer;

    bool operator==(const TagNames &) const = default;
};

// Reads the file's tags (TagLib, names only; GBK repaired). Blocks for a
// moment per file: on the window thread only for a handful of files. The
// song name is never empty (a path without a file name names itself).
TagNames tagNamesOf(const QString &path);

// Most files a caller should name on the spot; more are read by
// readTagNamesLater().
inline constexpr int kTagNamesOnTheSpot = 10;

// Reads the names of `paths` on a pool thread and hands them, in the same
// order, to `done` on the thread of `context` (which must be the window
// thread). Nothing is handed over once `context` is gone.
void readTagNamesLater(const QStringList &paths, QObject *context,
                       std::function<void(const QStringList &paths, const QList<TagNames> &names)> done);

// Gives the local entries of `c` whose address is one of `paths` the names
// read for it, where they still carry the name their file gave them (so a
// name the user typed meanwhile stays). Returns how many entries changed.
int fillTagNames(SongCollection &c, const QStringList &paths, const QList<TagNames> &names);
