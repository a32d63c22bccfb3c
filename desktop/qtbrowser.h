// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "desktop/browser.h"

// The desktop's browser through QDesktopServices (xdg-open on Linux). Starting
// it is detached: start-up never waits for it.
class QtBrowser : public Browser {
public:
    bool openUrl(const QString &url) override;
};
