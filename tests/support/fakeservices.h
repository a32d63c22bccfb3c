// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The player's services as test doubles, wired into one AppContext, so a test
// sets up only what it changes.
#include "fakes.h"

#include "ui/appcontext.h"
#include "base/settings.h"
#include "store/memorysettingsbackend.h"

// The player's collection for setting a case up: written directly, without
// the notifications a command sends, as a store edited behind the program's
// back would be.
SongCollection &heldCollection(Player &player);

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

// An entry by its plain names, through the same door as the key table's own
// entries (Settings::store and Settings::value), for cases that set up or
// read entries the table does not name.
void storeEntry(Settings &settings, const QString &app, const QString &section, const QString &key,
                const QString &value);
QString storedEntry(Settings &settings, const QString &app, const QString &section,
                    const QString &key, const QString &fallback);
