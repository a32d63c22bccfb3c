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
// doubles in tests (tests/support/fakeservices.*).
struct Services {
    Settings *settings = nullptr;
    MediaPlayer *player = nullptr;
    Dialogs *dialogs = nullptr;
    HttpClient *http = nullptr;
    Browser *browser = nullptr;
    TrayIcon *tray = nullptr;
    InstanceLock *instanceLock = nullptr;
    FileAssociation *fileAssociation = nullptr;
    Downloader *downloader = nullptr;
    ProcessLauncher *launcher = nullptr;
    // resolveMp3Address as playEntry calls it.
    AddressResolver resolver;
};
