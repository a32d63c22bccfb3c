// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

#include <QStringList>

// The song names of a collection's entries, in order.
inline QStringList songNames(const SongCollection &c)
{
    QStringList out;
    for (int n = 1; n <= c.count; ++n)
        out << c.entry(n).songName;
    return out;
}
