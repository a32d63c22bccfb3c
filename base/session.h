// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

#include <QString>

// What the windows keep for the life of the process: the lists the search
// and scan windows show, so a window closed and opened again shows the same.
// The current collection belongs to the Player.
struct Session {
    SongCollection searchResults;
    QString searchText; // the words of the last online search
    SongCollection scanList;
    SongCollection localList;
    // Everything after the program name on the command line, as one string.
    QString commandLine;
};
