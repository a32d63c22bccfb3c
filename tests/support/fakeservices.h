#pragma once
// The player's services as test doubles, wired into one AppContext, so a test
// sets up only what it changes.
#include "fakes.h"

#include "platform/appcontext.h"
#include "base/settings.h"
#include "platform/memorysettingsbackend.h"

struct FakeServices {
    // What a test puts in place of a double (null keeps the double).
    struct Replace {
        Settings *settings = nullptr;
        MediaPlayer *player = nullptr;
        Dialogs *dialogs = nullptr;
        HttpClient *http = nullptr;
        TrayIcon *tray = nullptr;
    };
    // Every service is wired; the resolver finds nothing.
    FakeServices();
    explicit FakeServices(const Replace &replace);

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
    // ctx's navigator: with no calls set up, the calls between windows do nothing.
    FakeNavigator nav;
};
