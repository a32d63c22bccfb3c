// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

struct SongEntry;
struct SongCollection;

// How the song list shows an entry: "singer-name", or the name alone when
// the singer is unknown.
QString songRowText(const SongEntry &e);

// True when the collection holds songs that were never written to a file (or
// changed since): only then is saving offered.
bool hasUnsavedSongs(const SongCollection &c);
// Unsaved songs the user put there: leaving the collection asks first. What
// loading, saving, a lone opened song or the automatic tidying did is no
// loss.
bool wouldLoseUserChanges(const SongCollection &c);

// Gives entry n (1..count) a new name and singer as the user typed them. An
// online entry drops its address so that the next play looks the song up by
// its new name; a local entry keeps its file, only its shown name changes.
// An empty name changes nothing and returns false.
bool renameEntry(SongCollection &c, int n, const QString &songName, const QString &singer);
