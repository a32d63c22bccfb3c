#pragma once
#include "base/navigator.h"
#include "base/session.h"
#include "platform/services.h"

// What the application layer hands round: the platform services, the session
// state, and the navigator through which windows reach each other
// (app/windowhub.* makes each window on first use, giving it only the parts
// it uses), so no window includes another.
struct AppContext {
    Services services;
    Session session;
    // While none is set, the calls between windows do nothing.
    Navigator *navigator = nullptr;
    Navigator &windows() const { return navigator ? *navigator : Navigator::none(); }
};
