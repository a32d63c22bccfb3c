// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class HttpClient;

// The one entry point of the liravo_network module, looked up by name. The
// version is part of the name, so a module left over from another build of
// the player is refused instead of being called with a different layout.
#define LIRAVO_NETWORK_FACTORY "liravo_network_create_v2"

extern "C" {
using LiravoNetworkFactory = HttpClient *(*)();
}
