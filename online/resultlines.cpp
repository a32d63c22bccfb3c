#include "online/resultlines.h"

#include "base/songcollection.h"

QString resultLine(const SongEntry &e)
{
    if (e.singer.isEmpty())
        return e.songName;
    return e.singer + QLatin1Char('-') + e.songName;
}

QStringList resultLines(const SongCollection &c)
{
    QStringList lines;
    for (int n = 1; n <= c.count; ++n)
        lines << resultLine(c.entry(n));
    return lines;
}

LineSong splitResultLine(const QString &line)
{
    const QStringList pieces = line.split(QLatin1Char('-'));
    if (pieces.size() >= 2)
        return {pieces.at(1), pieces.at(0)};
    return {line, QString()};
}

int addResultLines(SongCollection &c, const QStringList &lines)
{
    int added = 0;
    for (const QString &line : lines) {
        if (c.isFull())
            break;
        const LineSong song = splitResultLine(line);
        if (!addEntry(c, song.songName, song.singer, QString()))
            break;
        ++added;
    }
    return added;
}
