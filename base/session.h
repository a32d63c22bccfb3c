#pragma once
#include "base/songcollection.h"

#include <QString>

// What the player holds for the life of the process: the current song
// collection, and the lists the search and scan windows keep, so a window
// closed and opened again shows the same.
struct Session {
    SongCollection current;
    SongCollection searchResults;
    QString searchText; // the words of the last online search
    SongCollection scanList;
    SongCollection localList;
    // Everything after the program name on the command line, as one string.
    QString commandLine;
};
