#pragma once
#include <QString>

struct SongEntry;
struct SongCollection;

// How the song list shows an entry: "singer-name", or the name alone when
// the singer is unknown.
QString songRowText(const SongEntry &e);

// True when the collection holds songs that were never written to a file (or
// changed since): only then is saving offered and discarding questioned.
bool hasUnsavedSongs(const SongCollection &c);

// Gives entry n (1..count) a new name and singer as the user typed them. The
// address is dropped so that the next play looks the song up by its new name,
// a local entry included. An empty name changes nothing and returns false.
bool renameEntry(SongCollection &c, int n, const QString &songName, const QString &singer);
