#pragma once
// The player's services as test doubles, wired into one AppContext, so a test
// sets up only what it changes.
#include "fakes.h"

#include "platform/appcontext.h"
#include "base/settings.h"
#include "platform/memorysettingsbackend.h"

struct FakeServices {
    // Wires the settings, the player, the dialogs, the tray and a resolver
    // that finds nothing.
    FakeServices();
    // Also wires HTTP, the browser, downloads, the launcher, the file
    // association and the single-copy lock.
    void wireEverything();

    MemorySettingsBackend backend;
    Settings settings{backend, QStringLiteral("Liravo")};
    FakeMediaPlayer player;
    FakeDialogs dialogs;
    FakeTrayIcon tray;
    FakeHttpClient http;
    FakeBrowser browser;
    FakeDownloader downloader;
    FakeProcessLauncher launcher;
    FakeFileAssociation association;
    FakeInstanceLock lock;
    AppContext ctx;
    // Not wired into ctx: a test that follows what windows ask of each other
    // sets ctx.navigator = &nav.
    FakeNavigator nav;
};
