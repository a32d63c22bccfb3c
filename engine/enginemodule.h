// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class MediaPlayer;

// The one entry point of the liravo_engine module, looked up by name. The
// version is part of the name, so a module left over from another build of
// the player is refused instead of being called with a different layout.
#define LIRAVO_ENGINE_FACTORY "liravo_engine_create_v2"
// Starts the engine's libraries (GStreamer and its registry) without making
// a player, and loads the plugins the song at the given path (UTF-8, or
// null) will need; safe on any thread. True when they started.
#define LIRAVO_ENGINE_WARM "liravo_engine_warm_v3"

extern "C" {
using LiravoEngineFactory = MediaPlayer *(*)();
using LiravoEngineWarm = bool (*)(const char *song);
}
