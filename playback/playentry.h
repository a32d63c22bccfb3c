// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

class MediaPlayer;
class Settings;

// Plays entry n: looks its address up when empty, hands it to the player,
// marks the collection playing and remembers n as "最后的播放位置".
// Does nothing on an empty collection or for n outside 1..100.
void playEntry(SongCollection &c, int n, MediaPlayer &player, const AddressResolver &resolve,
               Settings &settings);
