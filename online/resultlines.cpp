// SPDX-License-Identifier: GPL-3.0-or-later
#include "online/resultlines.h"

#include "base/songcollection.h"
#include "collection/songlistlogic.h"

QStringList resultLines(const SongCollection &c)
{
    QStringList lines;
    for (int n = 1; n <= c.count; ++n)
        lines << songRowText(c.entry(n));
    return lines;
}

int addResultLines(SongCollection &c, const QStringList &lines)
{
    int added = 0;
    for (const QString &line : lines) {
        if (c.isFull())
            break;
        const QStringList pieces = line.split(QLatin1Char('-'));
        const bool split = pieces.size() >= 2;
        if (!addEntry(c, split ? pieces.at(1) : line, split ? pieces.at(0) : QString(), QString()))
            break;
        ++added;
    }
    return added;
}
