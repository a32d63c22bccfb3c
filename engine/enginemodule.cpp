// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/enginemodule.h"
#include "engine/gstplayer.h"

// Loaded by loadEngineModule on the first source; the caller owns the player.
extern "C" Q_DECL_EXPORT MediaPlayer *liravo_engine_create_v2()
{
    return new GstPlayer(GstPlayer::optionsFromEnvironment());
}

extern "C" Q_DECL_EXPORT bool liravo_engine_warm_v3(const char *song)
{
    return GstPlayer::startLibraries(song ? QString::fromUtf8(song) : QString());
}
