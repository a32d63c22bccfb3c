// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/songcollection.h"

SongEntry &SongCollection::entry(int n)
{
    Q_ASSERT(n >= 1 && n <= kCapacity);
    return entries.at(std::size_t(n - 1));
}

const SongEntry &SongCollection::entry(int n) const
{
    Q_ASSERT(n >= 1 && n <= kCapacity);
    return entries.at(std::size_t(n - 1));
}

QString localAlbumName()
{
    return QStringLiteral("本地歌曲");
}

bool addEntry(SongCollection &c, const QString &songName, const QString &singer,
              const QString &address)
{
    if (c.isFull())
        return false;
    ++c.count;
    SongEntry &e = c.entry(c.count);
    e.singer = singer;
    e.songName = songName;
    e.address = address;
    e.isLocal = false;
    c.saved = false;
    c.changed = true;
    return true;
}

void removeEntry(SongCollection &c, int n)
{
    if (n < 1 || n > c.count)
        return;
    for (int i = n; i < c.count; ++i)
        c.entry(i) = std::move(c.entry(i + 1));
    c.entry(c.count) = SongEntry{};
    // Only removing the last entry while it is current moves the index; an
    // entry removed before the current one leaves it on the next song.
    if (c.currentIndex == c.count)
        --c.currentIndex;
    c.saved = false;
    c.changed = true;
    --c.count;
}

QString fileNameWithoutExtension(const QString &address)
{
    // Paths come from this system ("/") or from files written on Windows ("\").
    const qsizetype cut = qMax(address.lastIndexOf(QLatin1Char('/')), address.lastIndexOf(QLatin1Char('\\')));
    const QString name = address.mid(cut + 1);
    // A name that is all extension (".mp3") keeps it, or nothing would be left.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

void nameLocalEntries(SongCollection &c)
{
    for (int i = 1; i <= c.count; ++i) {
        SongEntry &e = c.entry(i);
        if (e.isLocal)
            e.songName = fileNameWithoutExtension(e.address);
    }
}

namespace {

void stripLineBreaks(QString &s)
{
    s.remove(QChar(10));
    s.remove(QChar(13));
}

bool isDuplicateOf(const SongEntry &later, const SongEntry &earlier)
{
    return later.songName == earlier.songName
        && (later.singer == earlier.singer || later.singer.isEmpty());
}

} // namespace

void tidyCollection(SongCollection &c)
{
    int i = 1;
    while (i <= c.count) {
        SongEntry &e = c.entry(i);
        if (e.songName.isEmpty()) {
            removeEntry(c, i); // the entry that moves up is examined next
            continue;
        }
        stripLineBreaks(e.songName);
        stripLineBreaks(e.singer);
        const qsizetype p = e.songName.indexOf(QLatin1Char('(')) + 1;
        if (p > 0) {
            // The blank before "(" goes with it: "Moon (Live)" -> "Moon". A
            // name that begins with "(" has nothing before it and becomes
            // empty; the next tidy removes it.
            e.songName.truncate(qMax<qsizetype>(p - 2, 0));
        }
        ++i;
    }

    for (int a = 1; a < c.count; ++a) {
        int b = a + 1;
        while (b <= c.count) {
            if (isDuplicateOf(c.entry(b), c.entry(a)))
                removeEntry(c, b);
            else
                ++b;
        }
    }
}
