// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "base/songcollection.h"

class Settings;
class MediaPlayer;
class Dialogs;
class HttpClient;
class Browser;
class TrayIcon;
class InstanceLock;
class FileAssociation;
class Downloader;
class ProcessLauncher;

// The platform services the windows and modules use: the real ones in main(),
// doubles in tests (tests/support/fakeservices.*). Every one is given when
// the struct is made, so none is ever missing.
struct Services {
    Settings &settings;
    MediaPlayer &player;
    Dialogs &dialogs;
    HttpClient &http;
    Browser &browser;
    TrayIcon &tray;
    InstanceLock &instanceLock;
    FileAssociation &fileAssociation;
    Downloader &downloader;
    ProcessLauncher &launcher;
    // resolveMp3Address as playEntry calls it.
    AddressResolver resolver;
};
