// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QStringList>

struct SongCollection;

// The search window lists results as "singer-name" lines and reads the lines
// back when songs are added, so the two directions live together here.

// "周杰伦-稻香" for a song with a singer, "稻香" without one: the song list's rows.
QStringList resultLines(const SongCollection &c);

// Adds each line as an online entry (empty address) until the collection is
// full. Returns how many were added; the rest did not fit. A line is split at
// every "-": the singer is the first piece and the name the second (later
// pieces are dropped); a line without "-" is a name without singer.
int addResultLines(SongCollection &c, const QStringList &lines);
