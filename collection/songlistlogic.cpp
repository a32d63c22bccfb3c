// SPDX-License-Identifier: GPL-3.0-or-later
#include "collection/songlistlogic.h"

#include "base/songcollection.h"

QString songRowText(const SongEntry &e)
{
    if (e.singer.isEmpty())
        return e.songName;
    return e.singer % QLatin1Char('-') % e.songName;
}

bool hasUnsavedSongs(const SongCollection &c)
{
    return !c.saved && c.count >= 1;
}

bool wouldLoseUserChanges(const SongCollection &c)
{
    return hasUnsavedSongs(c) && c.changed;
}

bool renameEntry(SongCollection &c, int n, const QString &songName, const QString &singer)
{
    if (songName.isEmpty() || n < 1 || n > c.count)
        return false;
    SongEntry &e = c.entry(n);
    e.songName = songName;
    e.singer = singer;
    if (!e.isLocal)
        e.address.clear();
    c.saved = false;
    c.changed = true;
    return true;
}
