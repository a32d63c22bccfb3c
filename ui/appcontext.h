// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "ui/navigator.h"
#include "base/session.h"
#include "base/services.h"
#include "playback/player.h"

// What the application layer hands round: the platform services, the session
// state, and the navigator through which windows reach each other
// (app/windowhub.* makes each window on first use, giving it only the parts
// it uses), so no window includes another.
struct AppContext {
    Services services;
    Session session;
    // What plays; made from the services above.
    Player player{services};
    // Set by the window hub before any window or the start-up's first
    // activation asks for it.
    Navigator *navigator = nullptr;
    Navigator &windows() const { return *navigator; }
};
