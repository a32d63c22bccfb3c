// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QStringList>

class Dialogs;
class Player;

// What files dropped on the player's windows do, without the windows. Each
// song is named by its title and artist tags, else by its file name without
// the extension; up to kTagNamesOnTheSpot files are read at once, more a
// moment later off the window thread (the entries show their file names
// until then).

// The songs among `paths`, in their order; a folder gives its own songs and
// then those of its immediate subfolders, each sorted by name, as the local
// scan looks no deeper. Hidden files and folders are left out.
QStringList songFilesIn(const QStringList &paths);

// On the main window: one file opens as the open-file command would; several
// songs or a folder become the current collection, as the local scan's
// "添加" makes one. True when a collection was made, for the song list to show.
bool dropOnMainWindow(Dialogs &dialogs, Player &player, const QStringList &paths);
// On the song list: the songs are added to the current collection.
void dropOnSongList(Dialogs &dialogs, Player &player, const QStringList &paths);

// The entries for `paths` that still carry their files' names take their
// tags' names once a pool thread has read them, through the player's
// editCollection(); entries renamed or gone meanwhile are left alone.
void nameByTagsLater(Player &player, const QStringList &paths);
